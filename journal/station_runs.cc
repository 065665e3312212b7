#include "journal/station_runs.h"

#include "base/latin_text.h"
#include "base/text_helpers.h"

#include <algorithm>

namespace {

const char kProcess[] = "process ";
const char kTarvo[] = "; Tarvo ";
const char kCreated[] = " created ";
const char kDataFile[] = "; data file ";

// The digits at the start of `text` as a number, taken off it; false when there are none
// or too many.
bool TakeNumber(std::string_view* text, uint64_t* number) {
  size_t digits = 0;
  *number = 0;
  while (digits < text->size() && digits < 19 && (*text)[digits] >= '0' && (*text)[digits] <= '9')
    *number = *number * 10 + static_cast<uint64_t>((*text)[digits++] - '0');
  text->remove_prefix(digits);
  return digits > 0 && (text->empty() || (*text)[0] < '0' || (*text)[0] > '9');
}

bool TakePrefix(std::string_view* text, std::string_view prefix) {
  if (!StartsWith(*text, prefix))
    return false;
  text->remove_prefix(prefix.size());
  return true;
}

// The script of a row as scripts are compared: a path, in any letter case.
std::string ScriptKey(const JournalEntry& entry) {
  return UpperCaseLatinUtf8(entry.Utf8(JournalColumn::kScript));
}

}  // namespace

std::string ErunMessage(const ProcessIdentity& erun, const ProcessIdentity& tarvo,
                        const std::string& dataFile) {
  auto process = [](const ProcessIdentity& identity) {
    return std::to_string(identity.id) +
           (identity.created != 0 ? kCreated + std::to_string(identity.created) : "");
  };
  std::string message = kProcess + process(erun) + kTarvo + process(tarvo);
  if (!dataFile.empty())
    message += kDataFile + dataFile;
  return message;
}

namespace {

// "<id>[ created <time>]" at the start of `text`, taken off it.
bool TakeProcess(std::string_view* text, ProcessIdentity* identity) {
  uint64_t id = 0, created = 0;
  if (!TakeNumber(text, &id) || id > UINT32_MAX)
    return false;
  if (TakePrefix(text, kCreated) && !TakeNumber(text, &created))
    return false;
  *identity = {static_cast<uint32_t>(id), created};
  return true;
}

}  // namespace

bool ReadErunMessage(std::string_view message, ErunRecord* record) {
  *record = ErunRecord();
  if (!TakePrefix(&message, kProcess) || !TakeProcess(&message, &record->erun))
    return false;
  if (TakePrefix(&message, kTarvo)) {
    ProcessIdentity tarvo;
    if (!TakeProcess(&message, &tarvo))
      return false;
    record->tarvo = tarvo;
  }
  if (TakePrefix(&message, kDataFile))
    record->dataFile.assign(message);
  else if (!message.empty())
    return false;
  return true;
}

StationRuns::StationRuns(std::string computer, std::time_t now)
    : computer_(std::move(computer)), now_(now) {}

void StationRuns::Take(const JournalEntry& entry) {
  JournalEvent event = entry.event();
  if (EndsRun(event)) {
    // A release by hand may leave every field but the run and the event empty.
    bool mayMatter = computer_.Is(entry.Field(JournalColumn::kComputer), entry) ||
                     (event == JournalEvent::kEnded && entry.Field(JournalColumn::kScript).empty());
    if (ends_.watching() || mayMatter)
      ends_.End(entry.Field(JournalColumn::kRun), mayMatter);
    return;
  }
  if ((event != JournalEvent::kStarted && event != JournalEvent::kErunStarted) ||
      !computer_.Is(entry.Field(JournalColumn::kComputer), entry))
    return;
  std::string_view run = entry.Field(JournalColumn::kRun);
  if (event == JournalEvent::kStarted)
    Keep(entry, run);
  else
    Identify(entry, run);
}

// A `started` row of this computer that may still be open.
void StationRuns::Keep(const JournalEntry& entry, std::string_view run) {
  std::optional<std::time_t> time = entry.Time();
  if (!StillOpen(time, now_))
    return;
  Open open;
  open.run.assign(run);
  open.script.assign(entry.Field(JournalColumn::kScript));
  open.attributes.assign(entry.Field(JournalColumn::kAttributes));
  open.dataFile.assign(entry.Field(JournalColumn::kDataFile));
  open.utf8 = entry.utf8();
  open.order = {time, entry.row()};
  open.scriptKey = ScriptKey(entry);
  auto early = early_.find(run);
  if (early != early_.end()) {
    open.erun = early->second;
    early_.erase(early);
  }
  ends_.Keep(run);
  open_.push_back(std::move(open));
}

// An `E-Run started` row of this computer: its run's E-Run, and a run that took the hold of
// its script, which proves the E-Run of every earlier run of that script ended.
void StationRuns::Identify(const JournalEntry& entry, std::string_view run) {
  std::optional<std::time_t> time = entry.Time();
  // One older than any open run proves nothing of them.
  if (time && !StillOpen(time, now_))
    return;
  if (time)
    NoteLatest(ScriptKey(entry), run, *time);
  ErunRecord record;
  if (!ReadErunMessage(entry.Field(JournalColumn::kMessage), &record))
    return;
  for (Open& open : open_) {
    if (open.run == run) {
      open.erun = record;
      return;
    }
  }
  early_[std::string(run)] = record;
}

void StationRuns::NoteLatest(const std::string& scriptKey, std::string_view run, std::time_t time) {
  Latest& latest = latest_[scriptKey];
  if (latest.first.second == run) {
    latest.first.first = std::max(latest.first.first, time);
  } else if (latest.first.second.empty() || time > latest.first.first) {
    latest.second = std::move(latest.first);
    latest.first = {time, std::string(run)};
  } else if (latest.second.second == run) {
    latest.second.first = std::max(latest.second.first, time);
  } else if (latest.second.second.empty() || time > latest.second.first) {
    latest.second = {time, std::string(run)};
  }
}

bool StationRuns::LaterRunOf(const Open& open) const {
  auto latest = latest_.find(open.scriptKey);
  if (latest == latest_.end())
    return false;
  const auto& other =
      latest->second.first.second != open.run ? latest->second.first : latest->second.second;
  return !other.second.empty() && RunOrder{other.first, 0}.LaterThan(open.order);
}

std::vector<StationRuns::Open> StationRuns::Ended(ProcessCheck& processes) const {
  std::vector<Open> ended;
  for (size_t kept = 0; kept < open_.size(); ++kept) {
    const Open& open = open_[kept];
    if (ends_.Ended(kept))
      continue;
    // Its own Tarvo, while it runs, still writes the end row: then this one must not.
    bool gone = open.erun && processes.Look(open.erun->erun) == ProcessState::kGone &&
                (!open.erun->tarvo || processes.Look(*open.erun->tarvo) == ProcessState::kGone);
    if (LaterRunOf(open) || gone)
      ended.push_back(open);
  }
  return ended;
}
