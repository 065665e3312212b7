#include "platform/file_system.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/:");
  if (slash == std::string::npos)
    return std::string();
  return path.substr(0, slash + 1);
}

// The temporary file an interrupt must remove. The console's handler runs on a thread of
// its own while the main thread may still be writing: the file is created shared for
// deletion, so DeleteFileA works and the file goes when the process ends.
char interruptedTemp[MAX_PATH + 16];
volatile LONG interruptedTempSet = 0;

BOOL WINAPI RemoveTempOnInterrupt(DWORD) {
  if (interruptedTempSet)
    DeleteFileA(interruptedTemp);
  return FALSE;  // the default handling ends the process
}

void RemoveOnInterrupt(const std::string& path) {
  static bool installed = false;
  interruptedTempSet = 0;
  if (path.size() >= sizeof interruptedTemp)
    return;
  std::memcpy(interruptedTemp, path.c_str(), path.size() + 1);
  interruptedTempSet = 1;
  if (!installed)
    installed = SetConsoleCtrlHandler(RemoveTempOnInterrupt, TRUE) != 0;
}

void ForgetTemp(const std::string& path) {
  if (interruptedTempSet && path == interruptedTemp)
    interruptedTempSet = 0;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// Whether `path` is open somewhere without sharing deletion, as another run's hold is:
// MoveFileExA then cannot replace it.
bool IsHeld(const std::string& path) {
  if (GetLastError() == ERROR_SHARING_VIOLATION)
    return true;
  HANDLE probe =
      CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION;
  CloseHandle(probe);
  return false;
}

}  // namespace

class FileHoldAccess {
 public:
  static intptr_t& Handle(FileHold& hold) { return hold.handle_; }
};

void FileHold::Release() {
  if (handle_ != -1)
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

std::FILE* OpenForReading(const std::string& path) {
  // Shared as the C runtime's fopen shares. A folder does not open without backup
  // semantics; "COM1.ebs" or "CON.ebs" opens a device, whose reads can wait forever.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return nullptr;
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return nullptr;
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (file == nullptr)
    _close(fd);
  return file;
}

bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}

std::FILE* CreateTempFileBeside(const std::string& target, std::string* tempPath) {
  std::string folder = FolderOf(target);
  unsigned seed = static_cast<unsigned>(GetCurrentProcessId()) * 2654435761u ^
                  static_cast<unsigned>(std::time(nullptr));
  for (unsigned attempt = 0; attempt < 200; ++attempt) {
    char name[16];
    std::snprintf(name, sizeof name, "~T%04X.tmp", (seed + attempt * 7919u) & 0xFFFFu);
    std::string candidate = folder + name;
    HANDLE handle =
        CreateFileA(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS)
        continue;
      return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
    if (file == nullptr) {
      if (fd < 0)
        CloseHandle(handle);
      else
        _close(fd);
      DeleteFileA(candidate.c_str());
      return nullptr;
    }
    *tempPath = candidate;
    RemoveOnInterrupt(candidate);
    return file;
  }
  return nullptr;
}

ReplaceOutcome ReplaceFileWith(const std::string& from, const std::string& target, FileHold* hold) {
  // Our file's identity, to know it again once it is in place.
  BY_HANDLE_FILE_INFORMATION ours;
  HANDLE own = CreateFileA(from.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (own == INVALID_HANDLE_VALUE)
    return ReplaceOutcome::kFailed;
  bool known = GetFileInformationByHandle(own, &ours) != 0;
  CloseHandle(own);
  if (!known)
    return ReplaceOutcome::kFailed;

  // Fails while another run holds the target: its handle does not share deletion.
  if (!MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
    return IsHeld(target) ? ReplaceOutcome::kHeld : ReplaceOutcome::kFailed;
  ForgetTemp(from);
  if (hold == nullptr)
    return ReplaceOutcome::kReplaced;

  // The hold shares reading only: E-Run can read the file, no other run can replace,
  // delete or write it. (A handle that could rename it would need DELETE access, and
  // that would keep E-Run's fopen out.) Another run may have put its own file in place
  // between the move and this open; then that run has it.
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION ? ReplaceOutcome::kHeld
                                                     : ReplaceOutcome::kFailed;
  BY_HANDLE_FILE_INFORMATION found;
  if (!GetFileInformationByHandle(held, &found) || !SameFile(ours, found)) {
    CloseHandle(held);
    return ReplaceOutcome::kHeld;
  }
  hold->Release();
  FileHoldAccess::Handle(*hold) = reinterpret_cast<intptr_t>(held);
  return ReplaceOutcome::kReplaced;
}

void RemoveFileQuietly(const std::string& path) {
  DeleteFileA(path.c_str());
  ForgetTemp(path);
}

bool GetFullPath(const std::string& path, std::string* fullPath) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH)
    return false;
  fullPath->assign(buffer, length);
  return true;
}
