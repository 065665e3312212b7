#ifndef TARVO_PLATFORM_FILE_SYSTEM_SHARED_H_
#define TARVO_PLATFORM_FILE_SYSTEM_SHARED_H_

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

// Between file_system.cc, which holds what both platforms share, and the platform twins.

/// Calls `tryLock` until it gives true, every 50 ms for at most 10 seconds: another run
/// holds a locked file only for a read and a write. False when it never gave true.
bool RetryLock(const std::function<bool()>& tryLock);

/// Per platform: waits `milliseconds`. Not through the C++ library, whose timed waits on
/// Windows go through a function that Windows XP lacks (see windows_xp-win32.cc).
void SleepMilliseconds(unsigned milliseconds);

/// FileSystem::ReadFile once the file is open: `read` fills a buffer and gives the count
/// of bytes, 0 at the end of the file or -1 on an error. `size` is the file's size as the
/// file system gives it.
ReadOutcome ReadOpenFile(uint64_t size, const std::function<int64_t(char*, size_t)>& read,
                         std::string* text);

/// FileSystem::WriteFile, through the platform's steps below.
WriteOutcome WriteThroughNewFile(const std::string& path, const FilePieces& pieces, FileHold* hold,
                                 size_t* written);

/// What the platforms' file systems share: writing goes through WriteThroughNewFile.
class DiskFileSystem : public FileSystem {
 public:
  WriteOutcome WritePieces(const std::string& path, const FilePieces& pieces, FileHold* hold,
                           size_t* written) override {
    return WriteThroughNewFile(path, pieces, hold, written);
  }
};

/// Per platform: true when `path` is an existing file marked read-only, which a save must
/// not replace.
bool IsReadOnlyFile(const std::string& path);

enum class NewFileOutcome { kWritten, kIncomplete, kNameTaken, kFailed };

/// Per platform: creates the file `path`, which must not exist yet, has an interrupt
/// remove it (RemoveOnInterrupt), writes the pieces to it and closes it. `*written` counts
/// the bytes that reached it; kIncomplete when not all did or the file could not be closed.
/// Once a piece fails, the later ones are not written.
NewFileOutcome WriteNewFile(const std::string& path, const FilePieces& pieces, size_t* written);

/// Per platform: puts the closed file `from` in place of `target` in one step unless
/// another run holds `target`: kWritten, kHeld or kFailed. A link at `target` is replaced
/// itself, never followed. With `hold`, the file is held from before anyone else can
/// replace it.
WriteOutcome PutInPlace(const std::string& from, const std::string& target, FileHold* hold);

/// Remembers `path` as the temporary file that an interrupt must remove, and has the
/// platform's handler installed the first time. One file at a time: a later call replaces
/// the one remembered.
void RemoveOnInterrupt(const std::string& path);
/// Forgets `path` once it is in place or gone.
void ForgetOnInterrupt(const std::string& path);
/// For the handlers: the file to remove, or nullptr. Safe in a signal handler.
const char* FileToRemoveOnInterrupt();

/// Per platform: installs the handler that removes FileToRemoveOnInterrupt() and then
/// ends the program as the interrupt would have.
void InstallInterruptCleanup();

#endif  // TARVO_PLATFORM_FILE_SYSTEM_SHARED_H_
