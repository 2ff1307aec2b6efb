#include "capture_dump.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dump_builder.hpp"
#include "memory_stream.hpp"

namespace trovik {
namespace {

using dump_builder::block;
using dump_builder::Bytes;
using dump_builder::concat;
using dump_builder::dump;
using dump_builder::dump_header;
using dump_builder::separator;
using dump_builder::slice;

// Everything the reader reports for one dump: P for a packet, L for a packet
// too long, E for the end, and the buffer's first bytes of every packet.
struct Reading {
  std::string results;
  std::vector<Bytes> packets;
  bool at_end_before_first = false;
};

Reading read_all(const Bytes& file, std::size_t chunk = kNever, std::size_t packet_bytes = 32) {
  MemoryInputStream in(file, chunk);
  PacketBuffer buffer{};
  Reading r;
  skip_dump_header(in, buffer);
  r.at_end_before_first = input_at_end(in);
  if (r.at_end_before_first) return r;
  for (;;) {
    GatherResult g = gather_packet(in, buffer);
    if (g == GatherResult::end_of_input) {
      r.results += 'E';
      return r;
    }
    r.results += g == GatherResult::packet_complete ? 'P' : 'L';
    r.packets.emplace_back(buffer.begin(), buffer.begin() + packet_bytes);
    if (input_at_end(in)) return r;
  }
}

Bytes near_separator(std::size_t position) {
  Bytes b = separator();
  b[position] = 1;
  return b;
}

Bytes packet_of_blocks(std::size_t blocks) {
  Bytes p;
  for (std::size_t i = 0; i + 1 < blocks; ++i)
    dump_builder::append(p, block(static_cast<std::uint8_t>(1 + i % 200)));
  dump_builder::append(p, separator());
  return p;
}

struct PacketingCase {
  const char* name;
  Bytes file;
  std::string results;
};

TEST(GatherPacket, CutsBlocksIntoPacketsAtSeparatorBlocks) {
  const Bytes header = dump_header();
  const Bytes sep = separator();
  const PacketingCase cases[] = {
      {"header only", header, "E"},
      {"header and a fragment", concat({header, Bytes(15, 0x64)}), "E"},
      {"one separator", concat({header, separator()}), "PE"},
      {"two separators", concat({header, separator(), separator()}), "PPE"},
      {"data then separator", concat({header, block(1), block(2), separator()}), "PE"},
      {"whole blocks after the last separator", concat({header, separator(), block(1), block(2)}),
       "PE"},
      {"a fragment after the last separator", concat({header, separator(), Bytes(9, 0)}), "PE"},
      {"a separator cut short by the end", concat({header, slice(sep, 0, 15)}), "E"},
      {"a separator off the block boundary",
       concat({header, Bytes(8, 7), separator(), Bytes(8, 7)}), "E"},
      {"a separator off the boundary, then a real one",
       concat({header, Bytes(8, 7), separator(), Bytes(8, 7), separator()}), "PE"},
  };
  for (const PacketingCase& c : cases) {
    for (std::size_t chunk : {kNever, std::size_t{1}, std::size_t{7}, std::size_t{16}}) {
      EXPECT_EQ(read_all(c.file, chunk).results, c.results) << c.name << ", chunk " << chunk;
    }
  }
}

// Packets of every length up to a few groups of blocks, back to back, so that
// separators fall at every place within the reader's groups and chunks.
TEST(GatherPacket, FindsTheSeparatorWhereverItFalls) {
  std::vector<Bytes> packets;
  for (std::size_t blocks = 1; blocks <= 20; ++blocks) packets.push_back(packet_of_blocks(blocks));
  const Bytes file = dump(packets, concat({block(5), block(6), block(7), block(8), block(9)}));
  for (std::size_t chunk : {kNever, std::size_t{7}, std::size_t{16}, std::size_t{64},
                            std::size_t{100}, std::size_t{1000}}) {
    Reading r = read_all(file, chunk, 20 * kBlockSize);
    ASSERT_EQ(r.results, std::string(20, 'P') + "E") << "chunk " << chunk;
    for (std::size_t i = 0; i < packets.size(); ++i) {
      EXPECT_EQ(slice(r.packets[i], 0, packets[i].size()), packets[i])
          << "packet " << i + 1 << ", chunk " << chunk;
    }
  }
}

// Whatever its place among the blocks around it, including the places the
// reader looks at several blocks at once.
TEST(GatherPacket, ABlockDifferingFromTheSeparatorInAnyByteIsData) {
  for (std::size_t lead = 0; lead < 20; ++lead) {
    for (std::size_t position = 0; position < kBlockSize; ++position) {
      Bytes data(lead * kBlockSize, 0x42);
      dump_builder::append(data, near_separator(position));
      Bytes file = dump({concat({data, block(7), block(8), block(9), block(10), separator()}),
                         concat({near_separator(position), separator()})});
      Reading r = read_all(file, kNever, data.size());
      EXPECT_EQ(r.results, "PPE") << lead << " blocks before, byte " << position;
      EXPECT_EQ(r.packets[0], data) << lead << " blocks before, byte " << position;
    }
  }
}

TEST(SkipDumpHeader, AShortDumpHeaderSetsTheEndIndicator) {
  for (std::size_t size : {0U, 1U, 127U}) {
    EXPECT_TRUE(read_all(Bytes(size, 0)).at_end_before_first) << size;
  }
  EXPECT_FALSE(read_all(Bytes(128, 0)).at_end_before_first);
}

TEST(GatherPacket, TheBufferKeepsWhatEarlierReadsLeftBeyondThePacket) {
  const Bytes header = dump_header();
  const Bytes file =
      concat({header, block(1), block(2), block(3), block(4), separator(), block(9), separator()});
  Reading r = read_all(file, kNever, 128);
  ASSERT_EQ(r.results, "PPE");
  // Second packet: its own two blocks, then blocks 2 to 4 of the first, then
  // the dump header from byte 80 on.
  const Bytes expected =
      concat({block(9), separator(), block(3), block(4), separator(), slice(header, 80, 48)});
  EXPECT_EQ(r.packets[1], expected);
  // First packet: the dump header shows from byte 80 on, past its five blocks.
  EXPECT_EQ(slice(r.packets[0], 80, 48), slice(header, 80, 48));
}

TEST(GatherPacket, APacketOfTheBuffersSizeFitsExactly) {
  Reading r = read_all(dump({packet_of_blocks(kPacketBufferBlocks), separator()}), kNever,
                       kPacketBufferSize);
  ASSERT_EQ(r.results, "PPE");
  EXPECT_EQ(r.packets[0], packet_of_blocks(kPacketBufferBlocks));
}

TEST(GatherPacket, APacketLongerThanTheBufferIsDroppedUpToItsSeparator) {
  Bytes too_long = packet_of_blocks(kPacketBufferBlocks + 3);
  Reading r =
      read_all(dump({too_long, concat({block(0xee), separator()})}), kNever, kPacketBufferSize);
  ASSERT_EQ(r.results, "LPE");
  EXPECT_EQ(r.packets[0], slice(too_long, 0, kPacketBufferSize));
  // The next packet starts right after the dropped separator block.
  EXPECT_EQ(slice(r.packets[1], 0, 32), concat({block(0xee), separator()}));
}

TEST(GatherPacket, APacketTooLongThatNeverEndsIsUnfinished) {
  Bytes unfinished = packet_of_blocks(kPacketBufferBlocks + 3);
  unfinished.resize(unfinished.size() - kBlockSize);
  EXPECT_EQ(read_all(dump({separator(), unfinished})).results, "PE");
}

TEST(GatherPacket, AReadErrorEndsTheInputAndSetsTheErrorIndicator) {
  Bytes file = dump({separator(), concat({block(1), separator()})});
  MemoryInputStream in(file, 5, kDumpHeaderSize + kBlockSize + 3);
  PacketBuffer buffer{};
  skip_dump_header(in, buffer);
  EXPECT_EQ(gather_packet(in, buffer), GatherResult::packet_complete);
  EXPECT_EQ(gather_packet(in, buffer), GatherResult::end_of_input);
  EXPECT_TRUE(in.error());
  EXPECT_FALSE(in.at_end());
}

}  // namespace
}  // namespace trovik
