#include <new>

#include "app/run_sequence.h"
#include "platform/arguments.h"
#include "platform/console.h"

int main(int argc, char** argv) {
  const SlashSwitches slashSwitches =
      LongSlashArgumentsAreSwitches() ? SlashSwitches::kAll : SlashSwitches::kTwoCharactersOnly;
  PrepareConsole();
  try {
    return RunTarvo(ReadProgramArguments(argc, argv), slashSwitches);
  } catch (const std::bad_alloc&) {
    // A script too large for memory: say so instead of aborting. Nothing has been
    // written yet unless Save was running, and Save never leaves a partial file.
    PrintLine("Out of memory");
    return kExitFailure;
  }
}
