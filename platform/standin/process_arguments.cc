#include "platform/standin/process_arguments.h"

namespace {

bool IsSeparator(char c) {
  return c == ' ' || c == '\t';
}

std::string ProgramName(const std::string& commandLine) {
  std::string program;
  if (!commandLine.empty() && commandLine[0] == '"')
    program = commandLine.substr(1, commandLine.find('"', 1) - 1);
  else
    program = commandLine.substr(0, commandLine.find_first_of(" \t"));
  program.erase(program.find_last_not_of(' ') + 1);
  return program;
}

// The C runtime's argv[0] ends at the first blank outside quotes; its backslashes are
// plain characters. Returns where the arguments begin.
size_t SkipProgramToken(const std::string& commandLine) {
  bool inQuotes = false;
  size_t i = 0;
  for (; i < commandLine.size(); ++i) {
    if (commandLine[i] == '"')
      inQuotes = !inQuotes;
    else if (!inQuotes && IsSeparator(commandLine[i]))
      break;
  }
  return i;
}

}  // namespace

SplitCommandLine SplitWindowsCommandLine(const std::string& commandLine) {
  SplitCommandLine split;
  split.program = ProgramName(commandLine);

  const std::string& line = commandLine;
  size_t i = SkipProgramToken(line);
  while (true) {
    while (i < line.size() && IsSeparator(line[i]))
      ++i;
    if (i == line.size())
      break;
    std::string argument;
    bool inQuotes = false;
    while (i < line.size()) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
        } else if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
          argument += '"';
          ++i;
        } else {
          inQuotes = !inQuotes;
        }
        ++i;
        continue;
      }
      argument.append(backslashes, '\\');
      if (i == line.size() || (!inQuotes && IsSeparator(line[i])))
        break;
      argument += line[i++];
    }
    split.arguments.push_back(argument);
  }
  return split;
}
