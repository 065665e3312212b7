#ifndef TARVO_REPORT_REPORT_MODEL_H_
#define TARVO_REPORT_REPORT_MODEL_H_

#include <cstdint>
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
// need attention, and the stations' runs. Rows are taken one at a time, in the journal's
// order; only what the report shows is kept.

/// What became of a run, as a cell shows it.
enum class RunOutcome {
  kSaved,
  kNotConverted,  // aborted: only the data file is there, which E-Recovery can convert
  kNoData,
  kRunning,      // an open `started` row that still counts as running (RunningRule)
  kInterrupted,  // an open `started` row that no longer does
  kEnded,        // the data were not checked
  kErunFailed,
  kRefused,
};
constexpr size_t kRunOutcomes = 8;

/// The outcome's word, as the page and the console write it: "saved", "not converted" ...
const char* OutcomeName(RunOutcome outcome);

/// The row that decided what a cell or an item shows.
struct Happening {
  RunOutcome outcome = RunOutcome::kRunning;
  std::string time;  // as the journal has it
  std::string computer;
  std::string message;
  size_t order = 0;  // the row that began its run: later runs count, not later clocks
};

/// One (script, Subject, Session), or one run without them: its latest run, and the latest
/// refusal while nothing else has happened, which shows only then.
struct Cell {
  // Apart from the cell, which is looked at for every row, and small.
  std::unique_ptr<Happening> run;
  std::unique_ptr<Happening> refused;

  const Happening& Shown() const { return run ? *run : *refused; }
};

/// The cells of one script, by its file name.
class ScriptGrid {
 public:
  std::string name;
  std::map<std::string, Cell> others;  // runs without Subject or Session: by data file or run

  /// The cell of (Subject, Session), made when there is none yet.
  Cell& At(int32_t subject, int32_t session);
  const Cell* Find(int32_t subject, int32_t session) const;
  bool empty() const { return cells_.empty(); }
  size_t size() const { return cells_.size(); }
  /// The grid's Subjects, and its Sessions, each in numeric order.
  std::vector<int32_t> Subjects() const;
  std::vector<int32_t> Sessions() const;
  void Saved(int32_t subject, int32_t session);
  /// One above the highest session of `subject` that was saved; 1 when none was.
  int64_t NextSession(int32_t subject) const;
  /// The grid's cells (not the others) that show `outcome`.
  size_t Count(RunOutcome outcome) const;

 private:
  static int64_t Key(int32_t subject, int32_t session) {
    return static_cast<int64_t>(subject) * (int64_t{1} << 32) + static_cast<uint32_t>(session);
  }

  // The cells in the order they came. The report looks one up for each run: the usual
  // Subjects and Sessions, small numbers, are found through a table of them, the rest by key.
  static constexpr int32_t kTableSubjects = 65536, kTableSessions = 32;
  std::deque<std::pair<int64_t, Cell>> cells_;
  std::vector<uint32_t> table_;  // by Subject and Session: the cell's number + 1, or 0
  std::unordered_map<int64_t, size_t> others_;         // by key: the cell's number
  std::unordered_map<int32_t, int32_t> highestSaved_;  // each Subject's highest saved session
};

/// An item of the attention list.
struct AttentionItem {
  std::string time;
  std::string computer;
  std::string text;
  size_t row = 0;  // the journal's row it comes from
};

/// The latest items of one kind of the attention list, and how many there were in all: a
/// long journal can give thousands, of which the page shows the latest.
struct AttentionList {
  static constexpr size_t kKept = 200;
  std::deque<AttentionItem> latest;
  size_t count = 0;

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
  std::string last;  // the time of its latest run
};

class ReportModel {
 public:
  void Take(const JournalEntry& entry);
  void Unreadable(size_t row) { unreadableRows_.push_back(row); }
  /// Once every row is taken: decides the open runs, running or interrupted, and the items.
  void Finish(std::time_t now);

  /// The scripts' grids, by file name in any letter case.
  const std::map<std::string, ScriptGrid, InsensitiveLess>& grids() const { return grids_; }
  const AttentionList& attention(Attention kind) const {
    return attention_[static_cast<size_t>(kind)];
  }
  const std::vector<size_t>& unreadableRows() const { return unreadableRows_; }
  /// The computers by name, in any letter case.
  std::vector<ComputerRuns> Computers() const;
  size_t rows() const { return rows_ + unreadableRows_.size(); }
  const std::string& firstTime() const { return firstTime_; }
  const std::string& lastTime() const { return lastTime_; }
  /// All cells, the others among them, that show `outcome`.
  size_t Count(RunOutcome outcome) const;

 private:
  // A run that has begun: its cell, and while it is open its `started` row.
  struct Run {
    std::string id;
    Cell* cell = nullptr;
    ScriptGrid* grid = nullptr;
    std::optional<int32_t> subject, session;
    std::string other;  // the cell's label below the grid, when it has no Subject or Session
    size_t row = 0;     // its first row, which orders runs
    std::string computer, startedAt;

    /// What the attention list calls it: its script, Subject and Session, or its label.
    std::string Label() const;
  };
  // What is known of a data file: its first save, and an abort that no save has followed.
  struct DataFile {
    std::optional<AttentionItem> saved;
    std::optional<AttentionItem> aborted;
  };

  void Begin(const JournalEntry& entry, Run* run);
  void Close(size_t open, std::string_view why);
  ScriptGrid& GridOf(std::string_view script);
  ComputerRuns& ComputerOf(std::string_view name);
  void End(const Run& run, const JournalEntry& entry);
  void Note(Attention kind, const JournalEntry& entry, std::string text);

  std::map<std::string, ScriptGrid, InsensitiveLess> grids_;
  ScriptGrid* lastGrid_ = nullptr;
  // The open runs, the first openRuns_ of these; the rest keep their buffers for the next.
  // A computer runs one run at a time, so there are about as many as computers.
  std::vector<Run> runs_;
  size_t openRuns_ = 0;
  DataFile& DataFileOf(std::string_view name);

  std::unordered_map<std::string, DataFile> dataFiles_;  // by file name in upper case
  std::string dataFileKey_;
  // Refusals by their kind, the message before its first ": " ("Already saved"), with their
  // number and the latest: a message names its data file, so each would stand alone.
  std::map<std::string, std::pair<size_t, AttentionItem>, std::less<>> refusals_;
  AttentionList attention_[static_cast<size_t>(Attention::kCount)];
  std::vector<ComputerRuns> computers_;  // a lab has a few, each run looks its one up
  std::vector<size_t> unreadableRows_;
  RunningRule rule_;
  size_t rows_ = 0;
  std::string firstTime_, lastTime_;
};

#endif  // TARVO_REPORT_REPORT_MODEL_H_
