// The parts of the file streams that are the same on every platform.
#include "file_stream.hpp"

#include <cstring>

namespace trovik {

FileInputStream::~FileInputStream() { close(); }

FileOutputStream::~FileOutputStream() { close(); }

void FileOutputStream::lend_buffer() {
  cursor_ = buffer_.get();
  limit_ = cursor_ + kStreamBufferSize;
}

std::size_t FileOutputStream::write_beyond_room(const std::uint8_t* src, std::size_t n) {
  std::size_t accepted = 0;
  while (accepted < n) {
    if (failed_) return accepted;
    if (cursor_ == limit_ && !flush()) return accepted;
    auto take = static_cast<std::size_t>(limit_ - cursor_);
    if (take > n - accepted) take = n - accepted;
    std::memcpy(cursor_, src + accepted, take);
    cursor_ += take;
    accepted += take;
  }
  return accepted;
}

}  // namespace trovik
