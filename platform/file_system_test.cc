#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifndef _WIN32
TEST(GetFullPath, ResolvesAndNormalisesLexically) {
  TempDir dir;
  std::string cwd = std::filesystem::current_path().string();
  struct Row {
    std::string path;
    std::string expected;
  } rows[] = {
      {"/a/b/../c/./d_tarvo.ebs", "/a/c/d_tarvo.ebs"},
      {"//a///b", "/a/b"},
      {"/../../x", "/x"},
      {"x_tarvo.ebs", cwd + "/x_tarvo.ebs"},
      {"./sub/../x", cwd + "/x"},
  };
  for (const Row& row : rows) {
    std::string full;
    ASSERT_TRUE(GetFullPath(row.path, &full)) << row.path;
    EXPECT_EQ(row.expected, full);
  }
}

TEST(GetFullPath, FailsAbove259Characters) {
  std::string full;
  std::string fits = "/" + std::string(258, 'a');
  EXPECT_TRUE(GetFullPath(fits, &full));
  EXPECT_FALSE(GetFullPath(fits + "b", &full));
  EXPECT_TRUE(GetFullPath(fits + "b/..", &full));  // normalised first
}
#else
TEST(GetFullPath, ResolvesAgainstCurrentDirectory) {
  std::string full;
  ASSERT_TRUE(GetFullPath("C:\\a\\b\\..\\c_tarvo.ebs", &full));
  EXPECT_EQ("C:\\a\\c_tarvo.ebs", full);
  EXPECT_FALSE(GetFullPath("C:\\" + std::string(260, 'a'), &full));
}
#endif

WriteOutcome Write(const std::string& target, const std::string& bytes, FileHold* hold) {
  size_t written = 0;
  return RealFileSystem().WriteFile(target, bytes, hold, &written);
}

// The new file goes again when it cannot take the target's place.
TEST(WriteFile, LeavesNoNewFileWhenItFails) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path("x_tarvo.ebs"));
  EXPECT_EQ(WriteOutcome::kFailed, Write(dir.Path("x_tarvo.ebs"), "new", nullptr));
  EXPECT_EQ(std::vector<std::string>{"x_tarvo.ebs"}, FolderEntries(dir.path()));
}

TEST(FileHold, NoOtherRunReplacesAHeldFile) {
  TempDir dir;
  std::string target = dir.Path("x_tarvo.ebs");
  FileHold hold;
  ASSERT_EQ(WriteOutcome::kWritten, Write(target, "first", &hold));
  FileHold other;
  EXPECT_EQ(WriteOutcome::kHeld, Write(target, "second", &other));
  EXPECT_EQ(WriteOutcome::kHeld, Write(target, "dry run", nullptr));
  // Held, the file can still be read, as E-Run must.
  EXPECT_EQ("first", ReadBytes(target));
  EXPECT_EQ(std::vector<std::string>{"x_tarvo.ebs"}, FolderEntries(dir.path()));
  hold.Release();
  EXPECT_EQ(WriteOutcome::kWritten, Write(target, "second", nullptr));
  EXPECT_EQ("second", ReadBytes(target));
}

#ifndef _WIN32
int g_interrupt = 0;

void RaiseInterrupt(int) {
  raise(g_interrupt);
}

// A full disk stops the write (here the file size limit, whose SIGXFSZ stands in for it);
// an interrupt during the write removes the new file, while a signal that the caller
// ignores (nohup, a background job) stays ignored and the write fails as on a full disk.
// Each case runs in a fresh process, where no handler has been installed yet, and writes
// into a folder named after the test's own process.
TEST(WriteFile, AFullDiskOrAnInterruptLeavesNoNewFile) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto folderOf = [](pid_t test) {
    return std::filesystem::temp_directory_path().string() + "/tarvo-interrupt-" +
           std::to_string(test);
  };
  auto writeUntilFull = [&](int signalNumber, bool ignored) {
    // As the test program found it, the signal may be ignored already (a background job).
    signal(signalNumber, ignored ? SIG_IGN : SIG_DFL);
    g_interrupt = signalNumber;
    signal(SIGXFSZ, RaiseInterrupt);
    std::filesystem::create_directory(folderOf(getppid()));
    rlimit limit = {4, 4};
    setrlimit(RLIMIT_FSIZE, &limit);
    size_t written = 0;
    WriteOutcome outcome = RealFileSystem().WriteFile(folderOf(getppid()) + "/x_tarvo.ebs",
                                                      "more than four", nullptr, &written);
    std::_Exit(outcome == WriteOutcome::kIncomplete && written == 4 ? 7 : 8);
  };
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    EXPECT_EXIT(writeUntilFull(signalNumber, false), testing::KilledBySignal(signalNumber), "");
    EXPECT_EXIT(writeUntilFull(signalNumber, true), testing::ExitedWithCode(7), "");
  }
  EXPECT_EQ(std::vector<std::string>(), FolderEntries(folderOf(getpid())));
  std::filesystem::remove_all(folderOf(getpid()));
}

