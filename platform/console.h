#ifndef TARVO_PLATFORM_CONSOLE_H_
#define TARVO_PLATFORM_CONSOLE_H_

#include <string>

/// Writes `text` and a newline to standard output and flushes at once, so batch files
/// and log readers see each step as it happens. Nothing ever goes to standard error.
void PrintLine(const std::string& text);

#endif  // TARVO_PLATFORM_CONSOLE_H_
