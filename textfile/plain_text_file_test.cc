#include "textfile/plain_text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

// Loads `bytes` from a fresh file; returns the lines, the result and the report.
struct Loaded {
  bool ok;
  Lines lines;
  std::string message;
};

Loaded LoadBytes(const TempDir& dir, const std::string& bytes) {
  std::string path = dir.Path("in.ebs");
  WriteBytes(path, bytes);
  PlainTextFile file;
  Loaded result;
  result.ok = file.Load(path, result.message);
  result.lines = file.lines.ToVector();
  return result;
}

std::string SaveLines(const TempDir& dir, const Lines& lines) {
  PlainTextFile file;
  file.lines = lines;
  std::string message;
  std::string path = dir.Path("out.ebs");
  EXPECT_TRUE(file.Save(path, message)) << message;
  return ReadBytes(path);
}

// Closes the saved file and then reports a failure, as a close that could not write
// buffered bytes would.
class CloseFails : public PlainTextFile {
  bool CloseSaved(std::FILE* file) const override {
    std::fclose(file);
    return false;
  }
};

}  // namespace

TEST(PlainTextFileLoad, LineEnds) {
  TempDir dir;
  struct Row {
    std::string bytes;
    Lines expected;
  } rows[] = {
      {"", {}},
      {"A\r\nB\r\n", {"A", "B"}},
      {"A\r\nB", {"A", "B"}},
      {"A\r\n\r\n", {"A", ""}},
      {"A\nB\n", {"A", "B"}},
      {"A\r\r\nB", {"A\r", "B"}},
      {"A\rB\r", {"A\rB\r"}},
      {"\n\n", {"", ""}},
      {"AB\x1A\r\n\x1A\n", {"AB"}},
      {"A\r\n\x1A", {"A"}},
      {"\xEF\xBB\xBF"
       "A\xFF\xFE",
       {"\xEF\xBB\xBF"
        "A\xFF\xFE"}},
      {std::string("A\0B\r\nC", 6), {std::string("A\0B", 3), "C"}},
  };
  for (const Row& row : rows) {
    Loaded loaded = LoadBytes(dir, row.bytes);
    EXPECT_TRUE(loaded.ok) << loaded.message;
    EXPECT_EQ(row.expected, loaded.lines) << testing::PrintToString(row.bytes);
    EXPECT_EQ("Loaded " + std::to_string(row.expected.size()) + " lines from " + dir.Path("in.ebs"),
              loaded.message);
  }
}

TEST(PlainTextFileLoad, LineLengthLimit) {
  TempDir dir;
  std::string max(1023, 'x');
  struct Row {
    std::string bytes;
    bool ok;
    size_t linesKept;
  } rows[] = {
      {max, true, 1},
      {max + "\r\n", true, 1},
      {max + "\n" + max, true, 2},
      {max + "\r", false, 0},  // the lone CR is a 1024th character
      {max + "\r\r\n", false, 0},
      {"a\nb\nc\nd\n" + max + "y\n", false, 4},
      {"a\nb\nc\nd\n" + std::string(200000, 'z'), false, 4},
  };
  for (const Row& row : rows) {
    Loaded loaded = LoadBytes(dir, row.bytes);
    EXPECT_EQ(row.ok, loaded.ok) << row.bytes.size();
    EXPECT_EQ(row.linesKept, loaded.lines.size());
    if (!row.ok) {
      EXPECT_EQ(
          "Couldn't load line " + std::to_string(row.linesKept + 1) + " from " + dir.Path("in.ebs"),
          loaded.message);
    }
  }
}

TEST(PlainTextFileLoad, TextAfterA0x1AOrUtf16Fails) {
  TempDir dir;
  std::string notText = "Couldn't load " + dir.Path("in.ebs") +
                        ": not an E-Basic text script (scripts of E-Prime 2 and later cannot be "
                        "rewritten)";
  struct Row {
    std::string bytes;
    size_t linesKept;
    std::string message;
  } rows[] = {
      {"AB\x1A"
       "CD\r\nEF",
       0, "Couldn't load line 1 from " + dir.Path("in.ebs")},
      {"A\r\nB\r\n\x1A\r\n\tC", 2, "Couldn't load line 3 from " + dir.Path("in.ebs")},
      {std::string("\xFF\xFE<\0?\0", 6), 0, notText},
      {std::string("\xFE\xFF\0<\0?\0\r\0\n", 10), 0, notText},
  };
  for (const Row& row : rows) {
    Loaded loaded = LoadBytes(dir, row.bytes);
    EXPECT_FALSE(loaded.ok) << testing::PrintToString(row.bytes);
    EXPECT_EQ(row.linesKept, loaded.lines.size());
    EXPECT_EQ(row.message, loaded.message);
  }
}

TEST(PlainTextFileLoad, LinesAcrossReadBlocks) {
  TempDir dir;
  std::string bytes;
  Lines expected;
  for (int i = 0; i < 20000; ++i) {
    std::string line = "line " + std::to_string(i) + std::string(i % 37, '.');
    expected.push_back(line);
    bytes += line + (i % 3 == 0 ? "\n" : "\r\n");
  }
  Loaded loaded = LoadBytes(dir, bytes);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(expected, loaded.lines);
}

