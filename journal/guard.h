#ifndef TARVO_JOURNAL_GUARD_H_
#define TARVO_JOURNAL_GUARD_H_

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/data_files.h"
#include "journal/journal_reader.h"
#include "journal/names_in_rows.h"
#include "journal/open_runs.h"

/// The guard of a run: whether the journal lets it give its data file. It keeps of the
/// journal, as it streams by, the rows about a data file of this run's name and what ends
/// their runs, so memory does not grow with the journal.
class Guard {
 public:
  /// `data` are this run's data files, `computer` this station's name, both in the
  /// program's code page; `now` ages the `started` rows.
  Guard(const DataFiles& data, const std::string& computer, std::time_t now);

  /// Takes the journal's rows in their order.
  void Take(const JournalEntry& entry);
  /// Takes a row that cannot be read: `line` is its text, in UTF-8 when it is valid UTF-8,
  /// as a row that can be read is.
  void TakeUnreadable(size_t row, std::string_view line);
  /// A saved row that this run writes, at the time `at`, for a run of this station found
  /// ended, whose data file is at `path` (in the program's code page).
  void FoundSaved(const std::string& path, const std::string& at);
  /// An open run of this station, `run`, that this run found ended and writes the end row of.
  void FoundEnded(std::string_view run) { ends_.End(run, true); }
  /// Whether a run it keeps is waiting for its end row: every end row then matters.
  bool waiting() const { return ends_.watching(); }
  /// Whether one that waits is named other than `runs` begins.
  bool WaitingBeyond(std::string_view runs) const { return ends_.WatchingBeyond(runs); }

  /// "Couldn't read journal row <k>, which names <file name>" for the first row that cannot
  /// be read and names one of this run's data files by their names without folder: such a
  /// row may be the data file's own. "" when none does.
  const std::string& unreadableNaming() const { return unreadableNaming_; }
  /// The line of the first row, in the order of the rows' times, that refuses the run: a
  /// `saved` row, or a `started` row of another computer that is still open, or, with
  /// `hereToo`, of this one. "" when none.
  std::string Refusal(bool hereToo = false) const;

 private:
  struct Kept {
    RunOrder order;  // of the row itself
    bool saved;
    std::string time, computer, fileName;  // as the program prints them
    size_t kept = 0;                       // a `started` row's number in ends_
    bool here = false;                     // a `started` row of this station
  };

  void Keep(const JournalEntry& entry, bool saved);

  NameInRows final_, dataFile_, computer_;
  std::time_t now_;
  std::vector<Kept> kept_;
  RunEnds ends_;
  std::string unreadableNaming_;
};

#endif  // TARVO_JOURNAL_GUARD_H_
