#include "journal/journal.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/csv.h"
#include "fake_file_system.h"
#include "journal/study_rows.h"
#include "test_support.h"

namespace {

const std::time_t kStarted = 1796731402;  // 2026-12-08 12:03:22 UTC
const char kDataFile[] = "C:\\data\\rt-1-1.edat2";
const char kRun[] = "LAB2-4242-20261208T083322";
const std::string kHeader =
    "run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n";
const std::string kRecent = "2026-12-07T20:34:22-03:30";  // 11 hours 59 minutes ago
const std::string kEarlier = "2026-12-07T22:00:00-03:30";
const std::string kLater = "2026-12-08T08:00:00-03:30";
std::time_t g_now;

// A run of LAB2 started at kStarted, where the clock is 3:30 hours behind UTC.
Journal Make(FakeFileSystem& files, const std::string& computer = "LAB2") {
  SetTimeZone("NST3:30");
  g_now = kStarted;
  return Journal(files, "J.csv", {computer, "anna", 4242, kStarted, {4242, 42}}, "C:\\exp\\rt.ebs",
                 "Subject=1; Session=1", [] { return g_now; });
}

// The data check as it finds the files of `files`.
DataCheck CheckIn(FakeFileSystem& files) {
  return [&files](const DataFiles& data) {
    if (files.files.count(data.Final()) != 0)
      return JournalEvent::kSaved;
    if (!data.converted.empty() && files.files.count(data.dataFile) != 0)
      return JournalEvent::kNotConverted;
    return JournalEvent::kNoData;
  };
}

const DataFiles kOurs = {"C:\\data\\rt-1-1.txt", kDataFile};

// With `scanFirst`, as a run whose values the journal chooses: the rows are read under the
// held lock first (which says the warning line), and Start reads only what that read kept.
Journal::Started Start(Journal& journal, FakeFileSystem& files, ProcessCheck& processes,
                       const DataFiles& data = kOurs, bool scanFirst = false) {
  if (scanFirst) {
    EXPECT_TRUE(journal.Hold());
    StudyRows rows("C:\\exp\\rt.ebs", "LAB1", {}, 0);
    journal.Scan(rows);
  }
  return journal.Start(data, processes, CheckIn(files));
}

// How a case's journal is read: by Start alone, or as a run whose values the journal chooses,
// and each in a long journal too, which is read in two parts at once.
struct Read {
  bool scanFirst;
  bool long_;
};

// The journal of `rows`: in a long one, amid a megabyte of another station's old rows,
// `other` each, more before them than after, so that they are read in the second part.
std::string Text(
    const std::string& rows, Read read, const std::string& header = kHeader,
    const std::string& other =
        "LAB9-1,2020-01-01T00:00:00+00:00,LAB9,ben,C:\\exp\\rt.ebs,,C:\\o.edat,saved,,\r\n") {
  std::string padding, more;
  while (read.long_ && padding.size() < 500000)
    padding += other;
  while (more.size() < padding.size() / 4)
    more += other;
  return header + padding + more + rows + padding;
}

// Each of `rows` read by Start alone, then as a run whose values the journal chooses.
template <typename Rows, typename Check>
void ForBothReads(const Rows& rows, Check check) {
  for (bool scanFirst : {false, true}) {
    for (const auto& row : rows)
      check(row, scanFirst);
  }
}

// Each of `rows` read in each way.
template <typename Rows, typename Check>
void ForEachRead(const Rows& rows, Check check) {
  for (Read read : {Read{false, false}, Read{true, false}, Read{false, true}, Read{true, true}}) {
    for (const auto& row : rows)
      check(row, read);
  }
}

// A row as a run on another station, or an earlier run of this one, writes it.
std::string Row(const std::string& run, const std::string& time, const std::string& computer,
                const std::string& dataFile, const std::string& event,
                const std::string& message = "") {
  return CsvRow({run, time, computer, "ben", "C:\\exp\\rt.ebs", "", dataFile, event, "", message},
                ',');
}

// The rows appended after `before`: "<run> <event> <message>|" each.
std::string Appended(const std::string& journal, const std::string& before) {
  std::string appended;
  std::string_view rest = std::string_view(journal).substr(before.size());
  for (size_t end; (end = rest.find("\r\n")) != std::string_view::npos;
       rest.remove_prefix(end + 2)) {
    CsvLine line;
    line.Split(rest.substr(0, end), ',');
    appended += std::string(line[0]) + " " + std::string(line[7]) +
                (line.size() > 9 && !line[9].empty() ? " " + std::string(line[9]) : "") + "|";
  }
  return appended;
}

}  // namespace

