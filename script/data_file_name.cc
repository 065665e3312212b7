#include "script/data_file_name.h"

#include <map>
#include <vector>

#include "base/text_helpers.h"
#include "base/trim.h"
#include "script/prompt_section.h"

namespace {

using Tokens = std::vector<Token>;

// A text, or what keeps it from being known.
struct Value {
  std::optional<std::string> text;
  std::string unknown;
};

Value Unknown(std::string_view part) {
  return {std::nullopt, std::string(part)};
}

// Where the parenthesis opened at `open` closes, or `end`.
size_t Closing(const Tokens& tokens, size_t open, size_t end) {
  int depth = 0;
  for (size_t i = open; i < end; ++i) {
    depth += IsSymbol(tokens, i, "(") ? 1 : IsSymbol(tokens, i, ")") ? -1 : 0;
    if (depth == 0)
      return i;
  }
  return end;
}

// The code that tokens [first, end) stand for, as written.
std::string_view Part(const Tokens& tokens, size_t first, size_t end) {
  if (first >= end)
    return std::string_view();
  const char* begin = tokens[first].text.data();
  return std::string_view(begin, tokens[end - 1].text.data() + tokens[end - 1].text.size() - begin);
}

// What a statement may have changed without a value that can be told: the part of the
// expression that reads it is then what is not understood.
const Value kChanged = {std::nullopt, ""};

Value Read(const Value& value, std::string_view part) {
  return value.text || !value.unknown.empty() ? value : Unknown(part);
}

// The values of the variables and attributes that the main routine sets, statement by
// statement, up to a point.
class Evaluator {
 public:
  Evaluator(const MainRoutine& routine, const AttributesBySqueezedName& given, size_t end)
      : routine_(routine), given_(given), runs_(routine, given) {
    for (size_t i = 0; i < end; ++i)
      Take(i);
  }

  // The value of tokens [first, end): terms joined by &.
  Value Expression(const Tokens& tokens, size_t first, size_t end) const {
    std::string text;
    size_t term = first;
    int depth = 0;
    for (size_t i = first; i <= end; ++i) {
      if (i < end && !IsSymbol(tokens, i, "&")) {
        depth += IsSymbol(tokens, i, "(") ? 1 : IsSymbol(tokens, i, ")") ? -1 : 0;
        continue;
      }
      if (i < end && depth != 0)
        continue;
      Value value = Term(tokens, term, i);
      if (!value.text)
        return value;
      text += *value.text;
      term = i + 1;
    }
    return {text, ""};
  }

  Value Attribute(std::string_view name, std::string_view part) const {
    std::string key = SqueezeText(name);
    auto given = given_.find(key);
    if (given != given_.end() && given->second)
      return {given->second, ""};
    if (FindPromptSection(routine_, name))
      return Unknown(name);  // still asked for when the experiment starts
    auto set = attributes_.find(key);
    if (set != attributes_.end())
      return Read(set->second, name);
    for (const std::string& ending : endings_) {
      if (EndsWith(key, ending))
        return Unknown(name);
    }
    return Unknown(anyAttribute_ ? std::string_view(name) : part);
  }

 private:
  Value Term(const Tokens& tokens, size_t first, size_t end) const {
    std::string_view part = Part(tokens, first, end);
    if (end == first + 1 && tokens[first].kind == Token::kString) {
      std::optional<std::string> text = DecodeLiteral(tokens[first].text);
      return text ? Value{text, ""} : Unknown(part);
    }
    if (end > first + 2 && tokens[first].IsNameInsensitive("CSTR") &&
        IsSymbol(tokens, first + 1, "(") && Closing(tokens, first + 1, end) == end - 1)
      return Expression(tokens, first + 2, end - 1);
    if (end == first + 6) {
      if (std::optional<std::string> name = ContextCallName(tokens, first, "GETATTRIB"))
        return Attribute(*name, part);
    }
    if (end == first + 1 && tokens[first].kind == Token::kName) {
      auto variable = variables_.find(SqueezeText(tokens[first].text));
      return variable != variables_.end() ? Read(variable->second, part) : Unknown(part);
    }
    return Unknown(part);
  }

  // A routine that the script does not define, called with a variable, may change it
  // (E-Basic passes by reference), and one called with the context may set any attribute.
  void TakeOtherCall(const Statement& statement) {
    const Tokens& tokens = statement.tokens;
    for (size_t i = 1; i < tokens.size(); ++i) {
      bool member = IsSymbol(tokens, i - 1, ".") || IsSymbol(tokens, i + 1, ".");
      if (tokens[i].kind != Token::kName || member)
        continue;
      std::string name = SqueezeText(tokens[i].text);
      if (name == "C" || name == "EBCONTEXT")
        AnyAttribute();
      else if (variables_.count(name) != 0)
        variables_[name] = Unknown(tokens[i].text);
    }
  }

