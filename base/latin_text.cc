#include "base/latin_text.h"

#include <array>

const uint16_t kWindows1252From0x80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

namespace {

constexpr std::array<unsigned char, 256> MakeUpperCase() {
  std::array<unsigned char, 256> upper{};
  for (unsigned c = 0; c < 256; ++c)
    upper[c] = static_cast<unsigned char>(c);
  for (unsigned c = 'a'; c <= 'z'; ++c)
    upper[c] = static_cast<unsigned char>(c - 0x20);
  for (unsigned c = 0xE0; c <= 0xFE; ++c) {
    if (c != 0xF7)  // ÷
      upper[c] = static_cast<unsigned char>(c - 0x20);
  }
  upper[0x9A] = 0x8A;  // š Š
  upper[0x9C] = 0x8C;  // œ Œ
  upper[0x9E] = 0x8E;  // ž Ž
  upper[0xFF] = 0x9F;  // ÿ Ÿ
  return upper;
}

constexpr std::array<unsigned char, 256> kUpperCase = MakeUpperCase();

unsigned CodeOf(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kWindows1252From0x80[byte - 0x80] : byte;
}

}  // namespace

int Windows1252ByteOf(unsigned code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
    return static_cast<int>(code);
  for (unsigned at = 0; at < 32; ++at) {
    if (kWindows1252From0x80[at] == code)
      return static_cast<int>(0x80 + at);
  }
  return -1;
}

size_t Utf8Sequence(std::string_view text, size_t at, unsigned* code) {
  auto lead = static_cast<unsigned char>(text[at]);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || at + length > text.size())
    return 0;
  unsigned value = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t next = 1; next < length; ++next) {
    auto byte = static_cast<unsigned char>(text[at + next]);
    if ((byte & 0xC0) != 0x80)
      return 0;
    value = value << 6 | (byte & 0x3F);
  }
  bool shortest = length < 3 || value >= (length == 3 ? 0x800u : 0x10000u);
  if (!shortest || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
    return 0;
  *code = value;
  return length;
}

char UpperCaseLatin(char c) {
  return static_cast<char>(kUpperCase[static_cast<unsigned char>(c)]);
}

bool EqualsLatinInsensitive(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t at = 0; at < a.size(); ++at) {
    if (UpperCaseLatin(a[at]) != UpperCaseLatin(b[at]))
      return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  unsigned code = 0;
  for (size_t at = 0; at < text.size();) {
    size_t length = Utf8Sequence(text, at, &code);
    if (length == 0)
      return false;
    at += length;
  }
  return true;
}

std::string UpperCaseLatinUtf8(std::string_view text) {
  std::string upper(text);
  unsigned code = 0;
  for (size_t at = 0; at < upper.size();) {
    size_t length = Utf8Sequence(upper, at, &code);
    if (length == 0) {
      ++at;
      continue;
    }
    int byte = Windows1252ByteOf(code);
    if (byte >= 0) {
      unsigned upperCode = CodeOf(kUpperCase[static_cast<unsigned>(byte)]);
      if (length == 1) {
        upper[at] = static_cast<char>(upperCode);
      } else if (upperCode != code) {  // both two bytes long
        upper[at] = static_cast<char>(0xC0 | upperCode >> 6);
        upper[at + 1] = static_cast<char>(0x80 | (upperCode & 0x3F));
      }
    }
    at += length;
  }
  return upper;
}
