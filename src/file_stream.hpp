// File-backed streams over POSIX descriptors, each with one buffer of its own
// allocated at open, so a run makes a fixed number of allocations however
// large its files are.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "stream.hpp"

namespace trovik {

// Each buffer is large enough that a system call moves a lot of bytes, and
// small enough that both together stay well inside a few MiB of memory.
constexpr std::size_t kStreamBufferSize = std::size_t{256} * 1024;

// Which file an open descriptor refers to, whatever path led there.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
};

class FileInputStream final : public InputStream {
 public:
  FileInputStream() = default;
  FileInputStream(const FileInputStream&) = delete;
  FileInputStream& operator=(const FileInputStream&) = delete;
  ~FileInputStream() override;

  // Opens path for reading. False if it cannot be opened; nothing is read yet.
  bool open(const char* path);
  FileId id() const { return id_; }
  bool close() override;

 protected:
  bool refill() override;

 private:
  int fd_ = -1;
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

  // Opens path for writing, creating it or emptying it. If it turns out to be
  // the file `input` refers to, it is left exactly as it was and the result
  // is is_input: emptying it would destroy the data about to be converted.
  OutputOpenResult open(const char* path, const FileId& input);
  std::size_t write(const std::uint8_t* src, std::size_t n) override;
  bool close() override;

 private:
  bool flush();

  int fd_ = -1;
  bool failed_ = false;
  std::size_t used_ = 0;
  std::unique_ptr<std::uint8_t[]> buffer_;
};

}  // namespace trovik
