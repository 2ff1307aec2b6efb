// The edges of the process that differ by platform: the arguments it was
// given and its standard output. One backing per platform implements this
// header (console_posix.cpp, console_windows.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "messages.hpp"

namespace trovik {

// The command line's arguments in UTF-8, the program's name first. On POSIX
// they are argv's bytes unchanged. On Windows they come from the UTF-16
// command line, since the narrow argv there has already lost every
// character outside the ANSI code page.
std::vector<std::string> command_line_arguments(int argc, char** argv);

// Standard output. A file or a pipe receives the UTF-8 bytes, with CRLF line
// ends on Windows as its text-mode standard output writes them; a Windows
// console receives the characters themselves, whatever its code page.
class StandardOutput final : public MessageSink {
 public:
  void write(const char* text, std::size_t n) override;
};

}  // namespace trovik
