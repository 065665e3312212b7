#include "script/hook_calls.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

const char* const kHandleCall =
    "c.DataFile.Filename = HandleFilename(c) : If Len(c.DataFile.Filename)=0 Then GoTo "
    "ExperimentAbort ' line inserted by Tarvo";
const char* const kPreRunCall =
    "If Not PreRun(c.DataFile.Filename) Then GoTo ExperimentAbort ' line inserted by Tarvo";
const char* const kAtExitCall = "AtExit c.DataFile.Filename ' line inserted by Tarvo";

enum Hook { kHandleFilename, kPreRun, kAtExit };

EditOutcome Insert(EBScript& script, Hook hook) {
  switch (hook) {
    case kHandleFilename:
      return InsertHandleFilenameCall(script);
    case kPreRun:
      return InsertPreRunCall(script);
    case kAtExit:
      return InsertAtExitCall(script);
  }
  return EditOutcome::kNotFound;
}

}  // namespace

TEST(HookCalls, DefinitionProbes) {
  struct Row {
    Hook hook;
    const char* definition;
    bool counts;
  } rows[] = {
      {kHandleFilename, "  function handlefilename (c As Context) As String", true},
      {kHandleFilename, "Sub HandleFilename(c as Context)", false},
      {kHandleFilename, "Private Function HandleFilename(c as Context) as String", false},
      {kHandleFilename, "' Function HandleFilename(c as Context) as String", false},
      {kPreRun, "Function PreRun(strTxtFile as string) as boolean", true},
      {kPreRun, "Function PreRunCheck(strTxtFile as string) as boolean", false},
      {kAtExit, "Sub AtExit(strTxtFile as string)", true},
      {kAtExit, "Function AtExit(strTxtFile as string) as boolean", false},
  };
  for (const Row& row : rows) {
    EBScript script({row.definition, "Sub Main()", "c.DataFile.Filename = e", "InitObjects c",
                     "ExperimentFinish:", "ExperimentAbort:"});
    EXPECT_EQ(row.counts, Insert(script, row.hook) == EditOutcome::kDone) << row.definition;
    EXPECT_EQ(row.counts ? 7u : 6u, script.lines().size()) << row.definition;
  }
}

TEST(HookCalls, NothingInsertedLeavesTheScriptAlone) {
  const EditOutcome kNotFound = EditOutcome::kNotFound;
  struct Row {
    const char* what;
    Hook hook;
    Lines lines;
    EditOutcome outcome;
  } rows[] = {
      {"no Sub Main", kAtExit, {"Sub AtExit(s as string)", "ExperimentFinish:"}, kNotFound},
      {"not defined", kHandleFilename, {"Sub Main()", "c.DataFile.Filename = e"}, kNotFound},
      {"anchor missing",
       kPreRun,
       {"Function PreRun(s as string) as boolean", "Sub Main()", "InitDevices c"},
       kNotFound},
      {"anchor only before Sub Main",
       kPreRun,
       {"Function PreRun(s as string) as boolean", "InitObjects c", "Sub Main()"},
       kNotFound},
      // A call that jumps to a label the main routine lacks would not compile.
      {"no ExperimentAbort label",
       kHandleFilename,
       {"Function HandleFilename(c)", "ExperimentAbort:", "Sub Main()", "c.DataFile.Filename = e",
        "ExperimentAbortX:"},
       EditOutcome::kNoAbortLabel},
      {"in place already, with Call",
       kPreRun,
       {"Function PreRun(s)", "Sub Main()", "InitObjects c", "\tCall PreRun(c.DataFile.Filename)"},
       EditOutcome::kDone},
  };
  for (const Row& row : rows) {
    EBScript script(row.lines);
    EXPECT_EQ(row.outcome, Insert(script, row.hook)) << row.what;
    EXPECT_EQ(row.lines, script.lines()) << row.what;
  }
}

