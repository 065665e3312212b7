#include "platform/file_system.h"

#include <windows.h>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "platform/file_system_shared.h"

class FileHoldAccess {
 public:
  static intptr_t& Handle(FileHold& hold) { return hold.handle_; }
};

namespace {

// The console's handler runs on a thread of its own while the main thread may still be
// writing: temporary files are created shared for deletion, so DeleteFileA works and the
// file goes when the process ends.
BOOL WINAPI RemoveTempOnInterrupt(DWORD) {
  if (const char* temp = FileToRemoveOnInterrupt())
    DeleteFileA(temp);
  return FALSE;  // the default handling ends the process
}

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// The identity of the file or folder at `path`, which every name of it shares.
bool Identity(const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE handle =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return false;
  bool known = GetFileInformationByHandle(handle, info) != 0;
  CloseHandle(handle);
  return known;
}

// Whether `path` is open somewhere without sharing deletion, as another run's hold is:
// MoveFileExA, which failed with `moveError`, then cannot replace it.
bool IsHeld(const std::string& path, DWORD moveError) {
  if (moveError == ERROR_SHARING_VIOLATION)
    return true;
  HANDLE probe =
      CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(probe);
  return false;
}

class Win32LockedFile : public LockedFile {
 public:
  explicit Win32LockedFile(HANDLE handle) : handle_(handle) {}
  ~Win32LockedFile() override {
    // Unlocked before closing: a lock left to CloseHandle may linger a while.
    OVERLAPPED fromStart = {};
    UnlockFileEx(handle_, 0, MAXDWORD, MAXDWORD, &fromStart);
    CloseHandle(handle_);
  }
  Win32LockedFile(const Win32LockedFile&) = delete;
  Win32LockedFile& operator=(const Win32LockedFile&) = delete;

  bool Size(uint64_t* size) override {
    LARGE_INTEGER bytes;
    if (!GetFileSizeEx(handle_, &bytes))
      return false;
    *size = static_cast<uint64_t>(bytes.QuadPart);
    return true;
  }

  bool ReadAt(uint64_t offset, char* buffer, size_t size, size_t* count) override {
    // The offset goes with the read, not through the file's pointer: two threads may read
    // parts of the file at once.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD done = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(size < 0x40000000 ? size : 0x40000000), &done,
                  &at)) {
      // So fails a read with an offset at the file's end.
      if (GetLastError() != ERROR_HANDLE_EOF)
        return false;
      done = 0;
    }
    *count = done;
    return true;
  }

  bool Append(const std::string& bytes) override {
    LARGE_INTEGER none = {};
    LARGE_INTEGER end;
    if (bytes.size() > MAXDWORD || !SetFilePointerEx(handle_, none, &end, FILE_END))
      return false;
    DWORD count = 0;
    if (WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) &&
        count == bytes.size())
      return true;
    // What did reach the file is cut off, so that it cannot run into the next row.
    if (SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN))
      SetEndOfFile(handle_);
    return false;
  }

 private:
  HANDLE handle_;
};

// Opens the file at `path`, and to append to it makes it when there is none, but never
// through a link: a link to a file that does not exist yet would make the rows go into that
// file. A link is a reparse point, which GetFileAttributesA sees without following it; a
// folder junction on the way to the file is no business of ours.
LockOutcome Open(const std::string& path, bool appending, HANDLE* handle) {
  DWORD access = appending ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  for (int attempt = 0; attempt < 2; ++attempt) {
    *handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = *handle == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (error == ERROR_SUCCESS)
      return LockOutcome::kLocked;
    if (error == ERROR_SHARING_VIOLATION)
      return LockOutcome::kInUse;
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      return LockOutcome::kFailed;
    // To read, as a dry run does, it says what the run itself would.
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return LockOutcome::kLinkToNothing;
    if (!appending)
      return LockOutcome::kFailed;
    // Another station may make it meanwhile.
    *handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (*handle != INVALID_HANDLE_VALUE)
      return LockOutcome::kLocked;
    if (GetLastError() != ERROR_FILE_EXISTS)
      return LockOutcome::kFailed;
  }
  return LockOutcome::kFailed;
}

