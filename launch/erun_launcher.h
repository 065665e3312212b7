#ifndef TARVO_LAUNCH_ERUN_LAUNCHER_H_
#define TARVO_LAUNCH_ERUN_LAUNCHER_H_

#include <string>

#include "platform/process.h"
#include "platform/registry.h"

/// How a launch of E-Run ended.
enum class LaunchOutcome {
  kNoRegistryKey,    // the key of the .ebs open command cannot be opened
  kNoRegistryValue,  // its default value is missing, not a string, or too long
  kNoFileEntry,      // the value holds no quoted "%1"
  kStartFailed,      // E-Run could not be started
  kERunEnded,        // E-Run ran and has ended
};

/// Hears of each step of a launch as it happens, so the caller can report it at once.
class LaunchProgress {
 public:
  virtual ~LaunchProgress() = default;
  /// E-Run is about to be started with `commandLine`.
  virtual void Starting(const std::string& commandLine) = 0;
  /// E-Run has started as `erun`; the launch now waits for it to end.
  virtual void Waiting(const ChildProcess& erun) = 0;
};

/// Starts E-Run on the rewritten script with the command E-Prime registered for opening
/// .ebs files (HKEY_CLASSES_ROOT\ebsfile\shell\open\command), in the script's folder, so
/// that the experiment's files and relative data file names are found as when the script
/// is opened from Explorer; hands it the script's `hold`; and waits, without time-out,
/// until it has ended. The registry key stays open until then.
LaunchOutcome LaunchERun(const std::string& outputScriptPath, const FileHold& hold,
                         Registry& registry, ProcessStarter& processes, LaunchProgress& progress);

#endif  // TARVO_LAUNCH_ERUN_LAUNCHER_H_
