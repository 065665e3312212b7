#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The console window standard output shows in, or nullptr when it is redirected.
HANDLE g_console = nullptr;

}  // namespace

void PrepareConsole() {
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode;
  if (output != INVALID_HANDLE_VALUE && output != nullptr && GetConsoleMode(output, &mode))
    g_console = output;
}

void PrintLine(const std::string& text) {
  if (g_console == nullptr) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return;
  }
  // A console shows its own code page (OEM, such as 850): the bytes of "Müller" in the
  // ANSI code page would show as other characters, so it gets the characters instead.
  std::string line = text + "\r\n";
  int length = static_cast<int>(line.size());
  std::wstring wide(line.size(), L'\0');
  int count = MultiByteToWideChar(CP_ACP, 0, line.data(), length, &wide[0], length);
  DWORD written;
  WriteConsoleW(g_console, wide.data(), static_cast<DWORD>(count > 0 ? count : 0), &written,
                nullptr);
}
