#include "app/command_line.h"

#include "textfile/text_helpers.h"
#include "textfile/trim.h"

namespace {

enum class ArgumentState {
  kExpectScript,
  kExpectDataFileName,
  kExpectDataFolder,
  kExpectAttribute
};

bool IsSwitch(const std::string& argument, SlashSwitches slashSwitches) {
  if (argument.empty())
    return false;
  if (argument[0] == '-')
    return true;
  if (argument[0] == '/')
    return slashSwitches == SlashSwitches::kAll || argument.size() == 2;
  return false;
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& arguments,
                             SlashSwitches slashSwitches) {
  ParseResult result;
  RunRequest& request = result.request;
  ArgumentState state = ArgumentState::kExpectScript;
  // The letter of a -F, -O or -I still waiting for its value, or 0.
  char pendingSwitch = 0;

  auto fail = [&](std::string line) {
    result.lines.push_back(std::move(line));
    result.outcome = ParseOutcome::kBadArgument;
    return result;
  };
  auto missingValue = [&]() { return fail(std::string("Missing value for -") + pendingSwitch); };

  for (size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    // Counted as the user counts them: 1 is the first argument after the program's name.
    auto lineBreak = [&]() { return fail("Line break in argument " + std::to_string(index + 1)); };
    if (IsSwitch(argument, slashSwitches)) {
      // An unset variable in a batch file ("-O %DATADIR%") leaves the switch without its
      // value; taking the next switch silently would put the data elsewhere.
      if (pendingSwitch != 0)
        return missingValue();
      if (argument.size() != 2) {
        result.outcome = ParseOutcome::kBadSwitch;
        return result;
      }
      char letter = UpperCaseAscii(argument[1]);
      switch (letter) {
        case '?':
        case 'H':
          result.outcome = ParseOutcome::kShowUsage;
          return result;
        case 'F':
          state = ArgumentState::kExpectDataFileName;
          pendingSwitch = letter;
          break;
        case 'O':
          state = ArgumentState::kExpectDataFolder;
          pendingSwitch = letter;
          break;
        case 'I':
          state = ArgumentState::kExpectScript;
          pendingSwitch = letter;
          break;
        case 'N':
          request.noRun = true;
          state = ArgumentState::kExpectAttribute;
          break;
        case 'Y':
          request.answerSummary = true;
          state = ArgumentState::kExpectAttribute;
          break;
        default:
          result.outcome = ParseOutcome::kBadSwitch;
          return result;
      }
      continue;
    }
    if (pendingSwitch != 0 && argument.empty())
      return missingValue();
    pendingSwitch = 0;

    switch (state) {
      case ArgumentState::kExpectScript:
        request.scriptPath = argument;
        break;
      case ArgumentState::kExpectDataFileName:
      case ArgumentState::kExpectDataFolder: {
        // Both end up inside a quoted text of the script: a line break would split its
        // line, and a quote can only come from cmd's trap -O "C:\My Data\" (the backslash
        // keeps the quote open and swallows the rest of the line).
        if (argument.find_first_of("\r\n") != std::string::npos)
          return lineBreak();
        bool folder = state == ArgumentState::kExpectDataFolder;
        if (argument.find('"') != std::string::npos)
          return fail(std::string("Double quote in ") + (folder ? "-O" : "-F") +
                      " value: " + argument);
        (folder ? request.dataFolder : request.dataFileName) = argument;
        break;
      }
      case ArgumentState::kExpectAttribute: {
        size_t equals = argument.find('=');
        if (equals == std::string::npos)
          return fail("Missing '=' in attribute definition " + argument);
        std::string name = argument.substr(0, equals);
        std::string value = argument.substr(equals + 1);
        Trim(name);
        Trim(value);
        if ((name + value).find_first_of("\r\n") != std::string::npos)
          return lineBreak();
        if (value.empty())
          result.lines.push_back("Warning: setting attribute to empty value: " + name);
        if (!name.empty())
          request.attributes[name] = value;
        break;
      }
    }
    state = ArgumentState::kExpectAttribute;
  }
  if (pendingSwitch != 0)
    return missingValue();
  return result;
}

bool HasEbsExtension(const std::string& scriptPath) {
  if (scriptPath.size() < 4)
    return false;
  static const char kExtension[] = ".EBS";
  for (size_t i = 0; i < 4; ++i) {
    if (UpperCaseAscii(scriptPath[scriptPath.size() - 4 + i]) != kExtension[i])
      return false;
  }
  return true;
}

bool IsLaterEPrimeScript(const std::string& scriptPath) {
  size_t size = scriptPath.size();
  return size >= 5 && HasEbsExtension(scriptPath.substr(0, size - 1)) &&
         (scriptPath[size - 1] == '2' || scriptPath[size - 1] == '3');
}

std::string OutputScriptName(const std::string& scriptPath) {
  return scriptPath.substr(0, scriptPath.size() - 4) + "_tarvo.ebs";
}
