#ifndef TARVO_PLATFORM_FILE_SYSTEM_H_
#define TARVO_PLATFORM_FILE_SYSTEM_H_

#include <cstdint>
#include <cstdio>
#include <string>

// The few file-system operations the program needs, one implementation per platform
// (file_system-posix.cc, file_system-win32.cc). Files are always opened in binary
// mode: the line-end translation is done by our own code, so both builds behave alike.

/// Opens an existing file for reading. Returns nullptr when `path` cannot be opened or
/// is no disk file (a folder, a device such as CON or /dev/zero, a named pipe). Never
/// blocks.
std::FILE* OpenForReading(const std::string& path);

/// True when `path` is an existing file marked read-only (no write permission at all),
/// which Save must not replace.
bool IsReadOnlyFile(const std::string& path);

/// Creates a new, empty file with a fresh name in the folder of `target`, open for
/// writing. Its name is never longer than the last component of a "*_tarvo.ebs"
/// target, so it fits wherever the target fits. Returns nullptr on failure. Until the
/// file is put in place or removed, an interrupt (Ctrl+C, closing the console, SIGINT,
/// SIGTERM, SIGHUP) removes it before the program ends.
std::FILE* CreateTempFileBeside(const std::string& target, std::string* tempPath);

/// A run's hold on the file it put in place: while it lasts, no other run's
/// ReplaceFileWith replaces that file, and any program can still read it.
class FileHold {
 public:
  FileHold() = default;
  ~FileHold() { Release(); }
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;

  void Release();

 private:
  friend class FileHoldAccess;
  intptr_t handle_ = -1;  // a file descriptor or a HANDLE, or -1
};

enum class ReplaceOutcome {
  kReplaced,
  kHeld,    // another run holds the target; `from` is left in place
  kFailed,  // the target cannot be replaced (a folder, say); `from` is left in place
};

/// Puts the file `from` (closed) in place of `target` in one step, unless another run
/// holds `target`. A link at `target` is replaced itself, never followed. With `hold`,
/// the file stays held from before anyone else can replace it until `hold` is released.
ReplaceOutcome ReplaceFileWith(const std::string& from, const std::string& target, FileHold* hold);

/// Removes a file; failures are ignored (used to clean up temporary files).
void RemoveFileQuietly(const std::string& path);

/// The absolute form of `path`, resolved against the current directory, at most 259
/// characters. False when it cannot be resolved or does not fit.
bool GetFullPath(const std::string& path, std::string* fullPath);

#endif  // TARVO_PLATFORM_FILE_SYSTEM_H_
