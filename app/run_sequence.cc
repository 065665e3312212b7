#include "app/run_sequence.h"

#include <ctime>
#include <memory>
#include <utility>

#include "app/data_check.h"
#include "app/journal.h"
#include "app/report.h"
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

// One run over one script: the stages in their fixed order, the data check, and the rows
// of the journal. Parsing and the checks of the command line have passed.
class ScriptRun {
 public:
  ScriptRun(const RunRequest& request, std::string outputScriptPath)
      : request_(request), outputScriptPath_(std::move(outputScriptPath)) {}

  int Go() {
    OpenJournal();
    std::string message;
    // A script that cannot be read ends the run.
    bool loaded = script_.Load(*request_.scriptPath, message);
    PrintLine(message);
    if (!loaded)
      return EndRefused(message);
    if (!Edit() || !CheckData())
      return EndRefused(log_.firstRefusal());
    if (journal_) {
      Journal::Started started = journal_->Start(data_.Final());
      for (const std::string& line : started.lines)
        PrintLine(line);
      if (started.outcome != Journal::Outcome::kWritten)
        return kExitFailure;
    }
    return SaveAndLaunch();
  }

 private:
  // -N runs keep no journal: nothing of the experiment happens.
  void OpenJournal() {
    if (!request_.journal || request_.noRun)
      return;
    std::string attributes;
    for (const auto& [name, value] : request_.attributes)
      attributes.append(attributes.empty() ? "" : "; ").append(name).append("=").append(value);
    std::string script;
    if (!GetFullPath(*request_.scriptPath, &script))
      script = *request_.scriptPath;
    journal_ = std::make_unique<Journal>(RealFileSystem(), *request_.journal, ThisStation(), script,
                                         attributes, [] { return std::time(nullptr); });
  }

  // Attributes in ascending order of name, then the data file name and the data folder,
  // the startup summary, and the calls of the user's routines. A stage that refuses ends
  // the run once it has finished: nothing is saved, so a rewritten script of an earlier
  // run stays as it was, and E-Run is not started.
  bool Edit() {
    given_ = AttributeStage(script_, request_.attributes, log_);
    if (log_.refused())
      return false;
    subjectZero_ = SubjectZeroStage(script_, given_, log_);
    if (request_.dataFileName)
      DataFileNameStage(script_, *request_.dataFileName, given_, log_);
    if (!log_.refused() && request_.dataFolder)
      DataFolderStage(script_, *request_.dataFolder, given_, log_);
    if (!log_.refused() && request_.answerSummary)
      StartupSummaryStage(script_, log_);
    if (!log_.refused())
      HookCallStage(script_, log_);
    return !log_.refused();
  }

  // -D, or a journal, which checks the data wherever the data file can be worked out.
  bool CheckData() {
    checking_ = request_.dataCheck || journal_;
    if (!checking_)
      return true;
    data_ = WorkOutDataFilesStage(script_, given_, subjectZero_, outputScriptPath_,
                                  request_.dataCheck, log_);
    if (log_.refused() || data_.dataFile.empty())
      return !log_.refused();
    for (auto [file, what] :
         {std::pair{&data_.dataFile, "data file"}, std::pair{&data_.converted, "converted file"}}) {
      std::string refusal =
          journal_ ? JournalOwnFileRefusal(RealFileSystem(), *request_.journal, *file, what) : "";
      if (!refusal.empty()) {
        log_.PrintRefusal(refusal);
        journal_.reset();  // its refused row would go into the data
        return false;
      }
    }
    DataFilesFreeStage(data_, RealFileSystem(), log_);
    return !log_.refused();
  }

  int SaveAndLaunch() {
    // A failed save ends the run, so E-Run never starts on a stale script. Until E-Run has
    // ended the script stays held: a run of the same script elsewhere must not replace it.
    FileHold hold;
    std::string message;
    bool saved = script_.Save(outputScriptPath_, message, request_.noRun ? nullptr : &hold);
    PrintLine(message);
    if (!saved)
      return End(JournalEvent::kErunFailed, kExitFailure, message);
    // -N: a dry run ends with the save.
    if (request_.noRun)
      return kExitSuccess;
    // No usable registry entry, or an E-Run that could not be started, fails the run.
    std::string lastLine;
    if (!LaunchStage(outputScriptPath_, hold, &lastLine))
      return End(JournalEvent::kErunFailed, kExitFailure, lastLine);
    if (!checking_ || data_.dataFile.empty())
      return End(JournalEvent::kEnded, kExitSuccess, lastLine);
    DataOutcome outcome = DataOutcomeStage(data_, RealFileSystem(), log_);
    return End(outcome.event, outcome.event == JournalEvent::kSaved ? kExitSuccess : kExitFailure,
               outcome.line);
  }

  // The end row; a journal that cannot be written fails the run, whatever else it gave.
  int End(JournalEvent event, int exitCode, const std::string& message) {
    if (journal_ && !journal_->Append({event, data_.Final(), exitCode, message})) {
      PrintLine(journal_->failure());
      return kExitFailure;
    }
    return exitCode;
  }

  int EndRefused(const std::string& line) {
    End(JournalEvent::kRefused, kExitFailure, line);
    return kExitFailure;
  }

  const RunRequest& request_;
  const std::string outputScriptPath_;
  EBScript script_;
  RunLog log_;
  std::unique_ptr<Journal> journal_;
  AttributesBySqueezedName given_;
  bool subjectZero_ = false;
  bool checking_ = false;
  DataFiles data_;
};

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
// line names another; checked as -L is, also for a dry run, which keeps no journal. False,
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
  if (!request->noRun)
    request->journal = variable;
  return true;
}

// tarvo -R <journal>: a report instead of a run, so that nothing else can be asked for.
int Report(const RunRequest& request) {
  if (request.scriptPath || !request.attributes.empty() || request.dataFileName ||
      request.dataFolder || request.noRun || request.answerSummary || request.dataCheck ||
      request.journal) {
    PrintLine("A report (-R) takes no other arguments");
    return kExitFailure;
  }
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
  std::string outputScriptPath;
  if (!CheckScriptPath(*request.scriptPath, &outputScriptPath))
    return kExitFailure;
  // A journal is appended to: never the script, which Tarvo promises not to change, nor the
  // rewritten script, which this run holds.
  for (auto [file, what] : {std::pair{*request.scriptPath, "script"},
                            std::pair{outputScriptPath, "rewritten script"}}) {
    std::string refusal =
        request.journal && !request.noRun
            ? JournalOwnFileRefusal(RealFileSystem(), *request.journal, file, what)
            : "";
    if (!refusal.empty()) {
      PrintLine(refusal);
      return kExitFailure;
    }
  }
  return ScriptRun(request, outputScriptPath).Go();
}
