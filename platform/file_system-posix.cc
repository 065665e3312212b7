#include "platform/file_system.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <vector>

#include "base/paths.h"
#include "platform/file_system_shared.h"

class FileHoldAccess {
 public:
  static intptr_t& Handle(FileHold& hold) { return hold.handle_; }
};

namespace {

const size_t kMaxFullPath = 259;

void RemoveTempAndDie(int signalNumber) {
  if (const char* temp = FileToRemoveOnInterrupt())
    unlink(temp);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
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

// Unlocked when closed: the lock belongs to this descriptor alone, which no child inherits.
class PosixLockedFile : public LockedFile {
 public:
  explicit PosixLockedFile(int fd) : fd_(fd) {}
  ~PosixLockedFile() override { close(fd_); }
  PosixLockedFile(const PosixLockedFile&) = delete;
  PosixLockedFile& operator=(const PosixLockedFile&) = delete;

  bool Size(uint64_t* size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0)
      return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
  }

  bool ReadAt(uint64_t offset, char* buffer, size_t size, size_t* count) override {
    for (;;) {
      ssize_t done = pread(fd_, buffer, size, static_cast<off_t>(offset));
      if (done >= 0) {
        *count = static_cast<size_t>(done);
        return true;
      }
      if (errno != EINTR)
        return false;
    }
  }

  bool Append(const std::string& bytes) override {
    off_t end = lseek(fd_, 0, SEEK_END);
    size_t done = 0;
    while (done < bytes.size()) {
      ssize_t count = write(fd_, bytes.data() + done, bytes.size() - done);
      if (count > 0)
        done += static_cast<size_t>(count);
      else if (count == 0 || errno != EINTR)
        break;
    }
    if (done < bytes.size() && end >= 0) {
      // What did reach the file is cut off, so that it cannot run into the next row.
      int cut = ftruncate(fd_, end);
      static_cast<void>(cut);
    }
    return done == bytes.size();
  }

 private:
  int fd_;
};

// Opens the file at `path` to append to it, making it when there is none, but never
// through a link: a link to a file that does not exist yet would make the rows go into
// that file, which may be a participant's data file. O_NONBLOCK keeps open() from waiting
// for a named pipe, which fstat then refuses.
LockOutcome OpenToAppend(const std::string& path, int* fd) {
  const int flags = O_RDWR | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  for (int attempt = 0; attempt < 2; ++attempt) {
    *fd = open(path.c_str(), flags);
    if (*fd >= 0 || errno != ENOENT)
      return *fd >= 0 ? LockOutcome::kLocked : LockOutcome::kFailed;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
      return LockOutcome::kLinkToNothing;
    // O_EXCL makes no file through a link; another station may make it meanwhile.
    *fd = open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
    if (*fd >= 0 || errno != EEXIST)
      return *fd >= 0 ? LockOutcome::kLocked : LockOutcome::kFailed;
  }
  return LockOutcome::kFailed;
}

class PosixFileSystem : public DiskFileSystem {
 public:
  ReadOutcome ReadFile(const std::string& path, std::string* text) override {
    text->clear();
    // O_NONBLOCK keeps open() from waiting for the writer of a named pipe.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
      return ReadOutcome::kCannotOpen;
    // Only a regular file: a device or pipe can block or never end, and the Windows
    // build refuses them too.
    struct stat st;
    ReadOutcome outcome = ReadOutcome::kCannotOpen;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      outcome = ReadOpenFile(
          static_cast<uint64_t>(st.st_size),
          [fd](char* buffer, size_t size) -> int64_t {
            ssize_t count;
            do
              count = read(fd, buffer, size);
            while (count < 0 && errno == EINTR);
            return count;
          },
          text);
    }
    close(fd);
    return outcome;
  }

