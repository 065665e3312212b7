#ifndef TARVO_PLATFORM_PROCESS_H_
#define TARVO_PLATFORM_PROCESS_H_

#include <memory>
#include <string>

// Starting a child process and waiting for it, one implementation per platform
// (process-win32.cc, process-posix.cc).

/// A started child process. It shares our console, environment and current folder;
/// nothing of its output or exit status is read.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;

  /// Blocks, without time-out, until the process has ended, then releases it.
  virtual void WaitAndClose() = 0;
};

/// Starts `commandLine`, whose first token names the program, the way CreateProcessA
/// does. Returns nullptr when the process cannot be started. The command line is
/// passed whole, however long.
std::unique_ptr<ChildProcess> StartProcess(const std::string& commandLine);

#endif  // TARVO_PLATFORM_PROCESS_H_
