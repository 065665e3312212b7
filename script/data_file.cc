#include "script/data_file.h"

#include <string>

bool SetDataFileName(EBScript& script, std::string_view name) {
  std::optional<size_t> line = script.FindDataFileLine();
  if (!line)
    return false;
  script.ReplaceLine(
      *line, "\tc.DataFile.Filename = CStr(" + StringLiteral(name) + ")   " + kValueComment);
  return true;
}

bool SetDataFolder(EBScript& script, std::string_view folder) {
  std::optional<size_t> line = script.FindDataFileLine();
  if (!line)
    return false;
  // The folder always ends with a backslash, so the file name goes inside it.
  std::string withBackslash(folder);
  if (!withBackslash.empty() && withBackslash.back() != '\\')
    withBackslash += '\\';
  // The line matched its probe, so its first "=" is the one after the member name.
  std::string text(script.lines()[*line]);
  text.insert(text.find('=') + 1, " CStr(" + StringLiteral(withBackslash) + ") & ");
  text += "  ";
  text += kPathComment;
  script.ReplaceLine(*line, std::move(text));
  return true;
}
