#include "app/run_sequence.h"

#include "app/run_log.h"

#include "app/stages.h"
#include "app/usage.h"
#include "platform/arguments.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "script/eb_script.h"

#ifndef TARVO_VERSION
#error TARVO_VERSION must be defined by the build
#endif

namespace {

// The stages, in their fixed order, over one script. Parsing and the checks have passed.
// A stage that refuses ends the run once it has finished: nothing is saved, so a rewritten
// script of an earlier run stays as it was, and E-Run is not started.
int RunStages(const RunRequest& request, const std::string& outputScriptPath) {
  EBScript script;
  RunLog log;
  std::string message;
  // A script that cannot be read ends the run.
  bool loaded = script.Load(*request.scriptPath, message);
  PrintLine(message);
  if (!loaded)
    return kExitFailure;
  // Attributes in ascending order of name, then the data file name and the data folder,
  // the startup summary, and the calls of the user's routines.
  AttributeStage(script, request.attributes, log);
  if (log.refused())
    return kExitFailure;
  if (request.dataFileName) {
    DataFileNameStage(script, *request.dataFileName, log);
    if (log.refused())
      return kExitFailure;
  }
  if (request.dataFolder) {
    DataFolderStage(script, *request.dataFolder, log);
    if (log.refused())
      return kExitFailure;
  }
  if (request.answerSummary) {
    StartupSummaryStage(script, log);
    if (log.refused())
      return kExitFailure;
  }
  HookCallStage(script, log);
  if (log.refused())
    return kExitFailure;
  // A failed save ends the run, so E-Run never starts on a stale script. Until E-Run has
  // ended the script stays held: a run of the same script elsewhere must not replace it.
  FileHold hold;
  bool saved = script.Save(outputScriptPath, message, request.noRun ? nullptr : &hold);
  PrintLine(message);
  if (!saved)
    return kExitFailure;
  // -N: a dry run ends with the save.
  if (request.noRun)
    return kExitSuccess;
  // No usable registry entry, or an E-Run that could not be started, fails the run.
  if (!LaunchStage(outputScriptPath, hold))
    return kExitFailure;
  return kExitSuccess;
}

}  // namespace

int RunTarvo(const ProgramArguments& programArguments, SlashSwitches slashSwitches) {
  PrintLine("Tarvo Version " TARVO_VERSION);
  PrintLine("");

  // A character the code page cannot hold would otherwise become a look-alike or '?':
  // another attribute value, another folder, silently.
  if (programArguments.firstUnconvertible != 0) {
    PrintLine("Argument " + std::to_string(programArguments.firstUnconvertible) +
              " has characters outside the ANSI code page");
    return kExitFailure;
  }
  ParseResult parsed = ParseCommandLine(programArguments.arguments, slashSwitches);
  for (const std::string& line : parsed.lines)
    PrintLine(line);
  switch (parsed.outcome) {
    case ParseOutcome::kShowUsage:
      PrintUsage();
      return kExitSuccess;
    case ParseOutcome::kBadSwitch:
      PrintUsage();
      return kExitFailure;
    case ParseOutcome::kBadArgument:
      return kExitFailure;
    case ParseOutcome::kRun:
      break;
  }

  const RunRequest& request = parsed.request;
  if (!request.scriptPath) {
    PrintLine("Missing script specification");
    PrintUsage();
    return kExitFailure;
  }
  if (!HasEbsExtension(*request.scriptPath)) {
    PrintLine("EBS-script requires extension .ebs: " + *request.scriptPath);
    if (IsLaterEPrimeScriptName(*request.scriptPath))
      PrintLine("Scripts of E-Prime 2 and later (.ebs2, .ebs3) cannot be rewritten");
    return kExitFailure;
  }
  // Windows: a folder name that the code page cannot hold would come out mangled.
  if (!IsAbsolutePath(*request.scriptPath) && !CurrentFolderFitsCodePage()) {
    PrintLine("The current folder has characters outside the ANSI code page");
    return kExitFailure;
  }
  std::string outputName = OutputScriptName(*request.scriptPath);
  std::string outputScriptPath;
  if (!GetFullPath(outputName, &outputScriptPath)) {
    PrintLine("Couldn't create full path for new script " + outputName);
    return kExitFailure;
  }
  return RunStages(request, outputScriptPath);
}
