#include "script/plain_text_file.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"

namespace {

using Lines = std::vector<std::string>;

struct Loaded {
  LoadOutcome outcome;
  Lines lines;
  std::string message;
};

// Loads "in.ebs" holding `bytes` from `files`.
Loaded LoadBytes(const std::string& bytes, FakeFileSystem files = FakeFileSystem()) {
  files.files["in.ebs"] = bytes;
  PlainTextFile file(files);
  file.lines = {"left over"};
  Loaded result;
  result.outcome = file.Load("in.ebs", result.message);
  result.lines = file.lines;
  return result;
}

struct Saved {
  bool ok;
  std::string message;
  std::map<std::string, std::string> files;  // what is on disk afterwards
};

// Saves `lines` to "out.ebs" in `files`, where "out.ebs" holds an earlier rewrite.
Saved SaveLines(const Lines& lines, FakeFileSystem files = FakeFileSystem()) {
  files.files["out.ebs"] = "earlier\r\n";
  PlainTextFile file(files);
  file.lines = lines;
  Saved result;
  result.ok = file.Save("out.ebs", result.message);
  result.files = files.files;
  return result;
}

}  // namespace

TEST(PlainTextFileLoad, LineEnds) {
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
    Loaded loaded = LoadBytes(row.bytes);
    EXPECT_EQ(LoadOutcome::kLoaded, loaded.outcome) << loaded.message;
    EXPECT_EQ(row.expected, loaded.lines) << testing::PrintToString(row.bytes);
    EXPECT_EQ("Loaded " + std::to_string(row.expected.size()) + " lines from in.ebs",
              loaded.message);
  }
}

// A line too long, a 0x1A that text follows, and a read error each fail the line they are
// in; the lines before it stay.
TEST(PlainTextFileLoad, FailsAtTheLineThatCannotBeRead) {
  std::string max(1023, 'x');
  FakeFileSystem readError;
  readError.readFailsAt = 6;
  struct Row {
    std::string bytes;
    FakeFileSystem files;
    LoadOutcome outcome;
    size_t linesKept;
  } rows[] = {
      {max, {}, LoadOutcome::kLoaded, 1},
      {max + "\r\n" + max, {}, LoadOutcome::kLoaded, 2},
      {max + "\r", {}, LoadOutcome::kFailed, 0},  // the lone CR is a 1024th character
      {max + "\r\r\n", {}, LoadOutcome::kFailed, 0},
      {"a\nb\nc\nd\n" + max + "y\n", {}, LoadOutcome::kFailed, 4},
      {"a\nb\nc\nd\n" + std::string(200000, 'z'), {}, LoadOutcome::kFailed, 4},
      {"AB\x1A"
       "CD\r\nEF",
       {},
       LoadOutcome::kFailed,
       0},
      {"A\r\nB\r\n\x1A\r\n\tC", {}, LoadOutcome::kFailed, 2},
      {"A\r\nB\r\nC\r\n", readError, LoadOutcome::kFailed, 2},
      {std::string("\xFF\xFE<\0", 4), {}, LoadOutcome::kUtf16, 0},
      {std::string("\xFE\xFF\0<", 4), {}, LoadOutcome::kUtf16, 0},
  };
  for (Row& row : rows) {
    Loaded loaded = LoadBytes(row.bytes, row.files);
    EXPECT_EQ(row.outcome, loaded.outcome) << row.bytes.size();
    EXPECT_EQ(row.linesKept, loaded.lines.size()) << row.bytes.size();
    if (row.outcome == LoadOutcome::kFailed) {
      EXPECT_EQ("Couldn't load line " + std::to_string(row.linesKept + 1) + " from in.ebs",
                loaded.message);
    }
  }
}

TEST(PlainTextFileLoad, MissingFileEmptiesLines) {
  FakeFileSystem files;
  PlainTextFile file(files);
  file.lines = {"old"};
  std::string message;
  EXPECT_EQ(LoadOutcome::kFailed, file.Load("missing.ebs", message));
  EXPECT_EQ("Couldn't open missing.ebs", message);
  EXPECT_TRUE(file.lines.empty());
}

TEST(PlainTextFileSave, WritesCrLfAfterEveryLine) {
  struct Row {
    Lines lines;
    std::string bytes;
  } rows[] = {
      {{"A", "B"}, "A\r\nB\r\n"},
      {{"A\r"}, "A\r\r\n"},
      {{"a\nb"}, "a\r\nb\r\n"},
      {{""}, "\r\n"},
      {{}, ""},
      {{std::string("x\0y", 3)}, std::string("x\0y\r\n", 5)},
  };
  for (const Row& row : rows) {
    Saved saved = SaveLines(row.lines);
    EXPECT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ("Saved " + std::to_string(row.lines.size()) + " lines in out.ebs", saved.message);
    EXPECT_EQ((std::map<std::string, std::string>{{"out.ebs", row.bytes}}), saved.files);
  }
}

// Each step that can fail leaves the earlier rewrite as it was; a short write names the
// first line that did not reach the disk whole.
TEST(PlainTextFileSave, FailuresKeepWhatStoodThere) {
  Lines lines;
  for (int i = 0; i < 3000; ++i) {  // 126,300 bytes
    lines.push_back("line " + std::to_string(i));
    lines.back().resize(39, '.');
    lines.back() += i % 10 == 9 ? '\n' : '.';  // an LF takes one byte more
  }
  auto diskOf = [](size_t bytes) {
    FakeFileSystem files;
    files.diskSpace = bytes;
    return files;
  };
  FakeFileSystem cannotCreate, readOnly, closeFails, renameFails, held;
  cannotCreate.failOpen = true;
  readOnly.readOnly.insert("out.ebs");
  closeFails.failClose = true;
  renameFails.failRename = true;
  held.held.insert("out.ebs");
  struct Row {
    FakeFileSystem files;
    std::string message;
  } rows[] = {
      {cannotCreate, "Couldn't open out.ebs"},
      {readOnly, "Couldn't open out.ebs"},
      {diskOf(0), "Couldn't write line 1 to out.ebs"},
      {diskOf(41), "Couldn't write line 1 to out.ebs"},
      {diskOf(42), "Couldn't write line 2 to out.ebs"},
      {diskOf(65536), "Couldn't write line 1557 to out.ebs"},
      {diskOf(126299), "Couldn't write line 3000 to out.ebs"},
      {closeFails, "Couldn't write line 3000 to out.ebs"},
      {renameFails, "Couldn't open out.ebs"},
      {held, "Couldn't replace out.ebs: another run is using it"},
  };
  for (Row& row : rows) {
    Saved saved = SaveLines(lines, row.files);
    EXPECT_FALSE(saved.ok) << row.message;
    EXPECT_EQ(row.message, saved.message);
    EXPECT_EQ((std::map<std::string, std::string>{{"out.ebs", "earlier\r\n"}}), saved.files)
        << row.message;
  }
  EXPECT_TRUE(SaveLines(lines, diskOf(126300)).ok);
  EXPECT_EQ("Couldn't open out.ebs", SaveLines({}, closeFails).message);  // no line to name
}
