#include "report/report_model.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/csv.h"
#include "fake_file_system.h"

namespace {

const std::time_t kNow = 1796731402;  // 2026-12-08T12:03:22+00:00

// A row of run `run` on `computer` for Subject `subject`, `hours` before now.
std::string Row(const std::string& run, const char* computer, int subject, double hours,
                const char* event, int session = 1, const char* script = "C:\\x\\rt.ebs") {
  char time[32];
  std::time_t at = kNow - static_cast<std::time_t>(hours * 3600);
  std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%S+00:00", std::gmtime(&at));
  std::string file =
      "C:\\d\\rt-" + std::to_string(subject) + "-" + std::to_string(session) + ".edat";
  return CsvRow({run, time, computer, script,
                 "Session=" + std::to_string(session) + "; Subject=" + std::to_string(subject),
                 file, event, std::string(event) + " message"},
                ',');
}

ReportModel Model(const std::string& rows) {
  FakeFileSystem files;
  files.files["J.csv"] = "run,time,computer,script,attributes,data_file,event,message\r\n" + rows;
  std::unique_ptr<LockedFile> file;
  files.OpenLocked("J.csv", LockFor::kReading, &file);
  JournalReader reader(*file);
  EXPECT_TRUE(reader.ReadHeader());
  ReportModel model;
  for (auto status = reader.Next(); status != JournalReader::Status::kEnd; status = reader.Next())
    model.Take(reader.entry());
  model.Finish(kNow);
  return model;
}

std::vector<std::string> Texts(const ReportModel& model, Attention kind) {
  std::vector<std::string> listed;
  for (const AttentionItem& item : model.attention(kind).latest)
    listed.push_back(item.text);
  return listed;
}

// All the model shows, as one text: each cell's outcome, time and computer, and the items.
std::string Shown(const ReportModel& model) {
  std::string shown;
  for (const auto& [key, grid] : model.grids()) {
    shown += "next " + std::to_string(grid.nextSubject) + ", " +
             std::to_string(grid.participantsSaved) + " " + std::to_string(grid.sessionsSaved) +
             " " + std::to_string(grid.runningNow) + "|";
    for (int32_t subject : grid.Subjects()) {
      for (int32_t session : grid.Sessions()) {
        std::optional<Happening> cell = grid.Find(subject, session);
        if (cell)
          shown += std::string(OutcomeName(cell->outcome)) + " " + std::string(cell->time) + " " +
                   std::string(cell->computer) + "|";
      }
    }
  }
  for (size_t kind = 0; kind < static_cast<size_t>(Attention::kCount); ++kind) {
    for (const std::string& text : Texts(model, static_cast<Attention>(kind)))
      shown += text + "|";
  }
  return shown;
}

const std::string kStudy =
    Row("A", "PC1", 1, 50, "started") + Row("A", "PC1", 1, 49, "saved") +
    Row("B", "PC1", 1, 48, "started") + Row("B", "PC1", 1, 47, "not converted") +
    Row("C", "PC2", 2, 46, "refused") + Row("D", "PC2", 3, 2, "started") +
    Row("E", "PC3", 4, 3, "started") + Row("E", "PC3", 4, 2, "E-Run started") +
    Row("F", "PC3", 5, 2, "started") + Row("G", "PC4", 6, 13, "started") +
    Row("H", "PC1", 7, 1.5, "started") + Row("I", "PC5", 7, 1, "started") +
    Row("I", "PC5", 7, 0.5, "saved") + Row("H", "PC1", 7, 0.2, "no data") +
    Row("J", "PC6", 8, 9, "started") + Row("J", "PC6", 8, 8, "saved") +
    Row("K", "PC6", 8, 7, "started") + Row("K", "PC6", 8, 6, "saved") +
    Row("L", "PC7", 0, 5, "refused") + Row("M", "PC7", 9, 5, "started") +
    Row("M", "PC7", 9, 4.5, "not converted") + Row("N", "PC7", 9, 4, "started") +
    Row("N", "PC7", 9, 3.5, "saved") + Row("O", "PC2", 10, 3, "started") +
    Row("O", "PC2", 10, 2.5, "ended") + Row("P", "PC2", 10, 2, "started") +
    Row("P", "PC2", 10, 1.8, "saved") + Row("Q", "PC2", 11, 3, "started") +
    "Q,,PC2,,,,ended,released by hand\r\n" + Row("R", "PC8", 12, 3, "started") +
    Row("R", "PC8", 12, 2.5, "ended") + Row("S", "PC8", 13, 40, "started", 1) +
    Row("S", "PC8", 13, 39, "saved", 1) + Row("T", "PC8", 13, 30, "started", 2) +
    Row("T", "PC8", 13, 29, "saved", 2) + Row("U", "PC8", 13, 20, "started", 4) +
    Row("U", "PC8", 13, 19, "saved", 4);

}  // namespace

