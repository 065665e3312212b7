#include "platform/file_system.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

const size_t kMaxFullPath = 259;

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return std::string();
  return path.substr(0, slash + 1);
}

// The temporary file an interrupt must remove, for the signal handler: only a fixed
// buffer and a flag are safe to read there.
char interruptedTemp[4096];
volatile sig_atomic_t interruptedTempSet = 0;

void RemoveTempAndDie(int signalNumber) {
  if (interruptedTempSet)
    unlink(interruptedTemp);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

void RemoveOnInterrupt(const std::string& path) {
  static bool installed = false;
  interruptedTempSet = 0;
  if (path.empty() || path.size() >= sizeof interruptedTemp)
    return;
  std::memcpy(interruptedTemp, path.c_str(), path.size() + 1);
  interruptedTempSet = 1;
  if (!installed) {
    installed = true;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
      // A signal the caller ignores (nohup, a background job) stays ignored.
      struct sigaction action = {};
      if (sigaction(signalNumber, nullptr, &action) != 0 || action.sa_handler == SIG_IGN)
        continue;
      action.sa_handler = RemoveTempAndDie;
      sigemptyset(&action.sa_mask);
      action.sa_flags = 0;
      sigaction(signalNumber, &action, nullptr);
    }
  }
}

void ForgetTemp(const std::string& path) {
  if (interruptedTempSet && path == interruptedTemp)
    interruptedTempSet = 0;
}

// Whether another run holds `path`: its hold is an exclusive flock on the file.
bool IsHeld(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);
  return held;
}

}  // namespace

class FileHoldAccess {
 public:
  static intptr_t& Handle(FileHold& hold) { return hold.handle_; }
};

void FileHold::Release() {
  if (handle_ >= 0)
    close(static_cast<int>(handle_));
  handle_ = -1;
}

std::FILE* OpenForReading(const std::string& path) {
  // O_NONBLOCK keeps open() from waiting for the writer of a named pipe.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return nullptr;
  // Only a regular file: a device or pipe can block or never end, and the Windows
  // build refuses them too.
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0)
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr)
    close(fd);
  return file;
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return false;
  // Checked on the mode bits, not with access(), so that a read-only file stays
  // protected when the program runs as root, as it is on Windows.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return true;
  return access(path.c_str(), W_OK) != 0;
}

std::FILE* CreateTempFileBeside(const std::string& target, std::string* tempPath) {
  std::string folder = FolderOf(target);
  unsigned seed =
      static_cast<unsigned>(getpid()) * 2654435761u ^ static_cast<unsigned>(std::time(nullptr));
  for (unsigned attempt = 0; attempt < 200; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "~T%04X.tmp", (seed + attempt * 7919u) & 0xFFFFu);
    std::string candidate = folder + name;
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST)
        continue;
      return nullptr;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
      close(fd);
      unlink(candidate.c_str());
      return nullptr;
    }
    *tempPath = candidate;
    RemoveOnInterrupt(candidate);
    return file;
  }
  return nullptr;
}

ReplaceOutcome ReplaceFileWith(const std::string& from, const std::string& target, FileHold* hold) {
  // Our file is locked before it is in place, so no other run ever finds it unheld.
  int own = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (own < 0 || flock(own, LOCK_EX | LOCK_NB) != 0) {
    if (own >= 0)
      close(own);
    return ReplaceOutcome::kFailed;
  }
  // A short lock on the folder makes the check and the rename one step between runs.
  std::string folder = FolderOf(target);
  int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0)
    flock(folderFd, LOCK_EX);
  ReplaceOutcome outcome = ReplaceOutcome::kHeld;
  if (!IsHeld(target))
    outcome = rename(from.c_str(), target.c_str()) == 0 ? ReplaceOutcome::kReplaced
                                                        : ReplaceOutcome::kFailed;
  if (folderFd >= 0)
    close(folderFd);
  if (outcome == ReplaceOutcome::kReplaced)
    ForgetTemp(from);
  if (outcome == ReplaceOutcome::kReplaced && hold != nullptr) {
    hold->Release();
    FileHoldAccess::Handle(*hold) = own;
  } else {
    close(own);
  }
  return outcome;
}

void RemoveFileQuietly(const std::string& path) {
  unlink(path.c_str());
  ForgetTemp(path);
}

bool GetFullPath(const std::string& path, std::string* fullPath) {
  std::string joined;
  if (path.empty() || path[0] != '/') {
    std::vector<char> cwd(4096);
    if (getcwd(cwd.data(), cwd.size()) == nullptr)
      return false;
    joined = cwd.data();
    joined += '/';
  }
  joined += path;

  // Lexical normalisation, as GetFullPathNameA does: no ".", "..", or empty components.
  std::vector<std::string> parts;
  size_t begin = 0;
  while (begin <= joined.size()) {
    size_t end = joined.find('/', begin);
    if (end == std::string::npos)
      end = joined.size();
    std::string part = joined.substr(begin, end - begin);
    if (part == "..") {
      if (!parts.empty())
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    begin = end + 1;
  }
  std::string result;
  for (const std::string& part : parts)
    result += "/" + part;
  if (result.empty())
    result = "/";
  if (result.size() > kMaxFullPath)
    return false;
  *fullPath = result;
  return true;
}
