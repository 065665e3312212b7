#ifndef TARVO_SCRIPT_VALUE_RULE_H_
#define TARVO_SCRIPT_VALUE_RULE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "script/prompt_section.h"

/// The checks that a startup prompt section makes on the typed answer: whether it must
/// be a whole number, and the lowest and highest value it lets through. Removing the
/// section removes these checks, so a fixed value must pass them instead.
struct ValueRule {
  bool wholeNumber = false;
  std::optional<int64_t> lowest;
  std::optional<int64_t> highest;

  /// Takes in what one line of a prompt section checks; a line that checks nothing
  /// changes nothing. Several bounds of one kind: the strictest holds.
  void Read(std::string_view line);
  /// True when the section checks nothing, or when `value` is a whole number (optional
  /// sign, digits only, 32-bit signed range) within the bounds.
  bool Accepts(const std::string& value) const;
  /// "a whole number", "a whole number from 0 to 32767", "... of at least 1" or
  /// "... of at most 9".
  std::string Describe() const;
};

/// The checks of a prompt section, read from its label up to its own assignment; none
/// when it has no assignment.
ValueRule ReadValueRule(const EBScript& script, const PromptSection& section);

#endif  // TARVO_SCRIPT_VALUE_RULE_H_
