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

  for (const std::string& argument : arguments) {
    if (IsSwitch(argument, slashSwitches)) {
      if (argument.size() != 2) {
        result.outcome = ParseOutcome::kBadSwitch;
        return result;
      }
      switch (UpperCaseAscii(argument[1])) {
        case '?':
        case 'H':
          result.outcome = ParseOutcome::kShowUsage;
          return result;
        case 'F':
          state = ArgumentState::kExpectDataFileName;
          break;
        case 'O':
          state = ArgumentState::kExpectDataFolder;
          break;
        case 'I':
          state = ArgumentState::kExpectScript;
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

    switch (state) {
      case ArgumentState::kExpectScript:
        request.scriptPath = argument;
        break;
      case ArgumentState::kExpectDataFileName:
        request.dataFileName = argument;
        break;
      case ArgumentState::kExpectDataFolder:
        request.dataFolder = argument;
        break;
      case ArgumentState::kExpectAttribute: {
        size_t equals = argument.find('=');
        if (equals == std::string::npos) {
          result.lines.push_back("Missing '=' in attribute definition " + argument);
          result.outcome = ParseOutcome::kMissingEquals;
          return result;
        }
        std::string name = argument.substr(0, equals);
        std::string value = argument.substr(equals + 1);
        Trim(name);
        Trim(value);
        if (value.empty())
          result.lines.push_back("Warning: setting attribute to empty value: " + name);
        if (!name.empty())
          request.attributes[name] = value;
        break;
      }
    }
    state = ArgumentState::kExpectAttribute;
  }
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
