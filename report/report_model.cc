#include "report/report_model.h"

#include <algorithm>

#include "base/latin_text.h"
#include "base/paths.h"
#include "base/text_helpers.h"
#include "journal/attributes_text.h"

namespace {

const char* const kOutcomeNames[kRunOutcomes] = {"saved",        "not converted", "no data",
                                                 "running",      "interrupted",   "ended",
                                                 "E-Run failed", "refused"};

// The open runs kept where an end row looks first; older ones wait in a map.
const size_t kRecentRuns = 64;

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

// The Subject and the Session in a row's attributes ("Session=1; Subject=12"), each when
// the row has it as a whole number; neither when the column cannot be read.
void SubjectAndSession(std::string_view attributes, std::optional<int32_t>* subject,
                       std::optional<int32_t>* session) {
  subject->reset();
  session->reset();
  AttributesReader reader(attributes);
  std::string_view name, value;
  while (reader.Next(&name, &value)) {
    // Names as typed: "subject", "Sub ject".
    bool plain = name.size() == 7;
    std::optional<int32_t>* number =
        (plain ? EqualsInsensitive(name, "SUBJECT") : SqueezesTo(name, "SUBJECT"))   ? subject
        : (plain ? EqualsInsensitive(name, "SESSION") : SqueezesTo(name, "SESSION")) ? session
                                                                                     : nullptr;
    if (number != nullptr)
      *number = ParseWholeNumber(value);
  }
  if (reader.failed()) {
    subject->reset();
    session->reset();
  }
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

// What is known of a data file: its first save and its latest, its latest abort, and the
// runs that did not check it, which a later save leaves out.
struct ReportDataFile {
  std::optional<RunOrder> firstSave, lastSave;
  std::string firstTime, firstComputer, firstFileName;
  std::optional<AttentionItem> abort;
  std::vector<AttentionItem> unchecked;
};

namespace {

// A save of a data file after its first, whose item names the first once all are known.
struct SavedAgain {
  AttentionItem item;
  std::string fileName;
  const ReportDataFile* file;
};

}  // namespace

// The fields of a row that begins a run, in UTF-8.
struct ReportModel::Fields {
  std::string_view run, time, computer, script, attributes, dataFile, message;
  RunOrder order;
};

// A run that has begun: its cell, and what the attention list says of it.
struct ReportModel::Run {
  std::string id;
  RunOrder order;  // of its started or refused row
  ScriptGrid* grid = nullptr;
  Cell* cell = nullptr;
  std::optional<int32_t> subject, session;
  std::string other;  // its label below the grid, when it has no Subject or Session
  size_t computer = 0;
  std::string startTime;
  std::string dataFile;

  /// What the attention list calls it: its script, Subject and Session, or its label.
  std::string Label() const {
    if (!other.empty())
      return other;
    return grid->name + ", Subject " + std::to_string(*subject) + ", Session " +
           std::to_string(*session);
  }
};

// What an end row says. One whose started row has not come waits for it: a sorted journal
// has it so, or a journal that lacks the started row, whose run then begins at the end.
struct ReportModel::Ending {
  JournalEvent event = JournalEvent::kEnded;
  bool released = false;  // by hand: `ended`, with no script
  std::string time, computer, message;
  std::string run, script, attributes, dataFile;  // to begin the run, when nothing else does
  RunOrder order;
};

struct ReportModel::State {
  std::string converted[7];  // a row's fields in UTF-8, where they were not
  // The open runs are the first `openCount` of `open`; the rest keep their buffers for the
  // next, as each row's run is made in `begun` first. A station runs one run at a time, so
  // there are about as many as stations; the oldest beyond kRecentRuns wait in `stale`.
  std::vector<Run> open;
  size_t openCount = 0;
  Run begun;
  std::map<std::string, Run, std::less<>> stale;
  std::multimap<std::string, Ending, std::less<>> early;
  std::unordered_map<std::string, ReportDataFile> files;  // by file name in upper case
  std::string key;
  std::deque<SavedAgain> savedAgain;  // the latest kKept, in order
  size_t savedAgainCount = 0;
  std::vector<AttentionItem> unnamedUnchecked;
  std::map<std::string, std::pair<size_t, AttentionItem>, std::less<>> refusals;
  std::pair<size_t, AttentionItem>* lastRefusal = nullptr;
  std::string lastKind;
  std::vector<ComputerRuns> computers;
  ScriptGrid* lastGrid = nullptr;
  std::map<std::string, ScriptGrid, InsensitiveLess>* grids = nullptr;

  ScriptGrid& GridOf(std::string_view script);
  size_t ComputerOf(std::string_view name);
  ReportDataFile* FileOf(std::string_view path);
};

// Most rows are of the script before them.
ScriptGrid& ReportModel::State::GridOf(std::string_view script) {
  if (lastGrid == nullptr ||
      (lastGrid->name != script && !EqualsInsensitive(lastGrid->name, script))) {
    lastGrid = &At(*grids, script);
    if (lastGrid->name.empty())
      lastGrid->name = script.empty() ? "(no script)" : script;
  }
  return *lastGrid;
}

// Names as a station writes them are found at once; a name in other letters next. A lab
// has a few computers.
size_t ReportModel::State::ComputerOf(std::string_view name) {
  // Names such as LAB-PC1 to LAB-PC8 differ at their end, which is compared first.
  auto same = [name](const std::string& known) {
    return known.size() == name.size() && (name.empty() || known.back() == name.back()) &&
           std::equal(name.begin(), name.end(), known.begin());
  };
  for (size_t at = 0; at < computers.size(); ++at) {
    if (same(computers[at].name))
      return at;
  }
  std::string upper = UpperCaseLatinUtf8(name);
  for (size_t at = 0; at < computers.size(); ++at) {
    if (UpperCaseLatinUtf8(computers[at].name) == upper)
      return at;
  }
  computers.push_back({std::string(name), 0, "", {}});
  return computers.size() - 1;
}

// The data file of that name, in any letter case; nullptr for a row without one.
ReportDataFile* ReportModel::State::FileOf(std::string_view path) {
  std::string_view name = FileNameOf(path);
  if (name.empty())
    return nullptr;
  key.assign(name);
  for (char& c : key)
    c = UpperCaseAscii(c);
  if (!std::all_of(key.begin(), key.end(),
                   [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    key = UpperCaseLatinUtf8(key);
  return &files[key];
}

const char* OutcomeName(RunOutcome outcome) {
  return kOutcomeNames[static_cast<size_t>(outcome)];
}

Cell& ScriptGrid::At(int32_t subject, int32_t session) {
  bool tabled =
      subject >= 0 && subject < kTableSubjects && session >= 0 && session < kTableSessions;
  size_t slot = static_cast<size_t>(subject) * kTableSessions + static_cast<size_t>(session);
  if (tabled && slot >= table_.size())
    table_.resize((static_cast<size_t>(subject) + 1) * kTableSessions);
  uint32_t number = tabled ? table_[slot] : 0;
  if (!tabled) {
    auto found = keyed_.find(Key(subject, session));
    number = found == keyed_.end() ? 0 : found->second + 1;
  }
  if (number == 0) {
    cells_.emplace_back();
    cells_.back().first = Key(subject, session);
    number = static_cast<uint32_t>(cells_.size());
    if (tabled)
      table_[slot] = number;
    else
      keyed_[Key(subject, session)] = number - 1;
  }
  return cells_[number - 1].second;
}

const Cell* ScriptGrid::FindCell(int32_t subject, int32_t session) const {
  size_t slot = static_cast<size_t>(subject) * kTableSessions + static_cast<size_t>(session);
  if (subject >= 0 && subject < kTableSubjects && session >= 0 && session < kTableSessions)
    return slot < table_.size() && table_[slot] != 0 ? &cells_[table_[slot] - 1].second : nullptr;
  auto found = keyed_.find(Key(subject, session));
  return found == keyed_.end() ? nullptr : &cells_[found->second].second;
}

const Happening* ScriptGrid::Find(int32_t subject, int32_t session) const {
  const Cell* cell = FindCell(subject, session);
  return cell == nullptr ? nullptr : cell->shown();
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

int64_t ScriptGrid::NextSession(int32_t subject) const {
  int64_t session = 1;
  for (; session <= INT32_MAX; ++session) {
    const Cell* cell = FindCell(subject, static_cast<int32_t>(session));
    if (cell == nullptr || !cell->saved)
      break;
  }
  return session;
}

size_t ScriptGrid::Count(RunOutcome outcome) const {
  size_t count = 0;
  for (const auto& [key, cell] : cells_)
    count += cell.shown() != nullptr && cell.shown()->outcome == outcome ? 1 : 0;
  return count;
}

void ScriptGrid::CountSaved() {
  std::vector<int32_t> subjects;
  for (const auto& [key, cell] : cells_) {
    if (cell.saved) {
      ++sessionsSaved;
      subjects.push_back(static_cast<int32_t>(key >> 32));
    }
  }
  std::sort(subjects.begin(), subjects.end());
  participantsSaved =
      static_cast<size_t>(std::unique(subjects.begin(), subjects.end()) - subjects.begin());
}

bool AttentionList::Keeps(const RunOrder& order) const {
  return latest.size() < kKept || latest.front().order < order;
}

void AttentionList::Add(AttentionItem item) {
  ++count;
  if (!Keeps(item.order))
    return;
  // Items come mostly in their runs' order: found from the back.
  auto at = latest.end();
  while (at != latest.begin() && item.order < (at - 1)->order)
    --at;
  latest.insert(at, std::move(item));
  if (latest.size() > kKept)
    latest.pop_front();
}

ReportModel::ReportModel() : state_(std::make_unique<State>()) {
  state_->grids = &grids_;
}
ReportModel::~ReportModel() = default;
ReportModel::ReportModel(ReportModel&& other) noexcept
    : state_(std::move(other.state_)),
      grids_(std::move(other.grids_)),
      refusals_(other.refusals_),
      unreadableRows_(std::move(other.unreadableRows_)),
      rows_(other.rows_),
      firstTime_(std::move(other.firstTime_)),
      lastTime_(std::move(other.lastTime_)),
      first_(other.first_),
      last_(other.last_) {
  for (size_t kind = 0; kind < static_cast<size_t>(Attention::kCount); ++kind)
    attention_[kind] = std::move(other.attention_[kind]);
  if (state_)
    state_->grids = &grids_;
}

size_t ReportModel::Count(RunOutcome outcome) const {
  size_t count = 0;
  for (const auto& [key, grid] : grids_) {
    count += grid.Count(outcome);
    for (const auto& [label, cell] : grid.others)
      count += cell.shown() != nullptr && cell.shown()->outcome == outcome ? 1 : 0;
  }
  return count;
}

std::vector<ComputerRuns> ReportModel::Computers() const {
  std::vector<ComputerRuns> computers = state_->computers;
  std::sort(computers.begin(), computers.end(), [](const ComputerRuns& a, const ComputerRuns& b) {
    return InsensitiveLess()(a.name, b.name);
  });
  return computers;
}

void ReportModel::Take(const JournalEntry& entry) {
  ++rows_;
  JournalEvent event = entry.event();
  if (event == JournalEvent::kErunStarted)
    return;  // E-Run's process, which the stations look at, not the report
  // Rows in the code page's text are taken in UTF-8, as the page shows them.
  std::string* converted = state_->converted;
  auto field = [&entry, converted](JournalColumn column, size_t slot) -> std::string_view {
    if (entry.ascii())
      return entry.Field(column);
    converted[slot] = entry.Utf8(column);
    return converted[slot];
  };
  Fields fields;
  fields.run = field(JournalColumn::kRun, 0);
  fields.time = field(JournalColumn::kTime, 1);
  fields.computer = field(JournalColumn::kComputer, 2);
  fields.script = field(JournalColumn::kScript, 3);
  fields.message = field(JournalColumn::kMessage, 6);
  fields.order.row = entry.row();
  // The end row of an open run needs no more; a row that may begin a run does.
  bool ends = EndsRun(event) && FindOpen(fields.run) != nullptr;
  if (!ends) {
    fields.attributes = field(JournalColumn::kAttributes, 4);
    fields.dataFile = field(JournalColumn::kDataFile, 5);
    fields.order.time = entry.Time();
  }
  if (event == JournalEvent::kStarted || event == JournalEvent::kRefused)
    TakeBeginning(event, fields);
  else
    TakeEnding(event, fields);
}

// A run's started or refused row.
void ReportModel::TakeBeginning(JournalEvent event, const Fields& fields) {
  Run& run = state_->begun;
  Begin(run, fields, event == JournalEvent::kStarted);
  if (event == JournalEvent::kRefused) {
    Refused(run, fields);
    return;
  }
  // End rows that came before it end it now, the last of them showing.
  auto [first, last] = state_->early.equal_range(fields.run);
  if (first == last) {
    Open(run);
    return;
  }
  Show(*run.cell, run, false);
  for (auto at = first; at != last; ++at)
    End(run, at->second);
  state_->early.erase(first, last);
}

// An end row: of an open run, or of one whose started row has not come.
void ReportModel::TakeEnding(JournalEvent event, const Fields& fields) {
  Ending ending;
  ending.event = event;
  ending.released = event == JournalEvent::kEnded && fields.script.empty();
  ending.time.assign(fields.time);
  ending.computer.assign(fields.computer);
  ending.message.assign(fields.message);
  if (Run* run = FindOpen(fields.run)) {
    End(*run, ending);
    Close(fields.run);
    return;
  }
  ending.run.assign(fields.run);
  ending.script.assign(fields.script);
  ending.attributes.assign(fields.attributes);
  ending.dataFile.assign(fields.dataFile);
  ending.order = fields.order;
  state_->early.emplace(std::string(fields.run), std::move(ending));
}

// The run that `fields` begin, in the cell of its script, Subject and Session; counted for
// its computer.
void ReportModel::Begin(Run& run, const Fields& fields, bool keep) {
  State& state = *state_;
  run.order = fields.order;
  run.grid = &state.GridOf(FileNameOf(fields.script));
  SubjectAndSession(fields.attributes, &run.subject, &run.session);
  std::string_view other;
  if (run.subject && run.session) {
    run.cell = &run.grid->At(*run.subject, *run.session);
  } else {
    other = fields.dataFile.empty() ? fields.run : fields.dataFile;
    run.cell = &At(run.grid->others, other);
  }
  // A refused run is done with its row: only an open one keeps its texts.
  if (keep) {
    run.id.assign(fields.run);
    run.dataFile.assign(fields.dataFile);
    run.startTime.assign(fields.time);
    run.other.assign(other);
  }
  run.computer = state.ComputerOf(fields.computer);
  ComputerRuns& computer = state.computers[run.computer];
  if (computer.runs++ == 0 || computer.latest < run.order) {
    computer.latest = run.order;
    computer.last.assign(fields.time);
  }
  if (run.order.time) {
    if (!first_ || run.order < *first_) {
      first_ = run.order;
      firstTime_.assign(fields.time);
    }
    if (!last_ || *last_ < run.order) {
      last_ = run.order;
      lastTime_.assign(fields.time);
    }
  }
  if (run.subject && *run.subject == 0) {
    AttentionList& list = attention_[static_cast<size_t>(Attention::kSubjectZero)];
    std::string label =
        run.session ? run.grid->name + ", Subject 0, Session " + std::to_string(*run.session)
                    : std::string(other);
    list.Add({std::string(fields.time), computer.name,
              label + ": Subject 0, for which no data are logged", run.order});
  }
}

// A run that started: open until a row of its own ends it.
void ReportModel::Open(Run& run) {
  State& state = *state_;
  Show(*run.cell, run, false);
  if (run.subject)
    run.grid->nextSubject = std::max(run.grid->nextSubject, int64_t{*run.subject} + 1);
  if (state.openCount == kRecentRuns) {
    size_t oldest = 0;
    for (size_t at = 1; at < state.openCount; ++at)
      oldest = state.open[at].order < state.open[oldest].order ? at : oldest;
    state.stale.emplace(state.open[oldest].id, state.open[oldest]);
    std::swap(state.open[oldest], state.open[--state.openCount]);
  }
  if (state.openCount == state.open.size())
    state.open.emplace_back();
  std::swap(run, state.open[state.openCount++]);
}

// A refusal shows only where nothing else happened; the list groups refusals by their kind,
// the message before its first ": " ("Already saved"), as a message names its data file.
void ReportModel::Refused(const Run& run, const Fields& fields) {
  State& state = *state_;
  const std::string& computer = state.computers[run.computer].name;
  if (Show(*run.cell, run, true)) {
    Happening& shown = run.cell->Shown().shown;
    shown.outcome = RunOutcome::kRefused;
    shown.time.assign(fields.time);
    shown.computer.assign(computer);
    shown.message.assign(fields.message);
  }
  ++refusals_;
  // Refusals of one kind mostly follow each other.
  std::string_view kind = fields.message.substr(0, fields.message.find(": "));
  if (state.lastRefusal == nullptr || state.lastKind != kind) {
    state.lastRefusal = &At(state.refusals, kind);
    state.lastKind.assign(kind);
  }
  auto& [count, latest] = *state.lastRefusal;
  if (count++ == 0 || latest.order < run.order) {
    latest.time.assign(fields.time);
    latest.computer.assign(computer);
    latest.text.assign(fields.message);
    latest.order = run.order;
  }
}

// Whether the run is `cell`'s latest, which the cell then shows: a refusal only where no
// other run is, and so never in place of one. The texts of a run that started come with its
// end row, or with Finish for one still open: a journal's next run of a cell mostly comes
// before that.
bool ReportModel::Show(Cell& cell, const Run& run, bool refused) {
  bool shows = !cell.any || (cell.refused && !refused) ||
               (cell.refused == refused && cell.order < run.order);
  if (!shows)
    return false;
  cell.any = true;
  cell.refused = refused;
  cell.order = run.order;
  cell.Shown().shown.outcome = RunOutcome::kRunning;
  return true;
}

void ReportModel::End(const Run& run, const Ending& ending) {
  RunOutcome outcome = ending.released ? RunOutcome::kInterrupted : EndOutcome(ending.event);
  Cell& cell = *run.cell;
  Cell::Texts& texts = cell.Shown();
  if (cell.any && !cell.refused && !(cell.order < run.order) && !(run.order < cell.order)) {
    texts.shown.outcome = outcome;
    texts.shown.time = ending.time;
    texts.shown.computer = ending.computer;
    texts.shown.message = ending.message;
  }
  cell.saved = cell.saved || outcome == RunOutcome::kSaved;
  State& state = *state_;
  const std::string& computer = state.computers[run.computer].name;
  if (ending.released) {
    attention_[static_cast<size_t>(Attention::kInterrupted)].Add(
        {run.startTime, computer, run.Label() + ": released by hand", run.order});
    return;
  }
  // A cell's runs write one data file, mostly: it is looked up once for them.
  ReportDataFile* file = texts.fileName == run.dataFile && texts.file != nullptr
                             ? texts.file
                             : state.FileOf(run.dataFile);
  if (file != nullptr && texts.file != file) {
    texts.file = file;
    texts.fileName = run.dataFile;
  }
  if (outcome == RunOutcome::kEnded) {
    AttentionItem item{ending.time, computer, run.Label() + ": " + ending.message, run.order};
    if (file == nullptr)
      attention_[static_cast<size_t>(Attention::kNotChecked)].Add(std::move(item));
    else
      file->unchecked.push_back(std::move(item));
  }
  if (file == nullptr)
    return;
  if (outcome == RunOutcome::kNotConverted && (!file->abort || file->abort->order < run.order))
    file->abort =
        AttentionItem{ending.time, computer, run.Label() + ": " + ending.message, run.order};
  if (outcome == RunOutcome::kSaved)
    Saved(run, ending, file);
}

// A save of a data file: each save but the first, by order, is an item; an earlier save
// found later is the first.
void ReportModel::Saved(const Run& run, const Ending& ending, ReportDataFile* file) {
  State& state = *state_;
  const std::string& computer = state.computers[run.computer].name;
  if (!file->lastSave || *file->lastSave < run.order)
    file->lastSave = run.order;
  AttentionItem again{ending.time, computer, "", run.order};
  std::string fileName(FileNameOf(run.dataFile));
  if (!file->firstSave || run.order < *file->firstSave) {
    bool hadFirst = file->firstSave.has_value();
    if (hadFirst) {
      again = {file->firstTime, file->firstComputer, "", *file->firstSave};
      fileName = file->firstFileName;
    }
    file->firstSave = run.order;
    file->firstTime = ending.time;
    file->firstComputer = computer;
    file->firstFileName.assign(FileNameOf(run.dataFile));
    if (!hadFirst)
      return;
  }
  ++state.savedAgainCount;
  if (state.savedAgain.size() == AttentionList::kKept &&
      !(state.savedAgain.front().item.order < again.order))
    return;
  auto at = state.savedAgain.end();
  while (at != state.savedAgain.begin() && again.order < (at - 1)->item.order)
    --at;
  state.savedAgain.insert(at, {std::move(again), std::move(fileName), file});
  if (state.savedAgain.size() > AttentionList::kKept)
    state.savedAgain.pop_front();
}

ReportModel::Run* ReportModel::FindOpen(std::string_view id) {
  State& state = *state_;
  for (size_t at = 0; at < state.openCount; ++at) {
    if (state.open[at].id == id)
      return &state.open[at];
  }
  auto stale = state.stale.find(id);
  return stale == state.stale.end() ? nullptr : &stale->second;
}

void ReportModel::Close(std::string_view id) {
  State& state = *state_;
  for (size_t at = 0; at < state.openCount; ++at) {
    if (state.open[at].id == id) {
      std::swap(state.open[at], state.open[--state.openCount]);
      return;
    }
  }
  auto stale = state.stale.find(id);
  if (stale != state.stale.end())
    state.stale.erase(stale);
}

void ReportModel::Finish(std::time_t now) {
  FinishRuns(now);
  FinishDataFiles();
  for (auto& [kind, refusal] : state_->refusals) {
    AttentionItem item = refusal.second;
    item.text = kind + ", " + std::to_string(refusal.first) +
                (refusal.first == 1 ? " time: " : " times; the latest: ") + item.text;
    // In the order of their kinds.
    AttentionList& list = attention_[static_cast<size_t>(Attention::kRefusals)];
    ++list.count;
    list.latest.push_back(std::move(item));
  }
  for (auto& [key, grid] : grids_)
    grid.CountSaved();
}

// End rows that no started row came for begin their runs; the runs still open are running
// or, begun more than the rule allows ago, interrupted.
void ReportModel::FinishRuns(std::time_t now) {
  State& state = *state_;
  for (auto& [id, ending] : state.early) {
    Run& run = state.begun;
    Begin(run,
          {ending.run, ending.time, ending.computer, ending.script, ending.attributes,
           ending.dataFile, ending.message, ending.order},
          true);
    Show(*run.cell, run, false);
    End(run, ending);
  }
  state.early.clear();
  std::vector<Run*> open;
  for (size_t at = 0; at < state.openCount; ++at)
    open.push_back(&state.open[at]);
  for (auto& [id, run] : state.stale)
    open.push_back(&run);
  for (Run* run : open) {
    Cell& cell = *run->cell;
    bool shown =
        cell.any && !cell.refused && !(cell.order < run->order) && !(run->order < cell.order);
    Happening& texts = cell.Shown().shown;
    if (shown) {
      texts.time = run->startTime;
      texts.computer = state.computers[run->computer].name;
      texts.message.clear();
    }
    if (StillOpen(run->order.time, now)) {
      ++run->grid->runningNow;
      continue;
    }
    if (shown)
      texts.outcome = RunOutcome::kInterrupted;
    attention_[static_cast<size_t>(Attention::kInterrupted)].Add(
        {run->startTime, state.computers[run->computer].name,
         run->Label() + ": open for more than " + OpenRunHoursText(), run->order});
  }
}

// What needs a data file's every row: an abort that no later save follows, runs that did
// not check it but for those a later save follows, and each save after the first.
void ReportModel::FinishDataFiles() {
  State& state = *state_;
  for (auto& [key, file] : state.files) {
    bool abortStands = file.abort && (!file.lastSave || *file.lastSave < file.abort->order);
    if (abortStands)
      attention_[static_cast<size_t>(Attention::kAborted)].Add(std::move(*file.abort));
    for (AttentionItem& item : file.unchecked) {
      if (!file.lastSave || *file.lastSave < item.order)
        attention_[static_cast<size_t>(Attention::kNotChecked)].Add(std::move(item));
    }
  }
  AttentionList& savedTwice = attention_[static_cast<size_t>(Attention::kSavedTwice)];
  for (SavedAgain& again : state.savedAgain) {
    again.item.text = again.fileName + " saved again; first at " + again.file->firstTime + " on " +
                      again.file->firstComputer;
    savedTwice.latest.push_back(std::move(again.item));
  }
  savedTwice.count = state.savedAgainCount;
}
