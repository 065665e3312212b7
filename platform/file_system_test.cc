#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(TempFileBeside, FreshNameInTheSameFolder) {
  TempDir dir;
  std::string target = dir.Path("x_tarvo.ebs");
  std::string first, second;
  std::FILE* a = CreateTempFileBeside(target, &first);
  std::FILE* b = CreateTempFileBeside(target, &second);
  ASSERT_NE(nullptr, a);
  ASSERT_NE(nullptr, b);
  EXPECT_NE(first, second);
  EXPECT_EQ(std::filesystem::path(target).parent_path(),
            std::filesystem::path(first).parent_path());
  EXPECT_LE(std::filesystem::path(first).filename().string().size(),
            std::string("_tarvo.ebs").size());
  std::fclose(a);
  std::fclose(b);
  ASSERT_EQ(ReplaceOutcome::kReplaced, ReplaceFileWith(first, target, nullptr));
  EXPECT_FALSE(Exists(first));
  RemoveFileQuietly(second);
  EXPECT_EQ(std::vector<std::string>{"x_tarvo.ebs"}, FolderEntries(dir.path()));
}

// Puts a new file with `bytes` in place of `target`, as Save does.
ReplaceOutcome PutInPlace(const std::string& target, const std::string& bytes, FileHold* hold) {
  std::string temp;
  std::FILE* file = CreateTempFileBeside(target, &temp);
  if (file == nullptr)
    return ReplaceOutcome::kFailed;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  ReplaceOutcome outcome = ReplaceFileWith(temp, target, hold);
  if (outcome != ReplaceOutcome::kReplaced)
    RemoveFileQuietly(temp);
  return outcome;
}

TEST(FileHold, NoOtherRunReplacesAHeldFile) {
  TempDir dir;
  std::string target = dir.Path("x_tarvo.ebs");
  FileHold hold;
  ASSERT_EQ(ReplaceOutcome::kReplaced, PutInPlace(target, "first", &hold));
  FileHold other;
  EXPECT_EQ(ReplaceOutcome::kHeld, PutInPlace(target, "second", &other));
  EXPECT_EQ(ReplaceOutcome::kHeld, PutInPlace(target, "dry run", nullptr));
  // Held, the file can still be read, as E-Run must.
  EXPECT_EQ("first", ReadBytes(target));
  EXPECT_EQ(std::vector<std::string>{"x_tarvo.ebs"}, FolderEntries(dir.path()));
  hold.Release();
  EXPECT_EQ(ReplaceOutcome::kReplaced, PutInPlace(target, "second", nullptr));
  EXPECT_EQ("second", ReadBytes(target));
}

#ifndef _WIN32
TEST(TempFileBeside, RemovedWhenTheRunIsInterrupted) {
  TempDir dir;
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    pid_t child = fork();
    if (child == 0) {
      std::string temp;
      CreateTempFileBeside(dir.Path("x_tarvo.ebs"), &temp);
      raise(signalNumber);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
    EXPECT_EQ(std::vector<std::string>{}, FolderEntries(dir.path())) << signalNumber;
  }
}
#endif
