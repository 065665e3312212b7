#ifndef TARVO_PLATFORM_FILE_SYSTEM_SHARED_H_
#define TARVO_PLATFORM_FILE_SYSTEM_SHARED_H_

#include <functional>
#include <string>

// Between file_system.cc, which holds what both platforms share, and the platform twins.

/// The bytes that separate folders in a path: "/" on POSIX, "\\/:" on Windows.
extern const char kPathSeparators[];

/// Calls `tryLock` until it gives true, every 50 ms for at most 10 seconds: another run
/// holds a locked file only for a read and a write. False when it never gave true.
bool RetryLock(const std::function<bool()>& tryLock);

/// Per platform: waits `milliseconds`. Not through the C++ library, whose timed waits on
/// Windows go through a function that Windows XP lacks (see windows_xp-win32.cc).
void SleepMilliseconds(unsigned milliseconds);

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
