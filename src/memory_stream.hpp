// Streams over memory, for tests and fuzzing: an input that arrives in chunks
// of a chosen size and can fail at a chosen offset, and an output that keeps
// what it accepted and can stop accepting at a chosen offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "stream.hpp"

namespace trovik {

constexpr std::size_t kNever = std::numeric_limits<std::size_t>::max();

class MemoryInputStream final : public InputStream {
 public:
  // Serves `bytes` in chunks of at most chunk_size bytes. With fail_at below
  // the size, bytes from that offset on are never delivered: the backing
  // reports an error there instead of the end.
  explicit MemoryInputStream(std::vector<std::uint8_t> bytes, std::size_t chunk_size = kNever,
                             std::size_t fail_at = kNever);
  bool close() override { return true; }

 protected:
  bool refill() override;

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t chunk_size_;
  std::size_t fail_at_;
  std::size_t served_ = 0;
};

class MemoryOutputStream final : public OutputStream {
 public:
  // Accepts the first `capacity` bytes handed to it and none after them,
  // like a file on a device that fills up.
  explicit MemoryOutputStream(std::size_t capacity = kNever, bool close_fails = false)
      : capacity_(capacity), close_fails_(close_fails) {}

  bool close() override {
    ++closes_;
    return !close_fails_;
  }

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  int closes() const { return closes_; }
  int writes() const { return writes_; }

 protected:
  // Lends no room, so every write arrives here and is counted.
  std::size_t write_beyond_room(const std::uint8_t* src, std::size_t n) override;

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t capacity_;
  bool close_fails_;
  int closes_ = 0;
  int writes_ = 0;
};

}  // namespace trovik
