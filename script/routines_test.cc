#include "script/routines.h"

#include <gtest/gtest.h>

#include "script/eb_script.h"

namespace {

using Lines = std::vector<std::string>;

// What a call of `routine` from a main routine that calls it can set, in a script of
// `lines` and then that main routine: each attribute with its line ("SUBJECT@3"), "*"
// and each ending, "any", "var:" each variable, "file@", "summary@" and "converts";
// "none" for a name that is no routine of the script.
std::string CanSet(Lines lines, const std::string& routine) {
  lines.insert(lines.end(), {"Sub Main()", "\t" + routine + " c", "End Sub"});
  EBScript script(lines);
  const RoutineEffects* effects = ScriptRoutines::Of(script).Called(routine);
  if (!effects)
    return "none";
  std::string set;
  auto add = [&set](const std::string& part) { set += (set.empty() ? "" : " ") + part; };
  for (const auto& [key, line] : effects->attributes)
    add(key + "@" + std::to_string(line));
  for (const std::string& ending : effects->endings)
    add("*" + ending);
  if (effects->anyAttribute)
    add("any");
  for (const std::string& variable : effects->variables)
    add("var:" + variable);
  if (effects->dataFile)
    add("file@" + std::to_string(*effects->dataFile));
  if (effects->summary)
    add("summary@" + std::to_string(*effects->summary));
  if (effects->convertsDataFile)
    add("converts");
  return set;
}

// A chain of `count` routines, R1 calling R2 and so on; the last sets attribute A.
Lines Chain(int count) {
  Lines lines;
  for (int i = 1; i <= count; ++i) {
    lines.push_back("Sub R" + std::to_string(i) + "(c As Context)");
    lines.push_back(i < count ? "\tR" + std::to_string(i + 1) + " c" : "\tc.SetAttrib \"A\", 1");
    lines.push_back("End Sub");
  }
  return lines;
}

}  // namespace

TEST(ScriptRoutines, WhatACallCanSet) {
  struct Row {
    Lines lines;
    const char* routine;
    const char* canSet;
  } rows[] = {
      {{"Sub InitGlobals(c As Context)", "End Sub"}, "InitGlobals", ""},
      {{}, "CreateDefaultPort", "none"},  // E-Prime's own
      {{"Sub SetUp(c As Context)", "\tc.SetAttrib \"Subject\", \"7\"", "End Sub"},
       "SetUp",
       "SUBJECT@2"},
      // The context is global, and a Context may go by any name.
      {{"Sub SetUp()", "\tebContext.SetAttrib \"Subject\", 7", "End Sub"}, "SetUp", "SUBJECT@2"},
      {{"Private Sub SetUp(ByVal n As Long, ctx As Context)", "\tctx.SetAttrib \"Group\", n",
        "\tDim more As Context", "\tmore.SetAttrib \"Age\", n", "End Sub"},
       "SetUp",
       "AGE@4 GROUP@2"},
      {{"Sub InitDevices(c As Context)", "\tIf DisplayOpen = True Then",
        "\t\tc.SetAttrib Display.Name & \".RefreshRate\", Format$(x, \"0.000\")", "\tEnd If",
        "End Sub"},
       "InitDevices",
       "*.REFRESHRATE"},
      {{"Sub S(c As Context)", "\tc.SetAttrib strName, 1", "End Sub"}, "S", "any"},
      {{"Sub S(c As Context)", "\tIf Not c.AttribExists(\"A\") Then c.SetAttrib \"A\", 1",
        "End Sub"},
       "S",
       ""},
      // What the routines it calls set, E-Prime's own aside; with or without Call.
      {{"Sub A(c As Context)", "\tCall B(c)", "\tWinActivate \"x\"", "End Sub",
        "Function B(c As Context) As Long", "\tc.SetAttrib \"Age\", 1", "\tB = 2", "End Function"},
       "A",
       "AGE@6"},
      {{"Sub A(c As Context)", "\tA c", "End Sub"}, "A", "any"},
      {{"Sub A(c As Context)", "\tB c", "End Sub", "Sub B(c As Context)", "\tA c", "End Sub"},
       "A",
       "any"},
      {{"Sub S(c As Context)", "\tIf x Then", "\t\tc.SetAttrib \"A\", 1", "End Sub"},
       "S",
       "A@3 any"},
      {{"Sub S(c As Context)", "End Sub", "Sub S(c As Context)", "End Sub"}, "S", "any"},
      // The script's own variables, not its parameters, locals or result.
      {{"Function F(s As String) As String", "\tDim n As Long", "\tn = 1", "\ts = \"x\"",
        "\tgCount = gCount + 1", "\tG gTotal", "\tF = s & F(s)", "End Function", "Sub G(t As Long)",
        "End Sub"},
       "F",
       "any var:GCOUNT var:GTOTAL"},  // F(s): a recursive call
      {{"Sub S(c As Context)", "\tc.DataFile.Filename = \"x.txt\"",
        "\tn = MsgBox(s, ebYesNo, \"Summary of Startup Info\")",
        "\tn = c.DataFile.Convert(ebProgressSimple)", "End Sub"},
       "S",
       "var:N file@2 summary@3 converts"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.canSet, CanSet(row.lines, row.routine)) << row.routine << " " << row.lines.size();
  EXPECT_EQ("A@47", CanSet(Chain(16), "R1"));
  EXPECT_EQ("any", CanSet(Chain(17), "R1"));
}

TEST(ScriptRoutines, OnlyWhatTheMainRoutineCallsByName) {
  EBScript script({"Sub SessionProc_Run(c As Context)", "\tc.SetAttrib \"Subject\", 1", "End Sub",
                   "Sub Ask(c As Context)", "StartupInfoPrompt_Subject:", "End Sub", "Sub Main()",
                   "\tSessionProc.Run c", "End Sub"});
  const ScriptRoutines& routines = ScriptRoutines::Of(script);
  EXPECT_EQ(nullptr, routines.Called("SessionProc_Run"));  // what the objects run
  ASSERT_NE(nullptr, routines.PromptRoutine("SUBJECT"));   // a prompt in any routine
  EXPECT_EQ("Ask", *routines.PromptRoutine("SUBJECT"));
  EXPECT_EQ(nullptr, routines.PromptRoutine("SESSION"));
}