// A text kept in place or, longer than its room, on the heap, as it is assigned, moved and
// copied: each keeps what it was given last.
TEST(ReportModel, InlineTextKeepsItsText) {
  const std::string kLong = "0123456789", kLonger = "abcdefghijklmnop";
  InlineText<8> text;
  std::vector<std::string> seen;
  for (const std::string& given : {kLong, kLonger, std::string("short"), kLong}) {
    text.assign(given);
    seen.emplace_back(text.view());
  }
  InlineText<8> moved(std::move(text)), copied(moved), other;
  other.assign(kLonger);
  other = std::move(moved);
  seen.insert(seen.end(), {std::string(other.view()), std::string(copied.view())});
  EXPECT_EQ((std::vector<std::string>{kLong, kLonger, "short", kLong, kLong, kLong}), seen);
}

TEST(ReportModel, EachCellShowsItsLatestRun) {
  ReportModel model = Model(kStudy);
  const ScriptGrid& grid = model.grids().begin()->second;
  struct {
    int subject;
    RunOutcome shown;
  } cells[] = {
      {1, RunOutcome::kNotConverted}, {2, RunOutcome::kRefused},      {3, RunOutcome::kRunning},
      {4, RunOutcome::kRunning},      {5, RunOutcome::kRunning},      {6, RunOutcome::kInterrupted},
      {7, RunOutcome::kSaved},        {8, RunOutcome::kSaved},        {9, RunOutcome::kSaved},
      {10, RunOutcome::kSaved},       {11, RunOutcome::kInterrupted}, {12, RunOutcome::kEnded},
  };
  for (const auto& cell : cells)
    EXPECT_EQ(cell.shown, grid.Find(cell.subject, 1)->outcome) << cell.subject;
  EXPECT_EQ(2, grid.NextSession(1));  // saved once, though aborted since
  EXPECT_EQ(1, grid.NextSession(2));
  EXPECT_EQ(3, grid.NextSession(13));  // 1, 2 and 4 saved
  EXPECT_EQ(14, grid.nextSubject);
  EXPECT_EQ(3u, grid.runningNow);
  EXPECT_EQ(6u, grid.participantsSaved);
  EXPECT_EQ(8u, grid.sessionsSaved);
  EXPECT_EQ(std::vector<std::string>{"rt-8-1.edat saved again; first at 2026-12-08T04:03:22+00:00 "
                                     "on PC6"},
            Texts(model, Attention::kSavedTwice));
  // Subject 9's abort is followed by a save; Subject 1's save came before its abort.
  EXPECT_EQ(std::vector<std::string>{"rt.ebs, Subject 1, Session 1: not converted message"},
            Texts(model, Attention::kAborted));
  EXPECT_EQ((std::vector<std::string>{"rt.ebs, Subject 6, Session 1: open for more than 12 hours",
                                      "rt.ebs, Subject 11, Session 1: released by hand"}),
            Texts(model, Attention::kInterrupted));
  EXPECT_EQ(1u, Texts(model, Attention::kSubjectZero).size());
  // Subject 10's unchecked data were saved later.
  EXPECT_EQ(std::vector<std::string>{"rt.ebs, Subject 12, Session 1: ended message"},
            Texts(model, Attention::kNotChecked));
  EXPECT_EQ(std::vector<std::string>{"refused message, 2 times; the latest: refused message"},
            Texts(model, Attention::kRefusals));
  EXPECT_EQ(2u, model.refusals());
}

