#include "capture_dump.hpp"

#include <cstring>

namespace trovik {

namespace {

// The separator block as two 8-byte words in host order, so that a block is
// told apart from it by two word compares; only equality is asked, so the
// host's byte order does not matter.
struct SeparatorWords {
  std::uint64_t head;
  std::uint64_t tail;
};

SeparatorWords separator_words() noexcept {
  SeparatorWords words{};
  std::memcpy(&words.head, kSeparatorBlock, 8);
  std::memcpy(&words.tail, kSeparatorBlock + 8, 8);
  return words;
}

const SeparatorWords kSeparator = separator_words();

std::uint64_t word_at(const std::uint8_t* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, 8);
  return word;
}

bool is_separator(const std::uint8_t* block) {
  return word_at(block) == kSeparator.head && word_at(block + 8) == kSeparator.tail;
}

// Blocks passed over at once: enough compares to pay for the loop's bound
// check, few enough that going through the group that holds a packet's
// separator block by block stays short.
constexpr std::size_t kGroupBlocks = 8;

// Whether any of the kGroupBlocks blocks from `group` on may be the separator
// block, judged by their first words alone.
bool group_may_hold_separator(const std::uint8_t* group) {
  for (std::size_t i = 0; i < kGroupBlocks; ++i) {
    if (word_at(group + i * kBlockSize) == kSeparator.head) return true;
  }
  return false;
}

// The length of the whole blocks of [bytes, bytes + n) up to and including
// the first separator block, or 0 if none of them is one. n is a multiple of
// the block size.
std::size_t through_separator(const std::uint8_t* bytes, std::size_t n) {
  constexpr std::size_t kGroup = kGroupBlocks * kBlockSize;
  // Groups start below this offset, so that a whole group lies in the bytes.
  const std::size_t group_limit = n >= kGroup ? n - kGroup + 1 : 0;
  std::size_t offset = 0;
  for (;;) {
    // Nearly every block is data that differs from the separator in its
    // first word already: groups of blocks are passed over at a compare a
    // block, and only a group that may hold the separator is looked at block
    // by block.
    while (offset < group_limit && !group_may_hold_separator(bytes + offset)) offset += kGroup;
    std::size_t group_end = offset < group_limit ? offset + kGroup : n;
    for (; offset < group_end; offset += kBlockSize) {
      if (is_separator(bytes + offset)) return offset + kBlockSize;
    }
    if (offset == n) return 0;
  }
}

}  // namespace

void skip_dump_header(InputStream& in, PacketBuffer& buffer) {
  static_assert(kDumpHeaderSize <= kPacketBufferSize, "the dump header is read into the buffer");
  in.read(buffer.data(), kDumpHeaderSize);
}

// The packet's blocks are found where the stream holds them and moved into
// the buffer a run at a time, so each block costs a compare, not a call. Only
// a block that straddles two chunks of the stream is read on its own.
GatherResult gather_packet(InputStream& in, PacketBuffer& buffer) {
  std::size_t stored = 0;
  bool too_long = false;
  // Moves n bytes of the packet into the buffer as far as it has room; what
  // lies past its end is dropped.
  auto store = [&](const std::uint8_t* bytes, std::size_t n) {
    std::size_t room = kPacketBufferSize - stored;
    if (n > room) too_long = true;
    std::size_t take = n < room ? n : room;
    std::memcpy(buffer.data() + stored, bytes, take);
    stored += take;
  };
  for (;;) {
    if (!in.fill()) return GatherResult::end_of_input;
    std::size_t whole = in.held() / kBlockSize * kBlockSize;
    bool complete = false;
    if (whole == 0) {
      std::uint8_t block[kBlockSize];
      if (in.read(block, kBlockSize) != kBlockSize) return GatherResult::end_of_input;
      store(block, kBlockSize);
      complete = is_separator(block);
    } else {
      std::size_t through = through_separator(in.held_bytes(), whole);
      complete = through != 0;
      std::size_t n = complete ? through : whole;
      store(in.held_bytes(), n);
      in.consume(n);
    }
    if (complete) return too_long ? GatherResult::packet_too_long : GatherResult::packet_complete;
  }
}

}  // namespace trovik