// The check whether the target is held and the rename are one step under a lock of the
// folder, so two runs cannot both find the target free.
TEST(FileHold, ReplaceWaitsForTheFolderLock) {
  TempDir dir;
  int folder = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_EQ(0, flock(folder, LOCK_EX));
  std::thread other([&] { Write(dir.Path("x_tarvo.ebs"), "other", nullptr); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Exists(dir.Path("x_tarvo.ebs")));
  close(folder);
  other.join();
  EXPECT_EQ("other", ReadBytes(dir.Path("x_tarvo.ebs")));
}
#endif

// Each turn reads the rows so far and appends the next number while holding the lock, as
// the journal's guard does; runs that did not take turns would write a number twice.
TEST(LockedFile, RunsTakeTurnsToReadAndAppend) {
  TempDir dir;
  std::string path = dir.Path("journal.csv");
  auto run = [&] {
    for (int turn = 0; turn < 20; ++turn) {
      std::unique_ptr<LockedFile> file;
      uint64_t size = 0;
      std::string content(1000, '\0');
      size_t count = 0;
      if (RealFileSystem().OpenLocked(path, LockFor::kAppending, &file) != LockOutcome::kLocked ||
          !file->Size(&size) || !file->ReadAt(0, &content[0], content.size(), &count) ||
          count != size)
        return;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      file->Append(std::to_string(std::count(content.begin(), content.end(), '\n')) + "\n");
    }
  };
  std::thread other(run);
  run();
  other.join();
  std::string expected;
  for (int row = 0; row < 40; ++row)
    expected += std::to_string(row) + "\n";
  EXPECT_EQ(expected, ReadBytes(path));
}

#ifdef _WIN32
TEST(LockedFile, InUseWhileAProgramSharesNoWriting) {
  TempDir dir;
  std::string path = dir.Path("journal.csv");
  HANDLE spreadsheet = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, spreadsheet);
  std::unique_ptr<LockedFile> file;
  EXPECT_EQ(LockOutcome::kInUse, RealFileSystem().OpenLocked(path, LockFor::kAppending, &file));
  CloseHandle(spreadsheet);
  EXPECT_EQ(LockOutcome::kLocked, RealFileSystem().OpenLocked(path, LockFor::kAppending, &file));
}

// A program that has the file open for a moment, sharing everything (a virus scanner, a
// look at the file's identity), keeps Windows from replacing it until it lets go.
TEST(WriteFile, WaitsForAGlanceAtTheTarget) {
  TempDir dir;
  std::string path = dir.Path("journal.html");
  WriteBytes(path, "old");
  HANDLE glance =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, glance);
  std::thread letGo([glance] {
    Sleep(100);
    CloseHandle(glance);
  });
  EXPECT_EQ(WriteOutcome::kWritten, Write(path, "new", nullptr));
  letGo.join();
  EXPECT_EQ("new", ReadBytes(path));
}
#else
// A write that fills the disk halfway is cut back, so no part of a row is left behind.
TEST(LockedFile, AShortAppendLeavesNothing) {
  TempDir dir;
  std::string path = dir.Path("journal.csv");
  WriteBytes(path, "row\n");
  auto appendBeyondTheLimit = [&] {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {8, 8};  // room for 4 more bytes
    setrlimit(RLIMIT_FSIZE, &limit);
    std::unique_ptr<LockedFile> file;
    RealFileSystem().OpenLocked(path, LockFor::kAppending, &file);
    std::_Exit(file && !file->Append("next row\n") ? 0 : 1);
  };
  EXPECT_EXIT(appendBeyondTheLimit(), testing::ExitedWithCode(0), "");
  EXPECT_EQ("row\n", ReadBytes(path));
}
#endif

// An aborted session's data file is moved aside under a free name only: a file that has the
// name already, another aborted session's, stays as it is, and so does the one not moved.
TEST(MoveWithoutReplacing, NeverReplaces) {
  TempDir dir;
  WriteBytes(dir.Path("x.txt"), "aborted");
  WriteBytes(dir.Path("x.aborted-1.txt"), "earlier");
  FileSystem& files = RealFileSystem();
  EXPECT_EQ(MoveOutcome::kTaken,
            files.MoveWithoutReplacing(dir.Path("x.txt"), dir.Path("x.aborted-1.txt")));
  EXPECT_EQ(MoveOutcome::kMoved,
            files.MoveWithoutReplacing(dir.Path("x.txt"), dir.Path("x.aborted-2.txt")));
  EXPECT_EQ(MoveOutcome::kFailed,
            files.MoveWithoutReplacing(dir.Path("x.txt"), dir.Path("x.aborted-3.txt")));
  EXPECT_EQ((std::vector<std::string>{"x.aborted-1.txt", "x.aborted-2.txt"}),
            FolderEntries(dir.path()));
  EXPECT_EQ("earlier", ReadBytes(dir.Path("x.aborted-1.txt")));
  EXPECT_EQ("aborted", ReadBytes(dir.Path("x.aborted-2.txt")));
}
