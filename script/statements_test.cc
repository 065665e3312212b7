#include "script/main_routine.h"

#include <gtest/gtest.h>

#include "script/eb_script.h"

namespace {

const char* const kKinds[] = {"=",         "attrib", "goto",    "label", "end",    "exit",
                              "if",        "elseif", "else",    "endif", "select", "case",
                              "endselect", "loop",   "endloop", "-"};

// The statements of a main routine of `lines`: each as ">" per branch around it, its kind,
// ":" and its name where it has one, and "@" its line (Sub Main() is line 0).
std::string Read(std::vector<std::string> lines) {
  lines.insert(lines.begin(), "Sub Main()");
  EBScript script(lines);
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  std::string read;
  for (size_t i = 0; i < routine->size(); ++i) {
    const Statement& statement = (*routine)[i];
    read += (i == 0 ? "" : " ") + std::string(routine->BranchesAround(i).size(), '>') +
            kKinds[static_cast<int>(statement.kind)] +
            (statement.name.empty() ? "" : ":" + statement.name) + "@" +
            std::to_string(statement.line);
  }
  return read;
}

}  // namespace

TEST(MainRoutine, StatementsAndTheirBlocks) {
  struct Row {
    std::vector<std::string> lines;
    const char* read;
  } rows[] = {
      {{"x = \"it's\" ' y = 2 : z = 3"}, "=:x@1"},
      {{"a = 1 : Let b = 2", "Set o = New X", "Debug.Print a = b"}, "=:a@1 =:b@1 -@2 -@3"},
      {{"c.SetAttrib \"S\", _", "  \"1\" ' x", "ebContext.SetAttrib \"T\", 2"},
       "attrib:S@1 attrib:T@3"},
      {{"If x Then y = 1 Else GoTo L : z = 2"}, "if@1 >=:y@1 else@1 >goto:L@1 >=:z@1 endif@1"},
      {{"If a Then If b Then c = 1 Else d = 2"},
       "if@1 >if@1 >>=:c@1 >else@1 >>=:d@1 >endif@1 endif@1"},
      {{"If a Then : GoTo L"}, "if@1 >goto:L@1 endif@1"},
      {{"Select Case n", "Case 1, 2", "x = 1", "Case Else", "End Select"},
       "select@1 case@2 >=:x@3 case@4 endselect@5"},
      {{"StartupInfoPrompt_Subject: ' c", "If a Then", "ElseIf b Then", "End", "Else", "Exit Sub",
        "End If", "End Sub", "x = 1"},
       "label:StartupInfoPrompt_Subject@1 if@2 elseif@3 >end@4 else@5 >exit@6 endif@7"},
      {{"Do While x", "c.DataFile.Filename = y", "Loop"},
       "loop@1 >=:c.DataFile.Filename@2 endloop@3"},
      {{"End If", "Else: x = 1"}, "endif@1 else@2 =:x@2"},  // no block to end
      // Directives are no statements; a name built of parts is no literal's.
      {{"#If A Then", "c.SetAttrib \"Sub\" & \"ject\", 1", "#End If", "Exit Function"},
       "attrib@2 exit@4"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.read, Read(row.lines)) << row.lines[0];
}
