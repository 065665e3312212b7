#include "base/csv.h"

#include <algorithm>
#include <cstdint>
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

// Eight bytes as a number, the first byte lowest on every machine.
uint64_t Word(const char* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// The high bit of each byte of `word` that may be the byte that fills every byte of
// `lanes`: where the two are equal their exclusive or has a zero byte, which the classic bit
// trick marks. A byte after a marked one may be marked too, so each mark is checked.
uint64_t Candidates(uint64_t word, uint64_t lanes) {
  const uint64_t low = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
  uint64_t x = word ^ lanes;
  return (x - low) & ~x & high;
}

// Which byte the lowest mark of `marks` is in.
size_t LowestMarkedByte(uint64_t marks) {
#if defined(__GNUC__)
  return static_cast<size_t>(__builtin_ctzll(marks)) / 8;
#else
  size_t byte = 0;
  while ((marks & 0xFF) == 0) {
    marks >>= 8;
    ++byte;
  }
  return byte;
#endif
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
  // Most lines have no field in quotes: their fields are views of the line itself. A quote
  // inside a field that does not begin with one is text. The line is looked at eight bytes
  // at a time, for a journal of many megabytes is read on every run.
  const char* at = line.data();
  size_t size = line.size();
  size_t begin = 0;
  auto fieldEnds = [&](size_t end) {
    Add(at + begin, end - begin);
    begin = end + 1;
    return begin < size && at[begin] == '"';
  };
  if (size > 0 && at[0] == '"')
    return SplitQuoted(line, separator);
  const uint64_t lanes = 0x0101010101010101ULL * static_cast<unsigned char>(separator);
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    for (uint64_t marks = Candidates(Word(at + i), lanes); marks != 0; marks &= marks - 1) {
      size_t j = i + LowestMarkedByte(marks);
      if (at[j] == separator && fieldEnds(j))
        return SplitQuoted(line, separator);
    }
  }
  for (; i < size; ++i) {
    if (at[i] == separator && fieldEnds(i))
      return SplitQuoted(line, separator);
  }
  Add(at + begin, size - begin);
  return true;
}

bool CsvLine::SplitQuoted(std::string_view line, char separator) {
  fields_.clear();
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
      Add(unquoted_.data() + begin, unquoted_.size() - begin);
    } else {
      size_t end = std::min(line.find(separator, at), line.size());
      Add(line.data() + at, end - at);
      at = end;
    }
    if (at >= line.size())
      return true;
    ++at;  // the separator
  }
}

void CsvLine::Guarded(const char* field, size_t size) {
  if (StartsFormula(std::string_view(field, size))) {
    ++field;
    --size;
  }
  fields_.emplace_back(field, size);
}
