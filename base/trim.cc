#include "base/trim.h"

#include "base/text_helpers.h"

void TrimLeft(std::string& text) {
  size_t count = 0;
  while (count < text.size() && IsWhitespace(text[count]))
    ++count;
  text.erase(0, count);
}

void TrimRight(std::string& text) {
  size_t keep = text.size();
  while (keep > 0 && IsWhitespace(text[keep - 1]))
    --keep;
  text.erase(keep);
}

void Trim(std::string& text) {
  TrimLeft(text);
  TrimRight(text);
}
