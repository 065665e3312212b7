#include "textfile/line_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "test_support.h"
#include "textfile/text_helpers.h"

namespace {

using Lines = std::vector<std::string>;

// Every line that NextCandidate offers for `probe`, from the first line on.
std::set<size_t> Candidates(const LineList& lines, const std::string& probe) {
  std::string squeezed = SqueezeText(probe, true);
  LeadProbe lead(squeezed);
  std::set<size_t> found;
  for (size_t i = lines.NextCandidate(lead, 0); i < lines.size();
       i = lines.NextCandidate(lead, i + 1))
    found.insert(i);
  return found;
}

// Checks that no line whose squeezed form begins with a probe is ever skipped.
void ExpectNoMatchSkipped(const LineList& lines, const Lines& probes, const char* when) {
  for (const std::string& probe : probes) {
    std::string squeezed = SqueezeText(probe, true);
    std::set<size_t> candidates = Candidates(lines, probe);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (SqueezeText(lines[i], true).compare(0, squeezed.size(), squeezed) == 0) {
        EXPECT_EQ(1u, candidates.count(i)) << when << ": line " << i << " for " << probe;
      }
    }
  }
}

const Lines kProbes = {
    "c",
    "C.",
    "c.S",
    "c.Se",
    "c.SetA",
    "End If",
    "Sub Main()",
    "c.SetAttrib \"A\",",
    "c.SetAttrib \"S",
    "c.SetAttrib \"Su",  // exactly as long as the digested part
    "c.SetAttrib \"Sub",
    "c.SetAttrib \"Subject\",",
    "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\",",
    "StartupInfoPrompt_Subject",
    std::string("nul\0", 4),
};

const Lines kLines = {
    "",
    "   \t ",
    "c",
    "C",
    "\tc.SetAttrib \"Subject\", \"12\"",
    "c . s e t a t t r i b \" s u b j e c t \" , 1",  // blanks everywhere
    "\tc.SetAttrib \"Su\"",
    "\tc.SetAttrib \"Sub\", 1",
    "\tc.SetAttrib \"A\", 1",
    "\tc.SetAttrib \"Stimulus.RT\", x",
    "If Not c.AttribExists(\"Subject\") Then c.SetAttrib \"Subject\", \"1\"",
    "StartupInfoPrompt_Subject",
    "StartupInfoPrompt_SubjectGroup",
    "sub main ( )",
    "\tEnd  If",
    "endif",
    std::string("nul\0tail", 8),
    std::string("n u l\0", 6),
    "nul",
};

// A list loaded the way Load does it: `bytes` as the block, a line for each
// {offset, length} of `spans`.
LineList Loaded(std::string_view bytes, const std::vector<std::pair<size_t, size_t>>& spans) {
  std::shared_ptr<char[]> block(new char[bytes.size()]);
  std::memcpy(block.get(), bytes.data(), bytes.size());
  LineList lines;
  lines.StartLoading(block);
  for (auto [offset, length] : spans)
    lines.AppendLoaded(offset, length);
  return lines;
}

}  // namespace

TEST(LineListSearch, NoMatchingLineIsSkipped) {
  LineList lines(kLines);
  ExpectNoMatchSkipped(lines, kProbes, "as built");
}

TEST(LineListSearch, KeysFollowEveryEdit) {
  LineList lines(kLines);
  // Each edit puts a line that matches probes where one that did not stood, and back.
  lines.Replace(0, "c.SetAttrib \"Subject\", 13");
  lines.Replace(4, "x");
  lines.Insert(1, "  StartupInfoPrompt_Subject");
  lines.Insert(lines.size(), "End If");
  lines.Erase(6, 9);
  lines.Replace(0, "sub main()");
  lines.push_back(std::string("NUL\0", 4));
  ExpectNoMatchSkipped(lines, kProbes, "after edits");
}

TEST(LineListSearch, LongProbeSkipsLinesThatStartOtherwise) {
  // A search for an attribute that is not there must not compare every assignment of
  // other attributes in full: the digest tells them apart.
  LineList lines;
  for (int i = 0; i < 2000; ++i)
    lines.push_back("\tc.SetAttrib \"Stimulus" + std::to_string(i) + ".RT\", x");
  EXPECT_LE(Candidates(lines, "c.SetAttrib \"Absent01\",").size(), 2u);
  EXPECT_EQ(2000u, Candidates(lines, "c.SetAttrib").size());
}

TEST(LineListLoaded, CopiesShareTheBlockButNotTheirEdits) {
  LineList original = Loaded("one\r\ntwo\r\n", {{0, 3}, {5, 3}});
  original.push_back("added");

  LineList copy;
  copy = original;
  LineList again(copy);
  copy.Replace(0, "first");
  EXPECT_EQ((Lines{"first", "two", "added"}), copy);
  EXPECT_EQ(original[1].data(), copy[1].data());
  EXPECT_NE(original[2].data(), copy[2].data());
  EXPECT_NE(copy[2].data(), again[2].data());
  original.clear();
  EXPECT_EQ((Lines{"one", "two", "added"}), again);
}
