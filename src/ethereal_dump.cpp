#include "ethereal_dump.hpp"

#include "coding.hpp"

namespace trovik {

namespace {

bool write_whole(OutputStream& out, const std::uint8_t* bytes, std::size_t n) {
  return out.write(bytes, n) == n;
}

}  // namespace

bool write_file_header(OutputStream& out) { return write_whole(out, kFileHeader, kFileHeaderSize); }

RecordWriteResult write_record(OutputStream& out, std::uint32_t record_length,
                               const PacketBuffer& buffer) {
  if (record_length > kPacketBufferSize) return RecordWriteResult::record_header_short;
  std::uint8_t header[kRecordHeaderSize];
  encode_fixed32_le(header + 0, 0);               // ts_sec
  encode_fixed32_le(header + 4, 0);               // ts_usec
  encode_fixed32_le(header + 8, record_length);   // incl_len
  encode_fixed32_le(header + 12, record_length);  // orig_len
  if (!write_whole(out, header, kRecordHeaderSize)) return RecordWriteResult::record_header_short;
  if (!write_whole(out, buffer.data(), record_length)) return RecordWriteResult::data_short;
  return RecordWriteResult::written;
}

bool write_invalidation_record(OutputStream& out) {
  const std::uint8_t header[kRecordHeaderSize] = {};
  return write_whole(out, header, kRecordHeaderSize);
}

}  // namespace trovik
