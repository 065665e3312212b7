#include "platform/file_system.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace {

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/:");
  if (slash == std::string::npos)
    return std::string();
  return path.substr(0, slash + 1);
}

}  // namespace

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
    int fd =
        _open(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
      if (errno == EEXIST)
        continue;
      return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) {
      _close(fd);
      DeleteFileA(candidate.c_str());
      return nullptr;
    }
    *tempPath = candidate;
    return file;
  }
  return nullptr;
}

bool ReplaceFileWith(const std::string& from, const std::string& target) {
  return MoveFileExA(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFileQuietly(const std::string& path) {
  DeleteFileA(path.c_str());
}

bool GetFullPath(const std::string& path, std::string* fullPath) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
  if (length == 0 || length >= MAX_PATH)
    return false;
  fullPath->assign(buffer, length);
  return true;
}
