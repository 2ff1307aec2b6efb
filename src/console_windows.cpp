// Arguments and standard output on Windows.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "console.hpp"
#include "utf8.hpp"

namespace trovik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

std::vector<std::string> command_line_arguments(int /*argc*/, char** /*argv*/) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 0; i < count; ++i) {
    arguments.push_back(
        utf16_to_utf8(reinterpret_cast<const char16_t*>(wide[i]), std::wcslen(wide[i])));
  }
  LocalFree(wide);
  return arguments;
}

namespace {

// Standard output's handle if it is a console, else null. What standard
// output is does not change during a run, so it is asked once.
HANDLE console_output() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (output == nullptr || output == INVALID_HANDLE_VALUE || !GetConsoleMode(output, &mode)) {
    return nullptr;
  }
  return output;
}

}  // namespace

void StandardOutput::write(const char* text, std::size_t n) {
  // A console shows bytes through its code page, which is seldom UTF-8; it
  // gets UTF-16 instead, which it shows as the characters they are.
  static const HANDLE console = console_output();
  std::u16string wide;
  if (console != nullptr && utf8_to_utf16(text, n, wide)) {
    std::fflush(stdout);
    DWORD written = 0;
    WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  std::fwrite(text, 1, n, stdout);
}

}  // namespace trovik
