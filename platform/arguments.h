#ifndef TARVO_PLATFORM_ARGUMENTS_H_
#define TARVO_PLATFORM_ARGUMENTS_H_

#include <optional>
#include <string>
#include <vector>

// How the platform's command line is read, one implementation per platform
// (arguments-posix.cc, arguments-win32.cc).

/// Whether an argument that begins with '/' and is longer than two characters is a
/// switch. On Windows it is, as in every Windows program; elsewhere it is a plain
/// argument, so that absolute paths such as "/home/lab/rt.ebs" work.
bool LongSlashArgumentsAreSwitches();

struct ProgramArguments {
  /// The arguments after the program's own name, split as the C runtime splits them.
  std::vector<std::string> arguments;
  /// The number (1 = the first after the program's name) of the first argument that the
  /// program's single-byte text cannot hold, or 0 when all of them fit.
  int firstUnconvertible = 0;
  /// The variable TARVO_JOURNAL, none when it is unset or empty, and whether its text fits
  /// as the arguments' do (when not, the value holds what could be converted).
  std::optional<std::string> journalVariable;
  bool journalVariableFits = true;
};

/// The arguments, and the variable TARVO_JOURNAL, as bytes the program works with: on
/// Windows taken as wide text and converted to the ANSI code page without best-fit
/// look-alikes, so that no character silently turns into another; elsewhere as they are.
ProgramArguments ReadProgramArguments(int argc, char** argv);

/// True when the current folder can be written in the program's single-byte text (on
/// Windows, the ANSI code page): a path resolved against it would be mangled otherwise.
bool CurrentFolderFitsCodePage();

#endif  // TARVO_PLATFORM_ARGUMENTS_H_