TEST(Journal, WholeRowsAfterTheHeader) {
  const std::string run = std::string(kRun) + ",";
  const std::string station = ",LAB2,anna,C:\\exp\\rt.ebs,Subject=1; Session=1,";
  const std::string written =
      run + "2026-12-08T08:33:22-03:30" + station + kDataFile + ",started,,\r\n" + run +
      "2026-12-08T08:33:22-03:30" + station + kDataFile +
      ",E-Run started,,process 77 created 123; Tarvo 4242 created 42; data file "
      "C:\\data\\rt-1-1.txt\r\n" +
      run + "2026-12-08T08:34:27-03:30" + station + kDataFile +
      ",ended,0,\"E-Run ended, code 0\"\r\n";
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
    FakeProcessCheck processes;
    if (row.before != nullptr)
      files.files["J.csv"] = row.before;
    Journal journal = Make(files);
    ASSERT_EQ(Journal::Outcome::kWritten, Start(journal, files, processes).outcome);
    ASSERT_TRUE(journal.ErunStarted({77, 123}, kOurs));
    g_now += 65;
    ASSERT_TRUE(journal.Append({JournalEvent::kEnded, kDataFile, 0, "E-Run ended, code 0"}));
    EXPECT_EQ(row.after, files.files["J.csv"]);
  }
}

