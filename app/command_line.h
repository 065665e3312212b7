#ifndef TARVO_APP_COMMAND_LINE_H_
#define TARVO_APP_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "app/run_request.h"

/// How parsing ended.
enum class ParseOutcome {
  kRun,          // the request is complete; the checks after parsing come next
  kShowUsage,    // -H or -?: usage screen, exit code 0
  kBadSwitch,    // usage screen, exit code -1
  kBadArgument,  // an argument the run cannot use: its error line comes last in `lines`,
                 // exit code -1, no usage screen
};

struct ParseResult {
  ParseOutcome outcome = ParseOutcome::kRun;
  RunRequest request;
  /// Lines to print, in order, before the outcome is acted on (empty-value warnings
  /// and, for kBadArgument, the error line last).
  std::vector<std::string> lines;
};

/// Which arguments that begin with '/' are switches. Windows programs take "/f" and
/// "/data" alike as switches; on POSIX only two-character ones are, so that absolute
/// paths such as "/home/lab/rt.ebs" stay plain arguments.
enum class SlashSwitches { kAll, kTwoCharactersOnly };

/// Parses the arguments after the program's own name. Touches no file.
ParseResult ParseCommandLine(const std::vector<std::string>& arguments,
                             SlashSwitches slashSwitches);

/// The line that refuses `value` as the name of a journal, "" when it can name one. The
/// checks of an -L value, in their order: blank ("Missing value for <source>"), a line
/// break or a control character, a double quote, one of * ? < > |, and a name that ends in
/// .ebs or .edat, the experiment's own files. `source` names where the value came from,
/// "-L", given as argument number `argument`, or the variable "TARVO_JOURNAL" (argument
/// 0, whose line break is a control character too).
std::string JournalNameRefusal(const std::string& value, const std::string& source,
                               size_t argument);

/// True when the script path ends with ".ebs" in any letter case.
bool HasEbsExtension(const std::string& scriptPath);

/// The rewritten script's path before it is made absolute: the script path without its
/// last four characters, followed by "_tarvo.ebs".
std::string OutputScriptName(const std::string& scriptPath);

#endif  // TARVO_APP_COMMAND_LINE_H_
