#include "report/report_model.h"

#include <algorithm>
#include <cstring>

#include "base/latin_text.h"
#include "base/paths.h"
#include "base/prefetch.h"
#include "base/text_helpers.h"
#include "journal/attributes_text.h"
#include "journal/journal_time.h"

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

// The field in UTF-8, kept in `converted`.
std::string_view Converted(const JournalEntry& entry, JournalColumn column,
                           std::string* converted) {
  *converted = entry.Utf8(column);
  return *converted;
}

// The Subject and the Session in a row's attributes ("Session=1; Subject=12"), each when
// the row has it as a whole number; neither when the column cannot be read.
void SubjectAndSession(std::string_view attributes, std::optional<int32_t>* subject,
                       std::optional<int32_t>* session) {
  // Tarvo's own form, which nearly every row has, is read at once.
  OwnSessionAndSubject own;
  if (own.Read(attributes)) {
    *subject = own.subjectNumber;
    *session = own.sessionNumber;
    return;
  }
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

// The file name in "Set aside: <old> as <new>", the last note of a started row's message
// (notes are joined by " / "), "" without one. The new path is the old one's folder and a
// file name, which tells which " as " stands between them.
std::string_view SetAsideAs(std::string_view message) {
  const std::string_view note = "Set aside: ";
  size_t at = message.rfind(note);
  if (at == std::string_view::npos || (at != 0 && (at < 3 || message.substr(at - 3, 3) != " / ")))
    return std::string_view();
  std::string_view paths = message.substr(at + note.size());
  for (size_t as = paths.find(" as "); as != std::string_view::npos;
       as = paths.find(" as ", as + 1)) {
    std::string_view old = paths.substr(0, as), now = paths.substr(as + 4);
    std::string_view folder = old.substr(0, old.size() - FileNameOf(old).size());
    if (FileNameOf(now).size() == now.size() - folder.size())
      return FileNameOf(now);
  }
  return std::string_view();
}

// The element of `map` for `key`, made in place when there is none; found without a copy of
// the key.
template <typename Map>
typename Map::value_type& At(Map& map, std::string_view key) {
  auto found = map.find(key);
  if (found == map.end())
    found = map.try_emplace(std::string(key)).first;
  return *found;
}

// What the attention list calls a run: its script, Subject and Session, or its label below
// the grid, `other`, when it has no Subject or Session.
std::string RunLabel(const ScriptGrid& grid, int32_t subject, int32_t session,
                     const std::string* other) {
  if (other != nullptr)
    return *other;
  return grid.name + ", Subject " + std::to_string(subject) + ", Session " +
         std::to_string(session);
}

// An item of a run whose text is made only once it is known to stand: most aborts, and
// most runs that did not check their data, are followed by a save.
struct PendingItem {
  RunOrder order;
  TimeText time;
  ComputerText computer;
  MessageText message;
  // The run's label (ReportModel::Run): its script, Subject and Session, or `other`.
  const ScriptGrid* grid = nullptr;
  int32_t subject = 0, session = 0;
  const std::string* other = nullptr;

  AttentionItem Item() const {
    return {std::string(time.view()), std::string(computer.view()),
            RunLabel(*grid, subject, session, other).append(": ").append(message.view()), order};
  }
};

// Adds the item to `list` when the list keeps it, else counts it, without making its text.
void AddPending(AttentionList& list, const PendingItem& item) {
  if (list.Keeps(item.order))
    list.Add(item.Item());
  else
    ++list.count;
}

}  // namespace

// What is known of a data file: its first save and its latest, its latest abort while no
// later save follows it, and the runs that did not check it, which a later save leaves out.
struct ReportDataFile {
  // What an end row of its runs looks at first, together.
  std::string_view key;  // its file name in upper case, in State::keys
  std::optional<RunOrder> firstSave, lastSave;
  PendingItem* abort = nullptr;  // of State::aborts
  TimeText firstTime;
  ComputerText firstComputer;
  InlineText<44> firstFileName;
  std::vector<PendingItem> unchecked;

  void Prefetch() const {
    ::Prefetch(this);
    ::Prefetch(&lastSave);
    ::Prefetch(key.data());
    ::Prefetch(abort);
  }
};

