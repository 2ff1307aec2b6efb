// Where the run's messages go. Texts are UTF-8 with '\n' line ends; each
// backing turns them into what its destination needs, so the run formats
// every message the same way on every platform.
#pragma once

#include <cstddef>
#include <string>

namespace trovik {

class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Formats like printf and hands the whole text to write(). A line of a
  // few numbers is formatted on the stack; only a text longer than that,
  // such as a message with a long path, allocates.
  void print(const char* format, ...)  // NOLINT(cert-dcl50-cpp): checked as printf is
      __attribute__((format(printf, 2, 3)));

  // Hands n bytes of UTF-8 text on. Whether they arrive is not reported:
  // the messages are not the data, and a run's status does not depend on them.
  virtual void write(const char* text, std::size_t n) = 0;
};

// Keeps every message in memory, for tests.
class MessageText final : public MessageSink {
 public:
  void write(const char* text, std::size_t n) override { text_.append(text, n); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace trovik
