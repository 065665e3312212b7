#include "app/command_line.h"

#include "base/paths.h"
#include "base/text_helpers.h"
#include "base/trim.h"

namespace {

// What the next plain argument is. Each state but the first and the last waits for the
// value of its switch.
enum class ArgumentState {
  kFirstArgument,  // the script, unless a switch came first
  kExpectScript,   // after -I
  kExpectDataFileName,
  kExpectDataFolder,
  kExpectJournal,
  kExpectReport,
  kExpectBalanced,
  kExpectAttribute
};

// The letter of the switch whose value `state` waits for, or 0.
char PendingSwitch(ArgumentState state) {
  switch (state) {
    case ArgumentState::kExpectScript:
      return 'I';
    case ArgumentState::kExpectDataFileName:
      return 'F';
    case ArgumentState::kExpectDataFolder:
      return 'O';
    case ArgumentState::kExpectJournal:
      return 'L';
    case ArgumentState::kExpectReport:
      return 'R';
    case ArgumentState::kExpectBalanced:
      return 'B';
    case ArgumentState::kFirstArgument:
    case ArgumentState::kExpectAttribute:
      break;
  }
  return 0;
}

bool IsSwitch(const std::string& argument, SlashSwitches slashSwitches) {
  if (argument.empty())
    return false;
  if (argument[0] == '-')
    return true;
  if (argument[0] == '/')
    return slashSwitches == SlashSwitches::kAll || argument.size() == 2;
  return false;
}

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// Bytes 0x01 to 0x1F other than tab, and 0x7F: no script line can hold them as typed (a
// Ctrl-Z would even end the script when it is read again).
bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    if ((c > 0 && c < 0x20 && c != '\t') || c == 0x7F)
      return true;
  }
  return false;
}

bool IsBlankText(std::string text) {
  Trim(text);
  return text.empty();
}

// The checks of a value that names a file, for -F, -O, -L, -R and TARVO_JOURNAL, in their
// order; "" when it passes. Such a value ends up inside a quoted text of the script or in
// the journal's rows: a line break would split its line, and a quote can only come from
// cmd's trap -O "C:\My Data\" (the backslash keeps the quote open and swallows the rest of
// the line). No file name holds * ? < > |. `source` names the switch or the variable;
// `argument` is the value's number on the command line, 0 for the variable, whose line
// break counts as a control character.
std::string FileValueRefusal(const std::string& value, const std::string& source, size_t argument) {
  std::string where = argument == 0 ? source : "argument " + std::to_string(argument);
  if (HasLineBreak(value) && argument != 0)
    return "Line break in " + where;
  if (HasControlCharacter(value))
    return "Control character in " + where;
  if (value.find('"') != std::string::npos)
    return "Double quote in " + source + " value: " + value;
  if (value.find_first_of("*?<>|") != std::string::npos)
    return "Invalid character in " + source + " value: " + value;
  return std::string();
}

// Takes the arguments one at a time. Each Take* step applies one rule and returns false
// when the argument ends the parse; the outcome and its lines are then in `result_`.
class Parser {
 public:
  explicit Parser(SlashSwitches slashSwitches) : slashSwitches_(slashSwitches) {}

  ParseResult Parse(const std::vector<std::string>& arguments) {
    for (size_t index = 0; index < arguments.size(); ++index) {
      if (IsSwitch(arguments[index], slashSwitches_) && arguments[index].size() == 2 &&
          UpperCaseAscii(arguments[index][1]) == 'R')
        return ParseReport(arguments, index);
    }
    for (size_t index = 0; index < arguments.size(); ++index) {
      // Counted as the user counts them: 1 is the first argument after the program's name.
      number_ = index + 1;
      const std::string& argument = arguments[index];
      if (!(IsSwitch(argument, slashSwitches_) ? TakeSwitch(argument) : TakePlain(argument)))
        return result_;
    }
    if (PendingSwitch(state_) != 0)
      MissingValue();
    return result_;
  }

 private:
  // tarvo -R <journal>: a report instead of a run, so that nothing else can be asked for.
  // The value's own checks come first, then any other argument, a second -R among them.
  ParseResult ParseReport(const std::vector<std::string>& arguments, size_t index) {
    state_ = ArgumentState::kExpectReport;
    number_ = index + 2;
    bool valueGiven =
        index + 1 < arguments.size() && !IsSwitch(arguments[index + 1], slashSwitches_);
    if (!valueGiven) {
      MissingValue();
      return result_;
    }
    if (!TakePlain(arguments[index + 1]))
      return result_;
    if (arguments.size() != 2)
      Fail("A report (-R) takes no other arguments");
    return result_;
  }