namespace {

// Texts that stay as they were made as long as the model, such as the data files' keys,
// side by side in blocks: none needs a block of its own, nor room it does not use.
class TextArena {
 public:
  std::string_view Keep(std::string_view text) {
    if (blocks_.empty() || text.size() > size_ - used_) {
      size_ = std::max(kBlock, text.size());
      blocks_.push_back(std::make_unique<char[]>(size_));
      used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    return {at, text.size()};
  }

 private:
  static constexpr size_t kBlock = size_t{16} * 1024;
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t size_ = 0, used_ = 0;  // of the last block
};

// A save of a data file after its first, whose item names the first once all are known.
struct SavedAgain {
  AttentionItem item;
  std::string fileName;
  const ReportDataFile* file = nullptr;
};

}  // namespace

// The fields of a row that begins a run, in UTF-8.
struct ReportModel::Fields {
  std::string_view run, time, computer, script, attributes, dataFile, message;
  RunOrder order;
};

// A run that has begun: its cell, and what the attention list says of it.
struct ReportModel::Run {
  PathText id;
  RunOrder order;  // of its started or refused row
  ScriptGrid* grid = nullptr;
  Cell* cell = nullptr;
  std::optional<int32_t> subject, session;
  // Its label below the grid, when it has no Subject or Session: the key of its cell.
  const std::string* other = nullptr;
  size_t computer = 0;
  TimeText startTime;
  PathText dataFile;
  InlineText<8> setAside;  // from its started row (Happening), mostly none

  /// What the attention list calls it: its script, Subject and Session, or its label.
  std::string Label() const {
    return RunLabel(*grid, subject.value_or(0), session.value_or(0), other);
  }
  /// An item of it: what `message`, of a row of `time`, says of it on `computerName`.
  void Pend(PendingItem* item, std::string_view time, std::string_view computerName,
            std::string_view message) const {
    item->order = order;
    item->time.assign(time);
    item->computer.assign(computerName);
    item->message.assign(message);
    item->grid = grid;
    item->subject = subject.value_or(0);
    item->session = session.value_or(0);
    item->other = other;
  }
};

// What an end row says, as views of its fields.
struct ReportModel::Ending {
  JournalEvent event = JournalEvent::kEnded;
  bool released = false;  // by hand: `ended`, with no script
  std::string_view time, computer, message;
};

// An end row whose started row has not come, which waits for it: a sorted journal has it
// so, or a journal that lacks the started row, whose run then begins at the end.
struct ReportModel::EarlyEnding {
  JournalEvent event = JournalEvent::kEnded;
  bool released = false;
  std::string time, computer, message;
  std::string run, script, attributes, dataFile;  // to begin the run, when nothing else does
  RunOrder order;

  Ending view() const { return {event, released, time, computer, message}; }
};

struct ReportModel::State {
  std::string converted[kJournalColumns];  // a row's fields in UTF-8, where they were not
  // The open runs are the first `openCount` of `open`; the rest keep their buffers for the
  // next, as each row's run is made in `begun` first, which then changes places with one.
  // A station runs one run at a time, so there are about as many as stations; the oldest
  // beyond kRecentRuns wait in `stale`.
  std::vector<std::unique_ptr<Run>> open;
  size_t openCount = 0;
  std::unique_ptr<Run> begun = std::make_unique<Run>();
  std::map<std::string, Run, std::less<>> stale;
  std::multimap<std::string, EarlyEnding, std::less<>> early;
  // The data files in the order they came, and by file name in upper case.
  std::deque<ReportDataFile> files;
  std::unordered_map<std::string_view, ReportDataFile*> filesByKey;
  TextArena keys;
  // The data files' aborts that no later save follows, and the places of those that a save
  // then followed, which the next abort takes: only these are kept.
  std::deque<PendingItem> aborts;
  std::vector<PendingItem*> freeAborts;
  PendingItem* NewAbort() {
    if (freeAborts.empty())
      return &aborts.emplace_back();
    PendingItem* item = freeAborts.back();
    freeAborts.pop_back();
    return item;
  }
  std::string key;
  std::deque<SavedAgain> savedAgain;  // the latest kKept, in order
  size_t savedAgainCount = 0;
  std::vector<AttentionItem> unnamedUnchecked;
  // Refusals by their kind: how many, and the latest.
  struct Refusals {
    size_t count = 0;
    RunOrder order;
    TimeText time;
    ComputerText computer;
    MessageText message;
  };
  std::map<std::string, Refusals, std::less<>> refusals;
  Refusals* lastRefusal = nullptr;
  std::string lastKind;
  std::vector<ComputerRuns> computers;
  // The computers of the names as rows spell them, by their length and last letter: the
  // first spelling of a name in any letter case is its computer's.
  struct Spelling {
    ComputerText name;
    size_t computer = SIZE_MAX;
  };
  std::array<Spelling, 64> spellings;
  ScriptGrid* lastGrid = nullptr;  // of the script at `lastScript`
  std::string lastScript;
  JournalTimeParser times;
  std::map<std::string, ScriptGrid, InsensitiveLess>* grids = nullptr;

