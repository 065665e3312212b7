#include "report/report_model.h"

#include <algorithm>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "base/trim.h"
#include "journal/journal_time.h"

namespace {

const char* const kOutcomeNames[kRunOutcomes] = {"saved",        "not converted", "no data",
                                                 "running",      "interrupted",   "ended",
                                                 "E-Run failed", "refused"};

// The outcome of an end row's event.
RunOutcome EndOutcome(JournalEvent event) {
  switch (event) {
    case JournalEvent::kSaved:
      return RunOutcome::kSaved;
    case JournalEvent::kNotConverted:
      return RunOutcome::kNotConverted;
    case JournalEvent::kNoData:
      return RunOutcome::kNoData;
    case JournalEvent::kErunFailed:
      return RunOutcome::kErunFailed;
    case JournalEvent::kRefused:
      return RunOutcome::kRefused;
    case JournalEvent::kStarted:
    case JournalEvent::kEnded:
    case JournalEvent::kErunStarted:
      break;
  }
  return RunOutcome::kEnded;
}

// Whether `name`, as a row's attributes spell it, names the attribute `wanted` (written
// without blanks): as the script compares names, blanks and letter case aside.
bool SameName(std::string_view name, std::string_view wanted) {
  name = Trimmed(name);
  if (name.size() == wanted.size())
    return UpperCaseAscii(name.back()) == wanted.back() && EqualsInsensitive(name, wanted);
  return name.size() > wanted.size() && EqualsInsensitive(SqueezeText(name), wanted);
}

// The Subject and the Session in a row's attributes ("Session=1; Subject=12"), each when
// the row has it as a whole number.
void SubjectAndSession(std::string_view attributes, std::optional<int32_t>* subject,
                       std::optional<int32_t>* session) {
  subject->reset();
  session->reset();
  while (!attributes.empty()) {
    size_t end = std::min(attributes.find(';'), attributes.size());
    std::string_view pair = attributes.substr(0, end);
    attributes.remove_prefix(std::min(end + 1, attributes.size()));
    size_t equals = pair.find('=');
    if (equals == std::string_view::npos)
      continue;
    std::string_view name = pair.substr(0, equals);
    std::optional<int32_t>* value = SameName(name, "SUBJECT")   ? subject
                                    : SameName(name, "SESSION") ? session
                                                                : nullptr;
    if (value != nullptr)
      *value = ParseWholeNumber(Trimmed(pair.substr(equals + 1)));
  }
}

// What a cell shows, from `entry` on: a run that began later replaces it, an earlier one
// that ends late does not. Its texts are assigned in place, as they are for every row.
void Show(std::unique_ptr<Happening>& shown, RunOutcome outcome, const JournalEntry& entry,
          size_t order) {
  if (shown && shown->order > order)
    return;
  if (!shown)
    shown = std::make_unique<Happening>();
  shown->outcome = outcome;
  shown->time.assign(entry.Field(JournalColumn::kTime));
  shown->computer.assign(entry.Field(JournalColumn::kComputer));
  shown->message.assign(outcome == RunOutcome::kRunning ? std::string_view()
                                                        : entry.Field(JournalColumn::kMessage));
  shown->order = order;
}

// The element of `map` for `key`, made when there is none; found without a copy of the key.
template <typename Map>
typename Map::mapped_type& At(Map& map, std::string_view key) {
  auto found = map.find(key);
  if (found == map.end())
    found = map.emplace(std::string(key), typename Map::mapped_type()).first;
  return found->second;
}

}  // namespace

const char* OutcomeName(RunOutcome outcome) {
  return kOutcomeNames[static_cast<size_t>(outcome)];
}

