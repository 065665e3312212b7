#include "platform/arguments.h"

#include <cstdlib>

bool LongSlashArgumentsAreSwitches() {
  return false;
}

ProgramArguments ReadProgramArguments(int argc, char** argv) {
  ProgramArguments result;
  if (argc > 1)
    result.arguments.assign(argv + 1, argv + argc);
  if (const char* journal = std::getenv("TARVO_JOURNAL"))
    result.journalVariable = journal;
  return result;
}

bool CurrentFolderFitsCodePage() {
  return true;
}
