#include "script/data_file.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The lines of {"Sub Main()", lines...} after the edit; {"<not found>"} or {"<too long>"}
// when it failed, after checking that nothing changed.
Lines After(const Lines& lines,
            EditResult (*edit)(EBScript&, std::string_view, const AttributesBySqueezedName&),
            const std::string& text) {
  Lines before = {"Sub Main()"};
  before.insert(before.end(), lines.begin(), lines.end());
  EBScript script(before);
  EditResult result = edit(script, text, {});
  Lines after = script.lines();
  if (result.outcome != EditOutcome::kDone) {
    EXPECT_EQ(before, after) << text;
    if (result.outcome == EditOutcome::kRefused)
      return {result.refusal};
    return {result.outcome == EditOutcome::kTooLong ? "<too long>" : "<not found>"};
  }
  after.erase(after.begin());
  return after;
}

const char* const kPath = "  ' path inserted by Tarvo";

}  // namespace

TEST(SetDataFileName, ReplacesTheWholeStatement) {
  struct Row {
    Lines lines;
    std::string name;
    Lines after;
  } rows[] = {
      {{"  c.DataFile.Filename = e ' own"},
       "run1.txt",
       {"\tc.DataFile.Filename = CStr(\"run1.txt\")   ' value set by Tarvo"}},
      {{"c.datafile.filename=e"},
       "\\\\srv\\d\\r.txt",
       {"\tc.DataFile.Filename = CStr(\"\\\\\\\\srv\\\\d\\\\r.txt\")   ' value set by Tarvo"}},
      {{"c.DataFile.Filename = e & _", "  f", "x"},
       "",
       {"\tc.DataFile.Filename = CStr(\"\")   ' value set by Tarvo", "x"}},
      {{"c.DataFile.Filename = e"}, std::string(990, 'n'), {"<too long>"}},
      // Only a statement that decides the name.
      {{"If a Then c.DataFile.Filename = e"},
       "n",
       {"-F cannot be applied: the data file statement at line 2 runs only in a branch"}},
      {{"c.DataFile.Filename = e : x = 1"},
       "n",
       {"-F cannot be applied: the data file statement at line 2 shares its line with other "
        "statements"}},
      {{"c.DataFile.Filename = e", "InitObjects c", "End Sub", "Sub InitObjects(c As Context)",
        "\tc.DataFile.Filename = \"x\"", "End Sub"},
       "n",
       {"-F cannot be applied: the data file is set again at line 6"}},
      {{"c.DataFile.Filename = e", "c.DataFile.Filename = HandleFilename(c)",
        "If a Then c.DataFile.Filename = \"D\\\\\" & c.DataFile.Filename"},
       "n",
       {"-F cannot be applied: the data file is set again at line 4"}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.after, After(row.lines, SetDataFileName, row.name)) << row.name;
}

TEST(SetDataFolder, PutsTheFolderInFrontOfTheExpression) {
  const std::string line = "\tc.DataFile.Filename = e";
  const std::string inC = "\tc.DataFile.Filename = CStr(\"C:\\\\data\\\\\") &  e";
  struct Row {
    Lines lines;
    std::string folder;
    Lines after;
  } rows[] = {
      {{line}, "C:\\data", {inC + kPath}},
      {{line}, "C:\\data\\", {inC + kPath}},
      {{line}, "data/", {"\tc.DataFile.Filename = CStr(\"data/\\\\\") &  e" + std::string(kPath)}},
      {{line}, "", {"\tc.DataFile.Filename = CStr(\"\") &  e" + std::string(kPath)}},
      {{"C.DATAFILE.FILENAME=e ' own"},
       "D:",
       {"C.DATAFILE.FILENAME= CStr(\"D:\\\\\") & e ' own" + std::string(kPath)}},
      // A folder of an earlier run is replaced, as are two of an older one.
      {{inC + kPath},
       "D:\\x",
       {"\tc.DataFile.Filename = CStr(\"D:\\\\x\\\\\") &  e" + std::string(kPath)}},
      {{"c.DataFile.Filename = CStr(\"a\\\\\") &  CStr(\"b\\\\\") &  e" + std::string(kPath) +
        kPath},
       "D:",
       {"c.DataFile.Filename = CStr(\"D:\\\\\") &  e" + std::string(kPath) + kPath}},
      // One for each comment: the script's own literal in the same form stays.
      {{"c.DataFile.Filename = CStr(\"a\\\\\") &  CStr(\"Data\\\\\") & e" + std::string(kPath)},
       "D:",
       {"c.DataFile.Filename = CStr(\"D:\\\\\") &  CStr(\"Data\\\\\") & e" + std::string(kPath)}},
      // Not without the comment that marks it as Tarvo's.
      {{"c.DataFile.Filename = CStr(\"a\\\\\") & e"},
       "D:",
       {"c.DataFile.Filename = CStr(\"D:\\\\\") &  CStr(\"a\\\\\") & e" + std::string(kPath)}},
      // After the first "=", with the comment at the end of the statement.
      {{"c.DataFile.Filename = a & _", "  b", "x"},
       "D:",
       {"c.DataFile.Filename = CStr(\"D:\\\\\") &  a & _", "  b" + std::string(kPath), "x"}},
      {{line + std::string(960, ' ')}, "C:\\data", {"<too long>"}},
      // No folder goes in front of an absolute name.
      {{"c.DataFile.Filename = CStr(\"\\\\\\\\srv\\\\x.txt\")   ' value set by Tarvo"},
       "D:",
       {"-O cannot go in front of an absolute data file name: \\\\srv\\x.txt"}},
      {{"c.DataFile.Filename = \"C:x.txt\" & e"},
       "D:",
       {"-O cannot go in front of an absolute data file name: C:x.txt"}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.after, After(row.lines, SetDataFolder, row.folder)) << row.lines[0];
}

TEST(DataFileLine, OnlyTheFirstAssignmentAfterSubMain) {
  const size_t kNone = static_cast<size_t>(-1);
  struct Row {
    const char* what;
    Lines before;
    size_t changed;  // kNone: no line
  } rows[] = {
      {"no Sub Main line", {"c.DataFile.Filename = e"}, kNone},
      {"only before Sub Main", {"c.DataFile.Filename = e", "Sub Main()"}, kNone},
      {"a longer member name or a comment does not count",
       {"Sub Main()", "c.DataFile.FilenameX = e", "' c.DataFile.Filename = e"},
       kNone},
      {"the one after Sub Main",
       {"c.DataFile.Filename = a", "Sub Main()", "c.DataFile.Filename = b"},
       2},
  };
  for (const Row& row : rows) {
    EBScript script(row.before);
    EXPECT_EQ(row.changed != kNone, SetDataFileName(script, "n", {}).outcome == EditOutcome::kDone)
        << row.what;
    for (size_t i = 0; i < row.before.size(); ++i)
      EXPECT_EQ(i == row.changed, script.lines()[i] != row.before[i]) << row.what << i;
  }
}