  // The script's own routines set what they set, and may change what they are given.
  void TakeCall(const CallSite& call) {
    for (const auto& [key, line] : call.effects.attributes)
      attributes_[key] = kChanged;
    for (const std::string& ending : call.effects.endings)
      Ending(ending);
    if (call.effects.anyAttribute)
      AnyAttribute();
    for (const std::set<std::string>* changed : {&call.variables, &call.effects.variables}) {
      for (const std::string& variable : *changed)
        variables_[variable] = kChanged;
    }
  }

  void AnyAttribute() {
    attributes_.clear();
    endings_.clear();
    anyAttribute_ = true;
  }

  // A name built of parts that end in `ending`: any attribute whose name ends so.
  void Ending(const std::string& ending) {
    for (auto& [key, value] : attributes_) {
      if (EndsWith(key, ending))
        value = kChanged;
    }
    endings_.push_back(ending);
  }

  void Take(size_t index) {
    Runs runs = runs_.WhetherRuns(index);
    if (runs == Runs::kNo)
      return;
    const Statement& statement = routine_[index];
    if (const CallSite* call = routine_.CallsAt(index))
      TakeCall(*call);
    else if (routine_.CallsOtherRoutine(index))
      TakeOtherCall(statement);
    bool variable = statement.kind == StatementKind::kAssignment &&
                    statement.key.find('.') == std::string::npos;
    if (!variable && statement.kind != StatementKind::kSetAttrib)
      return;
    if (statement.kind == StatementKind::kSetAttrib && statement.name.empty()) {
      // A name that is no one literal may be any attribute's, or any that ends so.
      if (statement.ending.empty())
        AnyAttribute();
      else
        Ending(statement.ending);
      return;
    }
    Value value = runs == Runs::kYes
                      ? Expression(statement.tokens, statement.value, statement.tokens.size())
                      : Unknown(statement.name);
    (variable ? variables_ : attributes_)[statement.key] = value;
  }

  const MainRoutine& routine_;
  const AttributesBySqueezedName& given_;
  RunJudge runs_;
  std::map<std::string, Value> variables_;
  std::map<std::string, Value> attributes_;
  std::vector<std::string> endings_;
  bool anyAttribute_ = false;
};

}  // namespace

std::optional<DataFileSetAgain> FindDataFileSetAgain(const MainRoutine& routine, size_t dataFile,
                                                     const RunJudge& runs) {
  for (size_t i = dataFile + 1; i < routine.size(); ++i) {
    const Statement& statement = routine[i];
    const CallSite* call = routine.CallsAt(i);
    std::optional<size_t> line;
    if (statement.kind == StatementKind::kAssignment && statement.key == routine[dataFile].key)
      line = routine.LoadedLine(i);
    else if (call && call->effects.dataFile)
      line = call->effects.dataFile;
    if (line && !routine.IsHandleFilenameCall(i) && runs.WhetherRuns(i) != Runs::kNo)
      return DataFileSetAgain{i, *line};
  }
  return std::nullopt;
}

DataFileName WorkOutDataFileName(const EBScript& script, const AttributesBySqueezedName& given) {
  DataFileName result;
  result.converted = ConvertsDataFile(script);
  // The user's routine decides the name when the experiment runs.
  if (DefinesHandleFilename(script)) {
    result.unknown = "HandleFilename";
    return result;
  }
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  std::optional<size_t> dataFile = routine ? routine->DataFileStatement() : std::nullopt;
  if (!dataFile) {
    result.unknown = "c.DataFile.Filename";
    return result;
  }
  RunJudge runs(*routine, given);
  std::optional<DataFileSetAgain> again = FindDataFileSetAgain(*routine, *dataFile, runs);
  if (runs.WhetherRuns(*dataFile) != Runs::kYes || again) {
    size_t named = again ? again->statement : *dataFile;
    result.unknown = std::string(Trimmed(CodeOf(routine->LineOf(named))));
    return result;
  }
  const Statement& statement = (*routine)[*dataFile];
  Value value = Evaluator(*routine, given, *dataFile)
                    .Expression(statement.tokens, statement.value, statement.tokens.size());
  result.name = value.text.value_or("");
  result.unknown = value.unknown;
  // An empty name, or nothing to point at: the statement itself is what is not understood.
  if (result.name.empty() && result.unknown.empty())
    result.unknown = std::string(Trimmed(CodeOf(routine->LineOf(*dataFile))));
  return result;
}

std::optional<std::string> AttributeValue(const EBScript& script,
                                          const AttributesBySqueezedName& given,
                                          std::string_view name) {
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  if (!routine)
    return std::nullopt;
  size_t end = routine->DataFileStatement().value_or(routine->size());
  return Evaluator(*routine, given, end).Attribute(name, name).text;
}

bool LogsDataOnlyForNonZeroSubject(const EBScript& script) {
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  if (!routine)
    return false;
  for (const Branch& branch : routine->branches()) {
    std::string condition;
    for (const Token& token : branch.condition)
      condition += SqueezeText(token.text);
    if ((*routine)[branch.opener].kind == StatementKind::kIf &&
        condition == "CLNG(C.GETATTRIB(\"SUBJECT\"))<>0")
      return true;
  }
  return false;
}
