#include "script/eb_script.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const char* const kHandleCall =
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort ' line inserted by Tarvo";
const char* const kPreRunCall =
    "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ' line inserted by Tarvo";
const char* const kAtExitCall = "AtExit c.DataFile.Filename ' line inserted by Tarvo";

enum HookKind { kHandleFilename, kPreRun, kAtExit };

bool Insert(EBScript& script, HookKind kind) {
  switch (kind) {
    case kHandleFilename:
      return script.InsertHandleFilenameCall();
    case kPreRun:
      return script.InsertPreRunCall();
    case kAtExit:
      return script.InsertAtExitCall();
  }
  return false;
}

// A main routine with all three anchors and none of the routines defined.
Lines MainWith(const Lines& userCode) {
  Lines lines = userCode;
  for (const char* line : {"Sub Main()", "\tc.DataFile.Filename = e", "\tInitObjects c",
                           "ExperimentFinish:", "\tx", "ExperimentAbort:", "End Sub"})
    lines.push_back(line);
  return lines;
}

}  // namespace

TEST(HookCalls, DefinitionProbes) {
  struct Row {
    HookKind kind;
    const char* definition;
    bool counts;
  } rows[] = {
      {kHandleFilename, "Function HandleFilename(c as Context) as String", true},
      {kHandleFilename, "  function handlefilename (c As Context) As String", true},
      {kHandleFilename, "Sub HandleFilename(c as Context)", false},
      {kHandleFilename, "Private Function HandleFilename(c as Context) as String", false},
      {kHandleFilename, "' Function HandleFilename(c as Context) as String", false},
      {kPreRun, "Function PreRun(strTxtFile as string) as boolean", true},
      {kPreRun, "Function PreRunCheck(strTxtFile as string) as boolean", false},
      {kPreRun, "Sub PreRun(strTxtFile as string)", false},
      {kAtExit, "Sub AtExit(strTxtFile as string)", true},
      {kAtExit, "Function AtExit(strTxtFile as string) as boolean", false},
  };
  for (const Row& row : rows) {
    EBScript script;
    script.lines = MainWith({row.definition, "End Function"});
    Lines before = script.lines;
    EXPECT_EQ(row.counts, Insert(script, row.kind)) << row.definition;
    EXPECT_EQ(before.size() + (row.counts ? 1 : 0), script.lines.size()) << row.definition;
  }
}

TEST(HookCalls, EachCallGoesDirectlyBelowItsAnchor) {
  EBScript script;
  script.lines = MainWith({"Function HandleFilename(c as Context) as String",
                           "Function PreRun(s as string) as boolean", "Sub AtExit(s as string)"});
  EXPECT_TRUE(script.InsertHandleFilenameCall());
  EXPECT_TRUE(script.InsertPreRunCall());
  EXPECT_TRUE(script.InsertAtExitCall());
  EXPECT_EQ((MainWith({"Function HandleFilename(c as Context) as String",
                       "Function PreRun(s as string) as boolean", "Sub AtExit(s as string)"})
                 .size() + 3),
            script.lines.size());
  Lines expected = {"Function HandleFilename(c as Context) as String",
                    "Function PreRun(s as string) as boolean",
                    "Sub AtExit(s as string)",
                    "Sub Main()",
                    "\tc.DataFile.Filename = e",
                    kHandleCall,
                    "\tInitObjects c",
                    kPreRunCall,
                    "ExperimentFinish:",
                    kAtExitCall,
                    "\tx",
                    "ExperimentAbort:",
                    "End Sub"};
  EXPECT_EQ(expected, script.lines);
  EXPECT_EQ(3, script.subMainLine);

  // Again, as on a rewritten script given as input: HandleFilename and PreRun gain a
  // second copy above the first, AtExit finds its own call.
  EXPECT_TRUE(script.InsertHandleFilenameCall());
  EXPECT_TRUE(script.InsertPreRunCall());
  EXPECT_TRUE(script.InsertAtExitCall());
  expected.insert(expected.begin() + 5, kHandleCall);
  expected.insert(expected.begin() + 8, kPreRunCall);
  EXPECT_EQ(expected, script.lines);
}

TEST(HookCalls, FalseLeavesTheScriptAlone) {
  struct Row {
    const char* what;
    HookKind kind;
    Lines lines;
  } rows[] = {
      {"no Sub Main", kAtExit, {"Sub AtExit(s as string)", "ExperimentFinish:"}},
      {"nothing defined", kHandleFilename, MainWith({})},
      {"nothing defined", kPreRun, MainWith({})},
      {"nothing defined", kAtExit, MainWith({})},
      {"anchor missing", kPreRun,
       {"Function PreRun(s as string) as boolean", "Sub Main()", "InitDevices c", "End Sub"}},
      {"anchor only before Sub Main", kPreRun,
       {"Function PreRun(s as string) as boolean", "InitObjects c", "Sub Main()", "End Sub"}},
  };
  for (const Row& row : rows) {
    EBScript script;
    script.lines = row.lines;
    EXPECT_FALSE(Insert(script, row.kind)) << row.what;
    EXPECT_EQ(row.lines, script.lines) << row.what;
  }
}

TEST(HookCalls, AnchorAndCallProbes) {
  struct Row {
    const char* what;
    HookKind kind;
    Lines before;
    Lines after;
  } rows[] = {
      {"label with a comment, defined after Sub Main", kAtExit,
       {"Sub Main()", "ExperimentFinish: ' done", "End Sub", "Sub AtExit(s as string)",
        "End Sub"},
       {"Sub Main()", "ExperimentFinish: ' done", kAtExitCall, "End Sub",
        "Sub AtExit(s as string)", "End Sub"}},
      {"anchor as the last line", kPreRun,
       {"Function PreRun(s as string) as boolean", "Sub Main()", "  initobjects  C"},
       {"Function PreRun(s as string) as boolean", "Sub Main()", "  initobjects  C",
        kPreRunCall}},
      {"a call below the anchor stops the insertion", kAtExit,
       {"Sub AtExit(s as string)", "Sub Main()", "ExperimentFinish:", "x", "  atexit y"},
       {"Sub AtExit(s as string)", "Sub Main()", "ExperimentFinish:", "x", "  atexit y"}},
      {"a call above the anchor does not", kAtExit,
       {"Sub AtExit(s as string)", "Sub Main()", "AtExit y", "ExperimentFinish:"},
       {"Sub AtExit(s as string)", "Sub Main()", "AtExit y", "ExperimentFinish:",
        kAtExitCall}},
      {"the routine's own body below the anchor stops it", kHandleFilename,
       {"Sub Main()", "c.DataFile.Filename = e", "End Sub",
        "Function HandleFilename(c as Context) as String", "\tHandleFilename = \"x\"",
        "End Function"},
       {"Sub Main()", "c.DataFile.Filename = e", "End Sub",
        "Function HandleFilename(c as Context) as String", "\tHandleFilename = \"x\"",
        "End Function"}},
      {"the first data file line after Sub Main is the anchor", kHandleFilename,
       {"Function HandleFilename(c as Context) as String", "c.DataFile.Filename = a",
        "Sub Main()", "c.DataFile.Filename = b", "c.DataFile.Filename = c"},
       {"Function HandleFilename(c as Context) as String", "c.DataFile.Filename = a",
        "Sub Main()", "c.DataFile.Filename = b", kHandleCall, "c.DataFile.Filename = c"}},
  };
  for (const Row& row : rows) {
    EBScript script;
    script.lines = row.before;
    EXPECT_TRUE(Insert(script, row.kind)) << row.what;
    EXPECT_EQ(row.after, script.lines) << row.what;
  }
}
