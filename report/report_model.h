#ifndef TARVO_REPORT_REPORT_MODEL_H_
#define TARVO_REPORT_REPORT_MODEL_H_

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/text_helpers.h"
#include "journal/journal_reader.h"
#include "journal/open_runs.h"

// Where a study stands, read from the journal of runs: for each script a grid of
// participants (Subject) by sessions, each cell the outcome of its latest run, the runs that
// need attention, and the stations' runs. A run's rows are taken wherever they stand in the
// file, and runs are ordered by time (open_runs.h), so a sorted journal gives the same.

/// What became of a run, as a cell shows it.
enum class RunOutcome {
  kSaved,
  kNotConverted,  // aborted: only the data file is there, which E-Recovery can convert
  kNoData,
  kRunning,      // started, and open by the release rule
  kInterrupted,  // released by hand, or open for longer than the rule lets a run be
  kEnded,        // the data were not checked
  kErunFailed,
  kRefused,
};
constexpr size_t kRunOutcomes = 8;

/// The outcome's word, as the page and the console write it: "saved", "not converted" ...
const char* OutcomeName(RunOutcome outcome);
/// How many cells show each outcome, by its number.
using OutcomeCounts = std::array<size_t, kRunOutcomes>;

/// A text that the model copies on nearly every row (a time, a computer's name, a message),
/// kept in place while it fits, and on the heap only when it does not: what a row looks at
/// stays together in memory, and a short text is copied without a call. It takes N bytes
/// and one more for its size: the pointer to a long text takes the place of the bytes.
template <size_t N>
class InlineText {
  static_assert(N >= sizeof(std::string*) && N < 255, "room for the pointer, and a size in a byte");

 public:
  InlineText() = default;
  InlineText(const InlineText& other) { assign(other.view()); }
  InlineText& operator=(const InlineText& other) {
    if (this != &other)
      assign(other.view());
    return *this;
  }
  InlineText(InlineText&& other) noexcept { Take(other); }
  InlineText& operator=(InlineText&& other) noexcept {
    if (this != &other) {
      Free();
      Take(other);
    }
    return *this;
  }
  ~InlineText() { Free(); }

  void assign(std::string_view text) {
    if (text.size() > N) {
      if (size_ != kLong) {
        std::string* held = new std::string(text);
        std::memcpy(held_, &held, sizeof(std::string*));
        size_ = kLong;
      } else {
        Long()->assign(text);
      }
      return;
    }
    Free();
    size_ = static_cast<uint8_t>(text.size());
    Copy(text.data(), text.size(), held_);
  }
  void clear() {
    Free();
    size_ = 0;
  }
  bool empty() const { return size_ == 0; }
  std::string_view view() const {
    return size_ == kLong ? std::string_view(*Long()) : std::string_view(held_, size_);
  }
  operator std::string_view() const { return view(); }

 private:
  static constexpr uint8_t kLong = 255;

  std::string* Long() const {
    std::string* held = nullptr;
    std::memcpy(&held, held_, sizeof(std::string*));
    return held;
  }
  void Free() {
    if (size_ == kLong) {
      delete Long();
      size_ = 0;
    }
  }
  void Take(InlineText& other) {
    std::memcpy(held_, other.held_, N);
    size_ = other.size_;
    other.size_ = 0;
  }

  // Copies `size` bytes, at most N, in moves of a fixed size, which overlap where they must.
  static void Copy(const char* from, size_t size, char* to) {
    if (size >= 16) {
      for (size_t at = 0; at + 16 < size; at += 16)
        std::memcpy(to + at, from + at, 16);
      std::memcpy(to + size - 16, from + size - 16, 16);
    } else if (size >= 8) {
      std::memcpy(to, from, 8);
      std::memcpy(to + size - 8, from + size - 8, 8);
    } else if (size >= 4) {
      std::memcpy(to, from, 4);
      std::memcpy(to + size - 4, from + size - 4, 4);
    } else if (size > 0) {
      to[0] = from[0];
      to[size / 2] = from[size / 2];
      to[size - 1] = from[size - 1];
    }
  }

  char held_[N];
  uint8_t size_ = 0;
};

/// The model's texts of a row, each kept in place up to its usual length.
using TimeText = InlineText<28>;      // "2026-12-08T14:03:22+01:00"
using ComputerText = InlineText<20>;  // a computer's name
using MessageText = InlineText<108>;  // a row's message
using PathText = InlineText<52>;      // a data file's path, or a run's name

/// What a cell shows: its outcome and the row that decided it, its texts in UTF-8. The texts
/// are views of the cell's own, made when asked for.
struct Happening {
  RunOutcome outcome = RunOutcome::kRunning;
  std::string_view time;  // as the journal has it
  std::string_view computer;
  std::string_view message;
  // The file name that its run set an aborted session's data file aside as (-A), "" when
  // it set none aside.
  std::string_view setAside;
};

