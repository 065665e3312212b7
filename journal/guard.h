#ifndef TARVO_JOURNAL_GUARD_H_
#define TARVO_JOURNAL_GUARD_H_

#include <ctime>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "journal/journal_reader.h"
#include "journal/open_runs.h"

/// The guard of a run: whether the journal lets it give its data file. It keeps of the
/// journal, as it streams by, the rows about a data file of this run's name, each
/// computer's latest `started` row, and which of the kept rows' runs have ended, so memory
/// does not grow with the journal.
class Guard {
 public:
  /// `name` is the run's data file name, without its folder, as the journal holds text.
  explicit Guard(std::string name) : name_(std::move(name)) {}

  /// Takes the journal's rows in their order.
  void Take(const JournalEntry& entry);

  /// The line of the first kept row that refuses the run on `computer` at `now`: a
  /// `saved` row, or a `started` row of another computer that still counts as running
  /// (RunningRule) and that no row of its run ends. "" when none does.
  std::string Refusal(const std::string& computer, std::time_t now) const;

 private:
  struct Kept {
    size_t row;
    JournalEvent event;
    std::string run, computer, time;
    std::optional<std::time_t> moment;
    std::string dataFile;
  };

  std::string name_;
  std::vector<Kept> kept_;
  std::set<std::string, std::less<>> open_, ended_;
  RunningRule rule_;
};

#endif  // TARVO_JOURNAL_GUARD_H_
