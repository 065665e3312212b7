#include "script/data_file_name.h"

#include <memory>
#include <vector>

#include "script/prompt_section.h"
#include "textfile/text_helpers.h"
#include "textfile/trim.h"

namespace {

// A text, or what keeps it from being known.
struct Value {
  std::optional<std::string> text;
  std::string unknown;
};

Value Unknown(std::string_view part) {
  return {std::nullopt, std::string(part)};
}

// A string literal's text; none for a backslash that is not doubled, which E-Basic would
// read as an escape of its own.
std::optional<std::string> ReadLiteral(std::string_view literal) {
  if (literal.size() < 2 || literal.back() != '"')
    return std::nullopt;
  std::string text;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    char c = literal[i];
    if (c == '"' || c == '\\') {
      if (literal[i + 1] != c || i + 2 >= literal.size())
        return std::nullopt;
      ++i;
    }
    text.push_back(c);
  }
  return text;
}

using Tokens = std::vector<Token>;

// The code of one statement with its words, which point into it.
struct Statement {
  size_t line;
  std::shared_ptr<const std::string> code;
  Tokens tokens;
};

// True when tokens[first..] begin "c.<member>" or "ebContext.<member>".
bool IsContextCall(const Tokens& tokens, size_t first, std::string_view member) {
  return first + 2 < tokens.size() && (tokens[first].Is("C") || tokens[first].Is("EBCONTEXT")) &&
         tokens[first + 1].text == "." && tokens[first + 2].Is(member);
}

// Where the parenthesis opened at `open` closes, or tokens.size().
size_t Closing(const Tokens& tokens, size_t open, size_t end) {
  int depth = 0;
  for (size_t i = open; i < end; ++i) {
    depth += tokens[i].text == "(" ? 1 : tokens[i].text == ")" ? -1 : 0;
    if (depth == 0)
      return i;
  }
  return tokens.size();
}

// The main routine's statements up to the data file line, read for the values of
// attributes and variables that the data file statement uses.
enum class Branch { kRuns, kSkipped, kUnknown };

class Evaluator {
 public:
  Evaluator(const EBScript& script, const GivenAttributes& given, size_t first, size_t end)
      : script_(script), given_(given) {
    for (size_t line = first; line < end; line = script.StatementEnd(line) + 1)
      Read(line);
  }

  // The value of `tokens`[first, end), a statement's expression used on `line`.
  Value Expression(const Tokens& tokens, size_t first, size_t end, size_t line) const {
    std::string text;
    size_t term = first;
    int depth = 0;
    for (size_t i = first; i <= end; ++i) {
      if (i < end && tokens[i].text != "&") {
        depth += tokens[i].text == "(" ? 1 : tokens[i].text == ")" ? -1 : 0;
        continue;
      }
      if (i < end && depth != 0)
        continue;
      Value value = Term(tokens, term, i, line);
      if (!value.text)
        return value;
      text += *value.text;
      term = i + 1;
    }
    return {text, ""};
  }

  Value Attribute(std::string_view name, std::string_view part, size_t line) const {
    std::string key = SqueezeText(name);
    auto given = given_.find(key);
    if (given != given_.end())
      return {given->second, ""};
    if (FindPromptSection(script_, name))
      return Unknown(name);  // still asked for when the experiment starts
    // A conditional default counts only while nothing has set the attribute before it.
    Value value = Unknown(part);
    auto assignments = attributes_.find(key);
    for (size_t i = 0; assignments != attributes_.end() && i < assignments->second.size(); ++i) {
      const Assignment& assignment = assignments->second[i];
      if (assignment.statement.line < line && (!assignment.conditional || !value.text))
        value = Expression(assignment.statement.tokens, assignment.first,
                           assignment.statement.tokens.size(), assignment.statement.line);
    }
    return value;
  }

 private:
  struct Assignment {
    Statement statement;
    size_t first;  // where the value's expression begins
    bool conditional;
    Branch branch;  // of a variable's assignment: whether the blocks around it run
  };

  Value Term(const Tokens& tokens, size_t first, size_t end, size_t line) const {
    std::string_view part;
    if (first < end) {
      const char* begin = tokens[first].text.data();
      part = std::string_view(begin,
                              tokens[end - 1].text.data() + tokens[end - 1].text.size() - begin);
    }
    if (end == first + 1 && tokens[first].kind == Token::kString) {
      std::optional<std::string> text = ReadLiteral(tokens[first].text);
      return text ? Value{text, ""} : Unknown(part);
    }
    if (end > first + 2 && tokens[first].Is("CSTR") && tokens[first + 1].text == "(" &&
        Closing(tokens, first + 1, end) == end - 1)
      return Expression(tokens, first + 2, end - 1, line);
    if (end == first + 6 && IsContextCall(tokens, first, "GETATTRIB") &&
        tokens[first + 3].text == "(" && tokens[first + 4].kind == Token::kString &&
        tokens[first + 5].text == ")") {
      std::optional<std::string> name = ReadLiteral(tokens[first + 4].text);
      return name ? Attribute(*name, part, line) : Unknown(part);
    }
    if (end == first + 1 && tokens[first].kind == Token::kName)
      return Variable(tokens[first].text, line);
    return Unknown(part);
  }

  Value Variable(std::string_view name, size_t line) const {
    const Assignment* last = nullptr;
    auto assignments = variables_.find(SqueezeText(name));
    for (size_t i = 0; assignments != variables_.end() && i < assignments->second.size(); ++i) {
      const Assignment& assignment = assignments->second[i];
      if (assignment.statement.line < line && assignment.branch != Branch::kSkipped)
        last = &assignment;
    }
    if (last == nullptr || last->branch == Branch::kUnknown)
      return Unknown(name);
    return Expression(last->statement.tokens, last->first, last->statement.tokens.size(),
                      last->statement.line);
  }