TEST(PlainTextFileLoad, MissingFileOrFolderEmptiesLines) {
  TempDir dir;
  PlainTextFile file;
  file.lines = {"old"};
  std::string message;
  EXPECT_FALSE(file.Load(dir.Path("missing.ebs"), message));
  EXPECT_EQ("Couldn't open " + dir.Path("missing.ebs"), message);
  EXPECT_TRUE(file.lines.empty());

  std::filesystem::create_directory(dir.Path("folder.ebs"));
  EXPECT_FALSE(file.Load(dir.Path("folder.ebs"), message));
  EXPECT_EQ("Couldn't open " + dir.Path("folder.ebs"), message);
}

TEST(PlainTextFileSave, WritesCrLfAfterEveryLine) {
  TempDir dir;
  EXPECT_EQ("A\r\nB\r\n", SaveLines(dir, {"A", "B"}));
  EXPECT_EQ("A\r\r\n", SaveLines(dir, {"A\r"}));
  EXPECT_EQ("a\r\nb\r\n", SaveLines(dir, {"a\nb"}));
  EXPECT_EQ("\r\n", SaveLines(dir, {""}));
  EXPECT_EQ("", SaveLines(dir, {}));
  EXPECT_EQ(std::string("x\0y\r\n", 5), SaveLines(dir, {std::string("x\0y", 3)}));
}

TEST(PlainTextFileSave, LoadedLinesAsTheyNowStand) {
  // Erased lines stay in the block that was read; every line goes out with CR LF,
  // whatever it was read with.
  TempDir dir;
  WriteBytes(dir.Path("in.ebs"), "a\r\nb\r\nc\r\nd\ne");
  PlainTextFile file;
  std::string message;
  ASSERT_TRUE(file.Load(dir.Path("in.ebs"), message));
  file.lines.Erase(1, 2);
  ASSERT_TRUE(file.Save(dir.Path("out.ebs"), message));
  EXPECT_EQ("a\r\nc\r\nd\r\ne\r\n", ReadBytes(dir.Path("out.ebs")));
}

TEST(PlainTextFileSave, ReportsAndLeavesNoTemporaryFile) {
  TempDir dir;
  PlainTextFile file;
  file.lines = {"1", "2", "3"};
  std::string message;
  ASSERT_TRUE(file.Save(dir.Path("out.ebs"), message));
  EXPECT_EQ("Saved 3 lines in " + dir.Path("out.ebs"), message);
  EXPECT_EQ(Lines{"out.ebs"}, FolderEntries(dir.path()));
}

TEST(PlainTextFileSave, RoundTripKeepsLines) {
  TempDir dir;
  Lines lines = {"first",      "\tindented",           "", "trailing blank ",
                 "cr\rinside", std::string(1023, 'm'), ""};
  PlainTextFile out;
  out.lines = lines;
  std::string saveMessage, loadMessage;
  ASSERT_TRUE(out.Save(dir.Path("r.ebs"), saveMessage));
  PlainTextFile in;
  ASSERT_TRUE(in.Load(dir.Path("r.ebs"), loadMessage));
  EXPECT_EQ(lines, in.lines);
  EXPECT_EQ("Loaded 7 lines from " + dir.Path("r.ebs"), loadMessage);
}

TEST(PlainTextFileSave, FailuresKeepWhatStoodThere) {
  TempDir dir;
  PlainTextFile file;
  file.lines = {"new"};
  std::string message;

  std::string missingFolder = dir.Path("no-such-folder/out.ebs");
  EXPECT_FALSE(file.Save(missingFolder, message));
  EXPECT_EQ("Couldn't open " + missingFolder, message);

  std::string folder = dir.Path("taken.ebs");
  std::filesystem::create_directory(folder);
  EXPECT_FALSE(file.Save(folder, message));
  EXPECT_EQ("Couldn't open " + folder, message);
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  std::string readOnly = dir.Path("readonly.ebs");
  WriteBytes(readOnly, "old\r\n");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
  EXPECT_FALSE(file.Save(readOnly, message));
  EXPECT_EQ("Couldn't open " + readOnly, message);
  EXPECT_EQ("old\r\n", ReadBytes(readOnly));

  EXPECT_EQ((Lines{"readonly.ebs", "taken.ebs"}), FolderEntries(dir.path()));
}

TEST(PlainTextFileSave, FailedCloseKeepsTheEarlierFile) {
  TempDir dir;
  std::string path = dir.Path("out.ebs");
  WriteBytes(path, "earlier\r\n");
  CloseFails file;
  file.lines = {"a", "b"};
  std::string message;
  EXPECT_FALSE(file.Save(path, message));
  EXPECT_EQ("Couldn't write line 2 to " + path, message);
  EXPECT_EQ("earlier\r\n", ReadBytes(path));
  EXPECT_EQ(Lines{"out.ebs"}, FolderEntries(dir.path()));
}

#ifndef _WIN32
TEST(PlainTextFileSave, ReplacesLinkInsteadOfFollowingIt) {
  TempDir dir;
  WriteBytes(dir.Path("input.ebs"), "original\r\n");
  std::filesystem::create_symlink(dir.Path("input.ebs"), dir.Path("out.ebs"));
  PlainTextFile file;
  file.lines = {"rewritten"};
  std::string message;
  ASSERT_TRUE(file.Save(dir.Path("out.ebs"), message));
  EXPECT_EQ("original\r\n", ReadBytes(dir.Path("input.ebs")));
  EXPECT_EQ("rewritten\r\n", ReadBytes(dir.Path("out.ebs")));
  EXPECT_FALSE(std::filesystem::is_symlink(dir.Path("out.ebs")));
}
#endif
