#include "script/eb_script.h"

#include <gtest/gtest.h>

namespace {

std::optional<size_t> None() {
  return std::nullopt;
}

}  // namespace

TEST(FindLine, FromTheStartLineOn) {
  EBScript script(
      {"x", "Sub Main()", "   sub main ( )", "SubMain() ' start", "End Sub Main()", "", " \t "});
  struct Row {
    const char* probe;
    size_t start;
    std::optional<size_t> expected;
  } rows[] = {
      {"Sub Main()", 0, 1}, {"Sub Main()", 2, 2},       // the start line itself counts
      {"Sub Main()", 3, 3}, {"Sub Main()", 4, None()},  // "End Sub Main()" does not begin so
      {"", 0, None()},      {" \t ", 0, None()},        // nothing matches an empty probe
      {"x", 7, None()},     {"x", 100, None()},        {"X", 0, 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, script.FindLine(row.probe, row.start)) << row.probe << row.start;
  EXPECT_EQ(1, script.FindSubMain());
  EXPECT_EQ(None(), EBScript({"Sub Mainly()", "x"}).FindSubMain());
}

TEST(LoadedLineNumber, ThroughTheEditsSinceTheLoad) {
  EBScript script({"a", "b", "c", "d", "e"});
  script.EraseLines(1, 3);      // a d e
  script.InsertLine(2, "new");  // a d new e
  script.ReplaceLine(0, "A");   // a replaced line keeps its number
  EXPECT_EQ((std::vector<size_t>{1, 4, 0, 5}),
            (std::vector<size_t>{script.LoadedLineNumber(0), script.LoadedLineNumber(1),
                                 script.LoadedLineNumber(2), script.LoadedLineNumber(3)}));
  // And back: the lines as loaded, where they are now.
  const std::optional<size_t> none;
  EXPECT_EQ(
      (std::vector<std::optional<size_t>>{0, none, none, 1, 3}),
      (std::vector<std::optional<size_t>>{script.IndexOfLoadedLine(1), script.IndexOfLoadedLine(2),
                                          script.IndexOfLoadedLine(3), script.IndexOfLoadedLine(4),
                                          script.IndexOfLoadedLine(5)}));
}
