#include "launch/launch_stage.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "launch/erun_command_line.h"
#include "launch/query_registry_string.h"
#include "platform/console.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace {

const char kOpenCommandKey[] = "ebsfile\\shell\\open\\command";

// The registered command: at most 511 characters and its terminator.
constexpr uint32_t kValueCapacity = 512;

}  // namespace

bool LaunchERun(const std::string& outputScriptPath) {
  // Closed when the function returns, on every path, and so only after E-Run has ended.
  std::unique_ptr<RegistryKey> key;
  if (OpenClassesRootKey(kOpenCommandKey, &key) != kRegistrySuccess) {
    PrintLine("Couldn't open ebsfile settings in registry\nWas E-Prime installed properly?");
    return false;
  }

  char value[kValueCapacity];
  uint32_t size = sizeof value;
  if (QueryRegistryString(*key, nullptr, value, &size) != kRegistrySuccess) {
    PrintLine("Couldn't get value for ebsfile\\shell\\open\\command in registry\n"
              "Was E-Prime installed properly?");
    return false;
  }

  // The value is a C string: it ends at its first zero byte.
  std::string registeredCommand(value, std::find(value, value + size, '\0'));
  std::optional<std::string> commandLine =
      BuildERunCommandLine(registeredCommand, outputScriptPath);
  if (!commandLine) {
    PrintLine("Couldn't locate file entry (%1) in registry settings\n"
              "Was E-Prime installed properly?");
    return false;
  }

  PrintLine("Starting E-Run:");
  PrintLine(*commandLine);
  std::unique_ptr<ChildProcess> erun = StartProcess(*commandLine);
  if (!erun) {
    PrintLine("E-Run failed");
    return true;
  }
  PrintLine("Waiting for E-Run to finish");
  erun->WaitAndClose();
  PrintLine("E-Run ready");
  return true;
}
