#include "app/script_run.h"

#include <utility>

#include "app/set_aside.h"
#include "app/stages.h"
#include "journal/attributes_text.h"
#include "journal/study_rows.h"

namespace {

// The journal's end row for what the data check found.
JournalEvent EventOf(DataFound found) {
  switch (found) {
    case DataFound::kSaved:
      return JournalEvent::kSaved;
    case DataFound::kNotConverted:
      return JournalEvent::kNotConverted;
    case DataFound::kNoData:
      return JournalEvent::kNoData;
    case DataFound::kCannotTell:
      break;
  }
  return JournalEvent::kEnded;
}

const char kStillRunning[] = "E-Run is still running: Tarvo waits for it to end";

// The attributes as the journal's rows record them: a value left to the journal only once
// it is chosen, never the word that asked for it.
std::string RecordedAttributes(const AttributesByName& attributes) {
  AttributesByName recorded;
  for (const auto& [name, value] : attributes) {
    if (!IsJournalWord(value))
      recorded.emplace(name, value);
  }
  return AttributesText(recorded);
}

}  // namespace

ScriptRun::ScriptRun(const RunWorld& world, const RunRequest& request, std::string outputScriptPath)
    : world_(world),
      request_(request),
      outputScriptPath_(std::move(outputScriptPath)),
      script_(world.files),
      log_(world.print),
      choices_(request),
      attributes_(request.attributes) {}

int ScriptRun::Go() {
  OpenJournal();
  std::string message;
  // A script that cannot be read ends the run.
  bool loaded = script_.Load(*request_.scriptPath, message);
  log_.Line(message);
  if (!loaded)
    return EndRefused(message);
  if (!MainRoutineStage(script_, log_))
    return EndRefused(log_.firstRefusal());
  switch (Choose()) {
    case Chose::kChosen:
      break;
    case Chose::kRefused:
      return EndRefused(log_.firstRefusal());
    case Chose::kFailed:
      return kExitFailure;
  }
  if (!Edit() || !CheckData())
    return EndRefused(log_.firstRefusal());
  if (journal_) {
    // -A: under the journal's lock, once the guard lets the run go.
    SetAside setAside = nullptr;
    if (setAside_) {
      setAside = [this](std::string* line) {
        return SetAsideDataFile(world_.files, data_.dataFile, request_.noRun, line);
      };
    }
    Journal::Started started = journal_->Start(
        data_, world_.running, [this](const DataFiles& data) { return FoundData(data); }, setAside);
    for (const std::string& line : started.lines)
      log_.Line(line);
    if (started.outcome != Journal::Outcome::kWritten)
      return kExitFailure;
  } else if (setAside_ && !SetAsideStage()) {
    return EndRefused(log_.firstRefusal());
  }
  return SaveAndLaunch();
}

// -N runs keep no journal, as nothing of the experiment happens; but one that leaves values
// to the journal, or sets data aside, reads it, to tell what would happen.
void ScriptRun::OpenJournal() {
  if (!request_.journal || (request_.noRun && !choices_.any() && !request_.setAside))
    return;
  std::string script;
  if (!GetFullPath(*request_.scriptPath, &script))
    script = *request_.scriptPath;
  scriptPath_ = script;
  Station station = world_.station();
  computer_ = station.computer;
  journal_ = std::make_unique<Journal>(world_.files, *request_.journal, std::move(station), script,
                                       RecordedAttributes(request_.attributes), world_.now);
  if (request_.noRun)
    journal_->SetDryRun();
}

// The values left to the journal, chosen under its lock from one read of its rows; the lock
// is held until this run's `started` or `refused` row is written.
ScriptRun::Chose ScriptRun::Choose() {
  if (!choices_.any())
    return Chose::kChosen;
  std::string refusal = choices_.Refusal(script_, journal_ != nullptr);
  if (!refusal.empty()) {
    log_.PrintRefusal(refusal);
    return Chose::kRefused;
  }
  if (!journal_->Hold()) {
    log_.Line(journal_->failure());
    return Chose::kFailed;
  }
  StudyRows rows(scriptPath_, computer_, choices_.questions(), world_.now());
  // Without these, every number would seem free and every group empty.
  for (const std::string& line :
       journal_->Scan(rows, {JournalColumn::kScript, JournalColumn::kAttributes}))
    log_.Line(line);
  if (!journal_->failure().empty())
    return Chose::kFailed;
  rows.Finish();
  JournalChoices::Chosen chosen = choices_.Choose(
      rows, script_, [this](const AttributesByName& attributes) { return Taken(attributes); });
  attributes_ = chosen.attributes;
  journal_->SetAttributes(RecordedAttributes(attributes_));
  for (const std::string& line : chosen.lines) {
    log_.Line(line);
    journal_->AddNote(line);
  }
  if (chosen.refusal.empty())
    return Chose::kChosen;
  log_.PrintRefusal(chosen.refusal);
  return Chose::kRefused;
}

