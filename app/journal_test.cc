#include "app/journal.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "test_support.h"
#include "textfile/csv.h"

namespace {

const std::time_t kStarted = 1796731402;  // 2026-12-08 12:03:22 UTC
const char kDataFile[] = "C:\\data\\rt-1-1.edat2";
std::time_t g_now;

// A run of LAB2 started at kStarted, where the clock is 3:30 hours behind UTC.
Journal Make(FakeFileSystem& files) {
  SetTimeZone("NST3:30");
  g_now = kStarted;
  Journal journal(files, "J.csv", {"LAB2", "anna", 4242, kStarted}, "C:\\exp\\rt.ebs",
                  "Subject=1; Session=1");
  journal.now = [] { return g_now; };
  return journal;
}

// A row as a run on another station writes it.
std::string Row(const std::string& run, const std::string& time, const std::string& computer,
                const std::string& dataFile, const std::string& event) {
  return CsvRow({run, time, computer, "ben", "C:\\exp\\rt.ebs", "", dataFile, event, "", ""});
}

}  // namespace

TEST(Journal, WholeRowsAfterTheHeaderOfANewFile) {
  const std::string run = "LAB2-4242-20261208T083322,";
  const std::string station = ",LAB2,anna,C:\\exp\\rt.ebs,Subject=1; Session=1,";
  const std::string written = run + "2026-12-08T08:33:22-03:30" + station + kDataFile +
                              ",started,,\r\n" + run + "2026-12-08T08:34:27-03:30" + station +
                              kDataFile + ",ended,0,\"E-Run ended, code 0\"\r\n";
  const std::string header =
      "run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n";
  struct {
    const char* before;  // nullptr: no file yet
    std::string start;
  } rows[] = {{nullptr, header}, {"", header}, {"x", "x\r\n"}, {"x\n", "x\n"}};
  for (const auto& row : rows) {
    FakeFileSystem files;
    if (row.before != nullptr)
      files.files["J.csv"] = row.before;
    Journal journal = Make(files);
    std::string refusal;
    ASSERT_EQ(Journal::Outcome::kWritten, journal.Start(kDataFile, &refusal));
    g_now += 65;
    ASSERT_TRUE(journal.Append({JournalEvent::kEnded, kDataFile, 0, "E-Run ended, code 0"}));
    EXPECT_EQ(row.start + written, files.files["J.csv"]);
  }
}

TEST(Journal, RefusesADataFileSavedOrRunningElsewhere) {
  const std::string recent = "2026-12-07T20:34:22-03:30";  // 11 hours 59 minutes ago
  const std::string running = "Running: rt-1-1.edat2 on LAB1 since " + recent;
  const std::string started = Row("A", recent, "LAB1", kDataFile, "started");
  struct {
    std::string journal;
    std::string refusal;
  } rows[] = {
      {Row("A", "2026-12-01T09:00:00+02:00", "LAB2", "D:/old/RT-1-1.EDAT2", "saved"),
       "Already saved: RT-1-1.EDAT2 on LAB2 at 2026-12-01T09:00:00+02:00"},
      {Row("A", recent, "LAB1", "E:\\rt-1-1.edat2", "started"), running},
      {Row("A", "2026-12-08T02:03:22+02:00", "LAB1", kDataFile, "started"), ""},  // 12 hours
      {Row("A", recent, "lab2", kDataFile, "started"), ""},                       // this computer
      {started + Row("A", recent, "LAB1", "", "no data"), ""},
      {started + Row("B", recent, "LAB1", "", "ended"), running},
      {started + Row("B", recent, "LAB3", kDataFile, "saved"), running},  // the first row
      {Row("A", recent, "LAB1", "rt-1-2.edat2", "saved"), ""},
      {Row("A", "08.12.2026 09:00", "LAB1", kDataFile, "saved") +
           CsvRow({"A", recent, "LAB1", "ben", "", "", kDataFile, "saved", ""}),
       ""},  // unreadable rows
  };
  for (const auto& row : rows) {
    FakeFileSystem files;
    files.files["J.csv"] = row.journal;
    std::string refusal;
    Journal::Outcome outcome = Make(files).Start(kDataFile, &refusal);
    EXPECT_EQ(row.refusal, refusal) << row.journal;
    EXPECT_EQ(row.refusal.empty() ? Journal::Outcome::kWritten : Journal::Outcome::kRefused,
              outcome);
    std::string end =
        row.refusal.empty() ? ",started,,\r\n" : ",refused,-1," + row.refusal + "\r\n";
    const std::string& written = files.files["J.csv"];
    EXPECT_EQ(end, written.substr(written.size() - end.size()));
  }
  FakeFileSystem files;
  files.files["J.csv"] = Row("A", recent, "LAB1", "", "saved");
  std::string refusal;
  EXPECT_EQ(Journal::Outcome::kWritten, Make(files).Start("", &refusal));
}

TEST(Journal, FailuresGiveTheLineToPrint) {
  const std::string failed = "Couldn't write journal J.csv";
  FakeFileSystem lockFails, inUse, readFails, diskFull;
  lockFails.lockOutcome = LockOutcome::kFailed;
  inUse.lockOutcome = LockOutcome::kInUse;
  readFails.readFailsAt = 0;
  diskFull.diskSpace = 100;
  for (auto [files, failure] : {std::pair{&lockFails, failed},
                                {&inUse, failed + ": it is open in another program"},
                                {&readFails, failed},
                                {&diskFull, failed}}) {
    Journal journal = Make(*files);
    std::string refusal;
    EXPECT_EQ(Journal::Outcome::kFailed, journal.Start(kDataFile, &refusal));
    EXPECT_EQ(failure, journal.failure());
    EXPECT_FALSE(journal.Append({JournalEvent::kEnded, kDataFile, 0, ""}));
    EXPECT_EQ(failure, journal.failure());
  }
  // A refusal stands when its row cannot be written.
  diskFull.files["J.csv"] = Row("A", "2026-12-01T09:00:00+02:00", "LAB1", kDataFile, "saved");
  std::string refusal;
  Journal journal = Make(diskFull);
  EXPECT_EQ(Journal::Outcome::kRefused, journal.Start(kDataFile, &refusal));
  EXPECT_EQ(failed, journal.failure());
}