// A journal sorted in a spreadsheet gives the same page: the rows' times order the runs.
TEST(ReportModel, SortedRowsGiveTheSame) {
  std::string shown = Shown(Model(kStudy));
  std::vector<std::string> lines;
  for (size_t begin = 0, end; (end = kStudy.find("\r\n", begin)) != std::string::npos;
       begin = end + 2)
    lines.push_back(kStudy.substr(begin, end - begin + 2));
  for (int column : {6, 4, 0}) {  // by event, by attributes, by run
    std::vector<std::string> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [column](const std::string& a, const std::string& b) {
                       // The fields are views of the lines, which must outlive them.
                       std::string left = a.substr(0, a.size() - 2);
                       std::string right = b.substr(0, b.size() - 2);
                       CsvLine x, y;
                       x.Split(left, ',');
                       y.Split(right, ',');
                       return x[static_cast<size_t>(column)] < y[static_cast<size_t>(column)];
                     });
    std::string rows, reversed;  // and sorted the other way
    for (const std::string& line : sorted) {
      rows += line;
      reversed.insert(0, line);
    }
    EXPECT_EQ(shown, Shown(Model(rows))) << column;
    EXPECT_EQ(shown, Shown(Model(reversed))) << column;
  }
}

namespace {

// The values of an attribute balanced by the journal, with their participants saved and
// running now, by each participant's latest run that says what the journal gave.
TEST(ReportModel, BalancedAttribute) {
  auto run = [](const std::string& id, int subject, const char* group, const char* event,
                const char* message) {
    std::string time = "2026-12-08T11:00:00+00:00";  // an hour ago
    return CsvRow(
        {id, time, "LAB1", "C:\\x\\rt.ebs",
         std::string("Group=") + group + "; Session=1; Subject=" + std::to_string(subject),
         "C:\\d\\rt-" + std::to_string(subject) + "-1.edat", event, message},
        ',');
  };
  const char* kBalanced =
      "Subject from the journal: 1 / Group balanced from the journal: a (a: 0, c: 0) / x";
  ReportModel model =
      Model(run("r1", 1, "a", "started", kBalanced) + run("r1", 1, "a", "saved", "") +
            run("r2", 2, "b", "started", "Group balanced from the journal: b") +
            run("r3", 3, "b", "started", "") + run("r4", 0, "a", "started", kBalanced));
  const ScriptGrid& grid = model.grids().begin()->second;
  ASSERT_EQ(1u, grid.balanced.size());
  EXPECT_EQ("Group", grid.balanced[0].name);
  std::string counts;
  for (const ScriptGrid::Balance::Value& value : grid.balanced[0].values)
    counts +=
        value.value + ":" + std::to_string(value.saved) + "/" + std::to_string(value.running) + " ";
  // Subject 3's run says nothing of the journal; Subject 0 is no participant; c was listed.
  EXPECT_EQ("a:1/0 b:0/1 c:0/0 ", counts);
}

// -A: a cell shows that its run set an aborted session's data file aside, as the last note
// of its started row says; a folder may hold " as ".
TEST(ReportModel, ACellShowsTheDataSetAside) {
  auto started = [](const std::string& run, int subject, const std::string& message) {
    return CsvRow({run, "2026-12-08T10:00:00+00:00", "PC1", "C:\\x\\rt.ebs",
                   "Session=1; Subject=" + std::to_string(subject), "", "started", message},
                  ',');
  };
  const std::string aside = "Set aside: C:\\d as x\\rt-1-1.txt as C:\\d as x\\rt-1-1.aborted-2.txt";
  ReportModel model = Model(Row("A", "PC1", 1, 3, "started") + started("B", 1, "S: 1 / " + aside) +
                            Row("B", "PC1", 1, 1, "saved") + started("C", 2, aside) +
                            started("D", 3, "x" + aside) + started("E", 4, aside.substr(0, 30)));
  for (auto [subject, shown] :
       {std::pair{1, "rt-1-1.aborted-2.txt"}, {2, "rt-1-1.aborted-2.txt"}, {3, ""}, {4, ""}})
    EXPECT_EQ(shown, model.grids().begin()->second.Find(subject, 1)->setAside) << subject;
}

}  // namespace

