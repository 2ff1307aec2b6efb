#include "conversion.hpp"

#include <cinttypes>

#include "capture_dump.hpp"
#include "coding.hpp"
#include "ethereal_dump.hpp"

namespace trovik {

namespace {

constexpr std::size_t kEtherTypeHighOffset = 12;
constexpr std::size_t kPppoeVersionTypeOffset = 14;
constexpr std::size_t kPppoeLengthOffset = 18;
constexpr std::uint8_t kPppoeEtherTypeHigh = 0x88;
constexpr std::uint8_t kPppoeVersionType = 0x11;
constexpr std::uint32_t kEthernetAndPppoeHeaderSize = 14 + 6;

// Error codes of the "Error %d occured!" line.
constexpr int kErrorRecordHeader = 2;  // a record header or an invalidation record fell short
constexpr int kErrorRecordData = 3;    // a record's data fell short

}  // namespace

bool passes_frame_check(const PacketBuffer& buffer) {
  return buffer[kEtherTypeHighOffset] == kPppoeEtherTypeHigh ||
         buffer[kPppoeVersionTypeOffset] == kPppoeVersionType;
}

std::uint32_t record_length(const PacketBuffer& buffer) {
  return decode_fixed16_be(buffer.data() + kPppoeLengthOffset) + kEthernetAndPppoeHeaderSize;
}

int convert(InputStream& in, OutputStream& out, const char* in_path, const char* out_path,
            MessageSink& messages) {
  if (!write_file_header(out)) {
    messages.print("Error while writing header to '%s'\n", out_path);
    in.close();
    out.close();
    messages.print("Done\n");
    return kExitFailure;
  }

  // Value-initialised: bytes no read has reached yet are zeros, not leftovers.
  PacketBuffer buffer{};
  // 64 bits, so that no dump a disk can hold makes the counts wrap.
  std::int64_t found = 0;
  std::int64_t lost = 0;
  int error_code = 0;

  skip_dump_header(in, buffer);
  while (!input_at_end(in)) {
    GatherResult gathered = gather_packet(in, buffer);
    if (gathered == GatherResult::end_of_input) break;
    ++found;
    // A packet too long for the buffer, or a record whose data would lie past
    // it, cannot be converted whole; it is invalidated like a damaged frame so
    // that record N still belongs to packet N.
    std::uint32_t length = 0;
    bool valid = gathered == GatherResult::packet_complete && passes_frame_check(buffer);
    if (valid) {
      length = record_length(buffer);
      valid = length <= kPacketBufferSize;
    }
    if (valid) {
      RecordWriteResult result = write_record(out, length, buffer);
      if (result == RecordWriteResult::record_header_short) error_code = kErrorRecordHeader;
      if (result == RecordWriteResult::data_short) error_code = kErrorRecordData;
    } else {
      messages.print("Garbage input. Have to invalidate output packet %" PRId64 "\n", found);
      ++lost;
      if (!write_invalidation_record(out)) error_code = kErrorRecordHeader;
    }
    if (error_code != 0) {
      messages.print("Error %d occured!\n", error_code);
      break;
    }
  }

  bool read_failed = in.error();
  if (read_failed) messages.print("Error while reading '%s'\n", in_path);
  messages.print("%" PRId64 " DSL packets found and translated. %" PRId64
                 " lost due to garbage in input file\n",
                 found, lost);
  in.close();
  bool close_failed = !out.close();
  // After a reported write failure the output is known to be incomplete; a
  // second message for the same loss would only confuse.
  if (close_failed && error_code == 0) {
    messages.print("Error while writing '%s'\n", out_path);
  }
  messages.print("Done\n");
  return (read_failed || close_failed || error_code != 0) ? kExitFailure : kExitSuccess;
}

}  // namespace trovik
