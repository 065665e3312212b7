#include "platform/console.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The console window standard output shows in, or nullptr when it is redirected.
HANDLE g_console = nullptr;

// The console's handler runs on a thread of its own: the line it prints, and whether it is
// held, are shared under a lock, so that no press prints once Release has returned.
CRITICAL_SECTION g_interruptLock;
std::string g_heldLine;
bool g_held = false;

BOOL WINAPI PrintHeldLine(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
    return FALSE;
  EnterCriticalSection(&g_interruptLock);
  bool held = g_held;
  if (held)
    PrintLine(g_heldLine);
  LeaveCriticalSection(&g_interruptLock);
  return held ? TRUE : FALSE;
}

class Win32Interrupts : public ConsoleInterrupts {
 public:
  void Hold(const std::string& line) override {
    if (!installed_) {
      InitializeCriticalSection(&g_interruptLock);
      // The latest handler is asked first, before the one that removes a temporary file.
      installed_ = SetConsoleCtrlHandler(PrintHeldLine, TRUE) != 0;
    }
    if (!installed_)
      return;
    EnterCriticalSection(&g_interruptLock);
    g_heldLine = line;
    g_held = true;
    LeaveCriticalSection(&g_interruptLock);
  }
  void Release() override {
    if (!installed_)
      return;
    EnterCriticalSection(&g_interruptLock);
    g_held = false;
    LeaveCriticalSection(&g_interruptLock);
  }

 private:
  bool installed_ = false;
};

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

ConsoleInterrupts& SystemConsoleInterrupts() {
  static Win32Interrupts interrupts;
  return interrupts;
}
