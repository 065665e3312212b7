#include "journal/names_in_rows.h"

#include <algorithm>

#include "base/latin_text.h"
#include "base/paths.h"
#include "base/text_helpers.h"
#include "platform/code_page.h"

namespace {

// A byte that may stand in a file name next to another: a letter, a digit, '.', '-', '_',
// or any byte above 0x7F.
bool IsNamePart(char c) {
  char upper = UpperCaseAscii(c);
  return (upper >= 'A' && upper <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

NameInRows::NameInRows(std::string name)
    : name_(std::move(name)),
      upperUtf8_(UpperCaseLatinUtf8(AnsiToUtf8(name_))),
      ascii_(IsAsciiText(name_)) {}

// An ASCII name is compared as ASCII, whatever the row's text: no letter of Windows-1252
// beyond ASCII's has an ASCII letter as its other case.
bool NameInRows::SameText(std::string_view field, bool utf8) const {
  if (ascii_)
    return EqualsInsensitive(field, name_);
  if (IsAsciiText(field))
    return false;
  return UpperCaseLatinUtf8(utf8 ? std::string(field) : AnsiToUtf8(field)) == upperUtf8_;
}

bool NameInRows::Is(std::string_view field, const JournalEntry& entry) const {
  if (ascii_)
    return EqualsInsensitive(field, name_);
  return SameText(field, entry.utf8());
}

bool NameInRows::IsFileOf(std::string_view path, const JournalEntry& entry) const {
  if (name_.empty())
    return false;
  // Most rows are about other files: the path's end is compared first, for finding each
  // row's file name would cost more than the whole comparison.
  if (ascii_) {
    size_t size = name_.size();
    return path.size() >= size && EqualsInsensitive(path.substr(path.size() - size), name_) &&
           (path.size() == size || IsWindowsPathSeparator(path[path.size() - size - 1]));
  }
  return SameText(FileNameOf(path), entry.utf8());
}

bool NameInRows::IsNamedIn(std::string_view line, bool utf8) const {
  if (name_.empty())
    return false;
  std::string upper = UpperCaseLatinUtf8(utf8 ? std::string(line) : AnsiToUtf8(line));
  for (size_t at = upper.find(upperUtf8_); at != std::string::npos;
       at = upper.find(upperUtf8_, at + 1)) {
    size_t after = at + upperUtf8_.size();
    if ((at == 0 || !IsNamePart(upper[at - 1])) &&
        (after == upper.size() || !IsNamePart(upper[after])))
      return true;
  }
  return false;
}
