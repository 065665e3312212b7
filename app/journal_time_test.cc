#include "app/journal_time.h"

#include <gtest/gtest.h>

#include "test_support.h"

TEST(JournalTime, LocalTimeWithItsOffset) {
  const std::time_t kMoment = 1796731402;  // 2026-12-08 12:03:22 UTC
  struct Row {
    const char* zone;
    std::string expected;
  } rows[] = {
      {"UTC0", "2026-12-08T12:03:22+00:00"},
      {"EST5", "2026-12-08T07:03:22-05:00"},
      {"IST-5:30", "2026-12-08T17:33:22+05:30"},
      {"NST3:30", "2026-12-08T08:33:22-03:30"},
  };
  for (const Row& row : rows) {
    ScopedTimeZone zone(row.zone);
    EXPECT_EQ(row.expected, JournalTime(kMoment)) << row.zone;
    std::time_t read = 0;
    EXPECT_TRUE(ParseJournalTime(row.expected, &read));
    EXPECT_EQ(kMoment, read) << row.zone;
  }
  ScopedTimeZone zone("EST5");
  EXPECT_EQ("20261208T070322", CompactLocalTime(kMoment));
}

TEST(JournalTime, ReadsOnlyItsOwnForm) {
  std::time_t read = 0;
  for (const char* text :
       {"", "2026-12-08 12:03:22+00:00", "2026-12-08T12:03:22Z", "2026-13-08T12:03:22+00:00",
        "2026-12-08T24:03:22+00:00", "2026-12-08T12:03:22+00:00 ", "08.12.2026 12:03"})
    EXPECT_FALSE(ParseJournalTime(text, &read)) << text;
}
