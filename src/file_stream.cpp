#include "file_stream.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace trovik {

// Files over 2 GiB are ordinary captures; a 32-bit off_t would make open and
// read refuse them on hosts built without large-file support.
static_assert(sizeof(off_t) >= 8, "build with _FILE_OFFSET_BITS=64");

FileInputStream::~FileInputStream() { close(); }

bool FileInputStream::open(const char* path) {
  fd_ = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    close();
    return false;
  }
  id_ = FileId{st.st_dev, st.st_ino};
  buffer_.reset(new std::uint8_t[kStreamBufferSize]);
  cursor_ = limit_ = buffer_.get();
  return true;
}

bool FileInputStream::refill() {
  for (;;) {
    ssize_t got = ::read(fd_, buffer_.get(), kStreamBufferSize);
    if (got > 0) {
      cursor_ = buffer_.get();
      limit_ = cursor_ + got;
      return true;
    }
    if (got == 0) {
      at_end_ = true;
      return false;
    }
    if (errno != EINTR) {
      error_ = true;
      return false;
    }
  }
}

bool FileInputStream::close() {
  if (fd_ < 0) return true;
  int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0;
}

FileOutputStream::~FileOutputStream() { close(); }

OutputOpenResult FileOutputStream::open(const char* path, const FileId& input) {
  // Not O_TRUNC: the file is emptied only once it is known not to be the input.
  fd_ = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return OutputOpenResult::failed;
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    close();
    return OutputOpenResult::failed;
  }
  if (st.st_dev == input.device && st.st_ino == input.inode) {
    ::close(fd_);
    fd_ = -1;
    return OutputOpenResult::is_input;
  }
  // Devices and pipes have nothing to empty, and refuse ftruncate.
  if (S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0) {
    close();
    return OutputOpenResult::failed;
  }
  buffer_.reset(new std::uint8_t[kStreamBufferSize]);
  return OutputOpenResult::opened;
}

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

// A failed flush loses the buffered bytes for good: the stream stays failed,
// so every later write and the close report it instead of writing past a gap.
bool FileOutputStream::flush() {
  std::size_t done = 0;
  while (done < used_) {
    ssize_t put = ::write(fd_, buffer_.get() + done, used_ - done);
    if (put <= 0) {
      if (put < 0 && errno == EINTR) continue;
      failed_ = true;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  used_ = 0;
  return true;
}

bool FileOutputStream::close() {
  if (fd_ < 0) return !failed_;
  bool ok = !failed_ && flush();
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  failed_ = !ok;
  return ok;
}

}  // namespace trovik
