#include "conversion.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dump_builder.hpp"
#include "ethereal_dump.hpp"
#include "memory_stream.hpp"

namespace trovik {
namespace {

using dump_builder::block;
using dump_builder::Bytes;
using dump_builder::concat;
using dump_builder::dump;
using dump_builder::dump_header;
using dump_builder::garbage_line;
using dump_builder::kPppoeDiscovery;
using dump_builder::kPppoeSession;
using dump_builder::packet;
using dump_builder::pcap_file_header;
using dump_builder::pcap_record;
using dump_builder::pppoe_frame;
using dump_builder::separator;
using dump_builder::slice;
using dump_builder::summary_line;

struct Outcome {
  int status = 0;
  std::string messages;
  Bytes output;
  bool input_touched = false;
  int output_closes = 0;
};

struct Streams {
  std::size_t output_capacity = kNever;
  bool close_fails = false;
  std::size_t input_fails_at = kNever;
};

Outcome convert_streams(InputStream& in, MemoryOutputStream& out) {
  MessageText messages;
  Outcome r;
  r.status = convert(in, out, "in.avm", "out.pcap", messages);
  r.messages = messages.text();
  r.output = out.bytes();
  r.input_touched = in.at_end() || in.error();
  r.output_closes = out.closes();
  return r;
}

Outcome convert_dump(const Bytes& file, Streams s = {}) {
  MemoryInputStream in(file, 100, s.input_fails_at);
  MemoryOutputStream out(s.output_capacity, s.close_fails);
  return convert_streams(in, out);
}

Bytes invalidation() { return pcap_record({}); }

Bytes session_frame(std::size_t payload_size, std::uint8_t fill = 0x42) {
  return pppoe_frame(kPppoeSession, 0, 0x1234, Bytes(payload_size, fill));
}

Bytes garbage_frame() { return Bytes(40, 0x07); }

TEST(FrameCheck, PassesOnEitherPppoeByteAlone) {
  struct Case {
    std::uint8_t byte12, byte13, byte14;
    bool valid;
  };
  const Case cases[] = {
      {0x88, 0x63, 0x11, true},  {0x88, 0x64, 0x00, true},  {0x88, 0x00, 0xff, true},
      {0x08, 0x00, 0x11, true},  {0x00, 0x00, 0x11, true},  {0x08, 0x00, 0x45, false},
      {0x89, 0x64, 0x12, false}, {0x00, 0x00, 0x00, false}, {0x87, 0x88, 0x10, false},
  };
  for (const Case& c : cases) {
    PacketBuffer buffer{};
    buffer[12] = c.byte12;
    buffer[13] = c.byte13;
    buffer[14] = c.byte14;
    EXPECT_EQ(passes_frame_check(buffer), c.valid)
        << int{c.byte12} << " " << int{c.byte13} << " " << int{c.byte14};
  }
}

TEST(RecordLength, IsTheBigEndianPppoeLengthPlusTwenty) {
  struct Case {
    std::uint8_t high, low;
    std::uint32_t length;
  };
  const Case cases[] = {{0x00, 0x00, 20},    {0x00, 0x28, 60},    {0x01, 0x00, 276},
                        {0x7f, 0xec, 32768}, {0x6c, 0x00, 27668}, {0xff, 0xff, 65555}};
  for (const Case& c : cases) {
    PacketBuffer buffer{};
    buffer[18] = c.high;
    buffer[19] = c.low;
    EXPECT_EQ(record_length(buffer), c.length) << int{c.high} << " " << int{c.low};
  }
}

TEST(Convert, ADumpWithoutPacketsGivesTheFileHeaderAlone) {
  const Bytes header = dump_header();
  const Bytes inputs[] = {{},
                          slice(header, 0, 127),
                          header,
                          concat({header, Bytes(15, 1)}),
                          concat({header, block(1), block(2)})};
  for (const Bytes& input : inputs) {
    Outcome r = convert_dump(input);
    EXPECT_EQ(r.status, kExitSuccess) << input.size();
    EXPECT_EQ(r.messages, summary_line(0, 0) + "Done\n") << input.size();
    EXPECT_EQ(r.output, pcap_file_header()) << input.size();
  }
}

TEST(Convert, GivesEveryPacketOneRecordInItsPlace) {
  const Bytes first = session_frame(40);
  const Bytes third = pppoe_frame(kPppoeDiscovery, 0x09, 0, Bytes(12, 0x01));
  const Bytes fifth = session_frame(1480, 0x55);
  Outcome r = convert_dump(
      dump({packet(first), packet(garbage_frame()), packet(third), separator(), packet(fifth)},
           concat({block(3), Bytes(5, 5)})));
  EXPECT_EQ(r.status, kExitSuccess);
  EXPECT_EQ(r.messages, garbage_line(2) + garbage_line(4) + summary_line(5, 2) + "Done\n");
  EXPECT_EQ(r.output, concat({pcap_file_header(), pcap_record(first), invalidation(),
                              pcap_record(third), invalidation(), pcap_record(fifth)}));
}

TEST(Convert, ARecordLongerThanItsPacketCarriesWhatTheBufferHolds) {
  const Bytes header = dump_header();
  // One data block whose byte 12 passes the check: the length field is the
  // separator's "l\0", 27,648, so the record runs far past the packet.
  Bytes data_block = block(0x88);
  Outcome r = convert_dump(dump({concat({data_block, separator()})}));
  Bytes data = concat({data_block, separator(), slice(header, 32, 96)});
  data.resize(27668, 0);
  EXPECT_EQ(r.messages, summary_line(1, 0) + "Done\n");
  EXPECT_EQ(r.output, concat({pcap_file_header(), pcap_record(data)}));

  // A short second packet's record reaches into the longer first packet.
  const Bytes long_frame = session_frame(100, 0x61);
  const Bytes short_frame = pppoe_frame(kPppoeSession, 0, 1, Bytes(2, 0x62), 60);
  r = convert_dump(dump({packet(long_frame), packet(short_frame)}));
  Bytes second = concat({packet(short_frame), slice(packet(long_frame), 48, 32)});
  EXPECT_EQ(r.output, concat({pcap_file_header(), pcap_record(long_frame), pcap_record(second)}));
}

TEST(Convert, InvalidatesWhatCannotBeConvertedWhole) {
  Bytes at_limit = pppoe_frame(kPppoeSession, 0, 1, Bytes(32748, 0x33));
  Bytes past_limit = pppoe_frame(kPppoeSession, 0, 1, Bytes(32749, 0x34));
  at_limit.resize(32768 - 16);  // leaves room for the separator: 2,048 blocks
  past_limit.resize(32768 - 16);
  Bytes too_long = pppoe_frame(kPppoeSession, 0, 1, Bytes(32768, 0x35));
  Bytes after = session_frame(10);
  Outcome r =
      convert_dump(dump({packet(at_limit), packet(past_limit), packet(too_long), packet(after)}));
  EXPECT_EQ(r.status, kExitSuccess);
  EXPECT_EQ(r.messages, garbage_line(2) + garbage_line(3) + summary_line(4, 2) + "Done\n");
  EXPECT_EQ(r.output, concat({pcap_file_header(), pcap_record(concat({at_limit, separator()})),
                              invalidation(), invalidation(), pcap_record(after)}));
}

struct Ending {
  const char* name;
  Streams streams;
  std::string messages;
};

TEST(Convert, EveryFailureEndsWithItsMessagesAndStatusOne) {
  const Bytes valid = session_frame(30);  // a record of 16 + 50 bytes
  const Bytes input = dump({packet(valid), packet(valid), packet(garbage_frame()), packet(valid)});
  const std::size_t r1 = 24 + 66;
  const std::size_t r2 = r1 + 66;
  const std::size_t in_third = 128 + 2 * 80 + 16;
  const Ending endings[] = {
      {"file header short", {23}, "Error while writing header to 'out.pcap'\nDone\n"},
      {"second record header short",
       {r1 + 15},
       "Error 2 occured!\n" + summary_line(2, 0) + "Done\n"},
      {"second record's data short",
       {r1 + 16},
       "Error 3 occured!\n" + summary_line(2, 0) + "Done\n"},
      {"invalidation record short",
       {r2 + 8},
       garbage_line(3) + "Error 2 occured!\n" + summary_line(3, 1) + "Done\n"},
      {"close fails",
       {kNever, true},
       garbage_line(3) + summary_line(4, 1) + "Error while writing 'out.pcap'\nDone\n"},
      {"close fails after a short write",
       {r1 + 16, true},
       "Error 3 occured!\n" + summary_line(2, 0) + "Done\n"},
      {"read error in the third packet",
       {kNever, false, in_third},
       "Error while reading 'in.avm'\n" + summary_line(2, 0) + "Done\n"},
      {"read error in the dump header",
       {kNever, false, 100},
       "Error while reading 'in.avm'\n" + summary_line(0, 0) + "Done\n"},
  };
  const Bytes whole = convert_dump(input).output;
  for (const Ending& e : endings) {
    Outcome r = convert_dump(input, e.streams);
    EXPECT_EQ(r.status, kExitFailure) << e.name;
    EXPECT_EQ(r.messages, e.messages) << e.name;
    EXPECT_EQ(r.output_closes, 1) << e.name;
    ASSERT_LE(r.output.size(), whole.size()) << e.name;
    EXPECT_EQ(r.output, slice(whole, 0, r.output.size())) << e.name;
  }
}

// Serves `zeros` zero bytes in large chunks, then `tail`: inputs far larger
// than memory, with no file behind them.
class ZerosThenTail final : public InputStream {
 public:
  ZerosThenTail(std::uint64_t zeros, Bytes tail) : left_(zeros), tail_(std::move(tail)) {}
  bool close() override { return true; }

