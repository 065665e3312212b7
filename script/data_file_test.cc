#include "script/eb_script.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const char* const kGenerated =
    "\tc.DataFile.Filename = CStr(c.GetAttrib(\"Experiment\")) & \".txt\"";

// The script's lines after the edits: -F when `name` is given, then -O when `folder` is.
struct Edited {
  bool nameResult = false;
  bool folderResult = false;
  Lines lines;
};

Edited Edit(Lines lines, const char* name, const char* folder) {
  EBScript script;
  script.lines = std::move(lines);
  Edited edited;
  if (name)
    edited.nameResult = script.SetDataFileName(name);
  if (folder)
    edited.folderResult = script.SetDataFilePath(folder);
  edited.lines = script.lines;
  return edited;
}

}  // namespace

TEST(SetDataFileName, ReplacesTheWholeLine) {
  struct Row {
    const char* original;
    const char* name;
    const char* expected;
  } rows[] = {
      {kGenerated, "run1.txt", "\tc.DataFile.Filename = CStr(\"run1.txt\")   ' value set by Tarvo"},
      {"c.datafile.filename=x ' old", "C:\\d\\r.txt",
       "\tc.DataFile.Filename = CStr(\"C:\\\\d\\\\r.txt\")   ' value set by Tarvo"},
      {kGenerated, "", "\tc.DataFile.Filename = CStr(\"\")   ' value set by Tarvo"},
      {kGenerated, "a\"b.txt", "\tc.DataFile.Filename = CStr(\"a\"\"b.txt\")   ' value set by Tarvo"},
      {kGenerated, "\\\\srv\\x\"", "\tc.DataFile.Filename = CStr(\"\\\\\\srv\\\\x\"\"\")   ' value set by Tarvo"},
  };
  for (const Row& row : rows) {
    Edited edited = Edit({"Sub Main()", row.original, "x"}, row.name, nullptr);
    EXPECT_TRUE(edited.nameResult) << row.name;
    EXPECT_EQ((Lines{"Sub Main()", row.expected, "x"}), edited.lines) << row.name;
  }
}

TEST(SetDataFilePath, PutsTheFolderInFrontOfTheExpression) {
  struct Row {
    const char* original;
    const char* folder;
    const char* expected;
  } rows[] = {
      {"\tc.DataFile.Filename = e", "C:\\data",
       "\tc.DataFile.Filename = CStr(\"C:\\\\data\\\\\") &  e  ' path inserted by Tarvo"},
      {"\tc.DataFile.Filename = e", "C:\\data\\",
       "\tc.DataFile.Filename = CStr(\"C:\\\\data\\\\\") &  e  ' path inserted by Tarvo"},
      {"\tc.DataFile.Filename = e", "data/",
       "\tc.DataFile.Filename = CStr(\"data/\\\\\") &  e  ' path inserted by Tarvo"},
      {"\tc.DataFile.Filename = e", "",
       "\tc.DataFile.Filename = CStr(\"\") &  e  ' path inserted by Tarvo"},
      {"\tc.DataFile.Filename = e", "C:\\my \"x\"",
       "\tc.DataFile.Filename = CStr(\"C:\\\\my \"\"x\"\"\\\\\") &  e  ' path inserted by Tarvo"},
      {"C.DATAFILE.FILENAME=e", "D:",
       "C.DATAFILE.FILENAME= CStr(\"D:\\\\\") & e  ' path inserted by Tarvo"},
      {"\tc.DataFile.Filename = \"a\\\\b\" ' own", "D:",
       "\tc.DataFile.Filename = CStr(\"D:\\\\\") &  \"a\\\\b\" ' own  ' path inserted by Tarvo"},
  };
  for (const Row& row : rows) {
    Edited edited = Edit({"Sub Main()", row.original}, nullptr, row.folder);
    EXPECT_TRUE(edited.folderResult) << row.folder;
    EXPECT_EQ((Lines{"Sub Main()", row.expected}), edited.lines) << row.folder;
  }
}

TEST(SetDataFilePath, AfterTheFileNameBothApply) {
  Edited edited = Edit({"Sub Main()", kGenerated}, "r.txt", "C:\\data");
  EXPECT_TRUE(edited.nameResult);
  EXPECT_TRUE(edited.folderResult);
  EXPECT_EQ((Lines{"Sub Main()",
                   "\tc.DataFile.Filename = CStr(\"C:\\\\data\\\\\") &  CStr(\"r.txt\")   "
                   "' value set by Tarvo  ' path inserted by Tarvo"}),
            edited.lines);
}

TEST(SetDataFilePath, EachCallAddsAnotherPrefix) {
  Edited edited = Edit({"Sub Main()", "c.DataFile.Filename = e"}, nullptr, "A");
  EBScript script;
  script.lines = edited.lines;
  EXPECT_TRUE(script.SetDataFilePath("B"));
  EXPECT_EQ("c.DataFile.Filename = CStr(\"B\\\\\") &  CStr(\"A\\\\\") &  e  ' path inserted by "
            "Tarvo  ' path inserted by Tarvo",
            script.lines[1]);
}

TEST(DataFileLine, WhichLineIsEdited) {
  struct Row {
    const char* what;
    Lines before;
    bool result;
    Lines after;
  } rows[] = {
      {"no Sub Main line", {"c.DataFile.Filename = e"}, false, {"c.DataFile.Filename = e"}},
      {"only before Sub Main",
       {"c.DataFile.Filename = e", "Sub Main()", "x"}, false,
       {"c.DataFile.Filename = e", "Sub Main()", "x"}},
      {"a longer member name or a comment is no data file line",
       {"Sub Main()", "c.DataFile.FilenameX = e", "' c.DataFile.Filename = e"}, false,
       {"Sub Main()", "c.DataFile.FilenameX = e", "' c.DataFile.Filename = e"}},
      {"the first of two, never the one before Sub Main",
       {"c.DataFile.Filename = a", "Sub Main()", "c.DataFile.Filename = b",
        "c.DataFile.Filename = c"},
       true,
       {"c.DataFile.Filename = a", "Sub Main()",
        "\tc.DataFile.Filename = CStr(\"n\")   ' value set by Tarvo", "c.DataFile.Filename = c"}},
  };
  for (const Row& row : rows) {
    Edited edited = Edit(row.before, "n", nullptr);
    EXPECT_EQ(row.result, edited.nameResult) << row.what;
    EXPECT_EQ(row.after, edited.lines) << row.what;
    Edited folder = Edit(row.before, nullptr, "D");
    EXPECT_EQ(row.result, folder.folderResult) << row.what;
    if (!row.result) {
      EXPECT_EQ(row.before, folder.lines) << row.what;
    }
  }
}
