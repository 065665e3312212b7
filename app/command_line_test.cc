#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

ParseResult Parse(const std::vector<std::string>& arguments,
                  SlashSwitches slashSwitches = SlashSwitches::kAll) {
  return ParseCommandLine(arguments, slashSwitches);
}

}  // namespace

TEST(ParseCommandLine, OutcomeOfEachSwitch) {
  struct Row {
    std::vector<std::string> arguments;
    ParseOutcome expected;
  } rows[] = {
      {{}, ParseOutcome::kRun},
      {{"-h"}, ParseOutcome::kShowUsage},
      {{"/?"}, ParseOutcome::kShowUsage},
      {{"x.ebs", "-H", "Subject=1"}, ParseOutcome::kShowUsage},
      {{"x.ebs", "-H", "junk"}, ParseOutcome::kShowUsage},
      {{"-x"}, ParseOutcome::kBadSwitch},
      {{"-"}, ParseOutcome::kBadSwitch},
      {{"-Fname"}, ParseOutcome::kBadSwitch},
      {{"-FO"}, ParseOutcome::kBadSwitch},
      {{"--"}, ParseOutcome::kBadSwitch},
      {{"x.ebs", "junk", "-x"}, ParseOutcome::kBadArgument},  // first decides
      {{"x.ebs", "-x", "junk"}, ParseOutcome::kBadSwitch},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, Parse(row.arguments).outcome) << testing::PrintToString(row.arguments);
}

TEST(ParseCommandLine, PlainArgumentsFollowTheState) {
  ParseResult r = Parse({"-N", "Subject=1", "-I", "run.ebs"});
  EXPECT_EQ(ParseOutcome::kRun, r.outcome);
  EXPECT_EQ("run.ebs", r.request.scriptPath);
  EXPECT_TRUE(r.request.noRun);
  EXPECT_EQ((AttributeMap{{"Subject", "1"}}), r.request.attributes);

  r = Parse({"Subject=1", "run.ebs"});
  EXPECT_EQ(ParseOutcome::kBadArgument, r.outcome);
  EXPECT_EQ(std::vector<std::string>{"Missing '=' in attribute definition run.ebs"}, r.lines);

  r = Parse({"run.ebs", "/f", "a.txt", "-F", "b.txt", "-o", "x", "-O", "C:\\data"});
  EXPECT_EQ("b.txt", r.request.dataFileName);
  EXPECT_EQ("C:\\data", r.request.dataFolder);

  r = Parse({"", "x.ebs"});
  EXPECT_EQ(ParseOutcome::kBadArgument, r.outcome);
  EXPECT_EQ("", r.request.scriptPath);

  r = Parse({"a.ebs", "-I", "b.ebs"});
  EXPECT_EQ("b.ebs", r.request.scriptPath);

  for (const char* y : {"-Y", "/y"}) {
    r = Parse({"-F", "a.txt", y, "Subject=1", "-I", "run.ebs"});
    EXPECT_TRUE(r.request.answerSummary) << y;
    EXPECT_EQ((AttributeMap{{"Subject", "1"}}), r.request.attributes) << y;
  }
  EXPECT_FALSE(Parse({"run.ebs"}).request.answerSummary);
}

TEST(ParseCommandLine, AttributeDefinitions) {
  ParseResult r = Parse({"x.ebs", " Subject = 5 ", "a=b=c", "E=", "=5", "=", "S=1", "S=2", "s=3",
                         "\tMy Attr\t=\tv w\r"});
  EXPECT_EQ(ParseOutcome::kRun, r.outcome);
  AttributeMap expected = {{"Subject", "5"}, {"a", "b=c"}, {"E", ""},
                           {"S", "2"},       {"s", "3"},   {"My Attr", "v w"}};
  EXPECT_EQ(expected, r.request.attributes);
  EXPECT_EQ((std::vector<std::string>{"Warning: setting attribute to empty value: E",
                                      "Warning: setting attribute to empty value: "}),
            r.lines);
}

