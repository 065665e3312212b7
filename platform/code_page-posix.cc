#include "platform/code_page.h"

#include "base/latin_text.h"

std::string AnsiToUtf8(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (char byte : text) {
    auto c = static_cast<unsigned char>(byte);
    unsigned code = c >= 0x80 && c < 0xA0 ? kWindows1252From0x80[c - 0x80] : c;
    if (code < 0x80) {
      utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      utf8 += static_cast<char>(0xE0 | (code >> 12));
      utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

std::string Utf8ToAnsi(std::string_view text) {
  std::string ansi;
  ansi.reserve(text.size());
  unsigned code = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = Utf8Sequence(text, at, &code);
    int byte = length == 0 ? -1 : Windows1252ByteOf(code);
    ansi += byte < 0 ? '?' : static_cast<char>(byte);
    at += length == 0 ? 1 : length;
  }
  return ansi;
}
