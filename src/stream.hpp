// The byte streams the reader and the writer work on. Both are small interfaces
// of the tool's own, so that tests can hand in streams that fail at a chosen
// byte and the file backing can change without touching the conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace trovik {

// A buffered source of bytes. A backing supplies the bytes in chunks through
// refill(); read() serves from the current chunk, so the common small read
// costs a bounds check and a copy, not a call into the backing.
class InputStream {
 public:
  virtual ~InputStream() = default;

  // Copies up to n bytes into dst and returns how many arrived. Fewer than n
  // means the input ended or failed during this read; at_end() or error()
  // then says which. A read that gets exactly the bytes that were left does
  // not set at_end().
  std::size_t read(std::uint8_t* dst, std::size_t n) {
    if (static_cast<std::size_t>(limit_ - cursor_) >= n) {
      std::memcpy(dst, cursor_, n);
      cursor_ += n;
      return n;
    }
    return read_across_chunks(dst, n);
  }

  // The bytes the stream holds and has not yet delivered, to look at in
  // place: held() of them from held_bytes() on. Reading them this way is for
  // a reader that scans many bytes at once; consume() then delivers them.
  const std::uint8_t* held_bytes() const { return cursor_; }
  std::size_t held() const { return static_cast<std::size_t>(limit_ - cursor_); }
  void consume(std::size_t n) { cursor_ += n; }

  // Makes the stream hold at least one byte, asking the backing for the next
  // chunk if it holds none. False when no byte came: the input has ended or
  // failed, and at_end() or error() is set as by a read that came up short.
  bool fill() { return cursor_ != limit_ || refill(); }

  // Set once a read has met the end of the input before it had all the bytes
  // it asked for.
  bool at_end() const { return at_end_; }

  // Set once the backing has failed to deliver bytes (an I/O error, or a path
  // that names something that cannot be read, such as a directory). Stays set.
  bool error() const { return error_; }

  // Releases the backing. Returns false if that failed; readers of a file
  // have nothing to lose there, so the run does not look.
  virtual bool close() = 0;

 protected:
  // Makes [cursor_, limit_) the next non-empty chunk of the input and returns
  // true, or returns false with at_end_ or error_ set when no byte came.
  virtual bool refill() = 0;

  const std::uint8_t* cursor_ = nullptr;
  const std::uint8_t* limit_ = nullptr;
  bool at_end_ = false;
  bool error_ = false;

 private:
  std::size_t read_across_chunks(std::uint8_t* dst, std::size_t n);
};

// A sink of bytes. A backing may lend a buffer's free room through cursor_
// and limit_; write() fills it directly, so the common small write costs a
// bounds check and a copy, not a call into the backing.
class OutputStream {
 public:
  virtual ~OutputStream() = default;

  // Hands n bytes to the stream and returns how many it accepted; bytes held
  // in a buffer count as accepted. Fewer than n is a write failure, and the
  // content written from that point on is undefined.
  std::size_t write(const std::uint8_t* src, std::size_t n) {
    if (static_cast<std::size_t>(limit_ - cursor_) >= n) {
      std::memcpy(cursor_, src, n);
      cursor_ += n;
      return n;
    }
    return write_beyond_room(src, n);
  }

  // Passes on whatever is still buffered and releases the backing. Returns
  // false if any of that failed: the output is then incomplete even though
  // every write was accepted.
  virtual bool close() = 0;

 protected:
  // Takes the n bytes of a write that does not fit [cursor_, limit_), as
  // write() promises. A backing that has failed leaves no room, so that
  // every later write comes here.
  virtual std::size_t write_beyond_room(const std::uint8_t* src, std::size_t n) = 0;

  std::uint8_t* cursor_ = nullptr;
  std::uint8_t* limit_ = nullptr;
};

}  // namespace trovik