// The first argument that cannot be used ends parsing with its error line.
TEST(ParseCommandLine, UnusableArguments) {
  struct Row {
    std::vector<std::string> arguments;
    const char* error;
  } rows[] = {
      {{"run.ebs", "-F"}, "Missing value for -F"},
      {{"run.ebs", "/o", "-N"}, "Missing value for -O"},
      {{"run.ebs", "-F", "-H"}, "Missing value for -F"},
      {{"-i", "-x"}, "Missing value for -I"},
      {{"run.ebs", "-O", "", "S=1"}, "Missing value for -O"},
      {{"-N", "-I", ""}, "Missing value for -I"},
      {{"run.ebs", "-F", "a\nb.txt"}, "Line break in argument 3"},
      {{"run.ebs", "-O", "C:\\d\r"}, "Line break in argument 3"},
      {{"run.ebs", "S=1", "Group=a\rb"}, "Line break in argument 3"},
      {{"run.ebs", "A\nB=1"}, "Line break in argument 2"},
      {{"run.ebs", "-O", "C:\\My Data\" Subject=12"},
       "Double quote in -O value: C:\\My Data\" Subject=12"},
      {{"run.ebs", "-F", "a\"b", "-O", "\n"}, "Double quote in -F value: a\"b"},
  };
  for (const Row& row : rows) {
    ParseResult r = Parse(row.arguments);
    EXPECT_EQ(ParseOutcome::kBadArgument, r.outcome) << testing::PrintToString(row.arguments);
    EXPECT_EQ(std::vector<std::string>{row.error}, r.lines)
        << testing::PrintToString(row.arguments);
  }
  // Line breaks at the ends of a definition are trimmed away; quotes in values are fine.
  ParseResult r = Parse({"run.ebs", "\r\nS=1\r\n", "Q=say \"hi\""});
  EXPECT_EQ(ParseOutcome::kRun, r.outcome);
  EXPECT_EQ((AttributeMap{{"S", "1"}, {"Q", "say \"hi\""}}), r.request.attributes);
}

TEST(ParseCommandLine, AttributeOrderIsBytewise) {
  ParseResult r =
      Parse({"x.ebs", "subject=1", "Subject=2", "session=3", "Session=4", "\xE9=5", "Sub=6"});
  std::vector<std::string> names;
  for (const auto& entry : r.request.attributes)
    names.push_back(entry.first);
  EXPECT_EQ((std::vector<std::string>{"Session", "Sub", "Subject", "session", "subject", "\xE9"}),
            names);
}

TEST(ParseCommandLine, SlashArgumentsOnPosix) {
  ParseResult r = Parse({"/home/lab/rt.ebs", "/f", "x.txt", "/O", "/data", "/N"},
                        SlashSwitches::kTwoCharactersOnly);
  EXPECT_EQ(ParseOutcome::kRun, r.outcome);
  EXPECT_EQ("/home/lab/rt.ebs", r.request.scriptPath);
  EXPECT_EQ("x.txt", r.request.dataFileName);
  EXPECT_EQ("/data", r.request.dataFolder);
  EXPECT_TRUE(r.request.noRun);

  EXPECT_EQ(ParseOutcome::kBadSwitch, Parse({"/home/lab/rt.ebs"}).outcome);
  EXPECT_EQ(ParseOutcome::kBadSwitch, Parse({"-Fx"}, SlashSwitches::kTwoCharactersOnly).outcome);

  // A lone "/" is the root folder on POSIX, a bad switch on Windows, as a lone "-" is.
  r = Parse({"rt.ebs", "-O", "/"}, SlashSwitches::kTwoCharactersOnly);
  EXPECT_EQ(ParseOutcome::kRun, r.outcome);
  EXPECT_EQ("/", r.request.dataFolder);
  EXPECT_EQ(ParseOutcome::kBadSwitch, Parse({"rt.ebs", "/"}).outcome);
}

TEST(CheckScriptPath, ExtensionAndOutputName) {
  struct Row {
    const char* path;
    bool ok;
    const char* output;
  } rows[] = {
      {"run.ebs", true, "run_tarvo.ebs"},
      {"RUN.EBS", true, "RUN_tarvo.ebs"},
      {"dir\\r.eBs", true, "dir\\r_tarvo.ebs"},
      {".ebs", true, "_tarvo.ebs"},
      {"run.eb", false, ""},
      {"ebs", false, ""},
      {"run.txt", false, ""},
      {"", false, ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.ok, HasEbsExtension(row.path)) << row.path;
    if (row.ok) {
      EXPECT_EQ(row.output, OutputScriptName(row.path));
    }
  }
}