  void Read(size_t line) {
    auto code = std::make_shared<const std::string>(script_.StatementCode(line));
    Statement statement{line, code, Tokenize(*code)};
    const Tokens& tokens = statement.tokens;
    if (tokens.empty())
      return;
    if (ReadBlock(tokens))
      return;
    bool conditional = tokens[0].Is("IF") && tokens.size() > 1 && tokens[1].Is("NOT") &&
                       IsContextCall(tokens, 2, "ATTRIBEXISTS");
    size_t call = conditional ? FindToken(tokens, "THEN") + 1 : 0;
    if (IsContextCall(tokens, call, "SETATTRIB") && call + 4 < tokens.size() &&
        tokens[call + 3].kind == Token::kString && tokens[call + 4].text == ",") {
      if (std::optional<std::string> name = ReadLiteral(tokens[call + 3].text))
        attributes_[SqueezeText(*name)].push_back(
            {statement, call + 5, conditional, Branch::kRuns});
    } else if (tokens.size() > 2 && tokens[0].kind == Token::kName && tokens[1].text == "=") {
      variables_[SqueezeText(tokens[0].text)].push_back({statement, 2, false, Around()});
    }
  }

  // If, Else and End If of the blocks around the statements. Only the test whether an
  // attribute exists can be told, from what was given.
  bool ReadBlock(const Tokens& tokens) {
    if (tokens[0].Is("IF") && FindToken(tokens, "THEN") + 1 == tokens.size()) {
      bool known = tokens.size() == 8 && IsContextCall(tokens, 1, "ATTRIBEXISTS") &&
                   tokens[4].text == "(" && tokens[5].kind == Token::kString;
      std::optional<std::string> name = known ? ReadLiteral(tokens[5].text) : std::nullopt;
      blocks_.push_back(!name                              ? Branch::kUnknown
                        : given_.count(SqueezeText(*name)) ? Branch::kRuns
                                                           : Branch::kSkipped);
      return true;
    }
    if (tokens[0].Is("ELSE") && tokens.size() == 1 && !blocks_.empty()) {
      Branch& branch = blocks_.back();
      branch = branch == Branch::kRuns      ? Branch::kSkipped
               : branch == Branch::kSkipped ? Branch::kRuns
                                            : Branch::kUnknown;
      return true;
    }
    if (((tokens[0].Is("END") && tokens.size() == 2 && tokens[1].Is("IF")) ||
         tokens[0].Is("ENDIF")) &&
        !blocks_.empty()) {
      blocks_.pop_back();
      return true;
    }
    return false;
  }

  // Whether the statement runs, by the blocks around it: skipped when one is skipped.
  Branch Around() const {
    Branch around = Branch::kRuns;
    for (Branch branch : blocks_) {
      if (branch == Branch::kSkipped)
        return branch;
      if (branch == Branch::kUnknown)
        around = branch;
    }
    return around;
  }

  const EBScript& script_;
  const GivenAttributes& given_;
  std::map<std::string, std::vector<Assignment>> attributes_;
  std::map<std::string, std::vector<Assignment>> variables_;
  std::vector<Branch> blocks_;
};

}  // namespace

DataFileName WorkOutDataFileName(const EBScript& script, const GivenAttributes& given) {
  DataFileName result;
  std::optional<size_t> subMain = script.FindSubMain();
  if (subMain) {
    for (size_t line = *subMain; line < script.lines().size(); ++line) {
      std::string code = SqueezeText(CodeOf(script.lines()[line]));
      size_t convert = code.find("C.DATAFILE.CONVERT");
      result.converted =
          result.converted || (convert != std::string::npos &&
                               (convert + 18 == code.size() || !IsNameByte(code[convert + 18])));
    }
  }
  // The user's routine decides the name when the experiment runs.
  if (script.FindLine("Function HandleFilename(", 0)) {
    result.unknown = "HandleFilename";
    return result;
  }
  std::optional<size_t> line = script.FindDataFileLine();
  if (!line) {
    result.unknown = "c.DataFile.Filename";
    return result;
  }
  Evaluator evaluator(script, given, *subMain, *line);
  std::string code = script.StatementCode(*line);
  Tokens tokens = Tokenize(code);
  size_t equals = 0;
  while (equals < tokens.size() && tokens[equals].text != "=")
    ++equals;
  Value value = evaluator.Expression(tokens, equals + 1, tokens.size(), *line);
  result.name = value.text.value_or("");
  result.unknown = value.unknown;
  // An empty name, or nothing to point at: the statement itself is what is not understood.
  if (result.name.empty() && result.unknown.empty()) {
    result.unknown = std::string(Trimmed(CodeOf(script.lines()[*line])));
  }
  return result;
}

std::optional<std::string> AttributeValue(const EBScript& script, const GivenAttributes& given,
                                          std::string_view name) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return std::nullopt;
  size_t end = script.FindDataFileLine().value_or(script.lines().size());
  return Evaluator(script, given, *subMain, end).Attribute(name, name, end).text;
}

bool LogsDataOnlyForNonZeroSubject(const EBScript& script) {
  std::optional<size_t> subMain = script.FindSubMain();
  return subMain && script.FindLine("If CLng(c.GetAttrib(\"Subject\")) <> 0 Then", *subMain);
}
