#ifndef TARVO_BASE_TEXT_HELPERS_H_
#define TARVO_BASE_TEXT_HELPERS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/words.h"

// The small text rules that the whole program shares, each in one place: the two classes
// of blank bytes, ASCII letter case, the squeezed form that script text is compared in,
// prefixes and suffixes, and what a whole number is.

/// Whitespace of the "C" locale: tab, LF, vertical tab, form feed, CR and blank. Bytes
/// 0x80 to 0xFF and NUL are never whitespace, whatever the code page.
constexpr bool IsWhitespace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

/// A blank or a tab: what separates words on a line of program text.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

/// Upper-cases the 26 ASCII letters only; every other byte is returned unchanged.
constexpr char UpperCaseAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// What SqueezedByte gives for whitespace, which a squeezed form leaves out.
constexpr uint16_t kSqueezedOut = 0x100;

struct SqueezeTable {
  uint16_t value[256];
};

constexpr SqueezeTable MakeSqueezeTable() {
  SqueezeTable table{};
  for (int c = 0; c < 256; ++c) {
    // Not named `byte`, which <windows.h> declares.
    char character = static_cast<char>(c);
    table.value[c] = IsWhitespace(character)
                         ? kSqueezedOut
                         : static_cast<unsigned char>(UpperCaseAscii(character));
  }
  return table;
}

inline constexpr SqueezeTable kSqueezeTable = MakeSqueezeTable();

/// A byte as the squeezed form holds it, or kSqueezedOut. One table lookup, for the loops
/// that squeeze while they compare instead of building a squeezed copy.
inline uint16_t SqueezedByte(char c) {
  return kSqueezeTable.value[static_cast<unsigned char>(c)];
}

/// The comparison form of a text: every whitespace byte removed and the letters a to z
/// upper-cased. The whole content counts, NUL bytes included.
std::string SqueezeText(std::string_view text);

/// Whether the squeezed form of `text` is `squeezed`, found without making it.
bool SqueezesTo(std::string_view text, std::string_view squeezed);

/// Whether `a` and `b` are the same bytes, compared in place in moves of eight bytes, the
/// last of which overlaps where it must: for the short texts that every row of a journal
/// is compared by, where a call to compare them costs more than the bytes.
inline bool SameBytes(std::string_view a, std::string_view b) {
  size_t size = a.size();
  if (size != b.size())
    return false;
  const char *x = a.data(), *y = b.data();
  if (size >= 8) {
    for (size_t at = 0; at + 8 < size; at += 8) {
      if (Word(x + at) != Word(y + at))
        return false;
    }
    return Word(x + size - 8) == Word(y + size - 8);
  }
  if (size >= 4)
    return HalfWord(x) == HalfWord(y) && HalfWord(x + size - 4) == HalfWord(y + size - 4);
  for (size_t at = 0; at < size; ++at) {
    if (x[at] != y[at])
      return false;
  }
  return true;
}

/// Whether `text` holds ASCII bytes only.
inline bool IsAsciiText(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

/// True when `a` and `b` are equal, ASCII letters compared without regard to case, as
/// Windows compares file and computer names (here for ASCII letters only).
inline bool EqualsInsensitive(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  // From the end: names of one kind mostly differ there (LAB-PC1, LAB-PC2).
  for (size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i] && UpperCaseAscii(a[i]) != UpperCaseAscii(b[i]))
      return false;
  }
  return true;
}

/// Orders texts as Windows orders file and computer names: ASCII letters without regard to
/// case, every other byte by its value. Transparent, so a map keyed by it finds a view.
struct InsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
inline bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}
inline bool StartsWithInsensitive(std::string_view text, std::string_view prefix) {
  return EqualsInsensitive(text.substr(0, prefix.size()), prefix);
}
inline bool EndsWithInsensitive(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsInsensitive(text.substr(text.size() - suffix.size()), suffix);
}

/// A whole number as an experiment's checks take one: an optional sign, then digits only
/// (leading zeros allowed), within the 32-bit signed range. None for anything else.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

#endif  // TARVO_BASE_TEXT_HELPERS_H_