namespace {

// A row of run `run` an hour ago, with these attributes, data file and message.
std::string RowOf(const std::string& run, const std::string& computer,
                  const std::string& attributes, const std::string& dataFile, const char* event,
                  const std::string& message = "", const std::string& time = "") {
  return CsvRow({run, time.empty() ? "2026-12-08T11:00:00+00:00" : time, computer, "C:\\x\\rt.ebs",
                 attributes, dataFile, event, message},
                ',');
}

// Texts longer than a cell keeps in place, and a time that cannot be read, show whole.
TEST(ReportModel, LongTextsShowWhole) {
  const std::string computer(36, 'C'), message(200, 'm'),
      time = "about ten in the morning, Tuesday";
  ReportModel model =
      Model(RowOf("A", computer, "Session=1; Subject=1", "", "started", "", time) +
            RowOf("A", computer, "Session=1; Subject=1", "", "no data", message, time));
  std::optional<Happening> shown = model.grids().begin()->second.Find(1, 1);
  ASSERT_TRUE(shown);
  EXPECT_EQ(time, shown->time);
  EXPECT_EQ(computer, shown->computer);
  EXPECT_EQ(message, shown->message);
}

// Attributes as Tarvo writes them and as a hand may have left them: the Subject and Session
// of each run, or its label below the grid when either is no whole number.
TEST(ReportModel, AttributesReadAlikeInEveryForm) {
  ReportModel model = Model(RowOf("A", "PC1", "Session=2; Subject=0012", "", "refused") +
                            RowOf("B", "PC1", "Session=1;Subject= 5", "", "refused") +
                            RowOf("C", "PC1", "Session=1; Subject=9999999999", "", "refused") +
                            RowOf("D", "PC1", "Session=1; Subject=7x", "", "refused") +
                            RowOf("E", "PC1", "Session=1; Subject=3; Subject=99", "", "refused"));
  const ScriptGrid& grid = model.grids().begin()->second;
  EXPECT_EQ((std::vector<int32_t>{5, 12}), grid.Subjects());
  EXPECT_TRUE(grid.Find(12, 2));
  std::vector<std::string> others;
  for (const auto& [label, cell] : grid.others)
    others.push_back(label);
  EXPECT_EQ((std::vector<std::string>{"C", "D", "E"}), others);
  std::optional<Happening> last =
      grid.others.find("E")->second.shown();  // of the journal's last row
  ASSERT_TRUE(last);
  EXPECT_EQ(RunOutcome::kRefused, last->outcome);
}

// Runs whose names differ at their start only, a computer's name in other letters, two that
// end alike, and a cell whose runs changed their data file, to one whose name begins alike.
TEST(ReportModel, AlikeNamesKeptApart) {
  ReportModel model =
      Model(RowOf("A-123456789", "PC-A1", "Session=1; Subject=1", "C:\\d\\one.edat", "started") +
            RowOf("B-123456789", "PC-B1", "Session=1; Subject=2", "", "started") +
            RowOf("B-123456789", "PC-B1", "Session=1; Subject=2", "", "no data") +
            RowOf("A-123456789", "pc-a1", "Session=1; Subject=1", "C:\\d\\one.edat", "saved") +
            RowOf("C", "PC-B1", "Session=1; Subject=1", "C:\\d\\one.edat.bak", "started") +
            RowOf("C", "PC-B1", "Session=1; Subject=1", "C:\\d\\one.edat.bak", "saved") +
            RowOf("D", "PC-A1", "Session=1; Subject=1", "D:\\e\\ONE.EDAT", "started") +
            RowOf("D", "PC-A1", "Session=1; Subject=1", "D:\\e\\ONE.EDAT", "saved"));
  const ScriptGrid& grid = model.grids().begin()->second;
  EXPECT_EQ(RunOutcome::kSaved, grid.Find(1, 1)->outcome);
  EXPECT_EQ(RunOutcome::kNoData, grid.Find(2, 1)->outcome);
  std::vector<std::string> computers;
  for (const ComputerRuns& computer : model.Computers())
    computers.push_back(computer.name + " " + std::to_string(computer.runs));
  EXPECT_EQ((std::vector<std::string>{"PC-A1 2", "PC-B1 2"}), computers);
  EXPECT_EQ(std::vector<std::string>{"ONE.EDAT saved again; first at 2026-12-08T11:00:00+00:00 "
                                     "on PC-A1"},
            Texts(model, Attention::kSavedTwice));
}

}  // namespace
