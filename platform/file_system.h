#ifndef TARVO_PLATFORM_FILE_SYSTEM_H_
#define TARVO_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The file operations of the program. FileSystem is the seam: reading, writing and holding
// a script go through it, so tests can make any step fail. RealFileSystem() is the
// platform's own (file_system-posix.cc, file_system-win32.cc); what both share is in
// file_system.cc. Files are always binary: line ends are translated by our own code, so
// both builds behave alike.

/// A file's bytes, given piece by piece, each to `write` in turn: a long file, such as a
/// report's page, is so written without being held whole.
using WritePiece = std::function<void(std::string_view piece)>;
using FilePieces = std::function<void(const WritePiece& write)>;

/// A run's hold on the file it put in place: while it lasts, no other run's
/// FileSystem::WriteFile replaces that file, and any program can still read it.
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
  kLinkToNothing,  // a link whose file does not exist: a file is never created through one
  kFailed,
};

/// What a locked file is opened for. Either way it is locked against every other run.
enum class LockFor {
  kAppending,  // created when missing, but never through a link
  kReading,    // only an existing file
};

/// What can be said of a path.
enum class Presence {
  kThere,
  kNotThere,    // no such file, or no such folder on the way to it
  kCannotTell,  // the file system did not say: a share offline, a folder without access
};

enum class ReadOutcome {
  kRead,
  kCannotOpen,
  kFailed,  // a read error part-way, or a file too large to hold
};

enum class WriteOutcome {
  kWritten,
  kFailed,      // no file could be made, or it cannot take the target's place
  kIncomplete,  // the bytes did not all reach the disk
  kHeld,        // another run holds the target
};

enum class MoveOutcome {
  kMoved,
  kTaken,  // the new name is taken: nothing was moved
  kFailed,
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Reads the whole file at `path` into `text`. kCannotOpen when it cannot be opened or
  /// is no disk file (a folder, a device such as CON or /dev/zero, a named pipe); never
  /// blocks. kFailed on a read error, with what was read before it in `text`, and for a
  /// file of more than kLargestFile bytes, far more than any script, with nothing read.
  virtual ReadOutcome ReadFile(const std::string& path, std::string* text) = 0;

  /// Puts a file holding `bytes` in place of `path` in one step, so a failure leaves
  /// whatever stood there untouched: they go to a new file beside it, which then replaces
  /// `path`. An interrupt of the program (Ctrl+C, closing the console, SIGINT, SIGTERM,
  /// SIGHUP) removes that new file. A read-only file is not replaced, nor a link followed.
  /// kIncomplete says in `*written` how many bytes reached the disk, all of them when the
  /// file could not be closed. Fails with kHeld while another run holds `path`; with
  /// `hold`, this run holds it from before anyone else can replace it until `hold` is
  /// released.
  WriteOutcome WriteFile(const std::string& path, const std::string& bytes, FileHold* hold,
                         size_t* written) {
    return WritePieces(
        path, [&bytes](const WritePiece& write) { write(bytes); }, hold, written);
  }
  /// The same, its bytes given in pieces.
  virtual WriteOutcome WritePieces(const std::string& path, const FilePieces& pieces,
                                   FileHold* hold, size_t* written) = 0;

  /// Opens `path` for `lockFor` and locks the whole file, waiting up to 10 seconds for
  /// another run's lock without blocking. Only a disk file: a folder or a device is
  /// kFailed, and so is a missing file to read.
  virtual LockOutcome OpenLocked(const std::string& path, LockFor lockFor,
                                 std::unique_ptr<LockedFile>* file) = 0;

  /// Whether `path` names an existing entry (any kind counts).
  virtual Presence Look(const std::string& path) = 0;
  /// Whether another run holds `path` (FileHold), so that WriteFile would fail with kHeld.
  virtual bool Held(const std::string& path) = 0;

  /// Gives the file `from` the new name `to` in the same folder, never replacing a file that
  /// has that name: kTaken when one does, and `from` stays as it was.
  virtual MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) = 0;

  /// Whether `a` and `b` name one file: by the file's identity where both exist (volume and
  /// file index on Windows, device and inode on POSIX), so that a link, a mapped drive and
  /// its share name count as one; by their full paths otherwise, in any letter case on
  /// Windows.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
};

FileSystem& RealFileSystem();

/// The largest file that ReadFile reads: 64 MiB, far more than any script, which the
/// 32-bit program holds as lines with room to spare.
constexpr size_t kLargestFile = size_t{64} * 1024 * 1024;

/// The absolute form of `path`, resolved against the current folder, at most 259
/// characters. False when it cannot be resolved or does not fit.
bool GetFullPath(const std::string& path, std::string* fullPath);

/// True when `path` does not depend on the current folder: "/x" on POSIX; "C:\x",
/// "\\server\x" or "\x" (the current drive) on Windows.
bool IsAbsolutePath(const std::string& path);

#endif  // TARVO_PLATFORM_FILE_SYSTEM_H_
