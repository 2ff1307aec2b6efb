// The parts of the file streams that are the same on every platform.
#include "file_stream.hpp"

#include <cstring>

namespace trovik {

FileInputStream::~FileInputStream() { close(); }

FileOutputStream::~FileOutputStream() { close(); }

std::size_t FileOutputStream::write(const std::uint8_t* src, std::size_t n) {
  std::size_t accepted = 0;
  while (accepted < n) {
    if (failed_) return accepted;
    if (used_ == kStreamBufferSize && !flush()) return accepted;
    std::size_t take = kStreamBufferSize - used_;
    if (take > n - accepted) take = n - accepted;
    std::memcpy(buffer_.get() + used_, src + accepted, take);
    used_ += take;
    accepted += take;
  }
  return accepted;
}

}  // namespace trovik
