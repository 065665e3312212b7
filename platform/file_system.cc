#include "platform/file_system.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "base/paths.h"
#include "platform/file_system_shared.h"
#include "platform/system.h"

namespace {

// The file an interrupt must remove. Only a fixed buffer and a flag are safe to read in a
// signal handler, or on the thread of Windows' console handler.
char g_interruptedTemp[4096];
volatile std::sig_atomic_t g_interruptedTempSet = 0;

const unsigned kLockRetryMilliseconds = 50;
const int kLockRetries = 200;  // 10 seconds

}  // namespace

bool RetryLock(const std::function<bool()>& tryLock) {
  for (int retry = 0;; ++retry) {
    if (tryLock())
      return true;
    if (retry == kLockRetries)
      return false;
    SleepMilliseconds(kLockRetryMilliseconds);
  }
}

void RemoveOnInterrupt(const std::string& path) {
  static bool installed = false;
  g_interruptedTempSet = 0;
  if (path.empty() || path.size() >= sizeof g_interruptedTemp)
    return;
  std::memcpy(g_interruptedTemp, path.c_str(), path.size() + 1);
  g_interruptedTempSet = 1;
  if (!installed) {
    installed = true;
    InstallInterruptCleanup();
  }
}

void ForgetOnInterrupt(const std::string& path) {
  if (g_interruptedTempSet && path == g_interruptedTemp)
    g_interruptedTempSet = 0;
}

const char* FileToRemoveOnInterrupt() {
  return g_interruptedTempSet ? g_interruptedTemp : nullptr;
}

ReadOutcome ReadOpenFile(uint64_t size, const std::function<int64_t(char*, size_t)>& read,
                         std::string* text) {
  text->clear();
  if (size > kLargestFile)
    return ReadOutcome::kFailed;
  text->reserve(static_cast<size_t>(size));
  char block[64 * 1024];
  for (;;) {
    int64_t count = read(block, sizeof block);
    if (count == 0)
      return ReadOutcome::kRead;
    // A file that grows while it is read is held no further than kLargestFile.
    if (count < 0 || text->size() + static_cast<size_t>(count) > kLargestFile)
      return ReadOutcome::kFailed;
    text->append(block, static_cast<size_t>(count));
  }
}

WriteOutcome WriteThroughNewFile(const std::string& path, const FilePieces& pieces, FileHold* hold,
                                 size_t* written) {
  *written = 0;
  if (IsReadOnlyFile(path))
    return WriteOutcome::kFailed;
  std::string folder = FolderOf(path);
  unsigned seed = ProcessNumber() * 2654435761u ^ static_cast<unsigned>(std::time(nullptr));
  for (unsigned attempt = 0; attempt < 200; ++attempt) {
    // "~T1234.tmp" is no longer than "_tarvo.ebs", so it fits wherever a rewritten script
    // fits; beside a shorter name, such as a report's "j.html", a folder near the longest
    // path may leave it no room, and the write then fails without touching the target.
    char name[16];
    std::snprintf(name, sizeof name, "~T%04X.tmp", (seed + attempt * 7919u) & 0xFFFFu);
    std::string temp = folder + name;
    NewFileOutcome made = WriteNewFile(temp, pieces, written);
    if (made == NewFileOutcome::kNameTaken)
      continue;
    if (made == NewFileOutcome::kFailed)
      return WriteOutcome::kFailed;
    WriteOutcome outcome =
        made == NewFileOutcome::kWritten ? PutInPlace(temp, path, hold) : WriteOutcome::kIncomplete;
    if (outcome != WriteOutcome::kWritten)
      std::remove(temp.c_str());
    ForgetOnInterrupt(temp);
    return outcome;
  }
  return WriteOutcome::kFailed;
}
