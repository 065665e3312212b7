#include "textfile/text_helpers.h"

#include <cstring>

namespace {

std::string Squeeze(const char* text, size_t length, bool upperCase) {
  std::string result;
  if (length == 0)
    return result;
  result.reserve(length + 1);
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (IsWhitespace(c))
      continue;
    result.push_back(upperCase ? UpperCaseAscii(c) : c);
  }
  return result;
}

}  // namespace

std::string SqueezeText(const char* text, bool upperCase) {
  if (text == nullptr)
    return std::string();
  return Squeeze(text, std::strlen(text), upperCase);
}

std::string SqueezeText(std::string_view text, bool upperCase) {
  return Squeeze(text.data(), text.size(), upperCase);
}

std::string EscapeBackslashes(const char* text) {
  std::string result;
  if (text == nullptr || *text == '\0')
    return result;
  result.reserve(std::strlen(text) + 4);
  for (const char* p = text; *p != '\0'; ++p) {
    result.push_back(*p);
    if (*p == '\\')
      result.push_back('\\');
  }
  return result;
}

std::string AppendBackslash(const char* text) {
  size_t n = std::strlen(text);
  std::string result;
  result.reserve(n + 2);
  result.append(text, n);
  if (n != 0 && text[n - 1] != '\\')
    result.push_back('\\');
  return result;
}

std::string DoubleQuotes(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 2);
  for (char c : text) {
    result.push_back(c);
    if (c == '"')
      result.push_back('"');
  }
  return result;
}
