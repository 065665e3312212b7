#ifndef TARVO_PLATFORM_FILE_SYSTEM_H_
#define TARVO_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The file operations of the program. FileSystem is the seam: reading, writing and holding
// a script go through it, so tests can make any step fail. RealFileSystem() is the
// platform's own (file_system-posix.cc, file_system-win32.cc); what both share is in
// file_system.cc. Files are always binary: line ends are translated by our own code, so
// both builds behave alike.

/// A file open for reading.
class FileReader {
 public:
  virtual ~FileReader() = default;
  /// Reads up to `size` bytes into `buffer` and returns how many it read. Fewer than asked
  /// means the end of the file, or a read error when Failed() says so.
  virtual size_t Read(char* buffer, size_t size) = 0;
  virtual bool Failed() const = 0;
  /// The size the file system gives for the file; 0 when it gives none.
  virtual size_t Size() const = 0;
};

/// A new file open for writing. Destroyed while open, it is closed without a report.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  /// Writes `size` bytes straight to the file; returns how many reached it.
  virtual size_t Write(const char* data, size_t size) = 0;
  /// Closes the file; false when its bytes may not all have reached the disk.
  virtual bool Close() = 0;
};

/// A run's hold on the file it put in place: while it lasts, no other run's
/// FileSystem::Replace replaces that file, and any program can still read it.
class FileHold {
 public:
  FileHold() = default;
  ~FileHold() { Release(); }
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;

  bool held() const { return handle_ != -1; }
  /// The file descriptor or HANDLE, for the process start that hands the hold on.
  intptr_t handle() const { return handle_; }
  void Release();

 private:
  friend class FileHoldAccess;
  intptr_t handle_ = -1;  // a file descriptor or a HANDLE, or -1
};

/// A file that runs on several stations append to, open and locked against all of them.
class LockedFile {
 public:
  virtual ~LockedFile() = default;  // unlocks and closes
  /// The file's size in bytes; false when it cannot be had.
  virtual bool Size(uint64_t* size) = 0;
  /// Reads up to `size` bytes from `offset` on into `buffer`; *count gets how many, 0 at
  /// the end of the file. False when the file cannot be read.
  virtual bool ReadAt(uint64_t offset, char* buffer, size_t size, size_t* count) = 0;
  /// Appends `bytes` at the end of the file in one write; false when they did not all
  /// reach it. Bytes that did are cut off again where the file system allows, so a failed
  /// append leaves no part of a row behind.
  virtual bool Append(const std::string& bytes) = 0;
};

enum class LockOutcome {
  kLocked,
  kInUse,  // open in another program that shares no writing, such as a spreadsheet (Windows)
  kFailed,
};

/// What a locked file is opened for.
enum class LockFor {
  kAppending,  // created when missing; locked against every other run
  kReading,    // only an existing file; other runs may read it meanwhile, none append
};

/// What can be said of a path.
enum class Presence {
  kThere,
  kNotThere,    // no such file, or no such folder on the way to it
  kCannotTell,  // the file system did not say: a share offline, a folder without access
};

enum class CreateOutcome {
  kCreated,
  kExists,  // the name is taken
  kFailed,
};

enum class ReplaceOutcome {
  kReplaced,
  kHeld,    // another run holds the target; `from` is left in place
  kFailed,  // the target cannot be replaced (a folder, say); `from` is left in place
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Opens an existing file for reading. nullptr when `path` cannot be opened or is no disk
  /// file (a folder, a device such as CON or /dev/zero, a named pipe). Never blocks.
  virtual std::unique_ptr<FileReader> OpenForReading(const std::string& path) = 0;

  /// True when `path` is an existing file marked read-only, which a save must not replace.
  virtual bool IsReadOnlyFile(const std::string& path) = 0;

  /// Creates the new file `path` for writing. Until it is put in place by Replace or
  /// removed by Remove, an interrupt of the program (Ctrl+C, closing the console, SIGINT,
  /// SIGTERM, SIGHUP) removes it before the program ends.
  virtual CreateOutcome CreateTemporary(const std::string& path,
                                        std::unique_ptr<FileWriter>* file) = 0;

  /// Puts the closed file `from` in place of `target` in one step, unless another run holds
  /// `target`. A link at `target` is replaced itself, never followed. With `hold`, the file
  /// stays held from before anyone else can replace it until `hold` is released.
  virtual ReplaceOutcome Replace(const std::string& from, const std::string& target,
                                 FileHold* hold) = 0;

  /// Removes a file; failures are ignored (it cleans up temporary files).
  virtual void Remove(const std::string& path) = 0;

  /// Opens `path` for `lockFor` and locks the whole file, waiting up to 10 seconds for
  /// another run's lock without blocking. Only a disk file: a folder or a device is
  /// kFailed, and so is a missing file to read.
  virtual LockOutcome OpenLocked(const std::string& path, LockFor lockFor,
                                 std::unique_ptr<LockedFile>* file) = 0;

  /// Whether `path` names an existing entry (any kind counts).
  virtual Presence Look(const std::string& path) = 0;

  /// Whether `a` and `b` name one file: by the file's identity where both exist (volume and
  /// file index on Windows, device and inode on POSIX), so that a link, a mapped drive and
  /// its share name count as one; by their full paths otherwise, in any letter case on
  /// Windows.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

FileSystem& RealFileSystem();

/// Creates a temporary file with a fresh name in the folder of `target`, through `files`.
/// Its name is never longer than the last component of a "*_tarvo.ebs" target, so it fits
/// wherever the target fits. nullptr on failure.
std::unique_ptr<FileWriter> CreateTempFileBeside(FileSystem& files, const std::string& target,
                                                 std::string* tempPath);

/// The folder part of `path` with its final separator, or "" for a bare name.
std::string FolderOf(const std::string& path);

/// The absolute form of `path`, resolved against the current folder, at most 259
/// characters. False when it cannot be resolved or does not fit.
bool GetFullPath(const std::string& path, std::string* fullPath);

/// True when `path` does not depend on the current folder: "/x" on POSIX; "C:\x",
/// "\\server\x" or "\x" (the current drive) on Windows.
bool IsAbsolutePath(const std::string& path);

#endif  // TARVO_PLATFORM_FILE_SYSTEM_H_
