#ifndef TARVO_SCRIPT_VALUE_RULE_H_
#define TARVO_SCRIPT_VALUE_RULE_H_

#include <optional>
#include <string>
#include <string_view>

#include "script/answer_set.h"
#include "script/prompt_section.h"

/// What a startup prompt section lets through: the answers that reach its assignment.
/// Removing the section removes its checks, so a fixed value must pass them instead.
struct ValueRule {
  AnswerSet accepted = AnswerSet::All();
  /// The highest lower bound and the lowest upper bound that single checks set, to say
  /// why no value can pass.
  std::optional<int64_t> lowest;
  std::optional<int64_t> highest;
  /// The first line of a check that cannot be read, trimmed; a value cannot be judged then.
  std::optional<std::string> unreadable;

  /// True when the section lets `value` through. A value that is neither a whole number
  /// nor text without digits ("1.5", "1e3") passes only a section that checks nothing.
  bool Accepts(const std::string& value) const;
  /// "a whole number", "a whole number from 0 to 32767", "... of at least 1", "... of at
  /// most 9", or for a rule nothing can meet "no value can pass: at least 5 and at most 2".
  std::string Describe() const;
};

/// Reads what the section does with each answer, from its label to its assignment, the way
/// E-Basic runs it: If, ElseIf and Else, one-line Ifs, Select Case and copies of the answer
/// (n = CLng(vAnswer)). An answer is refused where the section leaves the prompt other than
/// by its assignment: GoTo any label, End or Exit Sub. Conditions read are IsEmpty and
/// IsNumeric of the answer, CLng, CInt or Val of it compared with a whole number, and Not,
/// And and Or of those. A given value is never Empty, so the generated "If Not
/// IsEmpty(vAnswer)" checks nothing. A block on the answer that refuses or assigns, and
/// whose condition cannot be read, makes the rule unreadable; one that does neither is a
/// warning only, and a block that never looks at the answer is left aside.
ValueRule ReadValueRule(const MainRoutine& routine, const PromptSection& section);

/// The rule of the startup prompt that asks for attribute `name` in the script's main
/// routine; none when the main routine has no such prompt.
std::optional<ValueRule> PromptRuleOf(const EBScript& script, std::string_view name);
/// The same, of a main routine read already.
std::optional<ValueRule> PromptRuleOf(const MainRoutine& routine, std::string_view name);

#endif  // TARVO_SCRIPT_VALUE_RULE_H_
