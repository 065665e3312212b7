#include "app/journal_choices.h"

#include <gtest/gtest.h>

#include "base/csv.h"
#include "base/text_helpers.h"
#include "fake_file_system.h"
#include "test_support.h"

namespace {

const std::time_t kNow = 1796731402;  // 2026-12-08 12:03:22 UTC

// A row of the journal: its run, computer, attributes, event and script (nback's when
// none), a minute after the one before it.
struct Row {
  std::string run, computer, attributes, event;
  std::string script = "";
};

struct Choice {
  const char* what;
  std::vector<Row> rows;
  AttributesByName attributes;
  std::map<std::string, std::vector<std::string>> balanced;
  std::vector<std::string> lines;  // what the journal gave, then the refusal if any
};

// The generated script, whose checks admit Subjects 0 to 32767 and Sessions 1 to 32767.
const EBScript& Nback() {
  static FakeFileSystem files;
  static EBScript script(files);
  if (script.lines().empty()) {
    files.files["nback.ebs"] = ReadBytes(TARVO_SOURCE_DIR "/tests/e2e/fixtures/nback.ebs");
    std::string message;
    script.Load("nback.ebs", message);
  }
  return script;
}

// With `padded`, the rows come after as many bytes of another station's rows of another
// script: a read in two parts reads them all in its second.
std::string Journal(const std::vector<Row>& rows, bool padded = false) {
  std::string text;
  int minute = 0;
  for (const Row& row : rows) {
    std::string time = "2026-12-08T10:" + std::string(minute < 10 ? "0" : "") +
                       std::to_string(minute) + ":00+00:00";
    ++minute;
    text += CsvRow(
        {row.run, time, row.computer, "lab", row.script.empty() ? "C:\\exp\\NBACK.ebs" : row.script,
         row.attributes, "", row.event, "", ""},
        ',');
  }
  std::string padding;
  while (padded && padding.size() < text.size() + 200)
    padding += "LAB9-1,2020-01-01T00:00:00+00:00,LAB9,lab,C:\\x.ebs,Subject=99,,saved,,\r\n";
  return "run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n" +
         padding + text;
}

// The lines of the choices that `choice` asks of its rows, on station LAB1, read in one part
// or in two at once, the rows `padded` or not; a Subject below 3 finds its data file there.
std::vector<std::string> Chosen(const Choice& choice, const EBScript& script, bool inParts,
                                bool padded = false) {
  FakeFileSystem files;
  files.files["j.csv"] = Journal(choice.rows, padded);
  std::unique_ptr<LockedFile> file;
  files.OpenLocked("j.csv", LockFor::kReading, &file);
  RunRequest request;
  request.attributes = choice.attributes;
  request.balanced = choice.balanced;
  JournalChoices choices(request);
  std::string refusal = choices.Refusal(script, true);
  if (!refusal.empty())
    return {refusal};
  StudyRows rows("/lab/nback.ebs", "LAB1", choices.questions(), kNow);
  JournalReader reader(*file);
  reader.ReadHeader();
  ReadInParts(reader, rows, inParts ? 0 : UINT64_MAX);
  rows.Finish();
  // Subjects 1 and 2 have data files; with Fixed, as with -F fixed.txt, every Subject has
  // that one.
  JournalChoices::Chosen chosen = choices.Choose(rows, script, [](const AttributesByName& given) {
    if (given.count("Fixed") != 0)
      return std::string("fixed.txt");
    for (const auto& [name, value] : given) {
      if (EqualsInsensitive(name, "Subject"))
        return std::stoi(value) < 3 ? "nback-" + value + "-1.txt" : "";
    }
    return std::string();
  });
  if (!chosen.refusal.empty())
    chosen.lines.push_back(chosen.refusal);
  return chosen.lines;
}

template <size_t kSize>
void ExpectChosen(const Choice (&choices)[kSize]) {
  for (const Choice& choice : choices) {
    for (bool inParts : {false, true})
      EXPECT_EQ(choice.lines, Chosen(choice, Nback(), inParts)) << choice.what;
    // The rows' numbers count the padding's.
    EXPECT_EQ(Chosen(choice, Nback(), false, true), Chosen(choice, Nback(), true, true))
        << choice.what;
  }
}

TEST(JournalChoices, FromTheRowsOfTheScript) {
  const std::string kS = "Session=1; Subject=";
  const Choice kChoices[] = {
      {"no rows: the lowest Subject of at least 1 whose data file is not there",
       {},
       {{"Subject", "next"}, {"Session", "1"}},
       {},
       {"Subject from the journal: 3"}},
      {"a data file that holds no Subject: the journal's number stands",
       {},
       {{"Subject", "next"}, {"Session", "1"}, {"Fixed", "1"}},
       {},
       {"Subject from the journal: 1"}},
      {"one above the highest of rows not refused",
       {{"r1", "LAB2", kS + "8", "started"},
        {"r1", "LAB2", kS + "8", "saved"},
        {"r2", "LAB2", kS + "40", "refused"},
        {"r3", "LAB3", kS + "x", "started"}},
       {{"subject", "NEXT"}, {"Session", "1"}},
       {},
       {"subject from the journal: 9"}},
      {"none above the check's highest",
       {{"r1", "LAB2", kS + "32767", "started"}},
       {{"Subject", "next"}, {"Session", "1"}},
       {},
       {"No next Subject: 32768 is above the highest the script admits (32767)"}},
      {"a session's gap first; a session not converted is not saved",
       {{"r1", "LAB2", "Session=1; Subject=4", "saved"},
        {"r2", "LAB2", "Session=2; Subject=4", "saved"},
        {"r3", "LAB2", "Session=4; Subject=4", "saved"},
        {"r4", "LAB2", "Session=3; Subject=4", "not converted"},
        {"r5", "LAB2", "Session=3; Subject=5", "saved"}},
       {{"Subject", "4"}, {"Session", "next"}},
       {},
       {"Session from the journal: 3"}},
      {"same: this computer's latest run, whichever computer ran since",
       {{"r1", "LAB1", kS + "6", "started"},
        {"r1", "LAB1", kS + "6", "saved"},
        {"r2", "LAB2", kS + "7", "started"}},
       {{"Subject", "same"}, {"Session", "next"}},
       {},
       {"Subject from the journal: 6", "Session from the journal: 2"}},
      {"same: a latest run whose E-Run failed",
       {{"r1", "LAB1", kS + "6", "saved"},
        {"r2", "LAB1", kS + "7", "started"},
        {"r2", "LAB1", kS + "7", "E-Run failed"}},
       {{"Subject", "same"}, {"Session", "1"}},
       {},
       {"Subject=same: this computer's latest run did not start E-Run"}},
      {"same: a latest run refused",
       {{"r1", "LAB1", kS + "6", "started"}, {"r2", "LAB1", kS + "7", "refused"}},
       {{"Subject", "same"}, {"Session", "1"}},
       {},
       {"Subject=same: this computer's latest run did not start E-Run"}},
      {"same: no run of this computer",
       {{"r1", "LAB2", kS + "6", "started"}},
       {{"Subject", "same"}, {"Session", "1"}},
       {},
       {"Subject=same: this computer has no earlier run in the journal"}},
      {"a row of the script whose attributes cannot be read: nothing is chosen",
       {{"r1", "LAB2", kS + "8", "saved"}, {"r2", "LAB2", kS + "\"9", "started"}},
       {{"Subject", "next"}, {"Session", "1"}},
       {},
       {"Couldn't read the attributes of journal row 3"}},
      {"same: a latest run whose attributes cannot be read",
       {{"r1", "LAB1", "Subject=\"6", "started"}},
       {{"Subject", "same"}, {"Session", "1"}},
       {},
       {"Couldn't read the attributes of journal row 2"}},
      // Find and replace may leave a value that posed as pairs: "Zone=x; Subject=99".
      {"a name given twice in a row of the script",
       {{"r1", "LAB2", kS + "8; Subject=99", "saved"}},
       {{"Subject", "next"}, {"Session", "1"}},
       {},
       {"Couldn't read the attributes of journal row 2"}},
      {"so in the latest run, of another script",
       {{"r1", "LAB1", "Subject=6; Sub ject=7", "started", "flanker.ebs"}},
       {{"Subject", "same"}, {"Session", "1"}},
       {},
       {"Couldn't read the attributes of journal row 2"}},
      {"same: a latest run without the attribute",
       {{"r1", "LAB1", "Session=1", "started"}},
       {{"Subject", "same"}, {"Session", "1"}},
       {},
       {"Subject=same: this computer's latest run has no Subject"}},
  };
  ExpectChosen(kChoices);
}

TEST(JournalChoices, BalancedGroups) {
  auto run = [](const std::string& id, int subject, int group, const std::string& event) {
    return Row{id, "LAB2",
               "Group=" + std::to_string(group) + "; Session=1; Subject=" + std::to_string(subject),
               event};
  };
  // Group 1: Subjects 11 and 12 saved; group 2: Subject 13 saved and Subject 14 open;
  // group 3: Subject 15 not converted and Subject 16's E-Run failed, which count nothing.
  const std::vector<Row> kRows = {
      run("a", 11, 1, "saved"),         run("b", 12, 1, "saved"),   run("b2", 12, 1, "saved"),
      run("c", 13, 2, "saved"),         run("d", 14, 2, "started"), run("e", 15, 3, "started"),
      run("e", 15, 3, "not converted"), run("f", 16, 3, "started"), run("f", 16, 3, "E-Run failed"),
      run("g", 0, 3, "saved"),
  };
  const std::vector<std::string> kGroups = {"1", "2", "3"};
  const Choice kChoices[] = {
      {"the fewest participants",
       kRows,
       {{"Subject", "20"}, {"Session", "1"}},
       {{"Group", kGroups}},
       {"Group balanced from the journal: 3 (1: 2, 2: 2, 3: 0)"}},
      {"ties go to the value listed first",
       kRows,
       {{"Subject", "20"}, {"Session", "1"}},
       {{"Group", {"2", "1"}}},
       {"Group balanced from the journal: 2 (2: 2, 1: 2)"}},
      {"a run's later started row stands, in the other part of the rows too",
       [&] {
         std::vector<Row> rows = {run("h", 17, 1, "started")};
         rows.insert(rows.end(), kRows.begin(), kRows.end());
         rows.push_back(run("h", 17, 2, "started"));
         return rows;
       }(),
       {{"Subject", "20"}, {"Session", "1"}},
       {{"Group", kGroups}},
       {"Group balanced from the journal: 3 (1: 2, 2: 3, 3: 0)"}},
      {"a participant keeps its group, whatever became of its run",
       kRows,
       {{"Subject", "15"}, {"Session", "2"}},
       {{"Group", {"1", "2"}}},
       {"Group from Subject 15's earlier sessions: 3"}},
      {"a run whose E-Run failed gives no group",
       kRows,
       {{"Subject", "16"}, {"Session", "2"}},
       {{"Group", kGroups}},
       {"Group balanced from the journal: 3 (1: 2, 2: 2, 3: 0)"}},
      {"two groups",
       {run("a", 11, 1, "saved"), run("b", 11, 2, "no data")},
       {{"Subject", "11"}, {"Session", "2"}},
       {{"Group", kGroups}},
       {"Subject 11 has two values of Group in the journal: 1, 2"}},
      {"every listed value passes the check",
       {},
       {{"Subject", "11"}},
       {{"Session", {"1", "0"}}},
       {"Invalid value for Session: 0 (a whole number from 1 to 32767)"}},
      {"no Subject",
       {},
       {{"Session", "1"}},
       {{"Group", kGroups}},
       {"-B needs Subject (a number, next or same)"}},
  };
  ExpectChosen(kChoices);
}

}  // namespace
