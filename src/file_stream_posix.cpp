// File streams over POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_stream.hpp"

namespace trovik {

// Files over 2 GiB are ordinary captures; a 32-bit off_t would make open and
// read refuse them on hosts built without large-file support.
static_assert(sizeof(off_t) >= 8, "build with _FILE_OFFSET_BITS=64");

namespace {

int fd_of(NativeFile file) { return static_cast<int>(file); }

FileId id_of(const struct stat& st) {
  FileId id;
  id.known = true;
  id.volume = static_cast<std::uint64_t>(st.st_dev);
  id.file_low = static_cast<std::uint64_t>(st.st_ino);
  return id;
}

}  // namespace

bool FileInputStream::open(const char* path) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  file_ = fd;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    close();
    return false;
  }
  id_ = id_of(st);
  buffer_.reset(new std::uint8_t[kStreamBufferSize]);
  cursor_ = limit_ = buffer_.get();
  return true;
}

bool FileInputStream::refill() {
  for (;;) {
    ssize_t got = ::read(fd_of(file_), buffer_.get(), kStreamBufferSize);
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
  if (file_ == kNoFile) return true;
  int rc = ::close(fd_of(file_));
  file_ = kNoFile;
  return rc == 0;
}

OutputOpenResult FileOutputStream::open(const char* path, const FileId& input) {
  // Not O_TRUNC: the file is emptied only once it is known not to be the input.
  int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return OutputOpenResult::failed;
  file_ = fd;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    close();
    return OutputOpenResult::failed;
  }
  if (same_file(id_of(st), input)) {
    ::close(fd);
    file_ = kNoFile;
    return OutputOpenResult::is_input;
  }
  // Devices and pipes have nothing to empty, and refuse ftruncate.
  if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    close();
    return OutputOpenResult::failed;
  }
  buffer_.reset(new std::uint8_t[kStreamBufferSize]);
  lend_buffer();
  return OutputOpenResult::opened;
}

// A failed flush loses the buffered bytes for good: the stream stays failed,
// with no room lent, so every later write and the close report it instead of
// writing past a gap.
bool FileOutputStream::flush() {
  auto used = static_cast<std::size_t>(cursor_ - buffer_.get());
  std::size_t done = 0;
  while (done < used) {
    ssize_t put = ::write(fd_of(file_), buffer_.get() + done, used - done);
    if (put <= 0) {
      if (put < 0 && errno == EINTR) continue;
      failed_ = true;
      limit_ = cursor_;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  lend_buffer();
  return true;
}

bool FileOutputStream::close() {
  if (file_ == kNoFile) return !failed_;
  bool ok = !failed_ && flush();
  if (::close(fd_of(file_)) != 0) ok = false;
  file_ = kNoFile;
  failed_ = !ok;
  limit_ = cursor_;  // nothing more is taken after the close
  return ok;
}

}  // namespace trovik