// Whether a run with these attributes finds its data file or converted file there: the
// script's edits made on a copy, without a line.
std::string ScriptRun::Taken(const AttributesByName& attributes) const {
  EBScript copy = script_;
  RunLog quiet([](const std::string&) {});
  AttributesBySqueezedName given = AttributeStage(copy, attributes, quiet);
  if (request_.dataFileName)
    DataFileNameStage(copy, *request_.dataFileName, given, quiet);
  if (request_.dataFolder)
    DataFolderStage(copy, *request_.dataFolder, given, quiet);
  DataFiles data = WorkOutDataFilesStage(copy, given, false, outputScriptPath_, false, quiet);
  for (const std::string* path : {&data.dataFile, &data.converted}) {
    if (!path->empty() && world_.files.Look(*path) == Presence::kThere)
      return *path;
  }
  return "";
}

// Attributes in ascending order of name, then the data file name and the data folder, the
// startup summary, and the calls of the user's routines. A stage that refuses ends the run
// once it has finished: nothing is saved, so a rewritten script of an earlier run stays as
// it was, and E-Run is not started.
bool ScriptRun::Edit() {
  given_ = AttributeStage(script_, attributes_, log_);
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

// -D, or a journal, which checks the data wherever the data file can be worked out; with
// -A, a dry run works it out as its journal would.
bool ScriptRun::CheckData() {
  checking_ = request_.dataCheck || journal_ || (request_.setAside && request_.journal);
  if (!checking_)
    return true;
  data_ = WorkOutDataFilesStage(script_, given_, subjectZero_, outputScriptPath_,
                                request_.dataCheck, log_);
  if (log_.refused())
    return false;
  if (data_.dataFile.empty()) {
    // What counts saved rows needs runs whose data file is known: such a run never ends
    // saved. Unchecked, an aborted session's data file would meet the experiment's own
    // "overwrite?" question under -A; Subject 0 writes none.
    std::string refusal = choices_.UnknownDataFileRefusal();
    if (refusal.empty() && request_.setAside && !subjectZero_)
      refusal = "-A needs the data file worked out";
    if (!refusal.empty())
      log_.PrintRefusal(refusal);
    return !log_.refused();
  }
  for (auto [file, what] :
       {std::pair{&data_.dataFile, "data file"}, std::pair{&data_.converted, "converted file"}}) {
    std::string refusal =
        journal_ ? JournalOwnFileRefusal(world_.files, *request_.journal, *file, what) : "";
    if (!refusal.empty()) {
      log_.PrintRefusal(refusal);
      journal_.reset();  // its refused row would go into the data
      return false;
    }
  }
  setAside_ = DataFilesFreeStage(data_, world_.files, outputScriptPath_, request_.setAside, log_);
  return !log_.refused();
}

// -A without a journal, or in a dry run, which keeps none: after every other check, just
// before the save.
bool ScriptRun::SetAsideStage() {
  std::string line;
  if (!SetAsideDataFile(world_.files, data_.dataFile, request_.noRun, &line)) {
    log_.PrintRefusal(line);
    return false;
  }
  log_.Line(line);
  return true;
}

int ScriptRun::SaveAndLaunch() {
  // A failed save ends the run, so E-Run never starts on a stale script. Until E-Run has
  // ended the script stays held: a run of the same script elsewhere must not replace it.
  FileHold hold;
  std::string message;
  bool saved = script_.Save(outputScriptPath_, message, request_.noRun ? nullptr : &hold);
  log_.Line(message);
  if (!saved)
    return End(JournalEvent::kErunFailed, kExitFailure, message);
  // -N: a dry run ends with the save.
  if (request_.noRun)
    return kExitSuccess;
  // No usable registry entry, or an E-Run that could not be started, fails the run.
  std::string lastLine;
  bool ran = LaunchStage(
      outputScriptPath_, hold, world_.registry, world_.processes,
      [this](const ProcessIdentity& erun) { ErunStarted(erun); }, log_, &lastLine);
  world_.interrupts.Release();
  if (!ran)
    return End(JournalEvent::kErunFailed, kExitFailure, lastLine);
  if (!checking_ || data_.dataFile.empty())
    return End(JournalEvent::kEnded, kExitSuccess, lastLine);
  DataOutcome outcome = DataOutcomeStage(data_, world_.files, log_);
  return End(EventOf(outcome.found),
             outcome.found == DataFound::kSaved ? kExitSuccess : kExitFailure, outcome.line);
}

// E-Run runs: the journal records its process, so that this station can tell later that it
// has ended should this run be ended first; and the console's interrupts keep this run
// waiting for its end row and the data check.
void ScriptRun::ErunStarted(const ProcessIdentity& erun) {
  if (journal_ && !journal_->ErunStarted(erun, data_)) {
    log_.Line(journal_->failure());
    journalFailed_ = true;
  }
  world_.interrupts.Hold(kStillRunning);
}

// What the data check finds of a run of this station found ended, as its journal row says.
JournalEvent ScriptRun::FoundData(const DataFiles& data) {
  return EventOf(LookForData(data, world_.files).found);
}

// The end row; a journal that cannot be written fails the run, whatever else it gave.
int ScriptRun::End(JournalEvent event, int exitCode, const std::string& message) {
  if (journal_ && !journal_->Append({event, data_.Final(), exitCode, message})) {
    log_.Line(journal_->failure());
    return kExitFailure;
  }
  return journalFailed_ ? kExitFailure : exitCode;
}

int ScriptRun::EndRefused(const std::string& line) {
  End(JournalEvent::kRefused, kExitFailure, line);
  return kExitFailure;
}
