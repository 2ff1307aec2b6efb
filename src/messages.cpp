#include "messages.hpp"

#include <cstdarg>
#include <cstdio>

namespace trovik {

// A C variadic, so that the compiler checks every call's arguments against
// its format, as it does for printf.
void MessageSink::print(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  // Long enough for every message but those that carry a path.
  char line[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length >= 0) {
    auto n = static_cast<std::size_t>(length);
    if (n < sizeof line) {
      write(line, n);
    } else {
      std::string text(n + 1, '\0');
      std::vsnprintf(text.data(), text.size(), format, again);
      write(text.data(), n);
    }
  }
  va_end(again);
}

}  // namespace trovik
