#ifndef TARVO_TEXTFILE_TEXT_HELPERS_H_
#define TARVO_TEXTFILE_TEXT_HELPERS_H_

#include <cstdint>
#include <string>
#include <string_view>

/// Whitespace of the "C" locale: tab, LF, vertical tab, form feed, CR and blank.
/// Bytes 0x80 to 0xFF and NUL are never whitespace, whatever the code page.
constexpr bool IsWhitespace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
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
    char byte = static_cast<char>(c);
    table.value[c] =
        IsWhitespace(byte) ? kSqueezedOut : static_cast<unsigned char>(UpperCaseAscii(byte));
  }
  return table;
}

inline constexpr SqueezeTable kSqueezeTable = MakeSqueezeTable();

/// A byte as the upper-cased squeezed form holds it, or kSqueezedOut. One table lookup,
/// for the loops that squeeze while they compare instead of building a squeezed copy.
inline uint16_t SqueezedByte(char c) {
  return kSqueezeTable.value[static_cast<unsigned char>(c)];
}

/// The comparison form of a text: every whitespace byte removed, letters upper-cased
/// when `upperCase` is true. A null or empty text gives an empty string.
std::string SqueezeText(const char* text, bool upperCase);
/// The same for a counted text; the whole content counts, NUL bytes included.
std::string SqueezeText(std::string_view text, bool upperCase);

/// Doubles every backslash, so a run of n becomes 2n. E-Basic string literals know
/// backslash escapes ("\n"), so this is how a text reaches a literal unchanged; a UNC
/// folder keeps both of its leading backslashes. Null gives "".
std::string EscapeBackslashes(const char* text);

/// The text with one backslash added, unless it is empty or already ends with one.
std::string AppendBackslash(const char* text);

/// Every double quote doubled, the way E-Basic writes a quote inside a string literal,
/// so a text typed by the user cannot end the literal early. Other bytes are copied.
std::string DoubleQuotes(const std::string& text);

#endif  // TARVO_TEXTFILE_TEXT_HELPERS_H_
