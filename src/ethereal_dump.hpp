// Writer of Ethereal dumps: libpcap capture files, version 2.4, link type 1
// (Ethernet), little-endian on every host, snaplen 65535, both timestamps 0
// in every record. Each record is a 16-byte record header and incl_len bytes
// of data; there is no trailer.
//
// The writer prints nothing and keeps no state between calls. Every write
// hands its bytes to the stream in one call; a write of which fewer bytes
// were accepted is a failure, reported and never retried.
#pragma once

#include <cstddef>
#include <cstdint>

#include "packet_buffer.hpp"
#include "stream.hpp"

namespace trovik {

constexpr std::size_t kFileHeaderSize = 24;
constexpr std::size_t kRecordHeaderSize = 16;

// The file header does not depend on the input, so it is one constant image.
// snaplen stays 65535 whatever the records, which readers accept for every
// record this tool writes.
constexpr std::uint8_t kFileHeader[kFileHeaderSize] = {
    0xd4, 0xc3, 0xb2, 0xa1,  // magic, microsecond timestamps, little-endian fields
    0x02, 0x00,              // version_major
    0x04, 0x00,              // version_minor
    0x00, 0x00, 0x00, 0x00,  // thiszone: UTC
    0x00, 0x00, 0x00, 0x00,  // sigfigs
    0xff, 0xff, 0x00, 0x00,  // snaplen
    0x01, 0x00, 0x00, 0x00,  // network: Ethernet
};

enum class RecordWriteResult {
  written,              // the record header and all its data were accepted
  record_header_short,  // the record header was accepted short; no data was written
  data_short,           // the record header was accepted, the data short
};

// True when all 24 bytes of the file header were accepted.
bool write_file_header(OutputStream& out);

// Writes a record of record_length bytes: its header (incl_len and orig_len
// both record_length) and the buffer's first record_length bytes, unchanged.
// record_length must not exceed kPacketBufferSize; a longer record is not
// started, and reported as record_header_short, since its data would lie past
// the buffer.
RecordWriteResult write_record(OutputStream& out, std::uint32_t record_length,
                               const PacketBuffer& buffer);

// Writes a record header of zeros and no data, the place-holder of a packet
// that could not be converted. True when all 16 bytes were accepted.
bool write_invalidation_record(OutputStream& out);

}  // namespace trovik
