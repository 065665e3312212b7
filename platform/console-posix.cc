#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Only a fixed buffer is safe to read in a signal handler.
char g_heldLine[512];
size_t g_heldLineSize = 0;

void PrintHeldLine(int) {
  ssize_t written = write(STDOUT_FILENO, g_heldLine, g_heldLineSize);
  static_cast<void>(written);
}

class PosixInterrupts : public ConsoleInterrupts {
 public:
  void Hold(const std::string& line) override {
    g_heldLineSize = std::min(line.size(), sizeof g_heldLine - 1);
    std::memcpy(g_heldLine, line.data(), g_heldLineSize);
    g_heldLine[g_heldLineSize++] = '\n';
    struct sigaction action = {};
    action.sa_handler = PrintHeldLine;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    held_ = sigaction(SIGINT, nullptr, &before_) == 0 && before_.sa_handler != SIG_IGN &&
            sigaction(SIGINT, &action, nullptr) == 0;
  }
  void Release() override {
    if (held_)
      sigaction(SIGINT, &before_, nullptr);
    held_ = false;
  }

 private:
  struct sigaction before_ = {};
  bool held_ = false;
};

}  // namespace

void PrepareConsole() {
  // The run must reach E-Run and its end even when nobody reads its lines any more.
  signal(SIGPIPE, SIG_IGN);
}

void PrintLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

ConsoleInterrupts& SystemConsoleInterrupts() {
  static PosixInterrupts interrupts;
  return interrupts;
}