// Other stations' rows refuse a run: a save of its data file, or a run of it still open by
// the release rule, whatever order the rows stand in.
TEST(Journal, RefusesADataFileSavedOrRunningElsewhere) {
  const std::string running = "Running: rt-1-1.edat2 on LAB1 since " + kRecent;
  const std::string started = Row("A", kRecent, "LAB1", kDataFile, "started");
  const std::string releasedByHand = "A,,LAB1,,,,,ended,,released by hand\r\n";
  struct {
    std::string journal;
    std::string refusal;
  } rows[] = {
      {Row("A", "2026-12-01T09:00:00+02:00", "LAB2", "D:/old/RT-1-1.EDAT2", "saved"),
       "Already saved: RT-1-1.EDAT2 on LAB2 at 2026-12-01T09:00:00+02:00"},
      {Row("A", "08.12.2026 9:00", "LAB2", kDataFile, "saved"),  // its time cannot be read
       "Already saved: rt-1-1.edat2 on LAB2 at 08.12.2026 9:00"},
      {Row("A", kRecent, "LAB1", "E:\\rt-1-1.edat2", "started"), running},
      {Row("A", "2026-12-08T02:03:22+02:00", "LAB1", kDataFile, "started"), ""},  // 12 hours
      {Row("A", kRecent, "lab2", kDataFile, "started"), ""},                      // this computer
      {started + Row("A", kRecent, "LAB1", "", "no data"), ""},
      {started + Row("A", kRecent, "LAB1", kDataFile, "E-Run failed"), ""},
      {started + releasedByHand, ""},
      {releasedByHand + started, ""},  // sorted: the end first
      {Row("A", kRecent, "LAB1", kDataFile, "saved") + started,
       "Already saved: rt-1-1.edat2 on LAB1 at " + kRecent},
      // Its computer's next run, held by the open run's E-Run, proves nothing.
      {started + Row("B", kEarlier, "LAB1", "x.edat", "started") +
           Row("B", kEarlier, "LAB1", "x.edat", "E-Run failed"),
       running},
      {started + Row("B", kEarlier, "LAB3", "x.edat", "started"), running},
      {started + Row("B", kRecent, "LAB3", kDataFile, "saved"), running},  // equal times: rows
      {Row("B", kLater, "LAB3", kDataFile, "saved") + started, running},   // the earlier time
      {Row("A", "gestern", "LAB1", kDataFile, "started"),
       "Running: rt-1-1.edat2 on LAB1 since gestern"},
      {Row("A", kRecent, "LAB1", "rt-1-2.edat2", "saved"), ""},
      {Row("A", kRecent, "LAB1", "xrt-1-1.edat2", "saved"), ""},
      {Row("A", kRecent, "LAB1", "rt-1-1.edat2 ", "saved"),
       "Already saved: rt-1-1.edat2 on LAB1 at " + kRecent},
      {Row("A", kRecent, "LAB1", "D:\\RT-1-1.EDAT2", "saved"),
       "Already saved: RT-1-1.EDAT2 on LAB1 at " + kRecent},
  };
  ForEachRead(rows, [&](const auto& row, Read read) {
    FakeFileSystem files;
    FakeProcessCheck processes;
    files.files["J.csv"] = Text(row.journal, read);
    Journal journal = Make(files);
    Journal::Started outcome = Start(journal, files, processes, kOurs, read.scanFirst);
    EXPECT_EQ(row.refusal.empty() ? Journal::Outcome::kWritten : Journal::Outcome::kRefused,
              outcome.outcome)
        << row.journal << read.scanFirst << read.long_;
    EXPECT_EQ(
        row.refusal.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.refusal},
        outcome.lines)
        << row.journal;
    EXPECT_EQ(
        std::string(kRun) + (row.refusal.empty() ? " started|" : " refused " + row.refusal + "|"),
        Appended(files.files["J.csv"], Text(row.journal, read)));
  });
  FakeFileSystem files;
  FakeProcessCheck processes;
  files.files["J.csv"] = kHeader + Row("A", kRecent, "LAB1", "", "saved");
  Journal journal = Make(files);
  EXPECT_EQ(Journal::Outcome::kWritten, Start(journal, files, processes, {}).outcome);
  // The journal's text is UTF-8 by its first row that is not ASCII, which only Scan read.
  files.files["J.csv"] = kHeader + Row("A", kRecent, "LAB1", "D:\\Gr\xC3\xBCn\\x.edat", "saved") +
                         Row("A", kRecent, "LAB\xC3\x96", "rt-1-1.edat2 ", "saved");
  Journal chosen = Make(files);
  EXPECT_EQ(std::vector<std::string>{"Already saved: rt-1-1.edat2 on LAB\xD6 at " + kRecent},
            Start(chosen, files, processes, kOurs, true).lines);
}

