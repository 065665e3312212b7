#ifndef TARVO_SCRIPT_VALUE_RULE_H_
#define TARVO_SCRIPT_VALUE_RULE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "script/prompt_section.h"

/// A set of answers to a prompt: whole numbers of the 32-bit signed range, as intervals,
/// and whether text that is no number belongs to it.
class AnswerSet {
 public:
  using Interval = std::pair<int64_t, int64_t>;  // both ends included

  static AnswerSet All();
  static AnswerSet None() { return AnswerSet(); }
  static AnswerSet Numbers(int64_t lowest, int64_t highest);
  static AnswerSet Text();

  AnswerSet Union(const AnswerSet& other) const;
  AnswerSet Intersect(const AnswerSet& other) const;
  AnswerSet Minus(const AnswerSet& other) const;

  bool empty() const { return numbers_.empty() && !text_; }
  bool text() const { return text_; }
  const std::vector<Interval>& numbers() const { return numbers_; }
  bool Contains(int64_t number) const;
  bool operator==(const AnswerSet& other) const {
    return text_ == other.text_ && numbers_ == other.numbers_;
  }

 private:
  std::vector<Interval> numbers_;  // sorted, apart from each other
  bool text_ = false;
};

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

#endif  // TARVO_SCRIPT_VALUE_RULE_H_
