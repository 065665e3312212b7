#include "journal/journal_time.h"

#include <gtest/gtest.h>

#include "test_support.h"

// Every form the journal's times are read in, in a zone 3:30 hours behind UTC; February
// dates, where the civil-day count turns its year. A parser that reads them one after
// another, the day of the one before kept, reads each alike.
TEST(JournalTime, ReadInTarvosFormAndInTheFormsOfSpreadsheets) {
  SetTimeZone("NST3:30");
  const std::time_t kUnread = -2;
  struct Row {
    const char* text;
    std::time_t moment;
  } rows[] = {
      {"2026-02-10T10:00:00+00:00", 1770717600},
      {"2026-02-10T10:00:00-03:30", 1770730200},
      {"2026-02-10 10:00", 1770730200},  // local time
      {"10.02.2026 10:00:30+01:00", 1770714030},
      {"29.02.2024 20:29", 1709251140},
      {"2026-12-08T08:33:22", 1796731402},
      {"29.02.2026 10:00", kUnread},
      {"2026-02-10 10:00 +01:00", kUnread},
      {"10.2.2026 10:00", kUnread},
      {"2026-02-10", kUnread},
      {"2026-02-10T24:00", kUnread},
      {"2026-02-10T10:00:00+01", kUnread},
      {"2026-02-10T10:00:00+00:00", 1770717600},
      {"2026-02-10T23:59:60+00:00", 1770768000},
      {"2026-02-10T24:00:00+00:00", kUnread},
      {"2026-02-10T10:0a:00+00:00", kUnread},
      {"2026-02-10T10:00:00-03:30", 1770730200},
  };
  JournalTimeParser parser;
  for (const Row& row : rows) {
    std::time_t moment = kUnread, parsed = kUnread;
    EXPECT_EQ(row.moment != kUnread, ParseJournalTime(row.text, &moment)) << row.text;
    EXPECT_EQ(row.moment, moment) << row.text;
    EXPECT_EQ(row.moment != kUnread, parser.Parse(row.text, &parsed)) << row.text;
    EXPECT_EQ(row.moment, parsed) << row.text;
  }
  EXPECT_EQ("2026-02-10T06:30:00-03:30", JournalTime(1770717600));
}
