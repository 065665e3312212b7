// Arbitrary registered open commands and script paths through the E-Run command-line
// builder. The input is the registry value, a NUL byte, then the path (both end at a
// NUL, as the C strings they come from do). The result is either the program part
// before the first quoted placeholder, quoted, followed by " /a" and the quoted path,
// or the "no placeholder" outcome exactly when the value holds no quoted %1.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "launch/erun_command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  size_t end = bytes.find('\0');
  std::string registered = bytes.substr(0, end);
  std::string path;
  if (end != std::string::npos) {
    path = bytes.substr(end + 1);
    path = path.substr(0, path.find('\0'));
  }

  std::optional<std::string> commandLine = BuildERunCommandLine(registered, path);
  size_t placeholder = registered.find("\"%1\"");
  if (placeholder == std::string::npos) {
    FUZZ_CHECK(!commandLine);
    return 0;
  }
  FUZZ_CHECK(commandLine.has_value());
  std::string program = registered.substr(0, placeholder);
  if (program.empty() || program[0] != '"')
    program = "\"" + program + "\"";
  FUZZ_CHECK(*commandLine == program + " /a \"" + path + "\"");
  return 0;
}
