#include "launch/erun_command_line.h"

std::optional<std::string> BuildERunCommandLine(const std::string& registeredCommand,
                                                const std::string& outputScriptPath) {
  size_t placeholder = registeredCommand.find("\"%1\"");
  if (placeholder == std::string::npos)
    return std::nullopt;

  std::string program = registeredCommand.substr(0, placeholder);
  std::string commandLine;
  commandLine.reserve(program.size() + outputScriptPath.size() + 8);
  if (!program.empty() && program[0] == '"')
    commandLine = program;
  else
    commandLine = "\"" + program + "\"";
  commandLine += " /a \"";
  commandLine += outputScriptPath;
  commandLine += "\"";
  return commandLine;
}
