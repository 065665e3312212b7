#include "platform/console.h"

#include <signal.h>

#include <cstdio>

void PrepareConsole() {
  // The run must reach E-Run and its end even when nobody reads its lines any more.
  signal(SIGPIPE, SIG_IGN);
}

void PrintLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}
