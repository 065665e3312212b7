#include "app/journal.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "test_support.h"
#include "textfile/csv.h"

namespace {

const std::time_t kStarted = 1796731402;  // 2026-12-08T14:03:22+02:00
const char kHeader[] =
    "run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n";
const char kDataFile[] = "C:\\data\\rt-1-1.edat2";
std::time_t g_now;

class JournalTest : public testing::Test {
 protected:
  Journal Make() {
    g_now = kStarted;
    Journal journal(files, "J.csv", {"LAB2", "anna", 4242, kStarted}, "C:\\exp\\rt.ebs",
                    "Subject=1; Session=1");
    journal.now = [] { return g_now; };
    return journal;
  }
  std::string& content() { return files.files["J.csv"]; }

  ScopedTimeZone zone{"CAT-2"};
  FakeFileSystem files;
};

// A row as a run on another station writes it.
std::string Row(const std::string& run, const std::string& time, const std::string& computer,
                const std::string& dataFile, const std::string& event) {
  return CsvRow({run, time, computer, "ben", "C:\\exp\\rt.ebs", "", dataFile, event, "", ""});
}

}  // namespace

TEST_F(JournalTest, WholeRowsAfterTheHeaderOfANewFile) {
  const std::string run = "LAB2-4242-20261208T140322,";
  const std::string station = ",LAB2,anna,C:\\exp\\rt.ebs,Subject=1; Session=1,";
  const std::string written = run + "2026-12-08T14:03:22+02:00" + station + kDataFile +
                              ",started,,\r\n" + run + "2026-12-08T14:04:27+02:00" + station +
                              kDataFile + ",ended,0,\"E-Run ended, code 0\"\r\n";
  struct {
    const char* before;  // nullptr: no file yet
    std::string start;
  } rows[] = {{nullptr, kHeader}, {"", kHeader}, {"x", "x\r\n"}, {"x\n", "x\n"}};
  for (const auto& row : rows) {
    files.files.clear();
    if (row.before != nullptr)
      content() = row.before;
    Journal journal = Make();
    std::string refusal;
    ASSERT_EQ(Journal::Outcome::kWritten, journal.Start(kDataFile, &refusal));
    g_now += 65;
    ASSERT_TRUE(journal.Append({JournalEvent::kEnded, kDataFile, 0, "E-Run ended, code 0"}));
    EXPECT_EQ(row.start + written, content());
  }
}

TEST_F(JournalTest, RefusesADataFileSavedOrRunningElsewhere) {
  const std::string recent = "2026-12-08T00:04:22+00:00";  // 11 hours 59 minutes ago
  const std::string running = "Running: rt-1-1.edat2 on LAB1 since " + recent;
  struct {
    std::string journal;
    std::string refusal;
  } rows[] = {
      {Row("A", "2026-12-01T09:00:00+02:00", "LAB2", "D:/old/RT-1-1.EDAT2", "saved"),
       "Already saved: RT-1-1.EDAT2 on LAB2 at 2026-12-01T09:00:00+02:00"},
      {Row("A", recent, "LAB1", "E:\\rt-1-1.edat2", "started"), running},
      {Row("A", "2026-12-08T02:03:22+02:00", "LAB1", kDataFile, "started"), ""},  // 12 hours
      {Row("A", recent, "lab2", kDataFile, "started"), ""},                       // this computer
      {Row("A", recent, "LAB1", kDataFile, "started") + Row("A", recent, "LAB1", "", "no data"),
       ""},
      {Row("A", recent, "LAB1", kDataFile, "started") + Row("B", recent, "LAB1", "", "ended"),
       running},
      {Row("A", recent, "LAB1", "rt-1-2.edat2", "saved"), ""},
      {kHeader + Row("A", "08.12.2026 09:00", "LAB1", kDataFile, "saved") +
           CsvRow({"A", recent, "LAB1", "ben", "", "", kDataFile, "saved", ""}),
       ""},  // unreadable rows
      {Row("A", recent, "LAB1", kDataFile, "started") +
           Row("B", recent, "LAB3", kDataFile, "saved"),
       running},  // the first row decides
  };
  for (const auto& row : rows) {
    content() = row.journal;
    Journal journal = Make();
    std::string refusal;
    Journal::Outcome outcome = journal.Start(kDataFile, &refusal);
    EXPECT_EQ(row.refusal.empty() ? Journal::Outcome::kWritten : Journal::Outcome::kRefused,
              outcome);
    EXPECT_EQ(row.refusal, refusal) << row.journal;
    std::vector<std::string> last = ParseCsv(content()).back();
    std::vector<std::string> expected = {row.refusal.empty() ? "started" : "refused",
                                         row.refusal.empty() ? "" : "-1", row.refusal};
    EXPECT_EQ(expected, std::vector<std::string>(last.begin() + 7, last.end()));
  }
  content() = Row("A", recent, "LAB1", "", "saved");
  std::string refusal;
  EXPECT_EQ(Journal::Outcome::kWritten, Make().Start("", &refusal));
}

TEST_F(JournalTest, FailuresGiveTheLineToPrint) {
  const std::string failed = "Couldn't write journal J.csv";
  struct {
    LockOutcome lock;
    size_t readFailsAt;
    size_t diskSpace;
    std::string failure;
  } rows[] = {
      {LockOutcome::kFailed, FakeFileSystem::kNever, FakeFileSystem::kNever, failed},
      {LockOutcome::kInUse, FakeFileSystem::kNever, FakeFileSystem::kNever,
       failed + ": it is open in another program"},
      {LockOutcome::kLocked, 0, FakeFileSystem::kNever, failed},
      {LockOutcome::kLocked, FakeFileSystem::kNever, 100, failed},
  };
  for (const auto& row : rows) {
    files = FakeFileSystem();
    files.lockOutcome = row.lock;
    files.readFailsAt = row.readFailsAt;
    files.diskSpace = row.diskSpace;
    Journal journal = Make();
    std::string refusal;
    EXPECT_EQ(Journal::Outcome::kFailed, journal.Start(kDataFile, &refusal));
    EXPECT_EQ(row.failure, journal.failure());
    EXPECT_FALSE(journal.Append({JournalEvent::kEnded, kDataFile, 0, ""}));
    EXPECT_EQ(row.failure, journal.failure());
  }
  // A refusal stands when its row cannot be written.
  files = FakeFileSystem();
  files.diskSpace = 100;
  content() = Row("A", "2026-12-01T09:00:00+02:00", "LAB1", kDataFile, "saved");
  std::string refusal;
  Journal journal = Make();
  EXPECT_EQ(Journal::Outcome::kRefused, journal.Start(kDataFile, &refusal));
  EXPECT_EQ(failed, journal.failure());
}
