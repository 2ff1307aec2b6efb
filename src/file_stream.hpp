// Streams over named files, each with one buffer of its own allocated at
// open, so a run makes a fixed number of allocations however large its files
// are. Paths are UTF-8 on every platform; a backing converts them to what its
// system calls take. One backing per platform implements this header
// (file_stream_posix.cpp, file_stream_windows.cpp).
//
// Both backings move bytes unchanged, with no text translation, and request
// no lock or sharing restriction, so other programs may read, write, rename
// or delete either file while the run holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "stream.hpp"

namespace trovik {

// Each buffer is large enough that a system call moves a lot of bytes, and
// small enough that both together stay well inside a few MiB of memory.
constexpr std::size_t kStreamBufferSize = std::size_t{256} * 1024;

// Which file an open handle refers to, whatever path led there: the volume
// (device) it lies on and its number there (inode, or file ID). Known only
// for files that have such an identity; devices and pipes may have none.
struct FileId {
  bool known = false;
  std::uint64_t volume = 0;
  // 128 bits, since a Windows file ID on ReFS is that wide.
  std::uint64_t file_high = 0;
  std::uint64_t file_low = 0;
};

// True when both are known and name the same file.
inline bool same_file(const FileId& a, const FileId& b) {
  return a.known && b.known && a.volume == b.volume && a.file_high == b.file_high &&
         a.file_low == b.file_low;
}

// A platform's open file: a descriptor or a HANDLE, both of which fit an
// intptr_t and are invalid as -1.
using NativeFile = std::intptr_t;
constexpr NativeFile kNoFile = -1;

class FileInputStream final : public InputStream {
 public:
  FileInputStream() = default;
  FileInputStream(const FileInputStream&) = delete;
  FileInputStream& operator=(const FileInputStream&) = delete;
  ~FileInputStream() override;

  // Opens path for reading. False if it cannot be opened as a file to read;
  // nothing is read yet.
  bool open(const char* path);
  FileId id() const { return id_; }
  bool close() override;

 protected:
  bool refill() override;

 private:
  NativeFile file_ = kNoFile;
  FileId id_;
  std::unique_ptr<std::uint8_t[]> buffer_;
};

enum class OutputOpenResult { opened, failed, is_input };

class FileOutputStream final : public OutputStream {
 public:
  FileOutputStream() = default;
  FileOutputStream(const FileOutputStream&) = delete;
  FileOutputStream& operator=(const FileOutputStream&) = delete;
  ~FileOutputStream() override;

  // Opens path for writing, creating it or emptying it; a device is written
  // as it is. If it turns out to be the file `input` refers to, it is left
  // exactly as it was and the result is is_input: emptying it would destroy
  // the data about to be converted.
  OutputOpenResult open(const char* path, const FileId& input);
  bool close() override;

 protected:
  std::size_t write_beyond_room(const std::uint8_t* src, std::size_t n) override;

 private:
  // Lends the whole buffer to write(), allocating it at the first call: at
  // open, then after each flush.
  void lend_buffer();
  // Passes the buffered bytes [buffer_, cursor_) to the file.
  bool flush();

  NativeFile file_ = kNoFile;
  bool failed_ = false;
  std::unique_ptr<std::uint8_t[]> buffer_;
};

}  // namespace trovik
