#include "platform/standin/process_arguments.h"

#include <gtest/gtest.h>

TEST(SplitWindowsCommandLine, ProgramIsTheFirstToken) {
  struct Row {
    const char* commandLine;
    const char* program;
  } rows[] = {
      {"\"C:\\E Prime\\E-Run.exe\"  /a \"x.ebs\"", "C:\\E Prime\\E-Run.exe"},
      {"\"/opt/erun \" /a \"x.ebs\"", "/opt/erun"},  // Windows drops trailing blanks
      {"erun.exe /a x", "erun.exe"},
      {"erun\t/a", "erun"},
      {"\"\" /a \"x.ebs\"", ""},
      {"\"/opt/e run", "/opt/e run"},  // no closing quote: the rest of the line
      {"", ""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.program, SplitWindowsCommandLine(row.commandLine).program) << row.commandLine;
}

TEST(SplitWindowsCommandLine, ArgumentsFollowTheCRuntimeRules) {
  using Arguments = std::vector<std::string>;
  struct Row {
    const char* commandLine;
    Arguments arguments;
  } rows[] = {
      {"\"C:\\E-Run.exe\"  /a \"C:\\exp dir\\rt_tarvo.ebs\"", {"/a", "C:\\exp dir\\rt_tarvo.ebs"}},
      {"\"e\" /a \"\"", {"/a", ""}},
      {"e", {}},
      {"e   ", {}},
      {"e a\tb  c", {"a", "b", "c"}},
      {"e a\"b c\"d", {"ab cd"}},             // quotes group inside a word
      {"e \"a\\\"b\"", {"a\"b"}},             // \" is a literal quote
      {"e a\\\\\"b c\"", {"a\\b c"}},         // 2n backslashes: n, and the quote groups
      {"e a\\\\\\\"b", {"a\\\"b"}},           // 2n+1: n and a literal quote
      {"e C:\\dir\\ x", {"C:\\dir\\", "x"}},  // backslashes elsewhere are plain
      {"e \"a\"\"b\" c", {"a\"b", "c"}},      // "" inside quotes is one quote
      {"e \"open", {"open"}},                 // an unclosed quote runs to the end
      {"\"e f\"g h", {"h"}},                  // argv[0] runs to the first blank outside quotes
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.arguments, SplitWindowsCommandLine(row.commandLine).arguments) << row.commandLine;
}