Cell& ScriptGrid::At(int32_t subject, int32_t session) {
  bool tabled =
      subject >= 0 && subject < kTableSubjects && session >= 0 && session < kTableSessions;
  size_t slot = static_cast<size_t>(subject) * kTableSessions + static_cast<size_t>(session);
  if (tabled && slot >= table_.size())
    table_.resize((static_cast<size_t>(subject) + 1) * kTableSessions);
  size_t number = tabled ? size_t{table_[slot]} : 0;
  if (!tabled) {
    auto found = others_.find(Key(subject, session));
    number = found == others_.end() ? 0 : found->second + 1;
  }
  if (number == 0) {
    cells_.emplace_back();
    cells_.back().first = Key(subject, session);
    number = cells_.size();
    if (tabled)
      table_[slot] = static_cast<uint32_t>(number);
    else
      others_[Key(subject, session)] = number - 1;
  }
  return cells_[number - 1].second;
}

const Cell* ScriptGrid::Find(int32_t subject, int32_t session) const {
  size_t slot = static_cast<size_t>(subject) * kTableSessions + static_cast<size_t>(session);
  if (subject >= 0 && subject < kTableSubjects && session >= 0 && session < kTableSessions)
    return slot < table_.size() && table_[slot] != 0 ? &cells_[table_[slot] - 1].second : nullptr;
  auto found = others_.find(Key(subject, session));
  return found == others_.end() ? nullptr : &cells_[found->second].second;
}

std::vector<int32_t> ScriptGrid::Subjects() const {
  std::vector<int32_t> subjects;
  for (const auto& [key, cell] : cells_)
    subjects.push_back(static_cast<int32_t>(key >> 32));
  std::sort(subjects.begin(), subjects.end());
  subjects.erase(std::unique(subjects.begin(), subjects.end()), subjects.end());
  return subjects;
}

std::vector<int32_t> ScriptGrid::Sessions() const {
  std::vector<int32_t> sessions;
  for (const auto& [key, cell] : cells_)
    sessions.push_back(static_cast<int32_t>(static_cast<uint32_t>(key)));
  std::sort(sessions.begin(), sessions.end());
  sessions.erase(std::unique(sessions.begin(), sessions.end()), sessions.end());
  return sessions;
}

void ScriptGrid::Saved(int32_t subject, int32_t session) {
  auto [highest, first] = highestSaved_.emplace(subject, session);
  highest->second = first ? session : std::max(highest->second, session);
}

int64_t ScriptGrid::NextSession(int32_t subject) const {
  auto saved = highestSaved_.find(subject);
  return (saved == highestSaved_.end() ? 0 : int64_t{saved->second}) + 1;
}

size_t ScriptGrid::Count(RunOutcome outcome) const {
  size_t count = 0;
  for (const auto& [key, cell] : cells_)
    count += cell.Shown().outcome == outcome ? 1 : 0;
  return count;
}

void AttentionList::Add(AttentionItem item) {
  ++count;
  latest.push_back(std::move(item));
  if (latest.size() > kKept)
    latest.pop_front();
}

size_t ReportModel::Count(RunOutcome outcome) const {
  size_t count = 0;
  for (const auto& [key, grid] : grids_) {
    count += grid.Count(outcome);
    for (const auto& [label, cell] : grid.others)
      count += cell.Shown().outcome == outcome ? 1 : 0;
  }
  return count;
}