// Only this station can tell that its own open run's E-Run has ended: a later run of it
// took the hold of the same script, or the E-Run process it recorded is gone. Then it
// writes the run's end row, with what the data check finds.
TEST(Journal, ItsOwnRunsFoundEnded) {
  const std::string found = " found ended by " + std::string(kRun);
  const std::string ours = std::string(kRun) + " started|";
  const std::string open = Row("L1", kEarlier, "LAB2", "C:\\d\\x-2-1.edat", "started");
  const std::string erun = Row("L1", kEarlier, "LAB2", "C:\\d\\x-2-1.edat", "E-Run started",
                               "process 7 created 70; data file C:\\d\\x-2-1.txt");
  const std::string later =
      Row("L2", kLater, "LAB2", "C:\\d\\y.edat", "E-Run started", "process 8 created 80");
  const std::string tarvo =
      Row("L1", kEarlier, "LAB2", "C:\\d\\x-2-1.edat", "E-Run started",
          "process 7 created 70; Tarvo 5 created 50; data file C:\\d\\x-2-1.txt");
  using State = std::pair<std::pair<uint32_t, uint64_t>, ProcessState>;
  struct {
    const char* what;
    std::string journal;
    std::vector<State> running;
    std::vector<std::string> there;
    std::string appended;
  } rows[] = {
      {"saved", open + erun, {}, {"C:\\d\\x-2-1.edat"}, "L1 saved" + found + "|" + ours},
      {"aborted", open + erun, {}, {"C:\\d\\x-2-1.txt"}, "L1 not converted" + found + "|" + ours},
      {"nothing written", open + erun, {}, {}, "L1 no data" + found + "|" + ours},
      {"its E-Run still runs", open + erun, {{{7, 70}, ProcessState::kRunning}}, {}, ours},
      {"access denied", open + erun, {{{7, 70}, ProcessState::kCannotTell}}, {}, ours},
      // Its own Tarvo, still running, writes its end row itself.
      {"its Tarvo still runs", open + tarvo, {{{5, 50}, ProcessState::kRunning}}, {}, ours},
      {"its Tarvo ended too", open + tarvo, {}, {}, "L1 no data" + found + "|" + ours},
      {"its own end row", open + erun + Row("L1", kLater, "LAB2", "", "ended"), {}, {}, ours},
      {"its end row written elsewhere",
       Row("LAB2-7-1", kEarlier, "LAB2", "C:\\d\\x-2-1.edat", "started") +
           Row("LAB2-7-1", kEarlier, "LAB2", "C:\\d\\x-2-1.edat", "E-Run started", "process 7") +
           Row("LAB2-7-1", kLater, "LAB3", "C:\\d\\x-2-1.edat", "saved"),
       {},
       {},
       ours},
      {"its end row without a computer",
       open + erun + Row("L1", kLater, "", "C:\\d\\x-2-1.edat", "saved"),
       {},
       {},
       ours},
      {"older than 12 hours",
       Row("L1", "2026-12-07T20:00:00-03:30", "LAB2", "C:\\d\\x-2-1.edat", "started"),
       {},
       {},
       ours},
      {"sorted: its E-Run's row first", erun + open, {}, {}, "L1 no data" + found + "|" + ours},
      // A later run took the hold of the same script: without the data file's own name,
      // only a save can be told.
      {"a later run", open + later, {}, {"C:\\d\\x-2-1.edat"}, "L1 saved" + found + "|" + ours},
      {"a later run, not saved",
       open + later,
       {},
       {"C:\\d\\x-2-1.txt"},
       "L1 ended" + found + "|" + ours},
      {"at the same time",
       open + Row("L2", kEarlier, "LAB2", "y", "E-Run started", "process 8"),
       {},
       {},
       ours},
      {"of another computer",
       open + Row("L2", kLater, "LAB3", "y", "E-Run started", "process 8"),
       {},
       {},
       ours},
      {"refused", open + Row("L2", kLater, "LAB2", "y", "refused"), {}, {}, ours},
      {"its own data file",
       Row("L1", kEarlier, "LAB2", kDataFile, "started") +
           Row("L1", kEarlier, "LAB2", kDataFile, "E-Run started", "process 7"),
       {},
       {kDataFile},
       "L1 saved" + found + "|" + kRun + " refused Already saved: rt-1-1.edat2 on LAB2 at " +
           "2026-12-08T08:33:22-03:30|"},
  };
  ForEachRead(rows, [&](const auto& row, Read read) {
    FakeFileSystem files;
    FakeProcessCheck processes;
    for (const State& state : row.running)
      processes.states[state.first] = state.second;
    for (const std::string& path : row.there)
      files.files[path] = "data";
    files.files["J.csv"] = Text(row.journal, read);
    Journal journal = Make(files);
    Start(journal, files, processes, kOurs, read.scanFirst);
    EXPECT_EQ(row.appended, Appended(files.files["J.csv"], Text(row.journal, read)))
        << row.what << read.scanFirst << read.long_;
  });
}

