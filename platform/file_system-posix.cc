#include "platform/file_system.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <vector>

#include "platform/file_system_shared.h"

const char kPathSeparators[] = "/";

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

class PosixReader : public FileReader {
 public:
  PosixReader(int fd, size_t size) : fd_(fd), size_(size) {}
  ~PosixReader() override { close(fd_); }
  PosixReader(const PosixReader&) = delete;
  PosixReader& operator=(const PosixReader&) = delete;

  size_t Read(char* buffer, size_t size) override {
    size_t done = 0;
    while (done < size && !failed_) {
      ssize_t count = read(fd_, buffer + done, size - done);
      if (count > 0)
        done += static_cast<size_t>(count);
      else if (count == 0)
        break;
      else if (errno != EINTR)
        failed_ = true;
    }
    return done;
  }
  bool Failed() const override { return failed_; }
  size_t Size() const override { return size_; }

 private:
  int fd_;
  size_t size_;
  bool failed_ = false;
};

class PosixWriter : public FileWriter {
 public:
  explicit PosixWriter(int fd) : fd_(fd) {}
  ~PosixWriter() override {
    if (fd_ >= 0)
      close(fd_);
  }
  PosixWriter(const PosixWriter&) = delete;
  PosixWriter& operator=(const PosixWriter&) = delete;

  size_t Write(const char* data, size_t size) override {
    size_t done = 0;
    while (done < size) {
      ssize_t count = write(fd_, data + done, size - done);
      if (count > 0)
        done += static_cast<size_t>(count);
      else if (count < 0 && errno != EINTR)
        break;
    }
    return done;
  }
  bool Close() override {
    int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

// Unlocked when closed: the lock belongs to this descriptor alone, which no child inherits.
class PosixLockedFile : public LockedFile {
 public:
  explicit PosixLockedFile(int fd) : fd_(fd) {}
  ~PosixLockedFile() override { close(fd_); }
  PosixLockedFile(const PosixLockedFile&) = delete;
  PosixLockedFile& operator=(const PosixLockedFile&) = delete;

  bool ReadAll(std::string* content) override {
    content->clear();
    if (lseek(fd_, 0, SEEK_SET) != 0)
      return false;
    char block[16 * 1024];
    for (;;) {
      ssize_t count = read(fd_, block, sizeof block);
      if (count > 0)
        content->append(block, static_cast<size_t>(count));
      else if (count == 0)
        return true;
      else if (errno != EINTR)
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

class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
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
    return std::make_unique<PosixReader>(fd, st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0);
  }

  bool IsReadOnlyFile(const std::string& path) override {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      return false;
    // Checked on the mode bits, not with access(), so that a read-only file stays
    // protected when the program runs as root, as it is on Windows.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      return true;
    return access(path.c_str(), W_OK) != 0;
  }

  CreateOutcome CreateTemporary(const std::string& path,
                                std::unique_ptr<FileWriter>* file) override {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
      return errno == EEXIST ? CreateOutcome::kExists : CreateOutcome::kFailed;
    RemoveOnInterrupt(path);
    *file = std::make_unique<PosixWriter>(fd);
    return CreateOutcome::kCreated;
  }

  ReplaceOutcome Replace(const std::string& from, const std::string& target,
                         FileHold* hold) override {
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
      ForgetOnInterrupt(from);
    if (outcome == ReplaceOutcome::kReplaced && hold != nullptr) {
      hold->Release();
      FileHoldAccess::Handle(*hold) = own;
    } else {
      close(own);
    }
    return outcome;
  }

  void Remove(const std::string& path) override {
    unlink(path.c_str());
    ForgetOnInterrupt(path);
  }

  LockOutcome OpenLocked(const std::string& path, std::unique_ptr<LockedFile>* file) override {
    // O_NONBLOCK keeps open() from waiting for a named pipe, which fstat then refuses.
    int fd =
        open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
      return LockOutcome::kFailed;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !RetryLock([fd] { return flock(fd, LOCK_EX | LOCK_NB) == 0; })) {
      close(fd);
      return LockOutcome::kFailed;
    }
    *file = std::make_unique<PosixLockedFile>(fd);
    return LockOutcome::kLocked;
  }

  bool Exists(const std::string& path) override {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }
};

}  // namespace

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
