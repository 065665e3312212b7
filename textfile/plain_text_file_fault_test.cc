// Load and Save on hostile ground: a disk that fills up part-way, inputs that are not
// regular files, and very large inputs.

#include "textfile/plain_text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#endif

namespace {

using Lines = std::vector<std::string>;

struct Outcome {
  bool ok;
  size_t lineCount;
  std::string message;
};

Outcome LoadPath(const std::string& path) {
  PlainTextFile file;
  file.lines = {"left over"};
  Outcome outcome;
  outcome.ok = file.Load(path, outcome.message);
  outcome.lineCount = file.lines.size();
  return outcome;
}

}  // namespace

TEST(PlainTextFileLargeInput, Loads) {
  TempDir dir;
  std::string longLine(PlainTextFile::kMaxLineLength, 'L');
  std::string many;
  for (int i = 0; i < 300000; ++i)
    many += "\tc.SetAttrib \"Line\", \"" + std::to_string(i) + "\"\r\n";
  struct Row {
    const char* name;
    std::string bytes;
    size_t lineCount;
  } rows[] = {
      {"many lines", many, 300000},
      {"longest lines",
       [&] {
         std::string bytes;
         for (int i = 0; i < 4000; ++i)
           bytes += longLine + (i % 2 ? "\r\n" : "\n");
         return bytes;
       }(),
       4000},
      {"LF only", std::string(1000000, '\n'), 1000000},
      {"CR LF only",
       [] {
         std::string bytes;
         for (int i = 0; i < 500000; ++i)
           bytes += "\r\n";
         return bytes;
       }(),
       500000},
      {"0x1A only", std::string(1000000, '\x1A'), 0},
  };
  for (const Row& row : rows) {
    std::string path = dir.Path("big.ebs");
    WriteBytes(path, row.bytes);
    Outcome outcome = LoadPath(path);
    EXPECT_TRUE(outcome.ok) << row.name << ": " << outcome.message;
    EXPECT_EQ(row.lineCount, outcome.lineCount) << row.name;
  }
}

TEST(PlainTextFileLargeInput, SavesWhatItLoaded) {
  TempDir dir;
  std::string bytes;
  for (int i = 0; i < 200000; ++i)
    bytes += "line " + std::to_string(i) + std::string(i % 97, i % 2 ? ' ' : '.') + "\r\n";
  WriteBytes(dir.Path("in.ebs"), bytes);
  PlainTextFile file;
  std::string message;
  ASSERT_TRUE(file.Load(dir.Path("in.ebs"), message));
  ASSERT_TRUE(file.Save(dir.Path("out.ebs"), message)) << message;
  EXPECT_EQ("Saved 200000 lines in " + dir.Path("out.ebs"), message);
  EXPECT_TRUE(bytes == ReadBytes(dir.Path("out.ebs")));
}

#ifndef _WIN32

// A device or a pipe could block or never end: only a disk file is read.
TEST(PlainTextFileSpecialInput, DevicesAndPipesAreRefused) {
  TempDir dir;
  std::string pipe = dir.Path("pipe.ebs");
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  for (const std::string& path : {std::string("/dev/null"), std::string("/dev/zero"), pipe}) {
    Outcome outcome = LoadPath(path);
    EXPECT_FALSE(outcome.ok) << path;
    EXPECT_EQ("Couldn't open " + path, outcome.message);
  }
}

// Files of the kernel's own that give their size as 0 but hold bytes: the first read
// stops short of their end, and a read can fail.
TEST(PlainTextFileSpecialInput, FilesOfNoKnownSize) {
  // Opens, but reading it at offset 0 fails.
  EXPECT_EQ("Couldn't load line 1 from /proc/self/mem", LoadPath("/proc/self/mem").message);

  // A process's environment: a 0x1A, more line ends than the first read takes, then the
  // NUL byte that ends the variable.
  std::string variable = "A=1\r\n\x1A" + std::string(100000, '\n');
  char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("60"), nullptr};
  char* envp[] = {variable.data(), nullptr};
  pid_t child;
  ASSERT_EQ(0, posix_spawn(&child, "/bin/sleep", nullptr, nullptr, argv, envp));
  std::string path = "/proc/" + std::to_string(child) + "/environ";
  // The environment shows once the child has started the program.
  for (int wait = 0; wait < 5000 && ReadBytes(path).empty(); ++wait)
    usleep(1000);
  Outcome outcome = LoadPath(path);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_EQ("Couldn't load line 2 from " + path, outcome.message);
}

