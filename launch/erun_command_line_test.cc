#include "launch/erun_command_line.h"

#include <gtest/gtest.h>

namespace {

const char kScript[] = "C:\\exp\\rt_tarvo.ebs";

// "<none>" stands for the outcome that the command holds no quoted %1.
std::string Build(const std::string& registered, const std::string& script = kScript) {
  return BuildERunCommandLine(registered, script).value_or("<none>");
}

}  // namespace

TEST(BuildERunCommandLine, ReplacesThePlaceholderBySwitchAndScript) {
  struct Row {
    const char* registered;
    const char* expected;
  } rows[] = {
      // The common form: the program quoted, one blank, the placeholder.
      {"\"C:\\E-Prime\\E-Run.exe\" \"%1\"",
       "\"C:\\E-Prime\\E-Run.exe\"  /a \"C:\\exp\\rt_tarvo.ebs\""},
      // An unquoted program part is quoted with its trailing blank inside.
      {"C:\\EPrime\\ERun.exe \"%1\"", "\"C:\\EPrime\\ERun.exe \" /a \"C:\\exp\\rt_tarvo.ebs\""},
      {"C:\\EPrime\\ERun.exe\"%1\"", "\"C:\\EPrime\\ERun.exe\" /a \"C:\\exp\\rt_tarvo.ebs\""},
      // Further arguments of the registered command are dropped.
      {"\"E-Run.exe\" \"%1\" /x \"%2\"", "\"E-Run.exe\"  /a \"C:\\exp\\rt_tarvo.ebs\""},
      {"\"E-Run.exe\" /q \"%1\"", "\"E-Run.exe\" /q  /a \"C:\\exp\\rt_tarvo.ebs\""},
      // A value that begins with the placeholder leaves an empty program part.
      {"\"%1\"", "\"\" /a \"C:\\exp\\rt_tarvo.ebs\""},
      {"\"%1\" /x", "\"\" /a \"C:\\exp\\rt_tarvo.ebs\""},
      // A program part that only begins with a quote is kept as it is.
      {"\"C:\\E Prime\\ERun.exe \"%1\"", "\"C:\\E Prime\\ERun.exe  /a \"C:\\exp\\rt_tarvo.ebs\""},
      // Environment references are not expanded.
      {"\"%ProgramFiles%\\E-Run.exe\" \"%1\"",
       "\"%ProgramFiles%\\E-Run.exe\"  /a \"C:\\exp\\rt_tarvo.ebs\""},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, Build(row.registered)) << row.registered;
}

TEST(BuildERunCommandLine, NoQuotedPlaceholderGivesNothing) {
  const char* rows[] = {
      "", "E-Run.exe %1", "\"E-Run.exe\" %1", "\"E-Run.exe\" \"%1", "\"E-Run.exe\" \"%2\"",
  };
  for (const char* registered : rows)
    EXPECT_EQ("<none>", Build(registered)) << registered;
}

TEST(BuildERunCommandLine, LongCommandLinesAreKeptWhole) {
  // The command line is not cut at the 511 characters of the registry value's buffer.
  std::string program = "\"C:\\" + std::string(480, 'p') + "\\E-Run.exe\"";
  std::string script = "C:\\" + std::string(250, 's') + "\\x_tarvo.ebs";
  std::string commandLine = Build(program + " \"%1\"", script);
  EXPECT_EQ(program + "  /a \"" + script + "\"", commandLine);
  EXPECT_GT(commandLine.size(), 511u);
}
