// Arbitrary argument vectors (the input split at NUL bytes, as the C runtime hands them
// over) through parsing and the checks after parsing, under both rules for arguments
// that begin with '/'. Parsing and these checks read no file, so every input is cheap.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "base/paths.h"
#include "base/text_helpers.h"
#include "fuzz/fuzz_check.h"
#include "platform/file_system.h"

namespace {

using Arguments = std::vector<std::string>;

const char kWarning[] = "Warning: setting attribute to empty value: ";
const char kMissingEquals[] = "Missing '=' in attribute definition ";

bool IsSwitch(const std::string& argument, SlashSwitches slashSwitches) {
  if (StartsWith(argument, "-"))
    return true;
  return StartsWith(argument, "/") &&
         (slashSwitches == SlashSwitches::kAll || argument.size() == 2);
}

bool Contains(const Arguments& arguments, const std::string& argument) {
  for (const std::string& given : arguments) {
    if (given == argument)
      return true;
  }
  return false;
}

// A control character (CR and LF among them, not tab) or a double quote.
bool HasControlOrQuote(const std::string& text) {
  for (char c : text) {
    if ((c > 0 && c < 0x20 && c != '\t') || c == 0x7F || c == '"')
      return true;
  }
  return false;
}

bool IsTrimmed(const std::string& text) {
  return text.empty() || (!IsWhitespace(text.front()) && !IsWhitespace(text.back()));
}

bool SameResult(const ParseResult& a, const ParseResult& b) {
  return a.outcome == b.outcome && a.lines == b.lines &&
         a.request.scriptPath == b.request.scriptPath &&
         a.request.dataFileName == b.request.dataFileName &&
         a.request.dataFolder == b.request.dataFolder && a.request.noRun == b.request.noRun &&
         a.request.answerSummary == b.request.answerSummary &&
         a.request.dataCheck == b.request.dataCheck && a.request.journal == b.request.journal &&
         a.request.report == b.request.report && a.request.attributes == b.request.attributes &&
         a.request.setAside == b.request.setAside && a.request.balanced == b.request.balanced;
}

// A plain argument the request took must be one that was given, never a switch.
void CheckTaken(const std::optional<std::string>& field, const Arguments& arguments,
                SlashSwitches slashSwitches) {
  if (!field)
    return;
  FUZZ_CHECK(Contains(arguments, *field));
  FUZZ_CHECK(!IsSwitch(*field, slashSwitches));
}

void CheckOutputPath(const std::string& scriptPath) {
  bool ebs = scriptPath.size() >= 4;
  for (size_t i = 0; ebs && i < 4; ++i)
    ebs = UpperCaseAscii(scriptPath[scriptPath.size() - 4 + i]) == ".EBS"[i];
  FUZZ_CHECK(HasEbsExtension(scriptPath) == ebs);
  if (!ebs)
    return;

  std::string name = OutputScriptName(scriptPath);
  FUZZ_CHECK(name == scriptPath.substr(0, scriptPath.size() - 4) + "_tarvo.ebs");
  std::string fullPath;
  if (!GetFullPath(name, &fullPath))
    return;
  // Absolute, normalised, within the 259 characters, and still naming the same file.
  FUZZ_CHECK(StartsWith(fullPath, "/"));
  FUZZ_CHECK(fullPath.size() <= 259);
  FUZZ_CHECK(fullPath.find("//") == std::string::npos);
  FUZZ_CHECK(fullPath.find("/./") == std::string::npos);
  FUZZ_CHECK(fullPath.find("/../") == std::string::npos);
  std::string base = name.substr(name.rfind('/') + 1);
  FUZZ_CHECK(fullPath.size() > base.size() && fullPath.compare(fullPath.size() - base.size() - 1,
                                                               std::string::npos, "/" + base) == 0);
}

// What goes into a quoted text of the script can neither end it nor split its line, and
// no two names set one attribute of the script.
void CheckValues(const RunRequest& request) {
  std::set<std::string> squeezedNames;
  for (const auto& [name, value] : request.attributes) {
    FUZZ_CHECK(!name.empty());
    FUZZ_CHECK(IsTrimmed(name));
    FUZZ_CHECK(IsTrimmed(value));
    FUZZ_CHECK(!HasControlOrQuote(name + value));
    FUZZ_CHECK(squeezedNames.insert(SqueezeText(name)).second);
  }
  for (const auto& [name, values] : request.balanced) {
    FUZZ_CHECK(!name.empty() && IsTrimmed(name) && !HasControlOrQuote(name));
    FUZZ_CHECK(squeezedNames.insert(SqueezeText(name)).second);
    FUZZ_CHECK(!values.empty());
    for (const std::string& value : values)
      FUZZ_CHECK(!value.empty() && IsTrimmed(value) && !HasControlOrQuote(value));
  }
  for (const auto* field :
       {&request.dataFileName, &request.dataFolder, &request.journal, &request.report}) {
    FUZZ_CHECK(!*field || (field->value().find_first_not_of(" \t\v\f") != std::string::npos &&
                           !HasControlOrQuote(field->value()) &&
                           field->value().find_first_of("*?<>|") == std::string::npos));
  }
  for (const auto* field : {&request.dataFileName, &request.dataFolder})
    FUZZ_CHECK(!*field || !IsDriveRelativePath(**field));
}

void CheckParse(const Arguments& arguments, SlashSwitches slashSwitches) {
  ParseResult result = ParseCommandLine(arguments, slashSwitches);
  const RunRequest& request = result.request;

  size_t warnings = result.lines.size();
  if (result.outcome == ParseOutcome::kBadArgument) {
    FUZZ_CHECK(warnings > 0);
    const std::string& error = result.lines[--warnings];
    if (StartsWith(error, kMissingEquals)) {
      std::string argument = error.substr(sizeof kMissingEquals - 1);
      FUZZ_CHECK(Contains(arguments, argument));
      FUZZ_CHECK(argument.find('=') == std::string::npos);
    } else {
      FUZZ_CHECK(StartsWith(error, "Missing value for -") ||
                 StartsWith(error, "Line break in argument ") ||
                 StartsWith(error, "Control character in argument ") ||
                 StartsWith(error, "Double quote in ") ||
                 StartsWith(error, "Invalid character in -") ||
                 StartsWith(error, "Drive-relative path in -") ||
                 StartsWith(error, "Attribute given twice: ") ||
                 StartsWith(error, "Missing attribute name in argument ") ||
                 StartsWith(error, "Missing '=' in -B value: ") ||
                 StartsWith(error, "Missing value in -B value: ") ||
                 error == "A report (-R) takes no other arguments" ||
                 StartsWith(error, "The journal cannot be an .ebs or .edat file: "));
    }
  }
  for (size_t i = 0; i < warnings; ++i) {
    FUZZ_CHECK(StartsWith(result.lines[i], kWarning));
    FUZZ_CHECK(IsTrimmed(result.lines[i].substr(sizeof kWarning - 1)));
  }
  CheckValues(request);
  CheckTaken(request.scriptPath, arguments, slashSwitches);
  CheckTaken(request.dataFileName, arguments, slashSwitches);
  CheckTaken(request.dataFolder, arguments, slashSwitches);
  CheckTaken(request.journal, arguments, slashSwitches);
  CheckTaken(request.report, arguments, slashSwitches);

  if (result.outcome != ParseOutcome::kRun) {
    // The first argument that ends parsing decides; nothing after it is looked at.
    Arguments longer = arguments;
    longer.insert(longer.end(), {"-x", "no equals", "-H", "a=b"});
    FUZZ_CHECK(SameResult(result, ParseCommandLine(longer, slashSwitches)));
    return;
  }
  if (request.scriptPath)
    CheckOutputPath(*request.scriptPath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Arguments arguments;
  if (size > 0) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t begin = 0;
    for (;;) {
      size_t nul = bytes.find('\0', begin);
      arguments.push_back(bytes.substr(begin, nul - begin));
      if (nul == std::string::npos)
        break;
      begin = nul + 1;
    }
  }
  CheckParse(arguments, SlashSwitches::kAll);
  CheckParse(arguments, SlashSwitches::kTwoCharactersOnly);

  // The two rules differ only for longer arguments that begin with '/'.
  bool longSlash = false;
  for (const std::string& argument : arguments)
    longSlash = longSlash || (StartsWith(argument, "/") && argument.size() != 2);
  if (!longSlash) {
    FUZZ_CHECK(SameResult(ParseCommandLine(arguments, SlashSwitches::kAll),
                          ParseCommandLine(arguments, SlashSwitches::kTwoCharactersOnly)));
  }
  return 0;
}