// Saves `file` to `path` in a child process whose files may not grow beyond `limit`
// bytes, as on a full disk. The child ignores SIGXFSZ, so writes fail with EFBIG.
Outcome SaveUnderLimit(const PlainTextFile& file, const std::string& path, rlim_t limit) {
  int channel[2];
  if (pipe(channel) != 0)
    return {false, 0, "<no pipe>"};
  pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    struct rlimit fileSize = {limit, limit};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    signal(SIGXFSZ, SIG_IGN);
    std::string message;
    std::string report = (file.Save(path, message) ? "1" : "0") + message;
    ssize_t ignored = write(channel[1], report.data(), report.size());
    (void)ignored;
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char block[512];
  ssize_t count;
  while ((count = read(channel[0], block, sizeof block)) > 0)
    report.append(block, static_cast<size_t>(count));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (report.empty() || !WIFEXITED(status))
    return {false, 0, "<child failed>"};
  return {report[0] == '1', file.lines.size(), report.substr(1)};
}

// Saves `file` under limits from none to one byte short, each time expecting the report
// of the first line that did not fit, and the earlier file kept.
void ExpectFullDiskReports(const PlainTextFile& file, const char* what) {
  std::vector<size_t> ends;  // the file size after each line
  size_t size = 0;
  for (size_t i = 0; i < file.lines.size(); ++i) {
    std::string_view line = file.lines[i];
    size += line.size() + 2 + static_cast<size_t>(std::count(line.begin(), line.end(), '\n'));
    ends.push_back(size);
  }
  auto lineAt = [&](size_t limit) {
    size_t line = 0;
    while (ends[line] <= limit)
      ++line;
    return line + 1;
  };
  const std::string earlier = "earlier\r\nrewrite\r\n";
  const size_t limits[] = {0, 1, 41, 42, 43, 65535, 65536, 65537, size / 2, size - 1};
  for (size_t limit : limits) {
    TempDir dir;
    std::string path = dir.Path("x_tarvo.ebs");
    WriteBytes(path, earlier);
    Outcome outcome = SaveUnderLimit(file, path, limit);
    EXPECT_FALSE(outcome.ok) << what << limit;
    EXPECT_EQ("Couldn't write line " + std::to_string(lineAt(limit)) + " to " + path,
              outcome.message)
        << what << limit;
    EXPECT_EQ(earlier, ReadBytes(path)) << what << limit;
    EXPECT_EQ(Lines{"x_tarvo.ebs"}, FolderEntries(dir.path())) << what << limit;
  }

  TempDir dir;
  Outcome fits = SaveUnderLimit(file, dir.Path("x_tarvo.ebs"), size);
  EXPECT_TRUE(fits.ok) << what << fits.message;
  EXPECT_EQ(size, ReadBytes(dir.Path("x_tarvo.ebs")).size()) << what;
}

TEST(PlainTextFileFullDisk, ReportsTheLineThatDidNotFitAndKeepsTheEarlierFile) {
  // Lines of 40 bytes and 42 on disk; every tenth holds an LF, which takes one more.
  // 3000 of them need more than one 64 KiB write.
  PlainTextFile edited;
  for (int i = 0; i < 3000; ++i) {
    std::string line = "line " + std::to_string(i);
    line.resize(40, i % 10 == 9 ? '\n' : '.');
    edited.lines.push_back(line);
  }
  ExpectFullDiskReports(edited, "limit ");
}

TEST(PlainTextFileOutputPath, LinksAreReplacedNeverFollowed) {
  TempDir dir;
  WriteBytes(dir.Path("input.ebs"), "original\r\n");
  std::filesystem::create_directory(dir.Path("folder"));
  struct Row {
    const char* name;
    void (*make)(const TempDir& dir, const std::string& out);
  } rows[] = {
      {"hard link to the input",
       [](const TempDir& d, const std::string& out) {
         std::filesystem::create_hard_link(d.Path("input.ebs"), out);
       }},
      {"link to nothing",
       [](const TempDir& d, const std::string& out) {
         std::filesystem::create_symlink(d.Path("folder/missing.ebs"), out);
       }},
      {"link to a folder",
       [](const TempDir& d, const std::string& out) {
         std::filesystem::create_directory_symlink(d.Path("folder"), out);
       }},
  };
  for (const Row& row : rows) {
    std::string out = dir.Path("out_tarvo.ebs");
    row.make(dir, out);
    PlainTextFile file;
    file.lines = {"rewritten"};
    std::string message;
    EXPECT_TRUE(file.Save(out, message)) << row.name << ": " << message;
    EXPECT_EQ("rewritten\r\n", ReadBytes(out)) << row.name;
    EXPECT_FALSE(std::filesystem::is_symlink(out)) << row.name;
    EXPECT_EQ("original\r\n", ReadBytes(dir.Path("input.ebs"))) << row.name;
    EXPECT_TRUE(FolderEntries(dir.Path("folder")).empty()) << row.name;
    EXPECT_EQ((Lines{"folder", "input.ebs", "out_tarvo.ebs"}), FolderEntries(dir.path()))
        << row.name;
    std::filesystem::remove(out);
  }
}

#endif  // !_WIN32