// A row that cannot be read and names this run's data file refuses it, writing nothing: it
// may be the data file's own row, spoiled by hand.
TEST(Journal, UnreadableRowsThatNameTheDataFile) {
  const std::string naming = "Couldn't read journal row 2, which names ";
  const std::string warning =
      "Warning: 1 rows of the journal cannot be read (the first is row 2); the guard passes "
      "over them";
  struct {
    std::string journal;
    std::string line;
  } rows[] = {
      {"A,t,LAB1,C:\\data\\rt-1-1.edat2,saved,x,y\r\n", naming + "rt-1-1.edat2"},  // quotes gone
      {"A,t,LAB1,C:\\data\\RT-1-1.TXT,\"saved,note\r\nmore\"\r\n", naming + "rt-1-1.txt"},
      {"A;t;LAB1;C:\\data\\rt-1-1.edat2;started\r\n", naming + "rt-1-1.edat2"},  // joined
      {"A,t,LAB1,C:\\data\\rt-1-1.edat2x,saved,x\r\n", warning},
      {"A,t,LAB1,C:\\data\\rt-1-2.edat2,saved,x\r\n", warning},
      {" ,t,LAB1,C:\\data\\rt-1-2.edat2,saved\r\n", warning},  // no run
      {"\x1A"
       "A,t,LAB1,x,ended\r\n",
       ""},  // a Ctrl-Z that `copy` left at the line's start
  };
  ForEachRead(rows, [&](const auto& row, Read read) {
    FakeFileSystem files;
    FakeProcessCheck processes;
    const std::string text = Text(row.journal, read, "run,time,computer,data_file,event\r\n",
                                  "LAB9-1,2020-01-01T00:00:00+00:00,LAB9,C:\\o.edat,saved\r\n");
    files.files["J.csv"] = text;
    Journal journal = Make(files);
    Journal::Started started = Start(journal, files, processes, kOurs, read.scanFirst);
    bool refused = row.line.rfind(naming, 0) == 0;
    EXPECT_EQ(refused ? Journal::Outcome::kFailed : Journal::Outcome::kWritten, started.outcome);
    bool said = row.line.empty() || (read.scanFirst && !refused);  // by Scan
    // The row's number counts the lines before it.
    std::string line = row.line;
    if (!line.empty()) {
      auto before = std::count(text.begin(), text.begin() + text.find(row.journal), '\n');
      line.replace(line.find("row 2") + 4, 1, std::to_string(before + 1));
    }
    EXPECT_EQ(said ? std::vector<std::string>{} : std::vector<std::string>{line}, started.lines);
    EXPECT_EQ(refused, files.files["J.csv"].size() == text.size());
  });
}

