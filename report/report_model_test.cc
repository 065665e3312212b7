#include "report/report_model.h"

#include <gtest/gtest.h>

#include "base/csv.h"
#include "fake_file_system.h"

namespace {

const std::time_t kNow = 1796731402;  // 2026-12-08T12:03:22+00:00

// A row of run `run` on `computer` for Subject `subject`, Session 1, `hours` before now.
std::string Row(const std::string& run, const char* computer, int subject, double hours,
                const char* event) {
  char time[32];
  std::time_t at = kNow - static_cast<std::time_t>(hours * 3600);
  std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%S+00:00", std::gmtime(&at));
  std::string file = "C:\\d\\rt-" + std::to_string(subject) + "-1.edat";
  return CsvRow({run, time, computer, "Session=1; Subject=" + std::to_string(subject), file, event,
                 std::string(event) + " message"},
                ',');
}

ReportModel Model(const std::string& rows) {
  FakeFileSystem files;
  files.files["J.csv"] = "run,time,computer,attributes,data_file,event,message\r\n" + rows;
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

}  // namespace

TEST(ReportModel, EachCellShowsItsLatestRun) {
  ReportModel model =
      Model(Row("A", "PC1", 1, 50, "started") + Row("A", "PC1", 1, 49, "saved") +
            Row("B", "PC1", 1, 48, "started") + Row("B", "PC1", 1, 47, "not converted") +
            Row("C", "PC2", 2, 46, "refused") + Row("D", "PC2", 3, 2, "started") +
            Row("E", "PC3", 4, 3, "started") + Row("F", "PC3", 5, 2, "started") +
            Row("G", "PC4", 6, 13, "started") + Row("H", "PC1", 7, 1.5, "started") +
            Row("I", "PC5", 7, 1, "started") + Row("I", "PC5", 7, 0.5, "saved") +
            Row("H", "PC1", 7, 0.2, "no data") + Row("J", "PC6", 8, 9, "started") +
            Row("J", "PC6", 8, 8, "saved") + Row("K", "PC6", 8, 7, "started") +
            Row("K", "PC6", 8, 6, "saved") + Row("L", "PC7", 0, 5, "refused"));
  const ScriptGrid& grid = model.grids().begin()->second;
  struct {
    int subject;
    RunOutcome shown;
  } cells[] = {
      {1, RunOutcome::kNotConverted}, {2, RunOutcome::kRefused}, {3, RunOutcome::kRunning},
      {4, RunOutcome::kInterrupted},  {5, RunOutcome::kRunning}, {6, RunOutcome::kInterrupted},
      {7, RunOutcome::kSaved},        {8, RunOutcome::kSaved},
  };
  for (const auto& cell : cells)
    EXPECT_EQ(cell.shown, grid.Find(cell.subject, 1)->Shown().outcome) << cell.subject;
  EXPECT_EQ(2, grid.NextSession(1));  // saved once, though aborted since
  EXPECT_EQ(1, grid.NextSession(2));
  auto texts = [&](Attention kind) {
    std::vector<std::string> listed;
    for (const AttentionItem& item : model.attention(kind).latest)
      listed.push_back(item.text);
    return listed;
  };
  EXPECT_EQ(std::vector<std::string>{"rt-8-1.edat saved again; first at 2026-12-08T04:03:22+00:00 "
                                     "on PC6"},
            texts(Attention::kSavedTwice));
  EXPECT_EQ(std::vector<std::string>{"(no script), Subject 1, Session 1: not converted message"},
            texts(Attention::kAborted));
  EXPECT_EQ(
      (std::vector<std::string>{
          "(no script), Subject 4, Session 1: interrupted; its computer has started another run "
          "since",
          "(no script), Subject 6, Session 1: open for more than 12 hours"}),
      texts(Attention::kInterrupted));
  EXPECT_EQ(1u, texts(Attention::kSubjectZero).size());
  EXPECT_EQ(std::vector<std::string>{"refused message, 2 times; the latest: refused message"},
            texts(Attention::kRefusals));
}
