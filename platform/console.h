#ifndef TARVO_PLATFORM_CONSOLE_H_
#define TARVO_PLATFORM_CONSOLE_H_

#include <string>

// Standard output, one implementation per platform (console-posix.cc, console-win32.cc).

/// Makes standard output ready before the first line: on POSIX a closed output (the run
/// piped into `head`) then fails a write instead of ending the run.
void PrepareConsole();

/// Writes `text` and a newline to standard output and flushes at once, so batch files and
/// log readers see each step as it happens. Nothing ever goes to standard error. Text is
/// in the program's single-byte code page; a Windows console window, which shows its own
/// code page, gets the characters it stands for, and a redirected output the bytes.
void PrintLine(const std::string& text);

/// The console's interrupts: Ctrl+C and Ctrl+Break on Windows, SIGINT on POSIX. While E-Run
/// runs they must not end the run, whose end row and data check are still to come. Abstract
/// so that a run's tests can press the keys; SystemConsoleInterrupts() is the console's own.
class ConsoleInterrupts {
 public:
  virtual ~ConsoleInterrupts() = default;
  /// From now until Release(), each interrupt prints `line` instead of ending the program.
  /// Closing the console still ends it. An interrupt that the program's caller ignores
  /// stays ignored.
  virtual void Hold(const std::string& line) = 0;
  virtual void Release() = 0;
};

ConsoleInterrupts& SystemConsoleInterrupts();

#endif  // TARVO_PLATFORM_CONSOLE_H_
