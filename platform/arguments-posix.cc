#include "platform/arguments.h"

bool LongSlashArgumentsAreSwitches() {
  return false;
}

ProgramArguments ReadProgramArguments(int argc, char** argv) {
  ProgramArguments result;
  if (argc > 1)
    result.arguments.assign(argv + 1, argv + argc);
  return result;
}

bool CurrentFolderFitsCodePage() {
  return true;
}