  LockOutcome OpenLocked(const std::string& path, LockFor lockFor,
                         std::unique_ptr<LockedFile>* file) override {
    bool appending = lockFor == LockFor::kAppending;
    int fd = -1;
    LockOutcome opened = appending ? OpenToAppend(path, &fd) : LockOutcome::kLocked;
    if (!appending)
      fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    // A dry run says what the run itself would.
    if (!appending && fd < 0 && errno == ENOENT && lstat(path.c_str(), &st) == 0 &&
        S_ISLNK(st.st_mode))
      return LockOutcome::kLinkToNothing;
    if (opened != LockOutcome::kLocked || fd < 0)
      return opened != LockOutcome::kLocked ? opened : LockOutcome::kFailed;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !RetryLock([fd] { return flock(fd, LOCK_EX | LOCK_NB) == 0; })) {
      close(fd);
      return LockOutcome::kFailed;
    }
    *file = std::make_unique<PosixLockedFile>(fd);
    return LockOutcome::kLocked;
  }

  Presence Look(const std::string& path) override {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0)
      return Presence::kThere;
    return errno == ENOENT || errno == ENOTDIR ? Presence::kNotThere : Presence::kCannotTell;
  }

  bool Held(const std::string& path) override { return IsHeld(path); }

  // rename() would replace a file of the new name; a second link to the file cannot.
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override {
    if (link(from.c_str(), to.c_str()) != 0)
      return errno == EEXIST ? MoveOutcome::kTaken : MoveOutcome::kFailed;
    if (unlink(from.c_str()) == 0)
      return MoveOutcome::kMoved;
    unlink(to.c_str());
    return MoveOutcome::kFailed;
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    struct stat first, second;
    if (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0)
      return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::string fullA, fullB;
    return GetFullPath(a, &fullA) && GetFullPath(b, &fullB) && fullA == fullB;
  }
};

}  // namespace

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return false;
  // Checked on the mode bits, not with access(), so that a read-only file stays protected
  // when the program runs as root, as it is on Windows.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return true;
  return access(path.c_str(), W_OK) != 0;
}

NewFileOutcome WriteNewFile(const std::string& path, const FilePieces& pieces, size_t* written) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0)
    return errno == EEXIST ? NewFileOutcome::kNameTaken : NewFileOutcome::kFailed;
  RemoveOnInterrupt(path);
  *written = 0;
  bool whole = true;
  pieces([fd, written, &whole](std::string_view piece) {
    for (size_t done = 0; whole && done < piece.size();) {
      ssize_t count = write(fd, piece.data() + done, piece.size() - done);
      if (count > 0) {
        done += static_cast<size_t>(count);
        *written += static_cast<size_t>(count);
      } else if (count == 0 || errno != EINTR) {
        whole = false;
      }
    }
  });
  bool closed = close(fd) == 0;
  return whole && closed ? NewFileOutcome::kWritten : NewFileOutcome::kIncomplete;
}

WriteOutcome PutInPlace(const std::string& from, const std::string& target, FileHold* hold) {
  // Our file is locked before it is in place, so no other run ever finds it unheld.
  int own = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (own < 0 || flock(own, LOCK_EX | LOCK_NB) != 0) {
    if (own >= 0)
      close(own);
    return WriteOutcome::kFailed;
  }
  // A short lock on the folder makes the check and the rename one step between runs.
  std::string folder = FolderOf(target);
  int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0)
    flock(folderFd, LOCK_EX);
  WriteOutcome outcome = WriteOutcome::kHeld;
  if (!IsHeld(target))
    outcome =
        rename(from.c_str(), target.c_str()) == 0 ? WriteOutcome::kWritten : WriteOutcome::kFailed;
  // Without a hold our lock goes before the folder's: a run right after this one must not
  // find our file held.
  bool holding = outcome == WriteOutcome::kWritten && hold != nullptr;
  if (!holding)
    close(own);
  if (folderFd >= 0)
    close(folderFd);
  if (holding) {
    hold->Release();
    FileHoldAccess::Handle(*hold) = own;
  }
  return outcome;
}

void FileHold::Release() {
  if (handle_ >= 0)
    close(static_cast<int>(handle_));
  handle_ = -1;
}

FileSystem& RealFileSystem() {
  static PosixFileSystem files;
  return files;
}

void InstallInterruptCleanup() {
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

void SleepMilliseconds(unsigned milliseconds) {
  struct timespec wait = {static_cast<time_t>(milliseconds / 1000),
                          static_cast<long>(milliseconds % 1000) * 1000000};
  nanosleep(&wait, nullptr);
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

bool IsAbsolutePath(const std::string& path) {
  return !path.empty() && path[0] == '/';
}
