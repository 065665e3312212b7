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

TEST(FindAttribLine, PlainAndConditionalForms) {
  EBScript script({
      "\tc.SetAttrib \"SubjectGroup\", 1",                                       // 0
      "If x Then c.SetAttrib \"Subject\", 1",                                    // 1
      "\tc.SetAttrib \"Subject\", 1",                                            // 2
      "C.SETATTRIB \"subject\" ,x",                                              // 3
      "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"",  // 4
      "c.SetAttrib \"MyAttr\", 2",                                               // 5
  });
  struct Row {
    const char* name;
    size_t start;
    AttribForm form;
    std::optional<size_t> expected;
  } rows[] = {
      {"Subject", 0, AttribForm::kPlain, 2},
      {"Subject", 3, AttribForm::kPlain, 3},
      {"Subject", 4, AttribForm::kPlain, None()},
      {"Subject", 0, AttribForm::kConditional, 4},
      {"Subject", 5, AttribForm::kConditional, None()},
      {"subject", 0, AttribForm::kPlain, 2},
      {"My Attr", 0, AttribForm::kPlain, 5},  // both sides are squeezed
      {"Sub", 0, AttribForm::kPlain, None()},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.expected, script.FindAttribLine(row.name, row.start, row.form))
        << row.name << " from " << row.start;
}
