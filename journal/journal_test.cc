#include "journal/journal.h"

#include <gtest/gtest.h>

#include "base/csv.h"
#include "fake_file_system.h"
#include "test_support.h"

namespace {

const std::time_t kStarted = 1796731402;  // 2026-12-08 12:03:22 UTC
const char kDataFile[] = "C:\\data\\rt-1-1.edat2";
// Rows as Row() writes them have two empty fields more, which do not count.
const std::string kHeader = "run,time,computer,user,script,attributes,data_file,event\r\n";
std::time_t g_now;

// A run of LAB2 started at kStarted, where the clock is 3:30 hours behind UTC.
Journal Make(FakeFileSystem& files) {
  SetTimeZone("NST3:30");
  g_now = kStarted;
  return Journal(files, "J.csv", {"LAB2", "anna", 4242, kStarted}, "C:\\exp\\rt.ebs",
                 "Subject=1; Session=1", [] { return g_now; });
}

// A row as a run on another station writes it.
std::string Row(const std::string& run, const std::string& time, const std::string& computer,
                const std::string& dataFile, const std::string& event) {
  return CsvRow({run, time, computer, "ben", "C:\\exp\\rt.ebs", "", dataFile, event, "", ""}, ',');
}

}  // namespace

TEST(Journal, WholeRowsAfterTheHeader) {
  const std::string run = "LAB2-4242-20261208T083322,";
  const std::string station = ",LAB2,anna,C:\\exp\\rt.ebs,Subject=1; Session=1,";
  const std::string written = run + "2026-12-08T08:33:22-03:30" + station + kDataFile +
                              ",started,,\r\n" + run + "2026-12-08T08:34:27-03:30" + station +
                              kDataFile + ",ended,0,\"E-Run ended, code 0\"\r\n";
  const std::string header =
      "run,time,computer,user,script,attributes,data_file,event,exit_code,message";
  struct {
    const char* before;  // nullptr: no file yet
    std::string after;
  } rows[] = {
      {nullptr, header + "\r\n" + written},
      {"", header + "\r\n" + written},
      {header.c_str(), header + "\r\n" + written},  // an editor left its line end out
  };
  for (const auto& row : rows) {
    FakeFileSystem files;
    if (row.before != nullptr)
      files.files["J.csv"] = row.before;
    Journal journal = Make(files);
    ASSERT_EQ(Journal::Outcome::kWritten, journal.Start(kDataFile).outcome);
    g_now += 65;
    ASSERT_TRUE(journal.Append({JournalEvent::kEnded, kDataFile, 0, "E-Run ended, code 0"}));
    EXPECT_EQ(row.after, files.files["J.csv"]);
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
      {Row("A", "08.12.2026 9:00", "LAB2", kDataFile, "saved"),  // its time cannot be read
       "Already saved: rt-1-1.edat2 on LAB2 at 08.12.2026 9:00"},
      {Row("A", recent, "LAB1", "E:\\rt-1-1.edat2", "started"), running},
      {Row("A", "2026-12-08T02:03:22+02:00", "LAB1", kDataFile, "started"), ""},  // 12 hours
      {Row("A", recent, "lab2", kDataFile, "started"), ""},                       // this computer
      {started + Row("A", recent, "LAB1", "", "no data"), ""},
      {started + Row("A", "", "", "", "ended"), ""},                  // released by hand
      {started + Row("B", recent, "LAB1", "x.edat", "started"), ""},  // its computer's next run
      {started + Row("B", recent, "LAB3", "x.edat", "started"), running},
      {started + Row("B", recent, "LAB3", kDataFile, "saved"), running},  // the first row
      {Row("A", "gestern", "LAB1", kDataFile, "started"),
       "Running: rt-1-1.edat2 on LAB1 since gestern"},
      {Row("A", recent, "LAB1", "rt-1-2.edat2", "saved"), ""},
  };
  for (const auto& row : rows) {
    FakeFileSystem files;
    files.files["J.csv"] = kHeader + row.journal;
    Journal::Started outcome = Make(files).Start(kDataFile);
    EXPECT_EQ(row.refusal.empty() ? Journal::Outcome::kWritten : Journal::Outcome::kRefused,
              outcome.outcome);
    EXPECT_EQ(row.refusal.empty() ? 0u : 1u, outcome.lines.size()) << row.journal;
    if (!row.refusal.empty() && !outcome.lines.empty()) {
      EXPECT_EQ(row.refusal, outcome.lines[0]);
    }
    std::string end = row.refusal.empty() ? ",started\r\n" : ",refused\r\n";
    const std::string& written = files.files["J.csv"];
    EXPECT_EQ(end, written.substr(written.size() - end.size()));
  }
  FakeFileSystem files;
  files.files["J.csv"] = kHeader + Row("A", recent, "LAB1", "", "saved");
  EXPECT_EQ(Journal::Outcome::kWritten, Make(files).Start("").outcome);
}

TEST(Journal, FailuresGiveTheLineToPrint) {
  const std::string failed = "Couldn't write journal J.csv";
  const std::string unread = "Couldn't read journal J.csv";
  FakeFileSystem lockFails, inUse, readFails, diskFull, noHeader;
  lockFails.lockOutcome = LockOutcome::kFailed;
  inUse.lockOutcome = LockOutcome::kInUse;
  readFails.readFailsAt = 0;
  diskFull.diskSpace = 50;
  noHeader.files["J.csv"] = "Subject,Session\r\n";
  for (auto [files, failure] :
       {std::pair{&lockFails, failed},
        {&inUse, failed + ": it is open in another program"},
        {&readFails, unread},
        {&diskFull, failed},
        {&noHeader, unread + ": its first line is not the journal's header"}}) {
    Journal journal = Make(*files);
    Journal::Started started = journal.Start(kDataFile);
    EXPECT_EQ(Journal::Outcome::kFailed, started.outcome);
    EXPECT_EQ(std::vector<std::string>{failure}, started.lines);
    EXPECT_FALSE(journal.Append({JournalEvent::kEnded, kDataFile, 0, ""}));
    EXPECT_EQ(failure, journal.failure());
  }
  // A refusal stands when its row cannot be written; rows that cannot be read are counted.
  diskFull.files["J.csv"] = "run,time,computer,data_file,event\r\nx,\"y\r\nA,t,LAB1," +
                            std::string(kDataFile) + ",saved\r\nz\r\n";
  Journal::Started started = Make(diskFull).Start(kDataFile);
  EXPECT_EQ(Journal::Outcome::kRefused, started.outcome);
  EXPECT_EQ((std::vector<std::string>{"Warning: 2 rows of the journal cannot be read (the first "
                                      "is row 2); the guard passes over them",
                                      "Already saved: rt-1-1.edat2 on LAB1 at t", failed}),
            started.lines);
}
