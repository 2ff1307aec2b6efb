#include <cstdio>

#include "console.hpp"

namespace trovik {

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void StandardOutput::write(const char* text, std::size_t n) { std::fwrite(text, 1, n, stdout); }

}  // namespace trovik
