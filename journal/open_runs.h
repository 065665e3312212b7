#ifndef TARVO_JOURNAL_OPEN_RUNS_H_
#define TARVO_JOURNAL_OPEN_RUNS_H_

#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// When a run is open, and the order of runs: the rules that the guard, the report and every
// reader of the journal share.
//
// A run's rows belong together by their `run`, wherever they stand in the file, and its end
// row always comes after its `started` row. A `started` row stays open until one of these:
// an end row of its own run (one the run wrote, one its own computer wrote when it found the
// run's E-Run ended, or a release by hand), or kOpenRunHours since its time. Between runs,
// the time of a run's first row decides the order; equal times keep the file's order and
// prove nothing; a time that cannot be read releases nothing and counts as the oldest.

/// How long a run that no row of its own ends counts as open at most: its station may have
/// been switched off mid-run, and its E-Run with it.
constexpr int kOpenRunHours = 12;

/// "12 hours", for the texts that say the rule.
std::string OpenRunHoursText();

/// Whether a `started` row of `time`, none when it cannot be read, that no row of its own
/// run ends still counts as open at `now`. A time that cannot be read never ages, so the
/// guard fails closed; neither does one ahead of `now`.
bool StillOpen(std::optional<std::time_t> time, std::time_t now);

/// Where a run stands among the runs: by the time of its first row, a time that cannot be
/// read first, and equal times in the order of the file.
struct RunOrder {
  std::optional<std::time_t> time;
  size_t row = 0;

  bool operator<(const RunOrder& other) const;
  /// Whether this run is later than `other` by time alone, which equal times and times that
  /// cannot be read never are: what a proof that a run has ended rests on.
  bool LaterThan(const RunOrder& other) const { return time && other.time && *time > *other.time; }
};

/// Which kept `started` rows an end row of their own run ends, wherever it stands in the
/// file: an end row before its `started` row, as a sorted journal has it, is remembered
/// when it may matter, so memory grows only with a journal's disorder.
class RunEnds {
 public:
  /// Keeps the `started` row of `run`: its number, for Ended().
  size_t Keep(std::string_view run);
  /// Takes an end row of `run`. One that ends no kept run yet is remembered only when
  /// `mayMatter` (it may be of a kept run's kind, whose `started` row comes later).
  void End(std::string_view run, bool mayMatter);
  /// Whether any kept run is still waiting for its end row.
  bool watching() const { return !waiting_.empty(); }
  /// Whether one of them is named other than `runs` begins.
  bool WatchingBeyond(std::string_view runs) const;
  bool Ended(size_t kept) const { return ended_[kept]; }

 private:
  std::multimap<std::string, size_t, std::less<>> waiting_;  // kept runs not yet ended
  std::set<std::string, std::less<>> early_;                 // end rows before their start
  std::vector<bool> ended_;
};

#endif  // TARVO_JOURNAL_OPEN_RUNS_H_
