// Drives the whole conversion, reader and writer together, from one byte
// string, and checks what must hold of every run rather than only that it
// does not crash.
//
// The first four bytes steer the streams, the rest is the input dump:
//   byte 0, bits 0-1: 0 no fault, 1 the output accepts only `at` bytes,
//                     2 the input fails at byte `at`, 3 the output's close fails
//   byte 0, bits 2-7: the input's chunk size in bytes (0: all in one chunk)
//   bytes 1-3:        `at`, little-endian
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture_dump.hpp"
#include "conversion.hpp"
#include "dump_builder.hpp"
#include "ethereal_dump.hpp"
#include "memory_stream.hpp"

namespace {

using Bytes = std::vector<std::uint8_t>;
using trovik::kNever;

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

struct Run {
  int status;
  std::string messages;
  Bytes output;
};

Run convert(const Bytes& dump, std::size_t chunk, std::size_t capacity, std::size_t fail_at,
            bool close_fails) {
  trovik::MemoryInputStream in(dump, chunk, fail_at);
  trovik::MemoryOutputStream out(capacity, close_fails);
  trovik::MessageText messages;
  Run r;
  r.status = trovik::convert(in, out, "in", "out", messages);
  r.messages = messages.text();
  r.output = out.bytes();
  check(out.closes() == 1, "the output is closed exactly once");
  return r;
}

std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The conversion written down once more, as plainly as possible, over the
// whole dump in memory: what the output of a run without faults must be.
Bytes expected_output(const Bytes& dump) {
  const std::uint8_t separator[16] = {'d', 's', 'l'};
  Bytes out = dump_builder::pcap_file_header();
  Bytes buffer(32768, 0);
  std::copy(dump.begin(),
            dump.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(dump.size(), 128)),
            buffer.begin());
  std::size_t stored = 0;
  bool too_long = false;
  for (std::size_t at = 128; at + 16 <= dump.size(); at += 16) {
    const std::uint8_t* block = dump.data() + at;
    if (stored < buffer.size()) {
      std::memcpy(buffer.data() + stored, block, 16);
      stored += 16;
    } else {
      too_long = true;
    }
    if (std::memcmp(block, separator, 16) != 0) continue;
    std::uint32_t length = static_cast<std::uint32_t>(buffer[18] << 8 | buffer[19]) + 20U;
    bool valid = !too_long && (buffer[12] == 0x88 || buffer[14] == 0x11) && length <= 32768;
    dump_builder::append(
        out, dump_builder::pcap_record(valid ? dump_builder::slice(buffer, 0, length) : Bytes{}));
    stored = 0;
    too_long = false;
  }
  return out;
}

// Walks a complete output record by record and checks it against the
// messages: one record per packet found, an empty record exactly for each
// packet named in a garbage line, and nothing past the last record.
void check_against_messages(const Run& r) {
  const Bytes& out = r.output;
  check(out.size() >= trovik::kFileHeaderSize &&
            std::memcmp(out.data(), trovik::kFileHeader, trovik::kFileHeaderSize) == 0,
        "the output starts with the file header");
  std::string garbage;
  long records = 0;
  long empty = 0;
  std::size_t at = trovik::kFileHeaderSize;
  while (at < out.size()) {
    check(out.size() - at >= 16, "no record header is cut short");
    std::uint32_t incl = le32(&out[at + 8]);
    check(le32(&out[at]) == 0 && le32(&out[at + 4]) == 0, "timestamps are zero");
    check(incl == le32(&out[at + 12]), "incl_len equals orig_len");
    check(incl == 0 || (incl >= 20 && incl <= trovik::kPacketBufferSize),
          "record lengths lie within the packet buffer");
    check(out.size() - at - 16 >= incl, "no record's data is cut short");
    ++records;
    if (incl == 0) {
      ++empty;
      garbage += dump_builder::garbage_line(records);
    }
    at += 16 + incl;
  }
  std::string expected = garbage + dump_builder::summary_line(records, empty) + "Done\n";
  check(r.messages == expected, "the messages agree with the records written");
}

bool is_prefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int fault = data[0] & 3;
  const std::size_t chunk = (data[0] >> 2) == 0 ? kNever : (data[0] >> 2);
  const std::size_t at = static_cast<std::size_t>(data[1] | data[2] << 8 | data[3] << 16);
  const Bytes dump(data + 4, data + size);

  Run whole = convert(dump, chunk, kNever, kNever, false);
  check(whole.status == trovik::kExitSuccess, "a run without faults succeeds");
  check(whole.output == expected_output(dump), "the output is the conversion of the dump");
  check_against_messages(whole);

  if (fault == 1) {
    Run r = convert(dump, chunk, at, kNever, false);
    check(is_prefix(r.output, whole.output) && r.output.size() == std::min(at, whole.output.size()),
          "a short output holds what it accepted of the whole conversion");
    bool fell_short = at < whole.output.size();
    check(r.status == (fell_short ? trovik::kExitFailure : trovik::kExitSuccess),
          "a short output, and only that, fails the run");
    if (fell_short) {
      check(at < trovik::kFileHeaderSize
                ? r.messages == "Error while writing header to 'out'\nDone\n"
                : r.messages.find(" occured!\n") != std::string::npos,
            "a short output is reported");
    }
  } else if (fault == 2) {
    Run r = convert(dump, chunk, kNever, at, false);
    bool failed = at < dump.size();
    Bytes read =
        failed ? Bytes(dump.begin(), dump.begin() + static_cast<std::ptrdiff_t>(at)) : dump;
    check(r.output == expected_output(read), "what was read before an error is converted");
    check(r.status == (failed ? trovik::kExitFailure : trovik::kExitSuccess),
          "a read error, and only that, fails the run");
    check(failed == (r.messages.find("Error while reading 'in'\n") != std::string::npos),
          "a read error is reported");
  } else if (fault == 3) {
    Run r = convert(dump, chunk, kNever, kNever, true);
    check(r.output == whole.output, "a failing close changes nothing written");
    check(r.status == trovik::kExitFailure, "a failing close fails the run");
    check(ends_with(r.messages, "Error while writing 'out'\nDone\n"),
          "a failing close is reported");
  }
  return 0;
}
