#include "script/value_rule.h"

#include <algorithm>
#include <vector>

#include "script/ebasic.h"
#include "textfile/text_helpers.h"
#include "textfile/trim.h"

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

// One If or ElseIf of a prompt section.
struct Branch {
  size_t line;            // its first line
  std::string condition;  // its words between the keyword and Then, upper-cased
  bool onAnswer = false;  // the condition names vAnswer
  bool continued = false;
  bool refuses = false;  // jumps back to the prompt or to ExperimentAbort
};

std::string Joined(const std::vector<Token>& tokens, size_t first, size_t end) {
  std::string text;
  for (size_t i = first; i < end && i < tokens.size(); ++i) {
    for (char c : tokens[i].text)
      text.push_back(UpperCaseAscii(c));
  }
  return text;
}

// The If blocks of a section, with whether each branch refuses. A jump inside a nested
// block counts for every branch around it.
class BranchReader {
 public:
  BranchReader(const EBScript& script, const std::string& label)
      : script_(script), prompt_("STARTUPINFOPROMPT_" + SqueezeText(label)) {}

  std::vector<Branch> Read(size_t first, size_t end) {
    for (size_t line = first; line < end; line = script_.StatementEnd(line) + 1)
      Take(line);
    return std::move(branches_);
  }

 private:
  bool Jumps(const std::vector<Token>& tokens, size_t from) const {
    for (size_t i = from; i + 1 < tokens.size(); ++i) {
      if (tokens[i].Is("GOTO") &&
          (tokens[i + 1].Is("EXPERIMENTABORT") || tokens[i + 1].Is(prompt_)))
        return true;
    }
    return false;
  }

  void MarkOpenBranches() {
    for (size_t index : open_) {
      if (index != kNoBranch)
        branches_[index].refuses = true;
    }
  }

  void Take(size_t line) {
    std::string code = script_.StatementCode(line);
    std::vector<Token> tokens = Tokenize(code);
    if (tokens.empty())
      return;
    bool elseIf = tokens[0].Is("ELSEIF");
    if (elseIf || tokens[0].Is("IF")) {
      if (elseIf && !open_.empty())
        open_.pop_back();
      size_t then = FindToken(tokens, "THEN", 1);
      std::string condition = Joined(tokens, 1, then);
      bool onAnswer = false;
      for (size_t i = 1; i < then; ++i)
        onAnswer = onAnswer || tokens[i].Is("VANSWER");
      branches_.push_back({line, condition, onAnswer, script_.StatementEnd(line) != line, false});
      size_t branch = branches_.size() - 1;
      if (elseIf || then + 1 >= tokens.size()) {
        open_.push_back(branch);
      } else if (Jumps(tokens, then + 1)) {  // a one-line If
        branches_[branch].refuses = true;
        MarkOpenBranches();
      }
    } else if (tokens[0].Is("ELSE") && tokens.size() == 1) {
      if (!open_.empty())
        open_.pop_back();
      open_.push_back(kNoBranch);
    } else if ((tokens[0].Is("END") && tokens.size() > 1 && tokens[1].Is("IF")) ||
               tokens[0].Is("ENDIF")) {
      if (!open_.empty())
        open_.pop_back();
    } else if (Jumps(tokens, 0)) {
      MarkOpenBranches();
    }
  }

  static constexpr size_t kNoBranch = static_cast<size_t>(-1);
  const EBScript& script_;
  const std::string prompt_;
  std::vector<Branch> branches_;
  std::vector<size_t> open_;  // the branch of each open block, innermost last
};

// Takes in one refusing condition on vAnswer, as its words upper-cased and joined; false
// when it cannot be read.
bool ReadCondition(const std::string& condition, ValueRule* rule) {
  if (condition == "NOTISNUMERIC(VANSWER)") {
    rule->wholeNumber = true;
    return true;
  }
  for (std::string_view function : {"CLNG(VANSWER)", "CINT(VANSWER)", "VAL(VANSWER)"}) {
    if (!StartsWith(condition, function))
      continue;
    std::string_view rest = std::string_view(condition).substr(function.size());
    size_t operatorLength = rest.size() > 1 && rest[1] == '=' ? 2 : 1;
    std::string_view comparison = rest.substr(0, operatorLength);
    rest.remove_prefix(comparison.size());
    bool negative = StartsWith(rest, "-");
    int64_t number;
    if (!ParseDigits(rest.substr(negative ? 1 : 0), &number))
      return false;
    number = negative ? -number : number;
    // The check refuses the values the comparison holds for.
    if (comparison == "<" || comparison == "<=") {
      int64_t low = comparison == "<" ? number : number + 1;
      rule->lowest = rule->lowest ? std::max(*rule->lowest, low) : low;
    } else if (comparison == ">" || comparison == ">=") {
      int64_t high = comparison == ">" ? number : number - 1;
      rule->highest = rule->highest ? std::min(*rule->highest, high) : high;
    } else {
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace

bool ValueRule::Possible() const {
  return !lowest || !highest || *lowest <= *highest;
}

bool ValueRule::Accepts(const std::string& value) const {
  if (!wholeNumber && !lowest && !highest)
    return true;
  std::optional<int32_t> number = ParseWholeNumber(value);
  return number && (!lowest || *number >= *lowest) && (!highest || *number <= *highest);
}

std::string ValueRule::Describe() const {
  if (!Possible()) {
    return "no value can pass: at least " + std::to_string(*lowest) + " and at most " +
           std::to_string(*highest);
  }
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
  if (!section.assignment)
    return rule;
  for (const Branch& branch :
       BranchReader(script, section.name).Read(section.label + 1, *section.assignment)) {
    if (!branch.refuses || !branch.onAnswer || branch.condition == "NOTISEMPTY(VANSWER)")
      continue;
    if (branch.continued || !ReadCondition(branch.condition, &rule)) {
      rule.unreadable = std::string(Trimmed(script.lines()[branch.line]));
      break;
    }
  }
  return rule;
}