class Win32FileSystem : public DiskFileSystem {
 public:
  ReadOutcome ReadFile(const std::string& path, std::string* text) override {
    text->clear();
    // Shared as the C runtime's fopen shares. A folder does not open without backup
    // semantics; "COM1.ebs" or "CON.ebs" opens a device, whose reads can wait forever.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
      return ReadOutcome::kCannotOpen;
    LARGE_INTEGER size;
    ReadOutcome outcome = ReadOutcome::kCannotOpen;
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size)) {
      outcome = ReadOpenFile(
          static_cast<uint64_t>(size.QuadPart),
          [handle](char* buffer, size_t wanted) -> int64_t {
            DWORD count = 0;
            if (!::ReadFile(handle, buffer, static_cast<DWORD>(wanted), &count, nullptr))
              return -1;
            return count;
          },
          text);
    }
    CloseHandle(handle);
    return outcome;
  }

  LockOutcome OpenLocked(const std::string& path, LockFor lockFor,
                         std::unique_ptr<LockedFile>* file) override {
    // Shares reading and writing with other runs, which wait for the lock instead. A
    // spreadsheet that has the file open shares no writing: that is kInUse at once. The
    // handle is not inheritable, so E-Run never keeps the lock.
    bool appending = lockFor == LockFor::kAppending;
    HANDLE handle = INVALID_HANDLE_VALUE;
    LockOutcome opened = Open(path, appending, &handle);
    if (opened != LockOutcome::kLocked)
      return opened;
    // The lock covers every byte the file has or will have.
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | LOCKFILE_EXCLUSIVE_LOCK;
    auto tryLock = [handle, flags] {
      OVERLAPPED fromStart = {};
      return LockFileEx(handle, flags, 0, MAXDWORD, MAXDWORD, &fromStart) != 0;
    };
    if (GetFileType(handle) != FILE_TYPE_DISK || !RetryLock(tryLock)) {
      CloseHandle(handle);
      return LockOutcome::kFailed;
    }
    *file = std::make_unique<Win32LockedFile>(handle);
    return LockOutcome::kLocked;
  }

  bool Held(const std::string& path) override { return IsHeld(path, ERROR_SUCCESS); }

  Presence Look(const std::string& path) override {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
      return Presence::kThere;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Presence::kNotThere
                                                                          : Presence::kCannotTell;
  }

  // Without MOVEFILE_REPLACE_EXISTING, MoveFileA never replaces a file of the new name.
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override {
    if (MoveFileA(from.c_str(), to.c_str()))
      return MoveOutcome::kMoved;
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? MoveOutcome::kTaken
                                                                       : MoveOutcome::kFailed;
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    BY_HANDLE_FILE_INFORMATION first, second;
    if (Identity(a, &first) && Identity(b, &second))
      return SameIdentity(first, second);
    std::string fullA, fullB;
    return GetFullPath(a, &fullA) && GetFullPath(b, &fullB) && EqualsInsensitive(fullA, fullB);
  }
};

}  // namespace

bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}

NewFileOutcome WriteNewFile(const std::string& path, const FilePieces& pieces, size_t* written) {
  // Shared for deletion, so that the console's handler can remove it while it is open.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_FILE_EXISTS ? NewFileOutcome::kNameTaken
                                               : NewFileOutcome::kFailed;
  RemoveOnInterrupt(path);
  *written = 0;
  bool whole = true;
  pieces([handle, written, &whole](std::string_view piece) {
    for (size_t done = 0; whole && done < piece.size();) {
      DWORD count = 0;
      whole = ::WriteFile(handle, piece.data() + done, static_cast<DWORD>(piece.size() - done),
                          &count, nullptr) &&
              count > 0;
      done += count;
      *written += count;
    }
  });
  bool closed = CloseHandle(handle) != 0;
  return whole && closed ? NewFileOutcome::kWritten : NewFileOutcome::kIncomplete;
}

WriteOutcome PutInPlace(const std::string& from, const std::string& target, FileHold* hold) {
  // Our file's identity, to know it again once it is in place.
  BY_HANDLE_FILE_INFORMATION ours;
  HANDLE own = CreateFileA(from.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (own == INVALID_HANDLE_VALUE)
    return WriteOutcome::kFailed;
  bool known = GetFileInformationByHandle(own, &ours) != 0;
  CloseHandle(own);
  if (!known)
    return WriteOutcome::kFailed;

  // Fails while another run holds the target: its handle does not share deletion. It fails
  // too while any program has the target open, if only for a moment, as a virus scanner or
  // a look at its identity does: that one is waited for, half a second at most.
  const int kGlanceRetries = 20;
  const DWORD kGlanceRetryMilliseconds = 25;
  for (int retry = 0; !MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
       ++retry) {
    if (IsHeld(target, GetLastError()))
      return WriteOutcome::kHeld;
    if (retry == kGlanceRetries)
      return WriteOutcome::kFailed;
    Sleep(kGlanceRetryMilliseconds);
  }
  if (hold == nullptr)
    return WriteOutcome::kWritten;

  // The hold shares reading only: E-Run can read the file, no other run can replace,
  // delete or write it. (A handle that could rename it would need DELETE access, and
  // that would keep E-Run's fopen out.) Another run may have put its own file in place
  // between the move and this open; then that run has it.
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION ? WriteOutcome::kHeld : WriteOutcome::kFailed;
  BY_HANDLE_FILE_INFORMATION found;
  if (!GetFileInformationByHandle(held, &found) || !SameIdentity(ours, found)) {
    CloseHandle(held);
    return WriteOutcome::kHeld;
  }
  hold->Release();
  FileHoldAccess::Handle(*hold) = reinterpret_cast<intptr_t>(held);
  return WriteOutcome::kWritten;
}

void FileHold::Release() {
  if (handle_ != -1)
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

FileSystem& RealFileSystem() {
  static Win32FileSystem files;
  return files;
}

void InstallInterruptCleanup() {
  SetConsoleCtrlHandler(RemoveTempOnInterrupt, TRUE);
}

void SleepMilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
}

bool GetFullPath(const std::string& path, std::string* fullPath) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH)
    return false;
  fullPath->assign(buffer, length);
  return true;
}

bool IsAbsolutePath(const std::string& path) {
  bool drive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  return drive || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}
