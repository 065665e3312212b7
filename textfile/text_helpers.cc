#include "textfile/text_helpers.h"

std::string SqueezeText(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (!IsWhitespace(c))
      result.push_back(UpperCaseAscii(c));
  }
  return result;
}
