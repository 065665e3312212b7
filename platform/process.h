#ifndef TARVO_PLATFORM_PROCESS_H_
#define TARVO_PLATFORM_PROCESS_H_

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_system.h"

// Starting a child process and waiting for it, and whether a process still runs, one
// implementation per platform (process-win32.cc, process-posix.cc).

/// A process as the journal records it: its number, and when it was created, which tells
/// it from a later process that is given the same number. `created` counts as the system
/// does: 100-nanosecond steps since 1601 on Windows, clock ticks since the start of the
/// computer on POSIX; 0 when it is not known.
struct ProcessIdentity {
  uint32_t id = 0;
  uint64_t created = 0;
};

/// A started child process. It shares our console and environment; nothing of its output
/// or exit status is read.
class ChildProcess {
 public:
  virtual ~ChildProcess() = default;

  /// Blocks, without time-out, until the process has ended, then releases it.
  virtual void WaitAndClose() = 0;
  /// Which process it is, taken while it is held, so that the number is still its own.
  virtual ProcessIdentity Identity() const = 0;
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

enum class ProcessState {
  kRunning,
  kGone,        // no process of that number runs, or a later one has it, or it has exited
  kCannotTell,  // the system does not say (access denied), or its creation time is unknown
};

/// Whether a process still runs. Abstract so that the journal's rules can be tested with a
/// fake; SystemProcessCheck() asks the system.
class ProcessCheck {
 public:
  virtual ~ProcessCheck() = default;
  virtual ProcessState Look(const ProcessIdentity& process) = 0;
};

ProcessCheck& SystemProcessCheck();

/// This process, as ProcessCheck looks for it.
ProcessIdentity ThisProcess();

#endif  // TARVO_PLATFORM_PROCESS_H_
