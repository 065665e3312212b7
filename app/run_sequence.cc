#include "app/run_sequence.h"

#include <ctime>
#include <utility>

#include "app/usage.h"
#include "journal/journal.h"
#include "platform/arguments.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "report/report.h"

#ifndef TARVO_VERSION
#error TARVO_VERSION must be defined by the build
#endif

namespace {

std::time_t SystemClock() {
  return std::time(nullptr);
}

// The checks of the script's path; false, after the line that says why, when it cannot be
// rewritten. `outputScriptPath` receives the rewritten script's absolute path.
bool CheckScriptPath(const std::string& scriptPath, std::string* outputScriptPath) {
  if (!HasEbsExtension(scriptPath)) {
    PrintLine("EBS-script requires extension .ebs: " + scriptPath);
    if (IsLaterEPrimeScriptName(scriptPath))
      PrintLine("Scripts of E-Prime 2 and later (.ebs2, .ebs3) cannot be rewritten");
    return false;
  }
  // Windows: a folder name that the code page cannot hold would come out mangled.
  if (!IsAbsolutePath(scriptPath) && !CurrentFolderFitsCodePage()) {
    PrintLine("The current folder has characters outside the ANSI code page");
    return false;
  }
  std::string outputName = OutputScriptName(scriptPath);
  if (!GetFullPath(outputName, outputScriptPath)) {
    PrintLine("Couldn't create full path for new script " + outputName);
    return false;
  }
  return true;
}

// The lab's journal for every run, named by the variable TARVO_JOURNAL unless the command
// line names another; checked as -L is, also for a dry run, which appends nothing. False,
// after the line that says why, when it cannot name one.
bool TakeJournalVariable(const ProgramArguments& programArguments, RunRequest* request) {
  const std::optional<std::string>& variable = programArguments.journalVariable;
  if (request->journal || !variable)
    return true;
  // Windows: a character that the code page cannot hold would name another file.
  std::string refusal =
      programArguments.journalVariableFits
          ? JournalNameRefusal(*variable, "TARVO_JOURNAL", 0)
          : "The variable TARVO_JOURNAL has characters outside the ANSI code page";
  if (!refusal.empty()) {
    PrintLine(refusal);
    return false;
  }
  request->journal = variable;  // a dry run reads it for -A and the values left to it
  return true;
}

// A journal is appended to: never the script, which Tarvo promises not to change, nor the
// rewritten script, which this run holds. False, after the line that says why, when it is.
bool JournalIsNoScript(const RunRequest& request, const std::string& outputScriptPath) {
  for (auto [file, what] : {std::pair{*request.scriptPath, "script"},
                            std::pair{outputScriptPath, "rewritten script"}}) {
    std::string refusal =
        request.journal && !request.noRun
            ? JournalOwnFileRefusal(RealFileSystem(), *request.journal, file, what)
            : "";
    if (!refusal.empty()) {
      PrintLine(refusal);
      return false;
    }
  }
  return true;
}

// tarvo -R <journal>: the command line holds nothing else.
int Report(const RunRequest& request) {
  return MakeReport(RealFileSystem(), *request.report, std::time(nullptr)) ? kExitSuccess
                                                                           : kExitFailure;
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

  RunRequest& request = parsed.request;
  if (request.report)
    return Report(request);
  if (!request.scriptPath) {
    PrintLine("Missing script specification");
    PrintUsage();
    return kExitFailure;
  }
  if (!TakeJournalVariable(programArguments, &request))
    return kExitFailure;
  // -A moves only a data file that the data check found there.
  if (request.setAside && !request.dataCheck && !request.journal) {
    PrintLine("-A needs the data file worked out (-D or a journal)");
    return kExitFailure;
  }
  std::string outputScriptPath;
  if (!CheckScriptPath(*request.scriptPath, &outputScriptPath))
    return kExitFailure;
  if (!JournalIsNoScript(request, outputScriptPath))
    return kExitFailure;
  const RunWorld world{RealFileSystem(),
                       SystemRegistry(),
                       SystemProcessStarter(),
                       SystemProcessCheck(),
                       SystemConsoleInterrupts(),
                       SystemClock,
                       ThisStation,
                       PrintLine};
  return ScriptRun(world, request, outputScriptPath).Go();
}
