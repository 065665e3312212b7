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

#endif  // TARVO_PLATFORM_CONSOLE_H_
