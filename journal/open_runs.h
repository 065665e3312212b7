#ifndef TARVO_JOURNAL_OPEN_RUNS_H_
#define TARVO_JOURNAL_OPEN_RUNS_H_

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "journal/journal_reader.h"

/// How long a run that no row ends counts as open at most: its station may have been
/// switched off mid-run.
constexpr int kOpenRunHours = 12;

/// The rule for a `started` row without an end row. A station runs one experiment at a
/// time, so such a row counts as running only while it is the latest `started` row of its
/// computer, and for at most 12 hours; a time that cannot be read does not end it, so the
/// guard fails closed. Note() each `started` row in the journal's order first.
class RunningRule {
 public:
  void Note(const JournalEntry& started);
  /// Whether the `started` row of `computer` at `row`, of `time` when it can be read, still
  /// counts as running at `now`.
  bool Running(std::string_view computer, size_t row, std::optional<std::time_t> time,
               std::time_t now) const;
  /// Whether that row is its computer's latest `started` row.
  bool IsLatest(std::string_view computer, size_t row) const;

 private:
  size_t Find(std::string_view computer) const;

  // Each computer's name with the number of its latest `started` row: a lab has a few.
  std::vector<std::pair<std::string, size_t>> latest_;
};

#endif  // TARVO_JOURNAL_OPEN_RUNS_H_
