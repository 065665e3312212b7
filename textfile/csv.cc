#include "textfile/csv.h"

#include <cstring>

namespace {

// The first bytes that make a spreadsheet read a field as a formula.
const std::string_view kFormulaStarts = "=+-@\t\r";

// Whether a spreadsheet reads `field` as a formula once the apostrophes in front of it are
// gone: the guard of a field that itself begins with apostrophes must come off again alone.
bool StartsFormula(std::string_view field) {
  size_t first = field.find_first_not_of('\'');
  return first != std::string_view::npos &&
         kFormulaStarts.find(field[first]) != std::string_view::npos;
}

// An optional sign, digits, and an optional fraction: a spreadsheet reads it as a number.
bool IsPlainNumber(std::string_view field) {
  size_t at = field.empty() || (field[0] != '-' && field[0] != '+') ? 0 : 1;
  size_t digits = 0;
  bool point = false;
  for (; at < field.size(); ++at) {
    if (field[at] >= '0' && field[at] <= '9')
      ++digits;
    else if (field[at] == '.' && !point && digits > 0)
      point = true;
    else
      return false;
  }
  return digits > 0 && field.back() != '.';
}

}  // namespace

std::string CsvRow(const std::vector<std::string>& fields, char separator) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      row += separator;
    std::string field = fields[i];
    for (char& c : field) {
      if (c == '\r' || c == '\n')
        c = ' ';
    }
    if (StartsFormula(field) && !IsPlainNumber(field))
      field.insert(0, 1, '\'');
    if (field.find_first_of(std::string{'"', separator}) == std::string::npos) {
      row += field;
      continue;
    }
    row += '"';
    for (char c : field) {
      if (c == '"')
        row += '"';
      row += c;
    }
    row += '"';
  }
  return row + "\r\n";
}

bool CsvLine::Split(std::string_view line, char separator) {
  fields_.clear();
  // Most lines hold no quote: their fields are views of the line itself.
  if (std::memchr(line.data(), '"', line.size()) != nullptr)
    return SplitQuoted(line, separator);
  for (;;) {
    const void* found = std::memchr(line.data(), separator, line.size());
    if (found == nullptr) {
      Add(line);
      return true;
    }
    size_t length = static_cast<size_t>(static_cast<const char*>(found) - line.data());
    Add(line.substr(0, length));
    line.remove_prefix(length + 1);
  }
}

bool CsvLine::SplitQuoted(std::string_view line, char separator) {
  unquoted_.clear();
  unquoted_.reserve(line.size());  // never moves while the views point into it
  size_t at = 0;
  for (;;) {
    if (at < line.size() && line[at] == '"') {
      size_t begin = unquoted_.size();
      for (++at;; ++at) {
        if (at >= line.size())
          return false;  // never closed
        if (line[at] == '"') {
          if (at + 1 >= line.size() || line[at + 1] != '"')
            break;
          ++at;
        }
        unquoted_ += line[at];
      }
      ++at;
      if (at < line.size() && line[at] != separator)
        return false;  // text after the closing quote
      Add(std::string_view(unquoted_).substr(begin));
    } else {
      size_t end = line.find(separator, at);
      Add(line.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
      at = end == std::string_view::npos ? line.size() : end;
    }
    if (at >= line.size())
      return true;
    ++at;  // the separator
  }
}

void CsvLine::Add(std::string_view field) {
  if (!field.empty() && field[0] == '\'' && StartsFormula(field))
    field.remove_prefix(1);
  fields_.push_back(field);
}
