#ifndef TARVO_JOURNAL_JOURNAL_TIME_H_
#define TARVO_JOURNAL_JOURNAL_TIME_H_

#include <array>
#include <ctime>
#include <string>
#include <string_view>

// Times as the journal of runs writes them: the station's local time with its offset from
// UTC, so that stations in different time zones, or either side of a clock change, compare.

/// `time` as local time in ISO 8601 with its offset: "2026-12-08T14:03:22+02:00".
std::string JournalTime(std::time_t time);

/// `time` as local time in the compact form that names a run: "20261208T140322".
std::string CompactLocalTime(std::time_t time);

/// The moment that a time of the journal stands for: as JournalTime writes it, or as a
/// spreadsheet writes it back, "2026-12-08 14:52" or "08.12.2026 14:52", with seconds or
/// without, with an offset ("+01:00") or without, when it is local time. False for any
/// other text.
bool ParseJournalTime(std::string_view text, std::time_t* time);

/// ParseJournalTime for the rows of a journal one after another, which mostly share their
/// day and their offset in Tarvo's own form: the same results, the day read once.
class JournalTimeParser {
 public:
  bool Parse(std::string_view text, std::time_t* time);

 private:
  bool known_ = false;
  std::array<char, 11> day_{};    // "2026-12-08T" of the last time in Tarvo's own form
  std::array<char, 6> offset_{};  // and its "+01:00"
  long long start_ = 0;           // the moment its day began at that offset
};

#endif  // TARVO_JOURNAL_JOURNAL_TIME_H_
