#include "platform/arguments.h"

#include <cstdlib>

bool LongSlashArgumentsAreSwitches() {
  return false;
}

ProgramArguments ReadProgramArguments(int argc, char** argv) {
  ProgramArguments result;
  if (argc > 1)
    result.arguments.assign(argv + 1, argv + argc);
  const char* journal = std::getenv("TARVO_JOURNAL");
  if (journal != nullptr && *journal != '\0')
    result.journalVariable = journal;
  return result;
}

bool CurrentFolderFitsCodePage() {
  return true;
}
