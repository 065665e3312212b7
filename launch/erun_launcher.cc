#include "launch/erun_launcher.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "base/paths.h"
#include "launch/erun_command_line.h"
#include "launch/query_registry_string.h"

namespace {

const char kOpenCommandKey[] = "ebsfile\\shell\\open\\command";

// The registered command: at most 511 characters and its terminator.
constexpr uint32_t kValueCapacity = 512;

}  // namespace

LaunchOutcome LaunchERun(const std::string& outputScriptPath, const FileHold& hold,
                         Registry& registry, ProcessStarter& processes, LaunchProgress& progress) {
  // Closed when the function returns, on every path, and so only after E-Run has ended.
  std::unique_ptr<RegistryKey> key;
  if (registry.OpenClassesRootKey(kOpenCommandKey, &key) != kRegistrySuccess)
    return LaunchOutcome::kNoRegistryKey;

  char value[kValueCapacity];
  uint32_t size = sizeof value;
  if (QueryRegistryString(*key, nullptr, value, &size) != kRegistrySuccess)
    return LaunchOutcome::kNoRegistryValue;

  // The value is a C string: it ends at its first zero byte.
  std::string registeredCommand(value, std::find(value, value + size, '\0'));
  std::optional<std::string> commandLine =
      BuildERunCommandLine(registeredCommand, outputScriptPath);
  if (!commandLine)
    return LaunchOutcome::kNoFileEntry;

  progress.Starting(*commandLine);
  std::unique_ptr<ChildProcess> erun =
      processes.Start(*commandLine, FolderOf(outputScriptPath), hold);
  if (!erun)
    return LaunchOutcome::kStartFailed;
  progress.Waiting(*erun);
  erun->WaitAndClose();
  return LaunchOutcome::kERunEnded;
}
