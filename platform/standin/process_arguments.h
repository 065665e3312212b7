#ifndef TARVO_PLATFORM_STANDIN_PROCESS_ARGUMENTS_H_
#define TARVO_PLATFORM_STANDIN_PROCESS_ARGUMENTS_H_

#include <string>
#include <vector>

/// A Windows command line taken apart the way Windows and the started program do.
struct SplitCommandLine {
  std::string program;                 // what CreateProcessA starts
  std::vector<std::string> arguments;  // what the C runtime gives the program after argv[0]
};

/// The program is the first token: up to the next quote when the line begins with one,
/// else up to the first blank or tab, trailing blanks dropped as Windows drops them from
/// file names. The arguments follow the C runtime's rules: blanks and tabs separate,
/// quotes group, "" inside quotes is a quote, and 2n backslashes before a quote are n
/// backslashes while 2n+1 are n and a literal quote.
SplitCommandLine SplitWindowsCommandLine(const std::string& commandLine);

#endif  // TARVO_PLATFORM_STANDIN_PROCESS_ARGUMENTS_H_
