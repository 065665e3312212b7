#ifndef TARVO_JOURNAL_STUDY_ROWS_H_
#define TARVO_JOURNAL_STUDY_ROWS_H_

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "journal/journal_reader.h"
#include "journal/names_in_rows.h"
#include "journal/open_runs.h"

// What the journal tells of a study, for the numbers and groups that a run lets the journal
// choose: the values its script's rows hold, the sessions saved, the groups of participants,
// and this computer's latest run. Names of attributes match as the script compares them
// (blanks and letter case aside), as rows hold them as typed; runs are open by the rule
// every reader shares (open_runs.h).
class StudyRows {
 public:
  /// `script` and `computer` in the program's code page; `attributes` are the names asked
  /// about, the first of them Subject and the second Session.
  StudyRows(const std::string& script, const std::string& computer,
            std::vector<std::string> attributes, std::time_t now);

  /// Takes the journal's rows, in their order.
  void Take(const JournalEntry& entry);
  /// Once every row is taken: the open runs count as they stand.
  void Finish();

  /// The highest whole-number value of attribute `index` in the script's rows that are not
  /// refused; none when no row has one.
  std::optional<int64_t> Highest(size_t index) const { return highest_[index]; }
  /// Whether a `saved` row of the script holds Subject `subject` and Session `session`.
  bool Saved(int64_t subject, int64_t session) const {
    return saved_.count({subject, session}) != 0;
  }
  /// The values of attribute `index` in the runs of Subject `subject` of the script that
  /// started E-Run, whatever became of them.
  std::set<std::string> ValuesOf(int64_t subject, size_t index) const;
  /// How many participants (Subjects other than 0) have the value `value` of attribute
  /// `index` in a `saved` row or an open run of the script.
  size_t Participants(size_t index, const std::string& value) const;

  enum class Latest { kNone, kNotStarted, kStarted };
  /// This computer's latest run, in any script: none, one that did not start E-Run, or one
  /// that did (an open run counts).
  Latest latest() const;
  /// The value of attribute `index` in that run.
  std::optional<std::string> LatestValue(size_t index) const;

 private:
  using Values = std::vector<std::optional<std::string>>;
  struct Pending {
    std::optional<int64_t> subject;
    Values values;
    std::optional<std::time_t> time;
  };

  Values ValuesIn(const JournalEntry& entry) const;
  void TakeOfScript(const JournalEntry& entry, const Values& values);
  void TakeOfComputer(const JournalEntry& entry);
  void Ended(const Pending& run, JournalEvent event);
  void Count(const Pending& run);

  NameInRows script_, computer_;
  std::vector<std::string> squeezed_;
  std::time_t now_;
  std::vector<std::optional<int64_t>> highest_;
  std::set<std::pair<int64_t, int64_t>> saved_;
  std::map<std::string, Pending, std::less<>> pending_;  // started, not yet ended
  // End rows before their started row, as a sorted journal has them; those whose started
  // row never comes count by their own values.
  std::map<std::string, std::pair<Pending, JournalEvent>, std::less<>> earlyEnds_;
  std::map<int64_t, std::vector<std::set<std::string>>> kept_;     // Subject's values
  std::vector<std::map<std::string, std::set<int64_t>>> counted_;  // value's participants
  // This computer's latest run by the order of runs, and its runs that E-Run failed.
  std::optional<RunOrder> latestOrder_;
  std::string latestRun_, latestAttributes_;
  bool latestStarted_ = false;
  std::set<std::string, std::less<>> failedRuns_;
};

#endif  // TARVO_JOURNAL_STUDY_ROWS_H_
