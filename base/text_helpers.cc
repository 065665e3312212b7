#include "base/text_helpers.h"

std::string SqueezeText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (!IsWhitespace(c))
      result.push_back(UpperCaseAscii(c));
  }
  return result;
}

bool SqueezesTo(std::string_view text, std::string_view squeezed) {
  size_t at = 0;
  for (char c : text) {
    uint16_t byte = SqueezedByte(c);
    if (byte == kSqueezedOut)
      continue;
    if (at == squeezed.size() || byte != static_cast<unsigned char>(squeezed[at]))
      return false;
    ++at;
  }
  return at == squeezed.size();
}

bool InsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    auto x = static_cast<unsigned char>(UpperCaseAscii(a[i]));
    auto y = static_cast<unsigned char>(UpperCaseAscii(b[i]));
    if (x != y)
      return x < y;
  }
  return a.size() < b.size();
}

std::optional<int32_t> ParseWholeNumber(std::string_view text) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative || (!text.empty() && text[0] == '+'))
    text.remove_prefix(1);
  if (text.empty())
    return std::nullopt;
  int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    number = number * 10 + (c - '0');
    if (number > int64_t{INT32_MAX} + 1)
      return std::nullopt;
  }
  number = negative ? -number : number;
  if (number < INT32_MIN || number > INT32_MAX)
    return std::nullopt;
  return static_cast<int32_t>(number);
}
