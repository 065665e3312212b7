#include "script/data_file.h"

#include <string>
#include <vector>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "script/data_file_name.h"

namespace {

const char kFolderStart[] = " CStr(";
const char kFolderEnd[] = ") & ";

// The length of a folder that Tarvo put in front of an expression on an earlier run,
// " CStr("<folder>") & ", at the start of `text`; 0 when there is none.
size_t EarlierFolderLength(std::string_view text) {
  if (!StartsWith(text, kFolderStart))
    return 0;
  std::string_view rest = text.substr(sizeof kFolderStart - 1);
  std::vector<Token> tokens = Tokenize(rest);
  if (tokens.empty() || tokens[0].kind != Token::kString || tokens[0].text.data() != rest.data())
    return 0;
  size_t length = sizeof kFolderStart - 1 + tokens[0].text.size();
  return StartsWith(text.substr(length), kFolderEnd) ? length + sizeof kFolderEnd - 1 : 0;
}

// The data file statement that an edit may change, or why it may not: kNotFound or
// kRefused with the line, behind the switch's name `flag`.
struct Target {
  std::optional<size_t> line;  // the statement's first line
  EditResult result{EditOutcome::kDone, ""};
};

Target FindTarget(const EBScript& script, const AttributesBySqueezedName& given, const char* flag) {
  Target target;
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  std::optional<size_t> statement = routine ? routine->DataFileStatement() : std::nullopt;
  if (!statement) {
    target.result.outcome = EditOutcome::kNotFound;
    return target;
  }
  const Statement& found = (*routine)[*statement];
  std::string prefix = std::string(flag) + " cannot be applied: ";
  std::string at = std::to_string(script.LoadedLineNumber(found.line));
  RunJudge runs(*routine, given);
  if (runs.WhetherRuns(*statement) != Runs::kYes) {
    target.result = {EditOutcome::kRefused,
                     prefix + "the data file statement at line " + at + " runs only in a branch"};
    return target;
  }
  if (!found.startsLine || !found.endsLine) {
    target.result = {EditOutcome::kRefused, prefix + "the data file statement at line " + at +
                                                " shares its line with other statements"};
    return target;
  }
  if (std::optional<DataFileSetAgain> again = FindDataFileSetAgain(*routine, *statement, runs)) {
    target.result = {EditOutcome::kRefused,
                     prefix + "the data file is set again at line " + std::to_string(again->line)};
    return target;
  }
  target.line = found.line;
  return target;
}

// The text of the literal that an expression begins with, inside CStr( or not; none when
// it begins otherwise.
std::optional<std::string> LeadingLiteral(std::string_view expression) {
  std::vector<Token> tokens = Tokenize(expression);
  size_t at =
      tokens.size() > 2 && tokens[0].IsNameInsensitive("CSTR") && IsSymbol(tokens, 1, "(") ? 2 : 0;
  if (at >= tokens.size() || tokens[at].kind != Token::kString)
    return std::nullopt;
  return DecodeLiteral(tokens[at].text);
}

}  // namespace

EditResult SetDataFileName(EBScript& script, std::string_view name,
                           const AttributesBySqueezedName& given) {
  Target target = FindTarget(script, given, "-F");
  if (!target.line)
    return target.result;
  std::string text = "\tc.DataFile.Filename = CStr(" + StringLiteral(name) + ")   " + kValueComment;
  if (text.size() > EBScript::kLongestLine)
    return {EditOutcome::kTooLong, ""};
  script.ReplaceStatement(*target.line, std::move(text));
  return {EditOutcome::kDone, ""};
}

EditResult SetDataFolder(EBScript& script, std::string_view folder,
                         const AttributesBySqueezedName& given) {
  Target target = FindTarget(script, given, "-O");
  if (!target.line)
    return target.result;
  size_t line = *target.line;
  // The folder always ends with a backslash, so the file name goes inside it.
  std::string withBackslash(folder);
  if (!withBackslash.empty() && withBackslash.back() != '\\')
    withBackslash += '\\';
  const std::string comment = std::string("  ") + kPathComment;
  size_t last = script.StatementEnd(line);
  // A folder of an earlier run is known by the comment that ends the statement: one each,
  // so that a literal of the script's own expression in the same form stays.
  size_t earlier = 0;
  for (std::string_view end = script.lines()[last]; EndsWith(end, comment);
       end.remove_suffix(comment.size()))
    ++earlier;

  // The statement assigns the data file name, so its first "=" is the one after it.
  std::string first(script.lines()[line]);
  size_t equals = first.find('=') + 1;
  for (size_t removed = 0; removed < earlier; ++removed) {
    size_t length = EarlierFolderLength(std::string_view(first).substr(equals));
    first.erase(equals, length);
  }
  std::optional<std::string> leading =
      LeadingLiteral(CodeOf(std::string_view(first).substr(equals)));
  if (leading && IsRootedWindowsPath(*leading))
    return {EditOutcome::kRefused,
            "-O cannot go in front of an absolute data file name: " + *leading};
  first.insert(equals, kFolderStart + StringLiteral(withBackslash) + kFolderEnd);
  std::string lastText = last == line ? first : std::string(script.lines()[last]);
  if (earlier == 0)
    lastText += comment;
  if (first.size() > EBScript::kLongestLine || lastText.size() > EBScript::kLongestLine)
    return {EditOutcome::kTooLong, ""};
  if (last != line)
    script.ReplaceLine(line, std::move(first));
  script.ReplaceLine(last, std::move(lastText));
  return {EditOutcome::kDone, ""};
}
