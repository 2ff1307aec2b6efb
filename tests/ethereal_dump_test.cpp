#include "ethereal_dump.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "memory_stream.hpp"

namespace trovik {
namespace {

using Bytes = std::vector<std::uint8_t>;

PacketBuffer numbered_buffer() {
  PacketBuffer buffer{};
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i * 31);
  return buffer;
}

TEST(WriteFileHeader, WritesTheSameTwentyFourBytesEveryTime) {
  MemoryOutputStream out;
  ASSERT_TRUE(write_file_header(out));
  EXPECT_EQ(out.bytes(),
            (Bytes{0xd4, 0xc3, 0xb2, 0xa1, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00,
                   0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_EQ(out.writes(), 1);
}

TEST(WriteRecord, WritesALittleEndianHeaderAndTheBuffersFirstBytes) {
  const PacketBuffer buffer = numbered_buffer();
  struct Case {
    std::uint32_t length;
    Bytes header;
  };
  const Case cases[] = {
      {60, {0, 0, 0, 0, 0, 0, 0, 0, 0x3c, 0, 0, 0, 0x3c, 0, 0, 0}},
      {20, {0, 0, 0, 0, 0, 0, 0, 0, 0x14, 0, 0, 0, 0x14, 0, 0, 0}},
      {1514, {0, 0, 0, 0, 0, 0, 0, 0, 0xea, 0x05, 0, 0, 0xea, 0x05, 0, 0}},
      {32768, {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80, 0, 0, 0x00, 0x80, 0, 0}},
  };
  for (const Case& c : cases) {
    MemoryOutputStream out;
    ASSERT_EQ(write_record(out, c.length, buffer), RecordWriteResult::written) << c.length;
    Bytes expected = c.header;
    expected.insert(expected.end(), buffer.begin(), buffer.begin() + c.length);
    EXPECT_EQ(out.bytes(), expected) << c.length;
    EXPECT_EQ(out.writes(), 2) << c.length;
  }
}

TEST(WriteInvalidationRecord, WritesSixteenZeroBytes) {
  MemoryOutputStream out;
  ASSERT_TRUE(write_invalidation_record(out));
  EXPECT_EQ(out.bytes(), Bytes(16, 0));
}

TEST(WriteRecord, ReportsWhichPartFellShort) {
  const PacketBuffer buffer = numbered_buffer();
  struct Case {
    std::size_t capacity;
    RecordWriteResult result;
    int writes;
  };
  const Case cases[] = {
      {0, RecordWriteResult::record_header_short, 1},
      {15, RecordWriteResult::record_header_short, 1},
      {16, RecordWriteResult::data_short, 2},
      {16 + 59, RecordWriteResult::data_short, 2},
      {16 + 60, RecordWriteResult::written, 2},
  };
  for (const Case& c : cases) {
    MemoryOutputStream out(c.capacity);
    EXPECT_EQ(write_record(out, 60, buffer), c.result) << c.capacity;
    EXPECT_EQ(out.writes(), c.writes) << c.capacity;
  }
}

TEST(WriteRecord, RefusesARecordThatWouldReachPastTheBuffer) {
  MemoryOutputStream out;
  EXPECT_EQ(write_record(out, kPacketBufferSize + 1, numbered_buffer()),
            RecordWriteResult::record_header_short);
  EXPECT_TRUE(out.bytes().empty());
}

TEST(ShortWrites, FileHeaderAndInvalidationRecordReportAnyShortfall) {
  for (std::size_t capacity : {0U, 1U, 15U, 23U}) {
    MemoryOutputStream header_out(capacity);
    EXPECT_FALSE(write_file_header(header_out)) << capacity;
    MemoryOutputStream record_out(capacity);
    EXPECT_EQ(write_invalidation_record(record_out), capacity >= 16) << capacity;
  }
}

}  // namespace
}  // namespace trovik
