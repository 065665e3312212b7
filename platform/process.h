#ifndef TARVO_PLATFORM_PROCESS_H_
#define TARVO_PLATFORM_PROCESS_H_

#include <memory>
#include <string>

#include "platform/file_system.h"

// Starting a child process and waiting for it, one implementation per platform
// (process-win32.cc, process-posix.cc).

/// A started child process. It shares our console and environment; nothing of its output
/// or exit status is read.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;

  /// Blocks, without time-out, until the process has ended, then releases it.
  virtual void WaitAndClose() = 0;
};

/// Starts child processes. Abstract so the launch can be tested with a fake;
/// SystemProcessStarter() starts real ones.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;

  /// Starts `commandLine`, whose first token names the program, the way CreateProcessA
  /// does, with `folder` as its current folder; a relative program path is resolved
  /// against ours. The child gets `hold`, so the held file stays held until the child has
  /// ended too, and no other file of ours; it starts with every signal at its default.
  /// Returns nullptr when the process cannot be started. The command line is passed whole,
  /// however long.
  virtual std::unique_ptr<ChildProcess> Start(const std::string& commandLine,
                                              const std::string& folder, const FileHold& hold) = 0;
};

ProcessStarter& SystemProcessStarter();

#endif  // TARVO_PLATFORM_PROCESS_H_
