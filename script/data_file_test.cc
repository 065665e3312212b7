#include "script/data_file.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The data file line of {"Sub Main()", line} after the edit; "<false>" when it failed.
std::string AfterName(const char* line, const char* name) {
  EBScript script({"Sub Main()", line});
  return SetDataFileName(script, name) ? std::string(script.lines()[1]) : "<false>";
}

std::string AfterFolder(const char* line, const char* folder) {
  EBScript script({"Sub Main()", line});
  return SetDataFolder(script, folder) ? std::string(script.lines()[1]) : "<false>";
}

}  // namespace

TEST(SetDataFileName, ReplacesTheWholeLine) {
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"run1.txt\")   ' value set by Tarvo",
            AfterName("  c.DataFile.Filename = e ' own", "run1.txt"));
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"C:\\\\d\\\\r.txt\")   ' value set by Tarvo",
            AfterName("c.datafile.filename=e", "C:\\d\\r.txt"));
  // A UNC path keeps both leading backslashes; quotes are doubled.
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"\\\\\\\\srv\\\\x\"\"\")   ' value set by Tarvo",
            AfterName("c.DataFile.Filename = e", "\\\\srv\\x\""));
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"\")   ' value set by Tarvo",
            AfterName("c.DataFile.Filename = e", ""));
}

TEST(SetDataFolder, PutsTheFolderInFrontOfTheExpression) {
  const char* const line = "\tc.DataFile.Filename = e";
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"C:\\\\data\\\\\") &  e  ' path inserted by Tarvo",
            AfterFolder(line, "C:\\data"));
  EXPECT_EQ(AfterFolder(line, "C:\\data"), AfterFolder(line, "C:\\data\\"));
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"data/\\\\\") &  e  ' path inserted by Tarvo",
            AfterFolder(line, "data/"));
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"\") &  e  ' path inserted by Tarvo",
            AfterFolder(line, ""));
  EXPECT_EQ("\tc.DataFile.Filename = CStr(\"a \"\"b\"\"\\\\\") &  e  ' path inserted by Tarvo",
            AfterFolder(line, "a \"b\""));
  EXPECT_EQ("C.DATAFILE.FILENAME= CStr(\"D:\\\\\") & e  ' path inserted by Tarvo",
            AfterFolder("C.DATAFILE.FILENAME=e", "D:"));
}

TEST(DataFileLine, OnlyTheFirstAssignmentAfterSubMain) {
  struct Row {
    const char* what;
    Lines before;
    bool result;
    Lines after;
  } rows[] = {
      {"no Sub Main line", {"c.DataFile.Filename = e"}, false, {"c.DataFile.Filename = e"}},
      {"only before Sub Main",
       {"c.DataFile.Filename = e", "Sub Main()"},
       false,
       {"c.DataFile.Filename = e", "Sub Main()"}},
      {"a longer member name or a comment does not count",
       {"Sub Main()", "c.DataFile.FilenameX = e", "' c.DataFile.Filename = e"},
       false,
       {"Sub Main()", "c.DataFile.FilenameX = e", "' c.DataFile.Filename = e"}},
      {"the first of two after Sub Main",
       {"c.DataFile.Filename = a", "Sub Main()", "c.DataFile.Filename = b",
        "c.DataFile.Filename = c"},
       true,
       {"c.DataFile.Filename = a", "Sub Main()",
        "\tc.DataFile.Filename = CStr(\"n\")   ' value set by Tarvo", "c.DataFile.Filename = c"}},
  };
  for (const Row& row : rows) {
    EBScript script(row.before);
    EXPECT_EQ(row.result, SetDataFileName(script, "n")) << row.what;
    EXPECT_EQ(row.after, script.lines().ToVector()) << row.what;
    EBScript again(row.before);
    EXPECT_EQ(row.result, SetDataFolder(again, "D")) << row.what;
  }
}