  bool Fail(std::string line) {
    result_.lines.push_back(std::move(line));
    result_.outcome = ParseOutcome::kBadArgument;
    return false;
  }

  bool MissingValue() { return Fail(std::string("Missing value for -") + PendingSwitch(state_)); }

  bool LineBreak() { return Fail("Line break in argument " + std::to_string(number_)); }

  bool ControlCharacter() {
    return Fail("Control character in argument " + std::to_string(number_));
  }

  bool BadSwitch() {
    result_.outcome = ParseOutcome::kBadSwitch;
    return false;
  }

  // A switch: exactly two characters, the letter in either case.
  bool TakeSwitch(const std::string& argument) {
    // An unset variable in a batch file ("-O %DATADIR%") leaves the switch without its
    // value; taking the next switch silently would put the data elsewhere.
    if (PendingSwitch(state_) != 0)
      return MissingValue();
    if (argument.size() != 2)
      return BadSwitch();
    char letter = UpperCaseAscii(argument[1]);
    switch (letter) {
      case '?':
      case 'H':
        result_.outcome = ParseOutcome::kShowUsage;
        return false;
      case 'F':
        return ExpectValue(ArgumentState::kExpectDataFileName);
      case 'O':
        return ExpectValue(ArgumentState::kExpectDataFolder);
      case 'I':
        return ExpectValue(ArgumentState::kExpectScript);
      case 'L':
        return ExpectValue(ArgumentState::kExpectJournal);
      case 'R':
        return ExpectValue(ArgumentState::kExpectReport);
      case 'B':
        return ExpectValue(ArgumentState::kExpectBalanced);
      case 'A':
        result_.request.setAside = true;
        state_ = ArgumentState::kExpectAttribute;
        return true;
      case 'D':
        result_.request.dataCheck = true;
        state_ = ArgumentState::kExpectAttribute;
        return true;
      case 'N':
        result_.request.noRun = true;
        state_ = ArgumentState::kExpectAttribute;
        return true;
      case 'Y':
        result_.request.answerSummary = true;
        state_ = ArgumentState::kExpectAttribute;
        return true;
      default:
        return BadSwitch();
    }
  }

  bool ExpectValue(ArgumentState state) {
    state_ = state;
    return true;
  }

  // A plain argument: the state says what it is.
  bool TakePlain(const std::string& argument) {
    // An empty value is no value; so is a blank file name, folder or journal.
    bool blankFileValue = state_ == ArgumentState::kExpectDataFileName ||
                          state_ == ArgumentState::kExpectDataFolder ||
                          state_ == ArgumentState::kExpectJournal ||
                          state_ == ArgumentState::kExpectReport;
    if (PendingSwitch(state_) != 0 &&
        (argument.empty() || (blankFileValue && IsBlankText(argument))))
      return MissingValue();
    ArgumentState state = state_;
    state_ = ArgumentState::kExpectAttribute;
    switch (state) {
      case ArgumentState::kFirstArgument:
      case ArgumentState::kExpectScript:
        result_.request.scriptPath = argument;
        return true;
      case ArgumentState::kExpectDataFileName:
        return TakeFileValue(argument, 'F', &result_.request.dataFileName);
      case ArgumentState::kExpectDataFolder:
        return TakeFileValue(argument, 'O', &result_.request.dataFolder);
      case ArgumentState::kExpectJournal:
        return TakeJournal(argument, 'L', &result_.request.journal);
      case ArgumentState::kExpectReport:
        return TakeJournal(argument, 'R', &result_.request.report);
      case ArgumentState::kExpectBalanced:
        return TakeBalanced(argument);
      case ArgumentState::kExpectAttribute:
        return TakeAttribute(argument);
    }
    return true;
  }

  bool TakeJournal(const std::string& argument, char letter, std::optional<std::string>* field) {
    std::string refusal = JournalNameRefusal(argument, std::string("-") + letter, number_);
    if (!refusal.empty())
      return Fail(refusal);
    *field = argument;
    return true;
  }

  // A -F or -O value ends up inside a quoted text of the script.
  bool TakeFileValue(const std::string& argument, char letter, std::optional<std::string>* field) {
    std::string switchName = std::string("-") + letter;
    std::string refusal = FileValueRefusal(argument, switchName, number_);
    if (!refusal.empty())
      return Fail(refusal);
    // "C:x.txt" means the drive's current folder, which is E-Run's business, not ours.
    if (IsDriveRelativePath(argument))
      return Fail("Drive-relative path in " + switchName + " value: " + argument);
    *field = argument;
    return true;
  }