void ReportModel::Take(const JournalEntry& entry) {
  if (entry.event() == JournalEvent::kErunStarted)
    return;  // E-Run's process, which the stations look at
  std::string_view time = entry.Field(JournalColumn::kTime);
  if (rows_++ == 0)
    firstTime_ = time;
  lastTime_.assign(time);
  JournalEvent event = entry.event();
  std::string_view id = entry.Field(JournalColumn::kRun);
  size_t open = 0;
  bool ends = event != JournalEvent::kStarted && event != JournalEvent::kRefused;
  while (ends && open < openRuns_ && runs_[open].id != id)
    ++open;
  if (ends && open < openRuns_) {
    End(runs_[open], entry);
    Close(open, "");
    return;
  }
  // The run's first row: a `started` row, a `refused` row, or an end row whose start the
  // journal does not have.
  if (openRuns_ == runs_.size())
    runs_.emplace_back();
  Run& run = runs_[openRuns_];
  Begin(entry, &run);
  if (event == JournalEvent::kRefused) {
    // A refusal shows only where nothing else happened.
    if (!run.cell->run)
      Show(run.cell->refused, RunOutcome::kRefused, entry, run.row);
    std::string_view message = entry.Field(JournalColumn::kMessage);
    auto& [count, latest] = At(refusals_, message.substr(0, message.find(": ")));
    ++count;
    latest.time.assign(time);
    latest.computer.assign(entry.Field(JournalColumn::kComputer));
    latest.text.assign(message);
    return;
  }
  Show(run.cell->run, RunOutcome::kRunning, entry, run.row);
  if (event != JournalEvent::kStarted) {
    End(run, entry);
    return;
  }
  run.id.assign(id);
  run.computer.assign(entry.Field(JournalColumn::kComputer));
  run.startedAt.assign(time);
  rule_.Note(entry);
  ++openRuns_;
  // A run that its computer's next `started` row follows no longer counts as running.
  for (size_t other = openRuns_; other-- > 0;) {
    if (!rule_.IsLatest(runs_[other].computer, runs_[other].row))
      Close(other, ": interrupted; its computer has started another run since");
  }
}

// Ends the open run `open`; a reason says why it never ended, for the attention list.
void ReportModel::Close(size_t open, std::string_view why) {
  Run& run = runs_[open];
  if (!why.empty()) {
    if (run.cell->run && run.cell->run->order == run.row)
      run.cell->run->outcome = RunOutcome::kInterrupted;
    attention_[static_cast<size_t>(Attention::kInterrupted)].Add(
        {run.startedAt, run.computer, run.Label() + std::string(why)});
  }
  std::swap(run, runs_[--openRuns_]);
}

// The run that `entry` begins, in the cell of its script, Subject and Session; counted for
// its computer.
void ReportModel::Begin(const JournalEntry& entry, Run* run) {
  ScriptGrid& grid = GridOf(FileNameOf(entry.Field(JournalColumn::kScript)));
  std::string_view attributes = entry.Field(JournalColumn::kAttributes);
  run->grid = &grid;
  SubjectAndSession(attributes, &run->subject, &run->session);
  run->row = entry.row();
  run->other.clear();
  if (run->subject && run->session) {
    run->cell = &grid.At(*run->subject, *run->session);
  } else {
    std::string_view dataFile = entry.Field(JournalColumn::kDataFile);
    run->other = dataFile.empty() ? entry.Field(JournalColumn::kRun) : dataFile;
    run->cell = &grid.others[run->other];
  }
  ComputerRuns& computer = ComputerOf(entry.Field(JournalColumn::kComputer));
  ++computer.runs;
  computer.last.assign(entry.Field(JournalColumn::kTime));
  if (run->subject && *run->subject == 0)
    Note(Attention::kSubjectZero, entry,
         run->Label() + ": Subject 0, for which no data are logged");
}

// Names as a station writes them are found at once; a name in other letters next.
ComputerRuns& ReportModel::ComputerOf(std::string_view name) {
  for (ComputerRuns& computer : computers_) {
    if (computer.name == name)
      return computer;
  }
  for (ComputerRuns& computer : computers_) {
    if (EqualsInsensitive(computer.name, name))
      return computer;
  }
  computers_.push_back({std::string(name), 0, ""});
  return computers_.back();
}

std::vector<ComputerRuns> ReportModel::Computers() const {
  std::vector<ComputerRuns> computers = computers_;
  std::sort(computers.begin(), computers.end(), [](const ComputerRuns& a, const ComputerRuns& b) {
    return InsensitiveLess()(a.name, b.name);
  });
  return computers;
}

