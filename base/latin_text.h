#ifndef TARVO_BASE_LATIN_TEXT_H_
#define TARVO_BASE_LATIN_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

// Windows-1252, the code page of E-Prime's scripts and of most lab PCs, as the project's own
// table on both builds, and the letter case of its Latin letters in it and in UTF-8: a
// journal holds file and computer names in either, and "GEDÄCHTNIS-5-1.EDAT" names the file
// "Gedächtnis-5-1.edat" in both.

/// The characters of the bytes 0x80 to 0x9F, as Unicode code points; the five bytes that
/// Windows-1252 leaves free stand for themselves. From 0xA0 on, a byte is its code point.
extern const uint16_t kWindows1252From0x80[32];

/// The Windows-1252 byte of a Unicode code point, or -1 when it has none.
int Windows1252ByteOf(unsigned code);

/// The length of the UTF-8 sequence at text[at], and its code point in `*code`: 0 when the
/// bytes there are no valid UTF-8.
size_t Utf8Sequence(std::string_view text, size_t at, unsigned* code);

/// The byte in upper case, for the letters of Windows-1252: a to z, the accented letters à
/// to þ (not ÷), š, œ, ž and ÿ. ß has no upper case in it and stays; so does every other byte.
char UpperCaseLatin(char c);

/// Whether `a` and `b`, in Windows-1252, are equal but for the letter case of its letters.
bool EqualsLatinInsensitive(std::string_view a, std::string_view b);

/// Whether `text` is UTF-8 as the standard has it: no overlong form, no surrogate, nothing
/// above U+10FFFF.
bool IsValidUtf8(std::string_view text);

/// UTF-8 text with the letters of Windows-1252 (UpperCaseLatin's) in upper case, which
/// keeps its length: each such letter is two bytes in either case. Bytes that are not valid
/// UTF-8 stay as they are.
std::string UpperCaseLatinUtf8(std::string_view text);

#endif  // TARVO_BASE_LATIN_TEXT_H_
