#include "base/csv.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/words.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  size_t stop = 0;
  return Scan(line, separator, -1, &stop);
}

bool CsvLine::SplitLine(std::string_view text, char separator, char lineEnd, size_t* length,
                        size_t* next) {
  size_t stop = 0;
  bool split = Scan(text, separator, static_cast<unsigned char>(lineEnd), &stop);
  *next = stop < text.size() ? stop + 1 : 0;
  *length = stop - (lineEnd == '\n' && stop > 0 && text[stop - 1] == '\r' ? 1 : 0);
  return split;
}

// What a scan of a line has found so far, a step at a time: where its fields end, whether
// it holds a quote or a byte above 0x7F, and where it ends (its size until found). The loops
// keep what they change in locals, which the compiler then keeps in registers.
struct CsvLine::Scanning {
  const char* at;
  size_t size, next = 0, found, count = 0;
  uint64_t quotes = 0, high = 0;
  char separator;
  int lineEnd;  // -1: the line ends with the text
  std::vector<uint32_t>* ends;

  // Where the next field's end goes, with room for the separators of sixteen bytes, which
  // is all that they can hold.
  uint32_t* Room(uint32_t* out) {
    size_t used = static_cast<size_t>(out - ends->data());
    if (used + 17 > ends->size())
      ends->resize(ends->size() * 2 + 32);
    return ends->data() + used;
  }
  // Sixteen bytes at a time. Until the chunk that holds the line's end, quotes and bytes
  // above 0x7F are gathered as vectors, looked at once at the end; a chunk without a
  // separator or a line end, as most are, needs one test.
  void Wide() {
#if defined(__SSE2__)
    const __m128i separators = _mm_set1_epi8(separator), quoteBytes = _mm_set1_epi8('"');
    const bool endsLine = lineEnd >= 0;
    const __m128i lineEnds = endsLine ? _mm_set1_epi8(static_cast<char>(lineEnd)) : separators;
    __m128i quoted = _mm_setzero_si128(), above = _mm_setzero_si128();
    uint32_t* out = Room(ends->data() + count);
    uint32_t* roomy = ends->data() + ends->size() - 16;
    size_t i = next;
    for (; i + 16 <= size; i += 16) {
      __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i));
      __m128i separatorBytes = _mm_cmpeq_epi8(bytes, separators);
      __m128i endBytes = _mm_cmpeq_epi8(bytes, lineEnds);
      auto marks = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(separatorBytes, endBytes)));
      if (marks != 0) {
        auto ending = endsLine ? static_cast<unsigned>(_mm_movemask_epi8(endBytes)) : 0u;
        if (out > roomy) {
          out = Room(out);
          roomy = ends->data() + ends->size() - 16;
        }
        if (ending != 0) {
          unsigned before = (ending & (0u - ending)) - 1;
          quotes |=
              static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, quoteBytes))) & before;
          high |= static_cast<unsigned>(_mm_movemask_epi8(bytes)) & before;
          for (marks &= before; marks != 0; marks &= marks - 1)
            *out++ = static_cast<uint32_t>(i + LowestBit(marks));
          found = i + LowestBit(ending);
          break;
        }
        for (; marks != 0; marks &= marks - 1)
          *out++ = static_cast<uint32_t>(i + LowestBit(marks));
      }
      quoted = _mm_or_si128(quoted, _mm_cmpeq_epi8(bytes, quoteBytes));
      above = _mm_or_si128(above, bytes);
    }
    next = i;
    count = static_cast<size_t>(out - ends->data());
    quotes |= static_cast<unsigned>(_mm_movemask_epi8(quoted));
    high |= static_cast<unsigned>(_mm_movemask_epi8(above));
#endif
  }
  // Eight bytes at a time, where SSE2 is not to be had, and what sixteen leave.
  void Words() {
    const uint64_t separatorLanes = Lanes(separator), quoteLanes = Lanes('"');
    const uint64_t lineEndLanes = Lanes(static_cast<char>(lineEnd));
    uint32_t* out = ends->data() + count;
    size_t i = next;
    for (; found == size && i + 8 <= size; i += 8) {
      out = Room(out);
      uint64_t word = Word(at + i);
      uint64_t ending = lineEnd < 0 ? 0 : Matches(word, lineEndLanes);
      uint64_t before = ending == 0 ? ~uint64_t{0} : (ending & (0 - ending)) - 1;
      quotes |= Matches(word, quoteLanes) & before;
      high |= word & 0x8080808080808080ULL & before;
      for (uint64_t marks = Matches(word, separatorLanes) & before; marks != 0; marks &= marks - 1)
        *out++ = static_cast<uint32_t>(i + LowestBit(marks) / 8);
      if (ending != 0)
        found = i + LowestBit(ending) / 8;
    }
    next = i;
    count = static_cast<size_t>(out - ends->data());
  }
  // The last bytes, one at a time.
  void Bytes() {
    uint32_t* out = Room(ends->data() + count);
    for (; found == size && next < size; ++next) {
      if (lineEnd >= 0 && at[next] == static_cast<char>(lineEnd)) {
        found = next;
        break;
      }
      quotes |= at[next] == '"' ? 1 : 0;
      high |= static_cast<unsigned char>(at[next]) & 0x80;
      if (at[next] == separator)
        *out++ = static_cast<uint32_t>(next);
    }
    count = static_cast<size_t>(out - ends->data());
  }
};

// Split and SplitLine: the line is looked at sixteen or eight bytes at a time, for a journal
// of many megabytes is read on every run, and one pass finds its end, its separators, its
// quotes and its bytes above 0x7F. Most lines hold no quote: their fields are views of the
// line itself. A quote anywhere sends the line to the reader of quoted fields instead.
bool CsvLine::Scan(std::string_view text, char separator, int lineEnd, size_t* stop) {
  Scanning scan{text.data(), text.size(), 0, text.size(), 0, 0, 0, separator, lineEnd, &ends_};
  scan.Wide();
  if (scan.found == scan.size) {  // the line goes on beyond the last sixteen bytes
    scan.Words();
    scan.Bytes();
  }
  size_t found = scan.found;
  *stop = found;
  // A CR before a LF that ends the line is part of the line end.
  size_t length = found - (lineEnd == '\n' && found > 0 && text[found - 1] == '\r' ? 1 : 0);
  ascii_ = scan.high == 0;
  if (scan.quotes != 0)
    return SplitQuoted(text.substr(0, length), separator);
  ends_[scan.count++] = static_cast<uint32_t>(length);
  line_ = text.data();
  count_ = scan.count;
  quoted_ = false;
  return true;
}

std::vector<std::string_view> CsvLine::fields() const {
  std::vector<std::string_view> all;
  for (size_t index = 0; index < size(); ++index)
    all.push_back((*this)[index]);
  return all;
}

bool CsvLine::SplitQuoted(std::string_view line, char separator) {
  quoted_ = true;
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

std::string_view CsvLine::Unguarded(std::string_view field) {
  return StartsFormula(field) ? field.substr(1) : field;
}
