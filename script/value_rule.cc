#include "script/value_rule.h"

#include <algorithm>

#include "script/ebasic.h"
#include "textfile/text_helpers.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Digits only, at least one, into `number`; false beyond 18 digits (no overflow), which
// is far outside any bound or value that the checks compare.
bool ParseDigits(std::string_view text, int64_t* number) {
  if (text.empty() || text.size() > 18)
    return false;
  int64_t result = 0;
  for (char c : text) {
    if (!IsDigit(c))
      return false;
    result = result * 10 + (c - '0');
  }
  *number = result;
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The bound of a squeezed check line such as "ELSEIFCLNG(VANSWER)<5THEN", where
// `comparison` is "<" or ">"; none for any other line.
std::optional<int64_t> Bound(std::string_view squeezed, std::string_view comparison) {
  for (std::string_view opening : {"IFCLNG(VANSWER)", "ELSEIFCLNG(VANSWER)"}) {
    if (!StartsWith(squeezed, opening) || !StartsWith(squeezed.substr(opening.size()), comparison))
      continue;
    std::string_view rest = squeezed.substr(opening.size() + comparison.size());
    bool negative = StartsWith(rest, "-");
    if (negative)
      rest.remove_prefix(1);
    size_t digits = 0;
    while (digits < rest.size() && IsDigit(rest[digits]))
      ++digits;
    int64_t number;
    if (!StartsWith(rest.substr(digits), "THEN") || !ParseDigits(rest.substr(0, digits), &number))
      return std::nullopt;
    return negative ? -number : number;
  }
  return std::nullopt;
}

}  // namespace

void ValueRule::Read(std::string_view line) {
  static const LineProbe kNumberCheck("If Not IsNumeric(vAnswer)");
  std::string squeezed = SqueezeText(line);
  if (kNumberCheck.Matches(line))
    wholeNumber = true;
  if (std::optional<int64_t> low = Bound(squeezed, "<"))
    lowest = lowest ? std::max(*lowest, *low) : *low;
  if (std::optional<int64_t> high = Bound(squeezed, ">"))
    highest = highest ? std::min(*highest, *high) : *high;
}

bool ValueRule::Accepts(const std::string& value) const {
  if (!wholeNumber && !lowest && !highest)
    return true;
  std::string_view digits = value;
  bool negative = !digits.empty() && digits[0] == '-';
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
    digits.remove_prefix(1);
  // Leading zeros do not count towards the length limit.
  while (digits.size() > 1 && digits[0] == '0')
    digits.remove_prefix(1);
  int64_t number;
  if (!ParseDigits(digits, &number))
    return false;
  if (negative)
    number = -number;
  if (number < INT32_MIN || number > INT32_MAX)
    return false;
  return (!lowest || number >= *lowest) && (!highest || number <= *highest);
}

std::string ValueRule::Describe() const {
  if (lowest && highest)
    return "a whole number from " + std::to_string(*lowest) + " to " + std::to_string(*highest);
  if (lowest)
    return "a whole number of at least " + std::to_string(*lowest);
  if (highest)
    return "a whole number of at most " + std::to_string(*highest);
  return "a whole number";
}

ValueRule ReadValueRule(const EBScript& script, const PromptSection& section) {
  ValueRule rule;
  if (section.assignment) {
    for (size_t line = section.label; line < *section.assignment; ++line)
      rule.Read(script.lines()[line]);
  }
  return rule;
}
