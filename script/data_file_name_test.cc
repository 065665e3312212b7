#include "script/data_file_name.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The name worked out from the main routine `lines`, or "? <what is unknown>".
std::string WorkedOut(const Lines& lines, const AttributesBySqueezedName& given = {},
                      const Lines& routines = {}) {
  Lines script = routines;
  script.push_back("Sub Main()");
  script.insert(script.end(), lines.begin(), lines.end());
  DataFileName name = WorkOutDataFileName(EBScript(script), given);
  return name.name.empty() ? "? " + name.unknown : name.name;
}

const char* const kExperiment = "\tebContext.SetAttrib \"Experiment\", \"flanker\"";
const char* const kOlder =
    "\tc.DataFile.Filename = CStr(c.GetAttrib(\"Experiment\")) & \"-\" & "
    "CStr(c.GetAttrib(\"Subject\")) & \".txt\"";

}  // namespace

TEST(WorkOutDataFileName, FromTheDataFileStatement) {
  const AttributesBySqueezedName subject12 = {{"SUBJECT", "12"}};
  struct Row {
    Lines lines;
    AttributesBySqueezedName given;
    std::string expected;
  } rows[] = {
      {{kExperiment, "c.SetAttrib \"Subject\", \"1\"", kOlder}, {}, "flanker-1.txt"},
      {{kExperiment, "c.SetAttrib \"Subject\", \"1\"", kOlder}, subject12, "flanker-12.txt"},
      // A conditional default counts when nothing set the attribute before it.
      {{kExperiment, "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"3\"",
        kOlder},
       {},
       "flanker-3.txt"},
      {{kExperiment, "StartupInfoPrompt_Subject:", "c.SetAttrib \"Subject\", CStr(vAnswer)",
        kOlder},
       {},
       "? Subject"},
      {{kExperiment, kOlder}, {}, "? c.GetAttrib(\"Subject\")"},
      {{"c.DataFile.Filename = \"C:\\\\d\\\\\"\"q\"\"\" & x"}, {}, "? x"},
      {{"c.DataFile.Filename = \"a\\tb\""}, {}, "? \"a\\tb\""},
      {{"c.DataFile.Filename = \"C:\\\\d\\\\\"\"q\"\".txt\""}, {}, "C:\\d\\\"q\".txt"},
      // Tarvo's -F and -O.
      {{"\tc.DataFile.Filename = CStr(\"D:\\\\x\\\\\") &  CStr(\"n.txt\")   ' value set by Tarvo"},
       {},
       "D:\\x\\n.txt"},
      {{"c.DataFile.Filename = Format$(Now, \"yyyy\") & \".txt\""}, {}, "? Format$(Now, \"yyyy\")"},
      {{"c.DataFile.Filename = \"\""}, {}, "? c.DataFile.Filename = \"\""},
      {{"x = 1"}, {}, "? c.DataFile.Filename"},
      // Only what runs for sure counts; a plain value stays, even an unknown one.
      {{"Let f = \"b.txt\"", "c.DataFile.Filename = f"}, {}, "b.txt"},
      // A routine may change what it is given, a variable or the context's attributes.
      {{"f = \"b.txt\"", "Call MakeName(f)", "c.DataFile.Filename = f"}, {}, "? f"},
      {{kExperiment, "SetUp c", kOlder}, subject12, "? Experiment"},
      {{"f = \"a.txt\"", "If x Then f = \"retest-\" & f", "c.DataFile.Filename = f"}, {}, "? f"},
      // A name that is not one literal may be any attribute's, or any that ends so.
      {{"c.SetAttrib \"Group\", \"1\"", "c.SetAttrib strName, \"2\"",
        "c.DataFile.Filename = c.GetAttrib(\"Group\") & \".txt\""},
       {},
       "? Group"},
      {{kExperiment, "c.SetAttrib \"Subject\", \"1\"", "c.SetAttrib \"Sub\" & \"ject\", \"9\"",
        "c.SetAttrib \"Sub\" & \"Group\", \"9\"", kOlder},
       {},
       "? Subject"},
      {{"Select Case g", "Case 1", "f = \"a\"", "End Select", "c.DataFile.Filename = f"},
       {},
       "? f"},
      {{kExperiment, "If g = 2 Then", "c.SetAttrib \"Experiment\", \"b\"", "End If", kOlder},
       subject12,
       "? Experiment"},
      {{kExperiment, "c.SetAttrib \"Subject\", CStr(x)",
        "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"", kOlder},
       {},
       "? x"},
      {{"If a Then", "c.DataFile.Filename = \"a.txt\"", "End If"},
       {},
       "? c.DataFile.Filename = \"a.txt\""},
      {{"c.DataFile.Filename = \"a.txt\"", "c.DataFile.Filename = \"D\\\\\" & c.DataFile.Filename"},
       {},
       "? c.DataFile.Filename = \"D\\\\\" & c.DataFile.Filename"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, WorkedOut(row.lines, row.given)) << row.lines.back();
}

// The script's own routines called before the statement set what they set.
TEST(WorkOutDataFileName, ThroughTheRoutinesCalled) {
  const Lines main = {kExperiment, "f = \"-1\"", "SetUp c",
                      "c.DataFile.Filename = c.GetAttrib(\"Experiment\") & f"};
  struct Row {
    Lines routines;
    std::string expected;
  } rows[] = {
      {{"Sub SetUp(c As Context)", "End Sub"}, "flanker-1"},
      {{"Sub SetUp(c As Context)", "\tc.SetAttrib \"Experiment\", \"b\"", "End Sub"},
       "? Experiment"},
      {{"Sub SetUp(c As Context)", "\tMore", "End Sub", "Sub More()", "\tf = 1", "End Sub"}, "? f"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, WorkedOut(main, {}, row.routines)) << row.routines[1];
  // E-Basic passes a variable by reference.
  EXPECT_EQ("? f", WorkedOut({"f = \"a\"", "SetUp c, f", "c.DataFile.Filename = f"}, {},
                             {"Sub SetUp(c As Context, s As String)", "End Sub"}));
}

// The newer generator builds the name in a variable first, from the override attribute
// only when it is given.
TEST(WorkOutDataFileName, FromAVariableOfTheBranchThatRuns) {
  const Lines lines = {kExperiment,
                       "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"",
                       "Dim strFilenameRecovery As String",
                       "If c.AttribExists(\"DataFile.Filename.Override\") Then",
                       "\tstrFilenameRecovery = c.GetAttrib(\"DataFile.Filename.Override\")",
                       "Else",
                       "\tstrFilenameRecovery = CStr(c.GetAttrib(\"Experiment\")) & \"-\" & _",
                       "\t\tCStr(c.GetAttrib(\"Subject\")) & \".txt\"",
                       "End If",
                       "c.DataFile.Filename = strFilenameRecovery"};
  EXPECT_EQ("flanker-1.txt", WorkedOut(lines));
  EXPECT_EQ("o.txt", WorkedOut(lines, {{"DATAFILE.FILENAME.OVERRIDE", "o.txt"}}));
  Lines unknownBranch = lines;
  unknownBranch[3] = "If bUseOverride Then";
  EXPECT_EQ("? strFilenameRecovery", WorkedOut(unknownBranch));
}

TEST(WorkOutDataFileName, HandleFilenameAndConvert) {
  EBScript script({"Function HandleFilename(c As Context) As String", "End Function", "Sub Main()",
                   "c.DataFile.Filename = \"a.txt\"",
                   "\tnConvert = c.DataFile.Convert(ebProgressSimple) ' to .edat"});
  DataFileName name = WorkOutDataFileName(script, {});
  EXPECT_EQ("HandleFilename", name.unknown);
  EXPECT_TRUE(name.converted);
  EXPECT_FALSE(WorkOutDataFileName(EBScript({"Sub Main()", "' c.DataFile.Convert"}), {}).converted);
}

TEST(LogsDataOnlyForNonZeroSubject, TheGeneratedTest) {
  EXPECT_TRUE(LogsDataOnlyForNonZeroSubject(
      EBScript({"Sub Main()", "\tIf CLng(c.GetAttrib(\"Subject\")) <> 0 Then"})));
  EXPECT_FALSE(LogsDataOnlyForNonZeroSubject(
      EBScript({"\tIf CLng(c.GetAttrib(\"Subject\")) <> 0 Then", "Sub Main()"})));
}
