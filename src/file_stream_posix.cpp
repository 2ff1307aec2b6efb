// File streams over POSIX descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file_stream.hpp"
#include "native_file.hpp"

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
    close();
    return OutputOpenResult::is_input;
  }
  // Devices and pipes have nothing to empty, and refuse ftruncate.
  if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
    close();
    return OutputOpenResult::failed;
  }
  lend_buffer();
  return OutputOpenResult::opened;
}

std::size_t write_some(NativeFile file, const std::uint8_t* src, std::size_t n) {
  for (;;) {
    ssize_t put = ::write(fd_of(file), src, n);
    if (put > 0) return static_cast<std::size_t>(put);
    if (put == 0 || errno != EINTR) return 0;
  }
}

bool close_file(NativeFile file) { return ::close(fd_of(file)) == 0; }

}  // namespace trovik