// Most rows are of the script before them.
ScriptGrid& ReportModel::GridOf(std::string_view script) {
  if (lastGrid_ == nullptr ||
      (lastGrid_->name != script && !EqualsInsensitive(lastGrid_->name, script))) {
    lastGrid_ = &At(grids_, script);
    if (lastGrid_->name.empty())
      lastGrid_->name = script.empty() ? "(no script)" : script;
  }
  return *lastGrid_;
}

std::string ReportModel::Run::Label() const {
  if (!other.empty())
    return other;
  return grid->name + ", Subject " + std::to_string(*subject) + ", Session " +
         std::to_string(*session);
}

void ReportModel::End(const Run& run, const JournalEntry& entry) {
  RunOutcome outcome = EndOutcome(entry.event());
  if (run.cell->run && run.cell->run->order == run.row)
    Show(run.cell->run, outcome, entry, run.row);
  std::string_view file = FileNameOf(entry.Field(JournalColumn::kDataFile));
  if (outcome == RunOutcome::kSaved) {
    if (run.subject && run.session)
      run.grid->Saved(*run.subject, *run.session);
    DataFile& data = DataFileOf(file);
    if (data.saved) {
      std::string text(file);
      text.append(" saved again; first at ").append(data.saved->time).append(" on ");
      Note(Attention::kSavedTwice, entry, text.append(data.saved->computer));
    } else {
      data.saved = AttentionItem{std::string(entry.Field(JournalColumn::kTime)),
                                 std::string(entry.Field(JournalColumn::kComputer)), ""};
    }
    data.aborted.reset();
  } else if (outcome == RunOutcome::kNotConverted) {
    DataFileOf(file).aborted = AttentionItem{
        std::string(entry.Field(JournalColumn::kTime)),
        std::string(entry.Field(JournalColumn::kComputer)),
        run.Label() + ": " + std::string(entry.Field(JournalColumn::kMessage)), entry.row()};
  } else if (outcome == RunOutcome::kEnded) {
    Note(Attention::kNotChecked, entry,
         run.Label() + ": " + std::string(entry.Field(JournalColumn::kMessage)));
  }
}

// The data file of that name, in any letter case.
ReportModel::DataFile& ReportModel::DataFileOf(std::string_view name) {
  dataFileKey_.assign(name);
  for (char& c : dataFileKey_)
    c = UpperCaseAscii(c);
  return dataFiles_[dataFileKey_];
}

void ReportModel::Note(Attention kind, const JournalEntry& entry, std::string text) {
  attention_[static_cast<size_t>(kind)].Add({std::string(entry.Field(JournalColumn::kTime)),
                                             std::string(entry.Field(JournalColumn::kComputer)),
                                             std::move(text)});
}

void ReportModel::Finish(std::time_t now) {
  // The runs still open are their computers' latest; the rule says whether they still count.
  for (size_t open = openRuns_; open-- > 0;) {
    const Run& run = runs_[open];
    std::time_t started;
    std::optional<std::time_t> time;
    if (ParseJournalTime(run.startedAt, &started))
      time = started;
    if (!rule_.Running(run.computer, run.row, time, now))
      Close(open, ": open for more than 12 hours");
  }
  // Aborts in the order of the journal: the data files' order is a hash's.
  std::vector<const AttentionItem*> aborted;
  for (const auto& [name, data] : dataFiles_) {
    if (data.aborted)
      aborted.push_back(&*data.aborted);
  }
  std::sort(aborted.begin(), aborted.end(),
            [](const AttentionItem* a, const AttentionItem* b) { return a->row < b->row; });
  for (const AttentionItem* item : aborted)
    attention_[static_cast<size_t>(Attention::kAborted)].Add(*item);
  for (const auto& [kind, refusal] : refusals_) {
    AttentionItem item = refusal.second;
    item.text = kind + ", " + std::to_string(refusal.first) +
                (refusal.first == 1 ? " time: " : " times; the latest: ") + item.text;
    attention_[static_cast<size_t>(Attention::kRefusals)].Add(item);
  }
}