struct ReportDataFile;  // what the model knows of a data file (report_model.cc)

/// What a cell shows, as the rows that decided it wrote it: kept apart from the cell, as
/// only those rows and the page look at it.
struct CellTexts {
  TimeText time;
  ComputerText computer;
  MessageText message;
  InlineText<8> setAside;  // mostly none
};

/// A cell: what its latest run shows, the latest by the runs' order; a refusal shows only
/// where nothing else happened. What every row that begins a run looks at is kept in a few
/// bytes, in blocks of Subjects; it stays where it was made, as runs point to it.
struct Cell {
  Cell() = default;
  Cell(const Cell&) = delete;
  Cell& operator=(const Cell&) = delete;
  Cell(Cell&&) = delete;
  Cell& operator=(Cell&&) = delete;
  ~Cell() = default;

  // The order of the run shown, in parts.
  std::time_t time = 0;
  size_t row = 0;
  // The data file of its runs, found once for them.
  ReportDataFile* file = nullptr;
  CellTexts* texts = nullptr;  // nullptr until the cell is made (ScriptGrid::Made)
  bool timed = false;          // its time could be read, and is `time`
  bool any = false;            // it shows a run
  bool refused = false;        // the run shown was refused
  bool saved = false;          // some run of it saved its data
  RunOutcome outcome = RunOutcome::kRunning;

  RunOrder order() const { return {timed ? std::optional<std::time_t>(time) : std::nullopt, row}; }
  void SetOrder(const RunOrder& order) {
    timed = order.time.has_value();
    time = order.time.value_or(0);
    row = order.row;
  }
  /// Whether it shows the run of `order`, which was not refused.
  bool ShowsRun(const RunOrder& order) const {
    return any && !refused && row == order.row && timed == order.time.has_value() &&
           (!timed || time == *order.time);
  }
  /// What it shows; none when it shows no run.
  std::optional<Happening> shown() const {
    if (!any)
      return std::nullopt;
    return Happening{outcome, texts->time, texts->computer, texts->message, texts->setAside};
  }
};

/// The cells of one script, by its file name.
class ScriptGrid {
 public:
  std::string name;
  /// Runs without a Subject or a Session as a whole number: by data file, or by run.
  std::map<std::string, Cell, std::less<>> others;
  /// The script's line: participants with a saved session, sessions saved, runs running
  /// now, and the next Subject number: one above the highest whole-number Subject of its
  /// runs that were not refused, 1 when there is none.
  size_t participantsSaved = 0, sessionsSaved = 0, runningNow = 0;
  int64_t nextSubject = 1;
  /// An attribute that the journal balanced (-B), as its `started` rows say, with its values:
  /// each with its participants that have a saved session, and those running now.
  struct Balance {
    std::string name;
    struct Value {
      std::string value;
      size_t saved = 0, running = 0;
    };
    std::vector<Value> values;        // in the order of their names
    std::vector<std::string> listed;  // as the started rows list them
  };
  std::vector<Balance> balanced;

  /// Takes a `started` row of `subject` whose message says what the journal gave.
  void TakeNotes(int32_t subject, std::string_view attributes, std::string_view message);
  /// Once the runs are done: `subject` runs now.
  void Running(int32_t subject) { running_.push_back(subject); }

  /// Where the cell of (Subject, Session) stands, which Made then makes when there is none
  /// yet: found without looking at it, which a row that begins a run does later.
  Cell& At(int32_t subject, int32_t session);
  void Made(Cell* cell, int32_t subject, int32_t session);
  /// The cell below the grid of a run without a Subject or a Session, made.
  std::pair<const std::string*, Cell*> Other(std::string_view label);
  /// What the cell of (Subject, Session) shows; none for one without runs.
  std::optional<Happening> Find(int32_t subject, int32_t session) const;
  /// Asks for the texts of the usual Sessions of `subject` from memory, which Find will
  /// give out shortly.
  void PrefetchSubject(int32_t subject) const;
  bool empty() const { return cells_.empty(); }
  size_t size() const { return cells_.size(); }
  /// The grid's Subjects, and its Sessions, each in numeric order.
  std::vector<int32_t> Subjects() const;
  std::vector<int32_t> Sessions() const;
  /// The lowest session from 1 on that `subject` has no saved row for: with 1, 2 and 4
  /// saved, 3.
  int64_t NextSession(int32_t subject) const;
  /// Counts the grid's cells (not the others) by the outcome they show.
  void AddCounts(OutcomeCounts* counts) const;
  /// Counts the saved cells into the script's line.
  void CountSaved();

