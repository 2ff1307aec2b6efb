// Builds AVM capture dumps in memory from readable parts, for the example and
// benchmark generators and for the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace dump_builder {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlock = 16;
constexpr std::size_t kHeader = 128;
constexpr std::uint16_t kPppoeDiscovery = 0x8863;
constexpr std::uint16_t kPppoeSession = 0x8864;

inline void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

inline void put16(Bytes& to, unsigned value) {
  to.push_back(static_cast<std::uint8_t>(value >> 8));
  to.push_back(static_cast<std::uint8_t>(value));
}

inline Bytes separator() { return Bytes{'d', 's', 'l', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}; }

// A 16-byte block whose every byte is `fill`.
inline Bytes block(std::uint8_t fill) { return Bytes(kBlock, fill); }

// A dump header of recognisable bytes: byte i holds 0x80 + i % 0x80, so a
// record that carries header bytes shows which ones.
inline Bytes dump_header() {
  Bytes header(kHeader);
  for (std::size_t i = 0; i < kHeader; ++i) header[i] = static_cast<std::uint8_t>(0x80 + i % 0x80);
  return header;
}

// An Ethernet frame carrying PPPoE, with the PPPoE length field set to the
// payload's size (or to `length_field` where a test wants them to disagree).
inline Bytes pppoe_frame(std::uint16_t ether_type, std::uint8_t code, std::uint16_t session,
                         const Bytes& payload, long length_field = -1) {
  Bytes frame = {0x00, 0x1a, 0x4f, 0x00, 0x00, 0x01,   // destination
                 0x00, 0x04, 0x0e, 0x00, 0x00, 0x02};  // source
  put16(frame, ether_type);
  frame.push_back(0x11);  // version 1, type 1
  frame.push_back(code);
  put16(frame, session);
  put16(frame,
        static_cast<unsigned>(length_field < 0 ? static_cast<long>(payload.size()) : length_field));
  append(frame, payload);
  return frame;
}

// The frame padded with zeros to whole blocks, then the separator block.
inline Bytes packet(const Bytes& frame) {
  Bytes out = frame;
  out.resize((frame.size() + kBlock - 1) / kBlock * kBlock, 0);
  append(out, separator());
  return out;
}

// The dump header, the packets back to back, then a tail that is no packet.
inline Bytes dump(const std::vector<Bytes>& packets, const Bytes& tail = {}) {
  Bytes out = dump_header();
  for (const Bytes& p : packets) append(out, p);
  append(out, tail);
  return out;
}

// Bytes [from, from + n) of `bytes`.
inline Bytes slice(const Bytes& bytes, std::size_t from, std::size_t n) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(from + n));
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) append(out, p);
  return out;
}

// What trovik's output and messages must be, written down apart from the
// tool's own code so that they can check it.

inline Bytes pcap_file_header() {
  return Bytes{0xd4, 0xc3, 0xb2, 0xa1, 2,    0,    4, 0, 0, 0, 0, 0,
               0,    0,    0,    0,    0xff, 0xff, 0, 0, 1, 0, 0, 0};
}

// A record of `data`: zero timestamps, incl_len and orig_len both its size,
// little-endian. A record of no data is the empty record of an invalidated
// packet.
inline Bytes pcap_record(const Bytes& data) {
  Bytes out(8, 0);
  for (int copy = 0; copy < 2; ++copy) {
    for (int shift = 0; shift < 32; shift += 8) {
      out.push_back(static_cast<std::uint8_t>(data.size() >> shift));
    }
  }
  append(out, data);
  return out;
}

inline std::string garbage_line(long long packet) {
  return "Garbage input. Have to invalidate output packet " + std::to_string(packet) + "\n";
}

inline std::string summary_line(long long found, long long lost) {
  return std::to_string(found) + " DSL packets found and translated. " + std::to_string(lost) +
         " lost due to garbage in input file\n";
}

}  // namespace dump_builder
