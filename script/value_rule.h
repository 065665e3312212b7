#ifndef TARVO_SCRIPT_VALUE_RULE_H_
#define TARVO_SCRIPT_VALUE_RULE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "script/prompt_section.h"

/// The checks that a startup prompt section makes on the typed answer: whether it must be
/// a whole number, and the lowest and highest value it lets through. Removing the section
/// removes these checks, so a fixed value must pass them instead.
struct ValueRule {
  bool wholeNumber = false;
  std::optional<int64_t> lowest;
  std::optional<int64_t> highest;
  /// The first line of a check that cannot be read, trimmed; a value cannot be judged then.
  std::optional<std::string> unreadable;

  /// False when no value can pass: the lowest value lies above the highest.
  bool Possible() const;
  /// True when the section checks nothing, or when `value` is a whole number (optional
  /// sign, digits only, 32-bit signed range) within the bounds.
  bool Accepts(const std::string& value) const;
  /// "a whole number", "a whole number from 0 to 32767", "... of at least 1", "... of at
  /// most 9", or for a rule nothing can meet "no value can pass: at least 5 and at most 2".
  std::string Describe() const;
};

/// The checks of a prompt section, read from the If and ElseIf conditions on vAnswer
/// between its label and its assignment. Only a branch that refuses counts: one that jumps
/// back to the prompt or to ExperimentAbort; a branch that only warns is left aside. The
/// empty-answer test "If Not IsEmpty(vAnswer)" is no check. Read are "Not
/// IsNumeric(vAnswer)" and CLng, CInt or Val of vAnswer compared with <, <=, > or >= to a
/// whole number; any other condition makes the rule unreadable.
ValueRule ReadValueRule(const EBScript& script, const PromptSection& section);

#endif  // TARVO_SCRIPT_VALUE_RULE_H_
