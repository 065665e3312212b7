#ifndef TARVO_BASE_TRIM_H_
#define TARVO_BASE_TRIM_H_

#include <string>
#include <string_view>

#include "base/text_helpers.h"

/// Remove whitespace ("C" locale: tab, LF, VT, FF, CR, blank) in place, at the start,
/// at the end, or both. Whitespace between other bytes stays; 0xA0 is not whitespace.
void TrimLeft(std::string& text);
void TrimRight(std::string& text);
void Trim(std::string& text);

/// The text without the whitespace at its ends, as a view into it.
inline std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsWhitespace(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsWhitespace(text.back()))
    text.remove_suffix(1);
  return text;
}

#endif  // TARVO_BASE_TRIM_H_
