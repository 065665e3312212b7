#ifndef TARVO_JOURNAL_STUDY_ROWS_H_
#define TARVO_JOURNAL_STUDY_ROWS_H_

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "journal/attributes_text.h"
#include "journal/journal_reader.h"
#include "journal/journal_time.h"
#include "journal/names_in_rows.h"
#include "journal/open_runs.h"

// What the journal tells of a study, for the numbers and groups that a run lets the journal
// choose: the values its script's rows hold, the sessions saved, the groups of participants,
// and this computer's latest run. Names of attributes match as the script compares them
// (blanks and letter case aside), as rows hold them as typed; runs are open by the rule
// every reader shares (open_runs.h). Each row is looked at once and is done with, but for
// the `started` rows recent enough to be open, so memory does not grow with the journal.

/// What a run asks of the journal's rows; what it does not ask is not gathered.
struct StudyQuestions {
  /// The attributes asked about: Subject, Session, then the others.
  std::vector<std::string> names = {"Subject", "Session"};
  // Bytes, not bits: each row's look at them stays a plain load.
  std::vector<unsigned char> highest = {0, 0};   // of each, its highest value
  std::vector<unsigned char> balanced = {0, 0};  // of each, its participants by value
  bool sessionsSaved = false;                    // the sessions saved of each Subject
  bool latest = false;                           // this computer's latest run (`same`)
  /// Whose sessions saved and earlier values of the balanced attributes are asked: one
  /// Subject's, any Subject's, or none, as for the next Subject, which no row holds.
  std::optional<int64_t> subject;
  bool anySubject = false;

  size_t Add(const std::string& name);
  bool AsksOf(int64_t of) const { return anySubject || subject == std::optional<int64_t>(of); }
};

class StudyRows : public PartRows {
 public:
  /// `script` and `computer` in the program's code page.
  StudyRows(const std::string& script, const std::string& computer, StudyQuestions questions,
            std::time_t now);

  /// Takes the journal's rows, in their order, or in parts (ReadInParts).
  void Take(const JournalEntry& entry) override;
  std::unique_ptr<PartRows> Later() const override {
    return std::make_unique<StudyRows>(script_.name(), computer_.name(), questions_, now_);
  }
  void Join(PartRows& later, size_t rowsBefore) override;
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
  /// started E-Run, whatever became of them: by their `E-Run started` rows, their end rows
  /// but `E-Run failed`, and their `started` rows while they are open.
  using ValueSet = std::set<std::string, std::less<>>;
  ValueSet ValuesOf(int64_t subject, size_t index) const;
  /// How many participants (Subjects other than 0) have the value `value` of attribute
  /// `index` in a `saved` row or an open run of the script.
  size_t Participants(size_t index, const std::string& value) const;

  enum class Latest { kNone, kNotStarted, kStarted };
  /// This computer's latest run, in any script, where the questions ask it: none, one that
  /// did not start E-Run, or one that did (an open run counts).
  Latest latest() const;
  /// The value of attribute `index` in that run.
  std::optional<std::string> LatestValue(size_t index) const;

  /// The first row, of the script's rows that count or of this computer's latest run when it
  /// is asked, whose attributes column cannot be read (a quote never closed, a pair without
  /// '='): what it holds cannot be counted, so nothing is chosen. None when all can be read.
  std::optional<size_t> unreadableAttributes() const;

 private:
  struct Open {
    int64_t subject;
    std::vector<std::optional<std::string>> values;
  };

  bool ReadValues(const JournalEntry& entry);
  void TakeOfScript(const JournalEntry& entry);
  void TakeOfComputer(const JournalEntry& entry);
  bool Recent(const JournalEntry& entry);
  void Keep(int64_t subject, size_t index, std::string_view value);
  void Count(int64_t subject, size_t index, std::string_view value);
  std::vector<int64_t>& ParticipantsOf(size_t index, std::string_view value);

  NameInRows script_, computer_;
  StudyQuestions questions_;
  std::vector<std::string> squeezed_;
  OwnSessionAndSubject own_;  // of the row read last, when in Tarvo's own form
  enum class OwnName : unsigned char { kNone, kSession, kSubject };
  std::vector<OwnName> ownName_;  // which of each name, in Tarvo's own form
  // The names whose highest value is asked, and those balanced: each row looks at these.
  std::vector<size_t> highestAsked_, balancedAsked_;
  std::time_t now_;
  JournalTimeParser times_;  // the rows' times, read one after another
  // The row's values of the names asked about: views into the row, or into copies_ for a
  // value in quotes or a row not in ASCII.
  std::vector<std::string_view> values_;
  std::vector<unsigned char> found_;  // of each name, whether the row has it
  std::vector<std::string> copies_;
  std::string converted_;
  std::optional<int64_t> subject_;  // the row's Subject as a whole number

  std::vector<std::optional<int64_t>> highest_;
  std::set<std::pair<int64_t, int64_t>> saved_;
  std::map<int64_t, std::vector<ValueSet>> kept_;  // Subject's values
  // Each value's participants, as they come; sorted and counted once when asked.
  using Participating = std::vector<std::pair<std::string, std::vector<int64_t>>>;
  std::vector<Participating> counted_;
  // `started` rows that may still be open, and the end rows that may end them, wherever
  // they stand: only those of the last hours the rule lets a run be open, or without a time.
  std::map<std::string, Open, std::less<>> open_;
  std::set<std::string, std::less<>> ended_;
  // This computer's latest run by the order of runs, and its runs whose E-Run failed.
  std::optional<RunOrder> latestOrder_;
  std::string latestRun_, latestAttributes_;
  size_t latestRow_ = 0;
  std::optional<size_t> unreadableAttributes_;  // of the script's rows
  bool latestStarted_ = false;
  std::set<std::string, std::less<>> failedRuns_;
};

#endif  // TARVO_JOURNAL_STUDY_ROWS_H_