 private:
  static int64_t Key(int32_t subject, int32_t session) {
    return static_cast<int64_t>(subject) * (int64_t{1} << 32) + static_cast<uint32_t>(session);
  }
  const Cell* FindCell(int32_t subject, int32_t session) const;
  // Where a cell of the usual Subjects and Sessions stands in its block.
  static size_t InBlock(int32_t subject, int32_t session) {
    return static_cast<size_t>(subject % kBlockSubjects) * kTableSessions +
           static_cast<size_t>(session);
  }
  void CountBalance(const std::vector<int32_t>& saved);

  std::map<int32_t, std::string> attributes_;  // of each Subject's latest run with notes
  std::vector<int32_t> running_;

  // The cells: the report looks one up for each run. Those of the usual Subjects and
  // Sessions, small numbers, stand in blocks of kBlockSubjects Subjects, the rest by key.
  static constexpr int32_t kTableSubjects = 65536, kTableSessions = 8, kBlockSubjects = 8;
  std::vector<std::unique_ptr<Cell[]>> blocks_;
  std::unordered_map<int64_t, Cell> keyed_;
  std::deque<CellTexts> texts_;  // of every cell, the others' too
  std::vector<Cell*> cells_;     // made, in the order they came, the others not
  std::vector<int64_t> keys_;    // of each of `cells_`
};

/// An item of the attention list.
struct AttentionItem {
  std::string time;
  std::string computer;
  std::string text;
  RunOrder order;  // of the run it comes from
};

/// The latest items of one kind of the attention list, in the order of their runs, and how
/// many there were in all: a long journal can give thousands, of which the page shows the
/// latest.
struct AttentionList {
  static constexpr size_t kKept = 200;
  std::deque<AttentionItem> latest;
  size_t count = 0;

  /// Whether an item of `order` would be kept; Add counts one that would not.
  bool Keeps(const RunOrder& order) const;
  void Add(AttentionItem item);
};

/// The attention list, by kind, in the order the page shows them.
enum class Attention {
  kSavedTwice,
  kAborted,
  kInterrupted,
  kSubjectZero,
  kNotChecked,
  kRefusals,
  kCount,
};

struct ComputerRuns {
  std::string name;
  size_t runs = 0;
  TimeText last;  // the time of its latest run
  RunOrder latest;
};

class ReportModel {
 public:
  ReportModel();
  ~ReportModel();
  ReportModel(ReportModel&&) noexcept;
  ReportModel& operator=(ReportModel&&) = delete;

  void Take(const JournalEntry& entry);
  void Unreadable(size_t row) { unreadableRows_.push_back(row); }
  /// Once every row is taken: the open runs, running or interrupted at `now`, and the items.
  void Finish(std::time_t now);

  /// The scripts' grids, by file name in any letter case.
  const std::map<std::string, ScriptGrid, InsensitiveLess>& grids() const { return grids_; }
  const AttentionList& attention(Attention kind) const {
    return attention_[static_cast<size_t>(kind)];
  }
  /// How many runs were refused, which the list of refusals groups by their kind.
  size_t refusals() const { return refusals_; }
  const std::vector<size_t>& unreadableRows() const { return unreadableRows_; }
  /// The computers by name, in any letter case.
  std::vector<ComputerRuns> Computers() const;
  size_t rows() const { return rows_ + unreadableRows_.size(); }
  /// When the earliest and the latest run began, as the journal has it.
  std::string_view firstTime() const { return firstTime_; }
  std::string_view lastTime() const { return lastTime_; }
  /// How many cells, the others among them, show each outcome.
  OutcomeCounts Counts() const;

 private:
  // What the rows have told so far (report_model.cc).
  struct State;
  struct Run;
  struct Ending;
  struct EarlyEnding;
  struct Fields;

  Run* ReadFields(const JournalEntry& entry, Fields* fields);
  void TakeBeginning(JournalEvent event, const Fields& fields);
  void TakeEnding(JournalEvent event, const Fields& fields, Run* open);
  void Begin(Run& run, const Fields& fields, bool keep);
  void Open(Run& run);
  void Refused(const Run& run, const Fields& fields);
  void End(const Run& run, const Ending& ending);
  void Saved(const Run& run, const Ending& ending, ReportDataFile* file);
  bool Show(Cell& cell, const RunOrder& order, bool refused);
  void ShowBegun();
  Run* FindOpen(std::string_view id);
  void Close(Run* run);
  void FinishRuns(std::time_t now);
  void FinishDataFiles();

  std::unique_ptr<State> state_;
  std::map<std::string, ScriptGrid, InsensitiveLess> grids_;
  AttentionList attention_[static_cast<size_t>(Attention::kCount)];
  size_t refusals_ = 0;
  std::vector<size_t> unreadableRows_;
  size_t rows_ = 0;
  TimeText firstTime_, lastTime_;
  std::optional<RunOrder> first_, last_;
};

#endif  // TARVO_REPORT_REPORT_MODEL_H_
