#ifndef TARVO_APP_RUN_SEQUENCE_H_
#define TARVO_APP_RUN_SEQUENCE_H_

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/script_run.h"
#include "platform/arguments.h"

/// The whole run for the arguments after the program's name: banner, parsing, checks,
/// then the stages over one script. Returns the process exit code (0 or -1).
int RunTarvo(const ProgramArguments& programArguments, SlashSwitches slashSwitches);

#endif  // TARVO_APP_RUN_SEQUENCE_H_
