#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: small dumps of the shapes worth starting
from, each behind the four steering bytes (see conversion_fuzzer.cpp)."""
import os
import struct
import sys

SEP = b"dsl" + bytes(13)
HEADER = bytes(range(128))


def frame(ether_type, length_field, payload):
    return (bytes(6) + bytes([0, 4, 14, 0, 0, 2]) + struct.pack(">HBBHH", ether_type, 0x11, 0,
            0x2a01, length_field) + payload)


def packet(frame_bytes):
    padded = frame_bytes + bytes(-len(frame_bytes) % 16)
    return padded + SEP


def steer(fault=0, chunk=0, at=0):
    return bytes([fault | chunk << 2]) + struct.pack("<I", at)[:3]


valid = packet(frame(0x8864, 40, bytes(range(40))))
seeds = {
    "empty": b"",
    "short-header": HEADER[:100],
    "header-only": HEADER,
    "separator-only-packets": HEADER + SEP + SEP + SEP,
    "near-separator": HEADER + b"dsl" + bytes(12) + b"\x01" + SEP,
    "misaligned-separator": HEADER + bytes(8) + SEP + bytes(8) + SEP,
    "valid-garbage-valid": HEADER + valid + packet(bytes(40)) + valid,
    "oversized-packet": HEADER + packet(frame(0x8864, 100, bytes(32800))) + valid,
    "record-past-its-blocks": HEADER + packet(frame(0x8864, 200, bytes(40))) + packet(b"\x88" * 16),
    "record-past-the-buffer": HEADER + packet(frame(0x8864, 40000, bytes(40))),
    "tail": HEADER + valid + bytes(16 * 3) + b"\x01\x02\x03",
}
faults = {
    "short-output": steer(1, 0, 100),
    "read-error": steer(2, 3, 200),
    "close-fails": steer(3, 1, 0),
}

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
os.makedirs(out, exist_ok=True)
for name, dump in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(steer() + dump)
for name, prefix in faults.items():
    with open(os.path.join(out, "valid-garbage-valid-" + name), "wb") as f:
        f.write(prefix + seeds["valid-garbage-valid"])