TEST(HookCalls, AnchorAndCallProbes) {
  struct Row {
    const char* what;
    Hook hook;
    Lines before;
    Lines after;
  } rows[] = {
      {"label with a comment; defined after Sub Main",
       kAtExit,
       {"Sub Main()", "ExperimentFinish: ' done", "End Sub", "Sub AtExit(s as string)"},
       {"Sub Main()", "ExperimentFinish: ' done", kAtExitCall, "End Sub",
        "Sub AtExit(s as string)"}},
      {"an anchor in any letter case and spacing",
       kPreRun,
       {"Function PreRun(s as string) as boolean", "Sub Main()", "  initobjects  C"},
       {"Function PreRun(s as string) as boolean", "Sub Main()", "  initobjects  C", kPreRunCall}},
      {"below the anchor's whole statement",
       kHandleFilename,
       {"Function HandleFilename(c)", "Sub Main()", "c.DataFile.Filename = a & _", "  b", "x"},
       {"Function HandleFilename(c)", "Sub Main()", "c.DataFile.Filename = a & _", "  b",
        kHandleCall, "x"}},
      {"a call below the anchor stops the insertion",
       kAtExit,
       {"Sub AtExit(s as string)", "Sub Main()", "ExperimentFinish:", "x", "  atexit y"},
       {"Sub AtExit(s as string)", "Sub Main()", "ExperimentFinish:", "x", "  atexit y"}},
      {"so does a call that ends the line",
       kAtExit,
       {"Sub AtExit()", "Sub Main()", "ExperimentFinish:", "\tAtExit"},
       {"Sub AtExit()", "Sub Main()", "ExperimentFinish:", "\tAtExit"}},
      {"a longer name does not, nor a name split by a blank",
       kPreRun,
       {"Function PreRun(s as string) as boolean", "Sub Main()", "InitObjects c",
        "\tPreRunDone = True", "PreRun_2 = 1", "Pre Run x"},
       {"Function PreRun(s as string) as boolean", "Sub Main()", "InitObjects c", kPreRunCall,
        "\tPreRunDone = True", "PreRun_2 = 1", "Pre Run x"}},
      {"a call above the anchor does not",
       kAtExit,
       {"Sub AtExit(s as string)", "Sub Main()", "AtExit y", "ExperimentFinish:"},
       {"Sub AtExit(s as string)", "Sub Main()", "AtExit y", "ExperimentFinish:", kAtExitCall}},
      {"the routine's own body below the anchor stops it",
       kHandleFilename,
       {"Sub Main()", "c.DataFile.Filename = e", "Function HandleFilename(c as Context)",
        "\tHandleFilename = \"x\""},
       {"Sub Main()", "c.DataFile.Filename = e", "Function HandleFilename(c as Context)",
        "\tHandleFilename = \"x\""}},
      {"the first data file line after Sub Main is the anchor, not one in a one-line If",
       kHandleFilename,
       {"Function HandleFilename(c as Context) as String", "c.DataFile.Filename = a", "Sub Main()",
        "If x Then c.DataFile.Filename = y", "c.DataFile.Filename = b", "c.DataFile.Filename = c"},
       {"Function HandleFilename(c as Context) as String", "c.DataFile.Filename = a", "Sub Main()",
        "If x Then c.DataFile.Filename = y", "c.DataFile.Filename = b", kHandleCall,
        "c.DataFile.Filename = c"}},
      {"the line inserted before, in any spacing, is a call in place",
       kPreRun,
       {"Function PreRun(s as string) as boolean", "Sub Main()", "InitObjects c",
        "\tif not prerun( c.DataFile.Filename ) then goto ExperimentAbort"},
       {"Function PreRun(s as string) as boolean", "Sub Main()", "InitObjects c",
        "\tif not prerun( c.DataFile.Filename ) then goto ExperimentAbort"}},
      {"so is HandleFilename's, below a changed data file line",
       kHandleFilename,
       {"Function HandleFilename(c as Context) as String", "Sub Main()",
        "\tc.DataFile.Filename = CStr(\"x\")", kHandleCall},
       {"Function HandleFilename(c as Context) as String", "Sub Main()",
        "\tc.DataFile.Filename = CStr(\"x\")", kHandleCall}},
  };
  for (const Row& row : rows) {
    Lines before = row.before;
    before.push_back("ExperimentAbort:");
    EBScript script(before);
    EXPECT_EQ(EditOutcome::kDone, Insert(script, row.hook)) << row.what;
    Lines after = row.after;
    after.push_back("ExperimentAbort:");
    EXPECT_EQ(after, script.lines()) << row.what;
  }
}