  // name=value: both trimmed; a later definition of a name replaces an earlier one. A
  // quote would end the value's string literal early: after cmd's trap
  // Group="C:\dir\" Subject=12 -N the value swallows Subject and -N.
  bool TakeAttribute(const std::string& argument) {
    std::string name, value;
    if (!SplitDefinition(argument, "attribute definition ", "attribute definition: ", &name,
                         &value))
      return false;
    if (value.empty())
      result_.lines.push_back("Warning: setting attribute to empty value: " + name);
    if (!NewName(name, false))
      return false;
    result_.request.attributes[name] = value;
    return true;
  }

  // -B name=value,value,...: each value trimmed, none empty.
  bool TakeBalanced(const std::string& argument) {
    std::string name, list;
    if (!SplitDefinition(argument, "-B value: ", "-B value: ", &name, &list))
      return false;
    std::vector<std::string> values;
    for (size_t from = 0;;) {
      size_t comma = std::min(list.find(',', from), list.size());
      std::string value = list.substr(from, comma - from);
      Trim(value);
      if (value.empty())
        return Fail("Missing value in -B value: " + argument);
      values.push_back(value);
      if (comma == list.size())
        break;
      from = comma + 1;
    }
    if (!NewName(name, true))
      return false;
    result_.request.balanced[name] = values;
    return true;
  }

  // Splits name=value and trims both; false after the refusal of what neither may hold.
  bool SplitDefinition(const std::string& argument, const std::string& missingEquals,
                       const std::string& doubleQuote, std::string* name, std::string* value) {
    size_t equals = argument.find('=');
    if (equals == std::string::npos)
      return Fail("Missing '=' in " + missingEquals + argument);
    *name = argument.substr(0, equals);
    *value = argument.substr(equals + 1);
    Trim(*name);
    Trim(*value);
    if (HasLineBreak(*name) || HasLineBreak(*value))
      return LineBreak();
    if (HasControlCharacter(*name) || HasControlCharacter(*value))
      return ControlCharacter();
    if (argument.find('"') != std::string::npos)
      return Fail("Double quote in " + doubleQuote + argument);
    // "%NAME%=5" with the variable unset: the value would be dropped in silence.
    if (name->empty())
      return Fail("Missing attribute name in argument " + std::to_string(number_));
    return true;
  }

  // Names match the script blank- and case-blind, so two that differ only so would set
  // one attribute twice, and one of them would silently win. Only a plain definition
  // replaces an earlier one of the very same name. False after the refusal.
  bool NewName(const std::string& name, bool balanced) {
    auto clashes = [&](const std::string& other, bool otherBalanced) {
      return SqueezeText(other) == SqueezeText(name) &&
             (other != name || balanced || otherBalanced);
    };
    bool twice = false;
    for (const auto& entry : result_.request.attributes)
      twice = twice || clashes(entry.first, false);
    for (const auto& entry : result_.request.balanced)
      twice = twice || clashes(entry.first, true);
    return !twice || Fail("Attribute given twice: " + name);
  }

  SlashSwitches slashSwitches_;
  ParseResult result_;
  ArgumentState state_ = ArgumentState::kFirstArgument;
  size_t number_ = 0;
};

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& arguments,
                             SlashSwitches slashSwitches) {
  return Parser(slashSwitches).Parse(arguments);
}

std::string JournalNameRefusal(const std::string& value, const std::string& source,
                               size_t argument) {
  if (IsBlankText(value))
    return "Missing value for " + source;
  std::string refusal = FileValueRefusal(value, source, argument);
  if (!refusal.empty())
    return refusal;
  // Windows drops dots and blanks at the end of a name: "x.edat." is x.edat.
  std::string name = value.substr(0, value.find_last_not_of(". ") + 1);
  if (EndsWithInsensitive(name, ".ebs") || EndsWithInsensitive(name, ".edat"))
    return "The journal cannot be an .ebs or .edat file: " + value;
  return std::string();
}

bool HasEbsExtension(const std::string& scriptPath) {
  return EndsWithInsensitive(scriptPath, ".ebs");
}

std::string OutputScriptName(const std::string& scriptPath) {
  return scriptPath.substr(0, scriptPath.size() - 4) + "_tarvo.ebs";
}
