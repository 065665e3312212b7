#include "script/data_file.h"

#include <string>
#include <vector>

#include "textfile/text_helpers.h"

namespace {

const char kFolderStart[] = " CStr(";
const char kFolderEnd[] = ") & ";

// The length of a folder that Tarvo put in front of an expression on an earlier run,
// " CStr("<folder>") & ", at the start of `text`; 0 when there is none.
size_t EarlierFolderLength(std::string_view text) {
  std::string_view start = kFolderStart;
  std::string_view end = kFolderEnd;
  if (text.substr(0, start.size()) != start)
    return 0;
  std::string_view rest = text.substr(start.size());
  std::vector<Token> tokens = Tokenize(rest);
  if (tokens.empty() || tokens[0].kind != Token::kString || tokens[0].text.data() != rest.data())
    return 0;
  size_t length = start.size() + tokens[0].text.size();
  return text.substr(length, end.size()) == end ? length + end.size() : 0;
}

}  // namespace

EditOutcome SetDataFileName(EBScript& script, std::string_view name) {
  std::optional<size_t> line = script.FindDataFileLine();
  if (!line)
    return EditOutcome::kNotFound;
  std::string text = "\tc.DataFile.Filename = CStr(" + StringLiteral(name) + ")   " + kValueComment;
  if (text.size() > EBScript::kLongestLine)
    return EditOutcome::kTooLong;
  script.ReplaceStatement(*line, std::move(text));
  return EditOutcome::kDone;
}

EditOutcome SetDataFolder(EBScript& script, std::string_view folder) {
  std::optional<size_t> line = script.FindDataFileLine();
  if (!line)
    return EditOutcome::kNotFound;
  // The folder always ends with a backslash, so the file name goes inside it.
  std::string withBackslash(folder);
  if (!withBackslash.empty() && withBackslash.back() != '\\')
    withBackslash += '\\';
  const std::string comment = std::string("  ") + kPathComment;
  size_t last = script.StatementEnd(*line);
  // A folder of an earlier run is known by the comment that ends the statement.
  bool earlier = EndsWith(script.lines()[last], comment);

  // The line matched its probe, so its first "=" is the one after the member name.
  std::string first(script.lines()[*line]);
  size_t equals = first.find('=') + 1;
  while (size_t length = earlier ? EarlierFolderLength(std::string_view(first).substr(equals)) : 0)
    first.erase(equals, length);
  first.insert(equals, kFolderStart + StringLiteral(withBackslash) + kFolderEnd);
  std::string lastText = last == *line ? first : std::string(script.lines()[last]);
  if (!earlier)
    lastText += comment;
  if (first.size() > EBScript::kLongestLine || lastText.size() > EBScript::kLongestLine)
    return EditOutcome::kTooLong;
  if (last != *line)
    script.ReplaceLine(*line, std::move(first));
  script.ReplaceLine(last, std::move(lastText));
  return EditOutcome::kDone;
}
