#include "memory_stream.hpp"

#include <algorithm>
#include <utility>

namespace trovik {

MemoryInputStream::MemoryInputStream(std::vector<std::uint8_t> bytes, std::size_t chunk_size,
                                     std::size_t fail_at)
    : bytes_(std::move(bytes)), chunk_size_(chunk_size), fail_at_(fail_at) {
  cursor_ = limit_ = bytes_.data();
}

bool MemoryInputStream::refill() {
  std::size_t end = std::min(bytes_.size(), fail_at_);
  if (served_ >= end) {
    if (served_ < bytes_.size()) {
      error_ = true;
    } else {
      at_end_ = true;
    }
    return false;
  }
  std::size_t take = std::min(chunk_size_, end - served_);
  cursor_ = bytes_.data() + served_;
  limit_ = cursor_ + take;
  served_ += take;
  return true;
}

std::size_t MemoryOutputStream::write_beyond_room(const std::uint8_t* src, std::size_t n) {
  ++writes_;
  std::size_t room = capacity_ - std::min(capacity_, bytes_.size());
  std::size_t take = std::min(n, room);
  bytes_.insert(bytes_.end(), src, src + take);
  return take;
}

}  // namespace trovik
