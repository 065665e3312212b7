#include "textfile/line_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "textfile/text_helpers.h"

namespace {

using Lines = std::vector<std::string>;

// Every line that Find offers for `probe` when its matcher accepts all.
std::vector<size_t> Offered(const LineList& lines, const std::string& probe) {
  std::string squeezed = SqueezeText(probe);
  std::vector<size_t> offered;
  for (size_t i = lines.Find(squeezed, 0, [](std::string_view) { return true; }); i < lines.size();
       i = lines.Find(
           squeezed, i + 1, [](std::string_view) { return true; }))
    offered.push_back(i);
  return offered;
}

// No line whose squeezed form begins with a probe may be skipped.
void ExpectNoMatchSkipped(const LineList& lines, const char* when) {
  const Lines probes = {"c",
                        "C.",
                        "c.Se",
                        "c.SetA",
                        "End If",
                        "Sub Main()",
                        "c.SetAttrib \"Subject\",",
                        std::string("nul\0", 4)};
  for (const std::string& probe : probes) {
    std::string squeezed = SqueezeText(probe);
    std::vector<size_t> offered = Offered(lines, probe);
    for (size_t i = 0; i < lines.size(); ++i) {
      bool begins = SqueezeText(lines[i]).compare(0, squeezed.size(), squeezed) == 0;
      bool wasOffered = std::find(offered.begin(), offered.end(), i) != offered.end();
      EXPECT_TRUE(!begins || wasOffered) << when << ": line " << i << " for " << probe;
    }
  }
}

const Lines kLines = {
    "",
    "   \t ",
    "c",
    "\tc.SetAttrib \"Subject\", \"12\"",
    "c . s e t a t t r i b \" s u b j e c t \" , 1",
    "sub main ( )",
    "\tEnd  If",
    std::string("nul\0tail", 8),
    std::string("n u l\0", 6),
    "nul",
};

}  // namespace

TEST(LineListFind, NoMatchingLineIsSkipped) {
  LineList lines(kLines);
  ExpectNoMatchSkipped(lines, "as built");
  // Each edit puts a line that matches probes where one that did not stood, and back.
  lines.Replace(0, "c.SetAttrib \"Subject\", 13");
  lines.Replace(3, "x");
  lines.Insert(1, "  Sub Main()");
  lines.Insert(lines.size(), "End If");
  lines.Erase(5, 7);
  lines.push_back(std::string("NUL\0", 4));
  ExpectNoMatchSkipped(lines, "after edits");
}

TEST(LineListFind, OffersOnlyLinesThatBeginAlike) {
  LineList lines;
  for (int i = 0; i < 100; ++i)
    lines.push_back(i % 10 == 3 ? "\tEnd If" : "\tc.Log");
  EXPECT_EQ((std::vector<size_t>{3, 13, 23, 33, 43, 53, 63, 73, 83, 93}), Offered(lines, "ENDIF"));
  auto any = [](std::string_view) { return true; };
  EXPECT_EQ(4u, lines.Find("C.", 3, [](std::string_view line) { return line == "\tc.Log"; }));
  EXPECT_EQ(100u, lines.Find("ENDIF", 94, any));
  EXPECT_EQ(100u, lines.Find("X", 0, any));
}
