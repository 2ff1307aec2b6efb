// The parts of the file streams that are the same on every platform.
#include "file_stream.hpp"

#include <cstring>

#include "native_file.hpp"

namespace trovik {

FileInputStream::~FileInputStream() { close(); }

bool FileInputStream::close() {
  if (file_ == kNoFile) return true;
  bool ok = close_file(file_);
  file_ = kNoFile;
  return ok;
}

FileOutputStream::~FileOutputStream() { close(); }

void FileOutputStream::lend_buffer() {
  if (!buffer_) buffer_.reset(new std::uint8_t[kStreamBufferSize]);
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

// A failed flush loses the buffered bytes for good: the stream stays failed,
// with no room lent, so every later write and the close report it instead of
// writing past a gap.
bool FileOutputStream::flush() {
  auto used = static_cast<std::size_t>(cursor_ - buffer_.get());
  std::size_t done = 0;
  while (done < used) {
    std::size_t put = write_some(file_, buffer_.get() + done, used - done);
    if (put == 0) {
      failed_ = true;
      limit_ = cursor_;
      return false;
    }
    done += put;
  }
  lend_buffer();
  return true;
}

bool FileOutputStream::close() {
  if (file_ == kNoFile) return !failed_;
  // An open that stopped before lending the buffer has nothing to pass on.
  bool ok = !failed_ && (!buffer_ || flush());
  if (!close_file(file_)) ok = false;
  file_ = kNoFile;
  failed_ = !ok;
  limit_ = cursor_;  // nothing more is taken after the close
  return ok;
}

}  // namespace trovik