 protected:
  bool refill() override {
    if (left_ > 0) {
      std::size_t n = left_ < sizeof zeros_ ? static_cast<std::size_t>(left_) : sizeof zeros_;
      left_ -= n;
      cursor_ = zeros_;
      limit_ = zeros_ + n;
      return true;
    }
    if (!tail_served_ && !tail_.empty()) {
      tail_served_ = true;
      cursor_ = tail_.data();
      limit_ = cursor_ + tail_.size();
      return true;
    }
    at_end_ = true;
    return false;
  }

 private:
  std::uint64_t left_;
  Bytes tail_;
  bool tail_served_ = false;
  std::uint8_t zeros_[1 << 16] = {};
};

// Nothing in the tool counts input bytes or file offsets, so a dump beyond
// 4 GiB, here one packet of 4 GiB and more, must convert like any other.
TEST(Convert, HandlesInputsBeyondFourGibibytes) {
  const std::uint64_t zeros = 128 + (std::uint64_t{1} << 32) + 48;
  const Bytes after = session_frame(12);
  ZerosThenTail in(zeros, concat({separator(), packet(after)}));
  MemoryOutputStream out;
  Outcome r = convert_streams(in, out);
  EXPECT_EQ(r.status, kExitSuccess);
  EXPECT_EQ(r.messages, garbage_line(1) + summary_line(2, 1) + "Done\n");
  EXPECT_EQ(r.output, concat({pcap_file_header(), invalidation(), pcap_record(after)}));
}

TEST(Convert, ReadsNothingWhenTheFileHeaderFallsShort) {
  EXPECT_TRUE(convert_dump({}).input_touched);
  Outcome r = convert_dump({}, {10});
  EXPECT_FALSE(r.input_touched);
  EXPECT_EQ(r.output, Bytes(kFileHeader, kFileHeader + 10));
}

}  // namespace
}  // namespace trovik