  // The cell work of the last row that began a run, which waits for the next row
  // (ShowBegun), so that its cell comes from memory meanwhile; a refusal's texts wait too.
  struct Waiting {
    bool any = false;
    bool refused = false;
    ScriptGrid* grid = nullptr;
    Cell* cell = nullptr;
    int32_t subject = 0, session = 0;
    RunOrder order;
    size_t computer = 0;
    TimeText time;
    MessageText message;
  } waiting;
  Waiting& Wait(const Run& run, bool refused);

  ScriptGrid& GridOf(std::string_view path);
  size_t ComputerOf(std::string_view name);
  ReportDataFile* FileOf(std::string_view path, ReportDataFile* known);
};

ReportModel::State::Waiting& ReportModel::State::Wait(const Run& run, bool refused) {
  waiting.any = true;
  waiting.refused = refused;
  waiting.grid = run.grid;
  waiting.cell = run.cell;
  waiting.subject = run.subject.value_or(0);
  waiting.session = run.session.value_or(0);
  waiting.order = run.order;
  waiting.computer = run.computer;
  return waiting;
}

// Most rows are of the script before them.
ScriptGrid& ReportModel::State::GridOf(std::string_view path) {
  if (lastGrid != nullptr && SameBytes(path, lastScript))
    return *lastGrid;
  std::string_view script = FileNameOf(path);
  if (lastGrid == nullptr ||
      (lastGrid->name != script && !EqualsInsensitive(lastGrid->name, script))) {
    lastGrid = &At(*grids, script).second;
    if (lastGrid->name.empty())
      lastGrid->name = script.empty() ? "(no script)" : script;
  }
  lastScript.assign(path);
  return *lastGrid;
}

// Names as a station writes them are found at once; a name in other letters next. A lab
// has a few computers.
size_t ReportModel::State::ComputerOf(std::string_view name) {
  // Names such as LAB-PC1 to LAB-PC8 differ at their end, which picks their spelling's place.
  Spelling& spelling =
      spellings[(name.size() * 31 + (name.empty() ? 0 : static_cast<unsigned char>(name.back()))) %
                spellings.size()];
  if (spelling.computer != SIZE_MAX && SameBytes(spelling.name, name))
    return spelling.computer;
  spelling.name.assign(name);
  for (size_t at = 0; at < computers.size(); ++at) {
    if (computers[at].name == name)
      return spelling.computer = at;
  }
  std::string upper = UpperCaseLatinUtf8(name);
  for (size_t at = 0; at < computers.size(); ++at) {
    if (UpperCaseLatinUtf8(computers[at].name) == upper)
      return spelling.computer = at;
  }
  computers.emplace_back();
  computers.back().name.assign(name);
  return spelling.computer = computers.size() - 1;
}

// The data file of that name, in any letter case; nullptr for a row without one. A cell's
// runs write one data file, mostly: `known`, the one of its last run, is looked at first.
ReportDataFile* ReportModel::State::FileOf(std::string_view path, ReportDataFile* known) {
  std::string_view name = FileNameOf(path);
  if (name.empty())
    return nullptr;
  // A key is in upper case: an ASCII name in any letter case is its file's at once.
  bool ascii = IsAsciiText(name);
  if (known != nullptr && ascii && EqualsInsensitive(name, known->key))
    return known;
  key.assign(name);
  for (char& c : key)
    c = UpperCaseAscii(c);
  if (!ascii)
    key = UpperCaseLatinUtf8(key);
  if (known == nullptr || known->key != key) {
    auto found = filesByKey.find(key);
    if (found != filesByKey.end()) {
      known = found->second;
    } else {
      known = &files.emplace_back();
      known->key = keys.Keep(key);
      filesByKey.emplace(known->key, known);
    }
  }
  return known;
}

const char* OutcomeName(RunOutcome outcome) {
  return kOutcomeNames[static_cast<size_t>(outcome)];
}

Cell& ScriptGrid::At(int32_t subject, int32_t session) {
  if (subject < 0 || subject >= kTableSubjects || session < 0 || session >= kTableSessions)
    return keyed_[Key(subject, session)];
  auto block = static_cast<size_t>(subject / kBlockSubjects);
  if (block >= blocks_.size())
    blocks_.resize(block + 1);
  if (!blocks_[block])
    blocks_[block] = std::make_unique<Cell[]>(size_t{kBlockSubjects} * kTableSessions);
  return blocks_[block][InBlock(subject, session)];
}

void ScriptGrid::Made(Cell* cell, int32_t subject, int32_t session) {
  if (cell->texts != nullptr)
    return;
  cell->texts = &texts_.emplace_back();
  cells_.push_back(cell);
  keys_.push_back(Key(subject, session));
}

std::pair<const std::string*, Cell*> ScriptGrid::Other(std::string_view label) {
  auto found = others.find(label);
  if (found == others.end()) {
    found = others.try_emplace(std::string(label)).first;
    found->second.texts = &texts_.emplace_back();
  }
  return {&found->first, &found->second};
}

const Cell* ScriptGrid::FindCell(int32_t subject, int32_t session) const {
  const Cell* cell = nullptr;
  if (subject < 0 || subject >= kTableSubjects || session < 0 || session >= kTableSessions) {
    auto found = keyed_.find(Key(subject, session));
    cell = found == keyed_.end() ? nullptr : &found->second;
  } else {
    auto block = static_cast<size_t>(subject / kBlockSubjects);
    if (block < blocks_.size() && blocks_[block])
      cell = &blocks_[block][InBlock(subject, session)];
  }
  return cell != nullptr && cell->texts != nullptr ? cell : nullptr;
}

void ScriptGrid::PrefetchSubject(int32_t subject) const {
  for (int32_t session = 0; session < kTableSessions; ++session) {
    if (const Cell* cell = FindCell(subject, session))
      ::Prefetch(cell->texts, sizeof(CellTexts));
  }
}

std::optional<Happening> ScriptGrid::Find(int32_t subject, int32_t session) const {
  const Cell* cell = FindCell(subject, session);
  return cell == nullptr ? std::nullopt : cell->shown();
}

std::vector<int32_t> ScriptGrid::Subjects() const {
  std::vector<int32_t> subjects;
  for (int64_t key : keys_)
    subjects.push_back(static_cast<int32_t>(key >> 32));
  std::sort(subjects.begin(), subjects.end());
  subjects.erase(std::unique(subjects.begin(), subjects.end()), subjects.end());
  return subjects;
}

std::vector<int32_t> ScriptGrid::Sessions() const {
  std::vector<int32_t> sessions;
  for (int64_t key : keys_)
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

void ScriptGrid::AddCounts(OutcomeCounts* counts) const {
  for (const Cell* cell : cells_) {
    if (cell->any)
      ++(*counts)[static_cast<size_t>(cell->outcome)];
  }
}

void ScriptGrid::CountSaved() {
  std::vector<int32_t> subjects;
  for (size_t at = 0; at < cells_.size(); ++at) {
    if (cells_[at]->saved) {
      ++sessionsSaved;
      subjects.push_back(static_cast<int32_t>(keys_[at] >> 32));
    }
  }
  std::sort(subjects.begin(), subjects.end());
  subjects.erase(std::unique(subjects.begin(), subjects.end()), subjects.end());
  participantsSaved = subjects.size();
  CountBalance(subjects);
}

void ScriptGrid::TakeNotes(int32_t subject, std::string_view attributes, std::string_view message) {
  const std::string_view kBalanced = " balanced from the journal: ";
  attributes_[subject].assign(attributes);
  for (size_t at = message.find(kBalanced); at != std::string_view::npos;
       at = message.find(kBalanced, at + 1)) {
    size_t start = message.rfind(" / ", at);
    start = start == std::string_view::npos ? 0 : start + 3;
    std::string_view attribute = message.substr(start, at - start);
    auto known =
        std::find_if(balanced.begin(), balanced.end(),
                     [attribute](const Balance& balance) { return balance.name == attribute; });
    if (known == balanced.end())
      known = balanced.insert(balanced.end(), {std::string(attribute), {}, {}});
    // "<value> (<v1>: <n1>, <v2>: <n2>)": the values listed, those without a participant
    // among them, which the lab most needs to see.
    std::string_view note = message.substr(at + kBalanced.size());
    note = note.substr(0, note.find(" / "));
    size_t open = note.find(" (");
    if (open == std::string_view::npos || note.back() != ')')
      continue;
    std::string_view list = note.substr(open + 2, note.size() - open - 3);
    for (size_t from = 0; from <= list.size();) {
      size_t end = std::min(list.find(", ", from), list.size());
      std::string_view item = list.substr(from, end - from);
      size_t colon = item.rfind(": ");
      if (colon != std::string_view::npos &&
          std::find(known->listed.begin(), known->listed.end(), item.substr(0, colon)) ==
              known->listed.end())
        known->listed.emplace_back(item.substr(0, colon));
      from = end + 2;
    }
  }
}

// Each balanced attribute's values, by the latest run with notes of each participant.
void ScriptGrid::CountBalance(const std::vector<int32_t>& saved) {
  std::sort(running_.begin(), running_.end());
  for (Balance& balance : balanced) {
    std::map<std::string, Balance::Value, InsensitiveLess> values;
    for (const std::string& listed : balance.listed)
      values[listed].value = listed;
    for (const auto& [subject, attributes] : attributes_) {
      std::optional<std::string> value = AttributeOf(attributes, balance.name);
      if (!value || subject == 0)
        continue;
      Balance::Value& counts = values[*value];
      counts.value = *value;
      counts.saved += std::binary_search(saved.begin(), saved.end(), subject) ? 1 : 0;
      counts.running += std::binary_search(running_.begin(), running_.end(), subject) ? 1 : 0;
    }
    for (auto& [text, value] : values)
      balance.values.push_back(std::move(value));
  }
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

OutcomeCounts ReportModel::Counts() const {
  OutcomeCounts counts{};
  for (const auto& [key, grid] : grids_) {
    grid.AddCounts(&counts);
    for (const auto& [label, cell] : grid.others) {
      if (cell.any)
        ++counts[static_cast<size_t>(cell.outcome)];
    }
  }
  return counts;
}

std::vector<ComputerRuns> ReportModel::Computers() const {
  std::vector<ComputerRuns> computers = state_->computers;
  std::sort(computers.begin(), computers.end(), [](const ComputerRuns& a, const ComputerRuns& b) {
    return InsensitiveLess()(a.name, b.name);
  });
  return computers;
}

void ReportModel::Take(const JournalEntry& entry) {
  ShowBegun();
  ++rows_;
  JournalEvent event = entry.event();
  if (event == JournalEvent::kErunStarted)
    return;  // E-Run's process, which the stations look at, not the report
  Fields fields;
  fields.order.row = entry.row();
  Run* open = ReadFields(entry, &fields);
  if (event == JournalEvent::kStarted || event == JournalEvent::kRefused)
    TakeBeginning(event, fields);
  else
    TakeEnding(event, fields, open);
}

// Each row gets the fields it needs: the end row of an open run few, a row that begins a
// run more; a refused run needs its run and data file only to be named below a grid; the
// script of an open run's end row only tells a release by hand. Rows in the code page's
// text are taken in UTF-8, as the page shows them. The fields are read in one loop, so that
// Field's work stands in one place. The open run that an end row ends, if any.
ReportModel::Run* ReportModel::ReadFields(const JournalEntry& entry, Fields* fields) {
  using Column = std::pair<JournalColumn, std::string_view Fields::*>;
  static constexpr Column kRun{JournalColumn::kRun, &Fields::run},
      kTime{JournalColumn::kTime, &Fields::time},
      kComputer{JournalColumn::kComputer, &Fields::computer},
      kScript{JournalColumn::kScript, &Fields::script},
      kAttributes{JournalColumn::kAttributes, &Fields::attributes},
      kDataFile{JournalColumn::kDataFile, &Fields::dataFile},
      kMessage{JournalColumn::kMessage, &Fields::message};
  static constexpr Column kEnding[] = {kRun, kTime, kComputer, kMessage},
                          kEarly[] = {kScript, kAttributes, kDataFile},
                          kRefused[] = {kTime,   kComputer,   kMessage,
                                        kScript, kAttributes, kDataFile},
                          kStarted[] = {kRun,    kTime,       kComputer, kMessage,
                                        kScript, kAttributes, kDataFile};
  std::string* converted = state_->converted;
  auto read = [&entry, fields, converted](const Column* first, const Column* end) {
    for (const Column* column = first; column != end; ++column) {
      fields->*column->second =
          entry.ascii() ? entry.Field(column->first)
                        : Converted(entry, column->first, &converted[size_t(column->first)]);
    }
  };
  JournalEvent event = entry.event();
  bool refused = event == JournalEvent::kRefused;
  bool begins = refused || event == JournalEvent::kStarted;
  Run* open = nullptr;
  if (!begins) {
    read(std::begin(kEnding), std::end(kEnding));
    open = FindOpen(fields->run);
    if (open != nullptr && event == JournalEvent::kEnded)
      read(&kScript, &kScript + 1);
  }
  if (open == nullptr) {
    if (refused)
      read(std::begin(kRefused), std::end(kRefused));
    else if (begins)
      read(std::begin(kStarted), std::end(kStarted));
    else
      read(std::begin(kEarly), std::end(kEarly));
    if (refused && fields->dataFile.empty())
      read(&kRun, &kRun + 1);
    std::time_t time;
    if (state_->times.Parse(fields->time, &time))
      fields->order.time = time;
  }
  return open;
}

// A run's started or refused row.
void ReportModel::TakeBeginning(JournalEvent event, const Fields& fields) {
  Run& run = *state_->begun;
  Begin(run, fields, event == JournalEvent::kStarted);
  if (event == JournalEvent::kRefused) {
    Refused(run, fields);
    return;
  }
  run.setAside.assign(SetAsideAs(fields.message));
  // End rows that came before it end it now, the last of them showing.
  auto [first, last] = state_->early.equal_range(fields.run);
  if (first == last) {
    Open(run);
    return;
  }
  run.grid->Made(run.cell, run.subject.value_or(0), run.session.value_or(0));
  Show(*run.cell, run.order, false);
  for (auto at = first; at != last; ++at)
    End(run, at->second.view());
  state_->early.erase(first, last);
}

// An end row: of the open run `open`, or of one whose started row has not come.
void ReportModel::TakeEnding(JournalEvent event, const Fields& fields, Run* open) {
  bool released = event == JournalEvent::kEnded && fields.script.empty();
  if (open != nullptr) {
    End(*open, {event, released, fields.time, fields.computer, fields.message});
    Close(open);
    return;
  }
  EarlyEnding ending;
  ending.event = event;
  ending.released = released;
  ending.time.assign(fields.time);
  ending.computer.assign(fields.computer);
  ending.message.assign(fields.message);
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
  run.setAside.clear();
  run.grid = &state.GridOf(fields.script);
  SubjectAndSession(fields.attributes, &run.subject, &run.session);
  std::string_view other;
  run.other = nullptr;
  if (run.subject && run.session) {
    run.cell = &run.grid->At(*run.subject, *run.session);
  } else {
    other = fields.dataFile.empty() ? fields.run : fields.dataFile;
    std::tie(run.other, run.cell) = run.grid->Other(other);
  }
  // The cell is looked at when the next row is taken (ShowBegun).
  Prefetch(run.cell);
  // A refused run is done with its row: only an open one keeps its texts.
  // What the journal gave a run is in its started row's message.
  if (keep && run.subject && !fields.message.empty())
    run.grid->TakeNotes(*run.subject, fields.attributes, fields.message);
  if (keep) {
    // Every run that was not refused, however its rows stand: an end row may come first.
    if (run.subject)
      run.grid->nextSubject = std::max(run.grid->nextSubject, int64_t{*run.subject} + 1);
    run.id.assign(fields.run);
    run.dataFile.assign(fields.dataFile);
    run.startTime.assign(fields.time);
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
  state.Wait(run, false);
  if (state.openCount == kRecentRuns) {
    size_t oldest = 0;
    for (size_t at = 1; at < state.openCount; ++at)
      oldest = state.open[at]->order < state.open[oldest]->order ? at : oldest;
    state.stale.emplace(state.open[oldest]->id.view(), *state.open[oldest]);
    std::swap(state.open[oldest], state.open[--state.openCount]);
  }
  if (state.openCount == state.open.size())
    state.open.push_back(std::make_unique<Run>());
  std::swap(state.begun, state.open[state.openCount++]);
}

// A refusal shows only where nothing else happened; the list groups refusals by their kind,
// the message before its first ": " ("Already saved"), as a message names its data file.
void ReportModel::Refused(const Run& run, const Fields& fields) {
  State& state = *state_;
  const std::string& computer = state.computers[run.computer].name;
  State::Waiting& waiting = state.Wait(run, true);
  waiting.time.assign(fields.time);
  waiting.message.assign(fields.message);
  ++refusals_;
  // Refusals of one kind mostly follow each other.
  std::string_view kind = fields.message.substr(0, fields.message.find(": "));
  if (state.lastRefusal == nullptr || !SameBytes(state.lastKind, kind)) {
    state.lastRefusal = &At(state.refusals, kind).second;
    state.lastKind.assign(kind);
  }
  State::Refusals& refusals = *state.lastRefusal;
  if (refusals.count++ == 0 || refusals.order < run.order) {
    refusals.time.assign(fields.time);
    refusals.computer.assign(computer);
    refusals.message.assign(fields.message);
    refusals.order = run.order;
  }
}

// Whether the run is `cell`'s latest, which the cell then shows: a refusal only where no
// other run is, and so never in place of one. The texts of a run that started come with its
// end row, or with Finish for one still open: a journal's next run of a cell mostly comes
// before that.
bool ReportModel::Show(Cell& cell, const RunOrder& order, bool refused) {
  bool shows =
      !cell.any || (cell.refused && !refused) || (cell.refused == refused && cell.order() < order);
  if (!shows)
    return false;
  cell.any = true;
  cell.refused = refused;
  cell.SetOrder(order);
  cell.outcome = RunOutcome::kRunning;
  return true;
}

// The cell work of the row before, which began a run: the cell was asked for from memory
// then, and is looked at now. A started run's end row will look at the data file of the
// cell's runs, which is asked for in turn.
void ReportModel::ShowBegun() {
  State& state = *state_;
  State::Waiting& waiting = state.waiting;
  if (!waiting.any)
    return;
  waiting.any = false;
  Cell& cell = *waiting.cell;
  waiting.grid->Made(&cell, waiting.subject, waiting.session);
  if (!waiting.refused) {
    Show(cell, waiting.order, false);
    if (cell.file != nullptr)
      cell.file->Prefetch();
    return;
  }
  if (Show(cell, waiting.order, true)) {
    cell.outcome = RunOutcome::kRefused;
    CellTexts& texts = *cell.texts;
    texts.time = waiting.time;
    texts.computer.assign(state.computers[waiting.computer].name);
    texts.message = waiting.message;
    texts.setAside.clear();
  }
}

void ReportModel::End(const Run& run, const Ending& ending) {
  RunOutcome outcome = ending.released ? RunOutcome::kInterrupted : EndOutcome(ending.event);
  Cell& cell = *run.cell;
  if (cell.ShowsRun(run.order)) {
    cell.outcome = outcome;
    CellTexts& texts = *cell.texts;
    texts.time.assign(ending.time);
    texts.computer.assign(ending.computer);
    texts.message.assign(ending.message);
    texts.setAside = run.setAside;
  }
  cell.saved = cell.saved || outcome == RunOutcome::kSaved;
  State& state = *state_;
  const std::string& computer = state.computers[run.computer].name;
  if (ending.released) {
    attention_[static_cast<size_t>(Attention::kInterrupted)].Add(
        {std::string(run.startTime.view()), computer, run.Label() + ": released by hand",
         run.order});
    return;
  }
  ReportDataFile* file = state.FileOf(run.dataFile, cell.file);
  if (file != nullptr)
    cell.file = file;
  // An item of this run, said by its end row.
  auto said = [&run, &ending, &computer](PendingItem* item) {
    run.Pend(item, ending.time, computer, ending.message);
  };
  if (outcome == RunOutcome::kEnded) {
    PendingItem item;
    said(&item);
    if (file == nullptr)
      AddPending(attention_[static_cast<size_t>(Attention::kNotChecked)], item);
    else
      file->unchecked.push_back(std::move(item));
  }
  if (file == nullptr)
    return;
  if (outcome == RunOutcome::kNotConverted && (!file->lastSave || *file->lastSave < run.order) &&
      (file->abort == nullptr || file->abort->order < run.order)) {
    if (file->abort == nullptr)
      file->abort = state.NewAbort();
    said(file->abort);
  }
  if (outcome == RunOutcome::kSaved)
    Saved(run, ending, file);
}

// A save of a data file: each save but the first, by order, is an item; an earlier save
// found later is the first.
void ReportModel::Saved(const Run& run, const Ending& ending, ReportDataFile* file) {
  State& state = *state_;
  const std::string& computer = state.computers[run.computer].name;
  if (!file->lastSave || *file->lastSave < run.order) {
    file->lastSave = run.order;
    if (file->abort != nullptr && file->abort->order < run.order) {
      state.freeAborts.push_back(file->abort);  // it never stands
      file->abort = nullptr;
    }
  }
  // The latest kKept saves again are kept, in order: one older than all of them is counted.
  auto keeps = [&state](const RunOrder& order) {
    ++state.savedAgainCount;
    return state.savedAgain.size() < AttentionList::kKept ||
           state.savedAgain.front().item.order < order;
  };
  // The item in the place of the oldest kept, whose buffers it takes, when all are kept.
  auto take = [&state]() {
    SavedAgain again;
    if (state.savedAgain.size() == AttentionList::kKept) {
      again = std::move(state.savedAgain.front());
      state.savedAgain.pop_front();
    }
    return again;
  };
  SavedAgain again;
  if (!file->firstSave || run.order < *file->firstSave) {
    bool kept = file->firstSave && keeps(*file->firstSave);
    if (kept) {
      again = take();
      again.item.time.assign(file->firstTime.view());
      again.item.computer.assign(file->firstComputer.view());
      again.item.order = *file->firstSave;
      again.fileName.assign(file->firstFileName.view());
    }
    file->firstSave = run.order;
    file->firstTime.assign(ending.time);
    file->firstComputer.assign(computer);
    file->firstFileName.assign(FileNameOf(run.dataFile));
    if (!kept)
      return;
  } else {
    if (!keeps(run.order))
      return;
    again = take();
    again.item.time.assign(ending.time);
    again.item.computer.assign(computer);
    again.item.order = run.order;
    again.fileName.assign(FileNameOf(run.dataFile));
  }
  again.file = file;
  auto at = state.savedAgain.end();
  while (at != state.savedAgain.begin() && again.item.order < (at - 1)->item.order)
    --at;
  state.savedAgain.insert(at, std::move(again));
}

ReportModel::Run* ReportModel::FindOpen(std::string_view id) {
  State& state = *state_;
  for (size_t at = 0; at < state.openCount; ++at) {
    if (SameBytes(state.open[at]->id, id))
      return state.open[at].get();
  }
  auto stale = state.stale.find(id);
  return stale == state.stale.end() ? nullptr : &stale->second;
}

void ReportModel::Close(Run* run) {
  State& state = *state_;
  for (size_t at = 0; at < state.openCount; ++at) {
    if (state.open[at].get() == run) {
      std::swap(state.open[at], state.open[--state.openCount]);
      return;
    }
  }
  state.stale.erase(state.stale.find(run->id.view()));  // where FindOpen found it
}

void ReportModel::Finish(std::time_t now) {
  ShowBegun();
  FinishRuns(now);
  FinishDataFiles();
  for (auto& [kind, refusal] : state_->refusals) {
    AttentionItem item{std::string(refusal.time.view()), std::string(refusal.computer.view()),
                       kind + ", " + std::to_string(refusal.count) +
                           (refusal.count == 1 ? " time: " : " times; the latest: ") +
                           std::string(refusal.message.view()),
                       refusal.order};
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
    Run& run = *state.begun;
    Begin(run,
          {ending.run, ending.time, ending.computer, ending.script, ending.attributes,
           ending.dataFile, ending.message, ending.order},
          true);
    run.grid->Made(run.cell, run.subject.value_or(0), run.session.value_or(0));
    Show(*run.cell, run.order, false);
    End(run, ending.view());
  }
  state.early.clear();
  std::vector<Run*> open;
  for (size_t at = 0; at < state.openCount; ++at)
    open.push_back(state.open[at].get());
  for (auto& [id, run] : state.stale)
    open.push_back(&run);
  for (Run* run : open) {
    Cell& cell = *run->cell;
    bool shown = cell.ShowsRun(run->order);
    if (shown) {
      CellTexts& texts = *cell.texts;
      texts.time = run->startTime;
      texts.computer.assign(state.computers[run->computer].name);
      texts.message.clear();
      texts.setAside = run->setAside;
    }
    if (StillOpen(run->order.time, now)) {
      ++run->grid->runningNow;
      if (run->subject)
        run->grid->Running(*run->subject);
      continue;
    }
    if (shown)
      cell.outcome = RunOutcome::kInterrupted;
    attention_[static_cast<size_t>(Attention::kInterrupted)].Add(
        {std::string(run->startTime.view()), state.computers[run->computer].name,
         run->Label() + ": open for more than " + OpenRunHoursText(), run->order});
  }
}

// What needs a data file's every row: an abort that no later save follows, runs that did
// not check it but for those a later save follows, and each save after the first.
void ReportModel::FinishDataFiles() {
  State& state = *state_;
  for (const ReportDataFile& file : state.files) {
    if (file.abort != nullptr)
      AddPending(attention_[static_cast<size_t>(Attention::kAborted)], *file.abort);
    for (const PendingItem& item : file.unchecked) {
      if (!file.lastSave || *file.lastSave < item.order)
        AddPending(attention_[static_cast<size_t>(Attention::kNotChecked)], item);
    }
  }
  AttentionList& savedTwice = attention_[static_cast<size_t>(Attention::kSavedTwice)];
  for (SavedAgain& again : state.savedAgain) {
    again.item.text = again.fileName;
    again.item.text.append(" saved again; first at ").append(again.file->firstTime.view());
    again.item.text.append(" on ").append(again.file->firstComputer.view());
    savedTwice.latest.push_back(std::move(again.item));
  }
  savedTwice.count = state.savedAgainCount;
}