// A journal saved as UTF-8 without a byte-order mark: its rows name files and computers in
// UTF-8, in any letter case of Windows-1252's letters, and rows are appended in UTF-8.
TEST(Journal, NamesInTheJournalsOwnText) {
  const std::string ours =
      "C:\\d\\Ged\xE4"
      "chtnis-5-1.edat";  // the program's code page
  // The file in UTF-8 and in the code page, as a row names it, and a row in the code page.
  const std::string utf8 =
      "D:\\GED\xC3\x84"
      "CHTNIS-5-1.EDAT";
  const std::string ansi =
      "D:\\GED\xC4"
      "CHTNIS-5-1.EDAT";
  const std::string ansiRow = Row("A", kRecent, "LAB1", "D:\\M\xFCller\\x.edat", "saved");
  const std::string saved = "Already saved: " + ansi.substr(3) + " on LAB1 at " + kRecent;
  struct {
    std::string computer;
    std::string journal;
    std::string refusal;
    std::string appendedName;  // how the refused row names the file
  } rows[] = {
      {"LAB2", Row("A", kRecent, "LAB1", utf8, "saved"), saved, utf8.substr(3, 4)},
      {"LAB2", Row("A", kRecent, "LAB1", ansi, "saved"), saved, ansi.substr(3, 4)},
      // Rows in UTF-8 joined to a journal in the code page, read and not.
      {"LAB2", ansiRow + Row("A", kRecent, "LAB1", utf8, "saved"), saved, ansi.substr(3, 4)},
      {"LAB2", ansiRow + Row("A", kRecent, "LAB1", utf8, "savd"),
       "Couldn't read journal row 3, which names " + ours.substr(5), ""},
      // This station's own row, its name in UTF-8.
      {"LAB\xD6",
       Row("A", kRecent, "LAB\xC3\x96",
           ours.substr(0, 8) + "\xC3\xA4"
                               "chtnis-5-1.edat",
           "started"),
       "", ""},
  };
  ForBothReads(rows, [&](const auto& row, bool scanFirst) {
    FakeFileSystem files;
    FakeProcessCheck processes;
    files.files["J.csv"] = kHeader + row.journal;
    Journal journal = Make(files, row.computer);
    Journal::Started started = Start(journal, files, processes, {ours, ""}, scanFirst);
    EXPECT_EQ(
        row.refusal.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.refusal},
        started.lines);
    std::string appended = files.files["J.csv"].substr(kHeader.size() + row.journal.size());
    EXPECT_NE(std::string::npos, appended.find(row.appendedName)) << appended;
    if (!row.refusal.empty())
      return;
    // The end row too, though its read of the journal sees no row that is not ASCII.
    ASSERT_TRUE(journal.Append({JournalEvent::kSaved, ours, 0, ""}));
    appended = files.files["J.csv"].substr(kHeader.size() + row.journal.size() + appended.size());
    EXPECT_NE(std::string::npos, appended.find("Ged\xC3\xA4")) << appended;
  });
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
  FakeProcessCheck processes;
  for (auto [files, failure] :
       {std::pair{&lockFails, failed},
        {&inUse, failed + ": it is open in another program"},
        {&readFails, unread},
        {&diskFull, failed},
        {&noHeader, unread + ": its first line is not the journal's header"}}) {
    Journal journal = Make(*files);
    Journal::Started started = Start(journal, *files, processes);
    EXPECT_EQ(Journal::Outcome::kFailed, started.outcome);
    EXPECT_EQ(std::vector<std::string>{failure}, started.lines);
    EXPECT_FALSE(journal.Append({JournalEvent::kEnded, kDataFile, 0, ""}));
    EXPECT_EQ(failure, journal.failure());
  }
  // A refusal stands when its row cannot be written; rows that cannot be read are counted.
  diskFull.files["J.csv"] = "run,time,computer,data_file,event\r\nx,\"y\r\nA,t,LAB1," +
                            std::string(kDataFile) + ",saved\r\nz\r\n";
  Journal journal = Make(diskFull);
  Journal::Started started = Start(journal, diskFull, processes);
  EXPECT_EQ(Journal::Outcome::kRefused, started.outcome);
  EXPECT_EQ((std::vector<std::string>{"Warning: 2 rows of the journal cannot be read (the first "
                                      "is row 2); the guard passes over them",
                                      "Already saved: rt-1-1.edat2 on LAB1 at t", failed}),
            started.lines);
  // Values chosen from a journal without its attributes would find every number free.
  FakeFileSystem noAttributes;
  noAttributes.files["J.csv"] = "run,time,computer,script,data_file,event\r\n";
  Journal choosing = Make(noAttributes);
  ASSERT_TRUE(choosing.Hold());
  StudyRows rows("C:\\exp\\rt.ebs", "LAB1", {}, 0);
  EXPECT_EQ(std::vector<std::string>{unread + ": its header has no column attributes"},
            choosing.Scan(rows, {JournalColumn::kAttributes}));
}

// -A: the data file is moved only once the guard lets the run go; the started row records
// the move after the run's notes, and a move that fails refuses the run.
TEST(Journal, SetAsideUnderTheLock) {
  const std::string ours = std::string(kRun) + " ";
  struct {
    std::string journal;
    bool moves;
    std::string appended;
  } rows[] = {
      {"", true, ours + "started 5 / Set aside: a as b|"},
      {"", false, ours + "refused Couldn't set aside a|"},
      {Row("A", kRecent, "LAB1", kDataFile, "saved"), true,
       ours + "refused Already saved: rt-1-1.edat2 on LAB1 at " + kRecent + "|"},
  };
  for (const auto& row : rows) {
    FakeFileSystem files;
    FakeProcessCheck processes;
    files.files["J.csv"] = kHeader + row.journal;
    Journal journal = Make(files);
    journal.AddNote("5");
    journal.Start(kOurs, processes, CheckIn(files), [&row](std::string* line) {
      *line = row.moves ? "Set aside: a as b" : "Couldn't set aside a";
      return row.moves && row.journal.empty();
    });
    EXPECT_EQ(row.appended, Appended(files.files["J.csv"], kHeader + row.journal));
  }
}
