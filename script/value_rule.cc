#include "script/value_rule.h"

#include <algorithm>
#include <map>

#include "base/text_helpers.h"
#include "base/trim.h"

namespace {

using Tokens = std::vector<Token>;

const int64_t kLowest = AnswerSet::kLowest;
const int64_t kHighest = AnswerSet::kHighest;

// What a name stands for in a prompt section: the answer itself, a whole number made of it
// by one of the conversion functions, or something made of it that is not read.
enum class View { kAnswer, kCLng, kCInt, kVal, kUnknown };

// The answers a conversion takes without an error; any other answer stops the experiment
// with one, which refuses it as surely as a check does. Val never errs, but what it makes
// of text is not read, so text counts as refused there too.
AnswerSet Domain(View view) {
  return view == View::kCInt ? AnswerSet::Numbers(-32768, 32767)
                             : AnswerSet::Numbers(kLowest, kHighest);
}

// A condition: the answers for which it holds and those for which it does not; those in
// neither make it fail. Unknown when it cannot be read.
struct Condition {
  AnswerSet yes;
  AnswerSet no;
  bool known = false;
};

Condition Unknown() {
  return Condition();
}

Condition Known(AnswerSet yes, AnswerSet no) {
  return {std::move(yes), std::move(no), true};
}

// An operand of a condition.
struct Operand {
  enum Kind { kCondition, kNumber, kConstant, kUnread } kind = kUnread;
  Condition condition;
  View view = View::kUnknown;
  int64_t constant = 0;
};

// The answers x of `domain` for which "x <op> constant" holds; none for no comparison.
std::optional<AnswerSet> Comparison(const std::string& op, int64_t constant,
                                    const AnswerSet& domain) {
  AnswerSet holds;
  if (op == "<")
    holds = AnswerSet::Numbers(kLowest, constant - 1);
  else if (op == "<=")
    holds = AnswerSet::Numbers(kLowest, constant);
  else if (op == ">")
    holds = AnswerSet::Numbers(constant + 1, kHighest);
  else if (op == ">=")
    holds = AnswerSet::Numbers(constant, kHighest);
  else if (op == "=")
    holds = AnswerSet::Numbers(constant, constant);
  else if (op == "<>")
    holds = domain.Minus(AnswerSet::Numbers(constant, constant));
  else
    return std::nullopt;
  return holds.Intersect(domain);
}

std::string Flipped(const std::string& op) {
  if (op == "<")
    return ">";
  if (op == ">")
    return "<";
  if (op == "<=")
    return ">=";
  if (op == ">=")
    return "<=";
  return op;
}

// Reads a condition on the answer: Or of And of Not of comparisons and tests.
class ConditionReader {
 public:
  ConditionReader(const Tokens& tokens, const std::map<std::string, View>& views)
      : tokens_(tokens), views_(views) {}

  Condition Read() {
    Condition condition = Or();
    return at_ == tokens_.size() ? condition : Unknown();
  }

  // A Case list: values, ranges "a To b" and "Is <op> b", separated by commas, of a
  // selector in `domain`.
  Condition ReadCase(const AnswerSet& domain) {
    AnswerSet yes;
    for (;;) {
      std::optional<AnswerSet> item = CaseItem(domain);
      if (!item)
        return Unknown();
      yes = yes.Union(*item);
      if (at_ == tokens_.size())
        return Known(yes, domain.Minus(yes));
      if (!Take(","))
        return Unknown();
    }
  }

  // A selector: the answer made a whole number.
  std::optional<View> ReadNumber() {
    Operand operand = Primary();
    if (operand.kind != Operand::kNumber || at_ != tokens_.size())
      return std::nullopt;
    return operand.view;
  }

 private:
  bool Is(std::string_view word) const {
    return at_ < tokens_.size() && tokens_[at_].IsNameInsensitive(word);
  }
  bool IsSymbol(std::string_view symbol) const { return ::IsSymbol(tokens_, at_, symbol); }
  bool Take(std::string_view symbol) {
    if (!IsSymbol(symbol))
      return false;
    ++at_;
    return true;
  }

  Condition Or() {
    Condition left = And();
    while (left.known && Is("OR")) {
      ++at_;
      Condition right = And();
      if (!right.known)
        return right;
      AnswerSet fails = Fails(left).Union(Fails(right));
      left = Known(left.yes.Union(right.yes).Minus(fails), left.no.Intersect(right.no));
    }
    return left;
  }

  Condition And() {
    Condition left = Not();
    while (left.known && Is("AND")) {
      ++at_;
      Condition right = Not();
      if (!right.known)
        return right;
      AnswerSet fails = Fails(left).Union(Fails(right));
      left = Known(left.yes.Intersect(right.yes), left.no.Union(right.no).Minus(fails));
    }
    return left;
  }

  static AnswerSet Fails(const Condition& condition) {
    return AnswerSet::All().Minus(condition.yes).Minus(condition.no);
  }

  Condition Not() {
    if (!Is("NOT"))
      return Compared();
    ++at_;
    Condition inner = Not();
    return inner.known ? Known(inner.no, inner.yes) : inner;
  }

  Condition Compared() {
    Operand left = Primary();
    std::string op = Operator();
    if (op.empty())
      return left.kind == Operand::kCondition ? left.condition : Unknown();
    Operand right = Primary();
    if (left.kind == Operand::kConstant && right.kind == Operand::kNumber) {
      std::swap(left, right);
      op = Flipped(op);
    }
    if (left.kind != Operand::kNumber || right.kind != Operand::kConstant)
      return Unknown();
    AnswerSet domain = Domain(left.view);
    std::optional<AnswerSet> yes = Comparison(op, right.constant, domain);
    return yes ? Known(*yes, domain.Minus(*yes)) : Unknown();
  }

  std::string Operator() {
    std::string op;
    while (op.size() < 2 && (IsSymbol("<") || IsSymbol(">") || IsSymbol("=")))
      op += tokens_[at_++].text;
    return op;
  }

  Operand Primary() {
    Operand operand;
    if (Take("(")) {
      Condition inner = Or();
      if (inner.known && Take(")")) {
        operand.kind = Operand::kCondition;
        operand.condition = inner;
      }
      return operand;
    }
    bool negative = Take("-");
    if (at_ < tokens_.size() && tokens_[at_].kind == Token::kName) {
      const Token& word = tokens_[at_++];
      if (std::optional<int32_t> number = ParseWholeNumber(word.text)) {
        operand.kind = Operand::kConstant;
        operand.constant = negative ? -int64_t{*number} : *number;
        return operand;
      }
      if (!negative)
        return Named(word);
    }
    return operand;
  }

  // A test or a conversion of the answer, or a copy of it.
  Operand Named(const Token& word) {
    Operand operand;
    View view = ViewOf(word);
    if (view != View::kUnknown && view != View::kAnswer) {
      operand.kind = Operand::kNumber;
      operand.view = view;
      return operand;
    }
    std::optional<View> function;
    if (word.IsNameInsensitive("CLNG"))
      function = View::kCLng;
    else if (word.IsNameInsensitive("CINT"))
      function = View::kCInt;
    else if (word.IsNameInsensitive("VAL"))
      function = View::kVal;
    bool test = word.IsNameInsensitive("ISEMPTY") || word.IsNameInsensitive("ISNUMERIC");
    if ((!function && !test) || !Take("("))
      return operand;
    bool ofAnswer = at_ < tokens_.size() && ViewOf(tokens_[at_]) == View::kAnswer;
    if (!ofAnswer)
      return operand;
    ++at_;
    if (!Take(")"))
      return operand;
    if (function) {
      operand.kind = Operand::kNumber;
      operand.view = *function;
    } else {
      // A given value is never Empty: AskBox gives Empty only for Cancel.
      operand.kind = Operand::kCondition;
      operand.condition = word.IsNameInsensitive("ISEMPTY")
                              ? Known(AnswerSet::None(), AnswerSet::All())
                              : Known(AnswerSet::Numbers(kLowest, kHighest), AnswerSet::Text());
    }
    return operand;
  }

  std::optional<AnswerSet> CaseItem(const AnswerSet& domain) {
    if (Is("IS")) {
      ++at_;
      std::string op = Operator();
      Operand bound = Primary();
      if (bound.kind != Operand::kConstant)
        return std::nullopt;
      return Comparison(op, bound.constant, domain);
    }
    Operand from = Primary();
    if (from.kind != Operand::kConstant)
      return std::nullopt;
    if (!Is("TO"))
      return AnswerSet::Numbers(from.constant, from.constant).Intersect(domain);
    ++at_;
    Operand to = Primary();
    if (to.kind != Operand::kConstant)
      return std::nullopt;
    return AnswerSet::Numbers(from.constant, to.constant).Intersect(domain);
  }

  View ViewOf(const Token& word) const {
    auto view = views_.find(SqueezeText(word.text));
    return word.kind == Token::kName && view != views_.end() ? view->second : View::kUnknown;
  }

  const Tokens& tokens_;
  const std::map<std::string, View>& views_;
  size_t at_ = 0;
};

// Runs a prompt section on sets of answers at once, from its label to its assignment.
class SectionWalker {
 public:
  SectionWalker(const MainRoutine& routine, size_t assignment)
      : routine_(routine), assignment_(assignment) {
    views_["VANSWER"] = View::kAnswer;
  }

  ValueRule Walk(size_t first, size_t end) {
    // What passes the end of the section without reaching its assignment is not set.
    Statements(first, end, AnswerSet::All(), AnswerSet::All());
    return rule_;
  }

 private:
  // Runs statements [first, end) on the answers `flow`; returns those that come out at the
  // end. `guard` holds the answers that the conditions around them alone let in.
  AnswerSet Statements(size_t first, size_t end, AnswerSet flow, const AnswerSet& guard) {
    for (size_t i = first; i < end && !rule_.unreadable; ++i) {
      const Statement& statement = routine_[i];
      if (i == assignment_) {
        rule_.accepted = rule_.accepted.Union(flow);
        flow = AnswerSet::None();
        continue;
      }
      switch (statement.kind) {
        case StatementKind::kIf:
        case StatementKind::kSelectCase:
        case StatementKind::kLoopStart: {
          std::optional<size_t> closer = routine_.CloserOf(i);
          if (!closer) {
            Unreadable(i);
            return flow;
          }
          flow = WalkBlock(i, *closer, flow, guard);
          i = *closer;
          break;
        }
        case StatementKind::kGoTo:
        case StatementKind::kEnd:
        case StatementKind::kExitSub:
          Refuse(flow, guard);
          flow = AnswerSet::None();
          break;
        case StatementKind::kAssignment:
          flow = Copy(statement, flow, guard);
          break;
        default:
          // A routine called only for some answers may refuse them in a way not read here.
          if (onAnswer_ > 0 && CallsRoutine(statement))
            Unreadable(i);
          break;
      }
    }
    return flow;
  }

  // A name assigned from the answer is a copy of it.
  AnswerSet Copy(const Statement& statement, AnswerSet flow, const AnswerSet& guard) {
    if (statement.name.find('.') != std::string::npos)
      return flow;
    Tokens value = statement.Value();
    // The prompt's own question gives the answer.
    if (!value.empty() && value[0].IsNameInsensitive("ASKBOX")) {
      views_[statement.key] = View::kAnswer;
      return flow;
    }
    if (!MentionsAnswer(value)) {
      views_.erase(statement.key);
      return flow;
    }
    ConditionReader reader(value, views_);
    std::optional<View> number = reader.ReadNumber();
    if (number) {
      AnswerSet domain = Domain(*number);
      Refuse(flow.Minus(domain), guard);
      flow = flow.Intersect(domain);
    }
    bool plainCopy = value.size() == 1 && views_[SqueezeText(value[0].text)] == View::kAnswer;
    views_[statement.key] = number ? *number : plainCopy ? View::kAnswer : View::kUnknown;
    return flow;
  }

  AnswerSet WalkBlock(size_t opener, size_t closer, const AnswerSet& flow, const AnswerSet& guard) {
    const Block& block = *routine_.BlockOpenedBy(opener);
    std::vector<Condition> conditions;
    AnswerSet domain = AnswerSet::All();
    bool readable = block.kind != Block::kLoop;
    if (block.kind == Block::kSelect) {
      std::optional<View> selector = ConditionReader(block.selector, views_).ReadNumber();
      readable = selector.has_value();
      domain = selector ? Domain(*selector) : domain;
    }
    // A branch that only shows a message lets through every answer that reaches it,
    // whatever its condition: when no branch after it decides, the answers go on alike.
    bool passing = false;
    for (size_t i = 0; readable && i < block.branches.size(); ++i) {
      const Branch& branch = routine_.branches()[block.branches[i]];
      if (branch.isElse)
        continue;
      ConditionReader reader(branch.condition, views_);
      conditions.push_back(passing ? Known(AnswerSet::None(), AnswerSet::All())
                           : block.kind == Block::kSelect ? reader.ReadCase(domain)
                                                          : reader.Read());
      if (!conditions.back().known && OnlyShowsMessages(branch) && !Decides(branch.end, closer)) {
        conditions.back() = Known(AnswerSet::All(), AnswerSet::None());
        passing = true;
      }
      if (!conditions.back().known)
        return Unread(opener, closer, branch.opener, flow);
    }
    if (!readable)
      return Unread(opener, closer, opener, flow);
    Refuse(flow.Minus(domain), guard);
    return Branches(block, conditions, flow.Intersect(domain), guard);
  }

  // Each branch on the answers that reach it; what no branch takes goes past the block.
  AnswerSet Branches(const Block& block, const std::vector<Condition>& conditions,
                     AnswerSet remaining, const AnswerSet& guard) {
    std::map<std::string, View> before = views_;
    std::vector<std::map<std::string, View>> after;
    AnswerSet out;
    AnswerSet covered;
    bool hasElse = false;
    size_t next = 0;
    for (size_t index : block.branches) {
      const Branch& branch = routine_.branches()[index];
      AnswerSet taken;
      AnswerSet branchGuard;
      if (branch.isElse) {
        hasElse = true;
        taken = remaining;
        branchGuard = guard.Minus(covered);
        remaining = AnswerSet::None();
      } else {
        const Condition& condition = conditions[next++];
        Refuse(remaining.Minus(condition.yes).Minus(condition.no), guard);
        taken = remaining.Intersect(condition.yes);
        remaining = remaining.Intersect(condition.no);
        branchGuard = guard.Intersect(condition.yes);
        covered = covered.Union(condition.yes);
      }
      views_ = before;
      ++onAnswer_;
      out = out.Union(Statements(branch.first, branch.end, taken, branchGuard));
      --onAnswer_;
      after.push_back(views_);
    }
    if (!hasElse)
      after.push_back(before);
    Merge(after);
    return out.Union(remaining);
  }

  // After a block, a name is what every way through it left it, or not read.
  void Merge(const std::vector<std::map<std::string, View>>& ways) {
    views_.clear();
    for (const auto& way : ways) {
      for (const auto& [name, view] : way) {
        bool same = true;
        for (const auto& other : ways) {
          auto found = other.find(name);
          same = same && found != other.end() && found->second == view;
        }
        views_[name] = same ? view : View::kUnknown;
      }
    }
  }

  bool OnlyShowsMessages(const Branch& branch) const {
    for (size_t i = branch.first; i < branch.end; ++i) {
      if (!ShowsMessage(routine_[i]))
        return false;
    }
    return true;
  }

  // True when statements [first, end) refuse an answer, assign anything or call a routine.
  bool Decides(size_t first, size_t end) const {
    for (size_t i = first; i < end; ++i) {
      StatementKind kind = routine_[i].kind;
      if (i == assignment_ || kind == StatementKind::kGoTo || kind == StatementKind::kEnd ||
          kind == StatementKind::kExitSub || kind == StatementKind::kAssignment ||
          kind == StatementKind::kSetAttrib || CallsRoutine(routine_[i]))
        return true;
    }
    return false;
  }

  // A block whose condition cannot be read: a warning when it neither refuses nor
  // assigns, left aside when it never looks at the answer, unreadable otherwise.
  AnswerSet Unread(size_t opener, size_t closer, size_t unreadLine, AnswerSet flow) {
    bool onAnswer = false;
    bool decides = false;
    for (size_t i = opener; i <= closer; ++i) {
      const Statement& statement = routine_[i];
      onAnswer = onAnswer || MentionsAnswer(statement.tokens) || i == assignment_;
      decides = decides || i == assignment_ || statement.kind == StatementKind::kGoTo ||
                statement.kind == StatementKind::kEnd ||
                statement.kind == StatementKind::kExitSub || CallsRoutine(statement);
      if (statement.kind == StatementKind::kAssignment && views_.count(statement.key) != 0)
        views_[statement.key] = View::kUnknown;
    }
    if (onAnswer && decides)
      Unreadable(unreadLine);
    return flow;
  }

  bool MentionsAnswer(const Tokens& tokens) const {
    for (const Token& token : tokens) {
      if (token.kind == Token::kName && views_.count(SqueezeText(token.text)) != 0)
        return true;
    }
    return false;
  }

  void Refuse(const AnswerSet& refused, const AnswerSet& guard) {
    if (refused.empty() || guard.numbers().size() != 1 || guard.text())
      return;
    // A check of its own against a bound: what its guard lets in runs to one end.
    auto [low, high] = guard.numbers()[0];
    if (low == kLowest && high < kHighest)
      rule_.lowest = std::max(rule_.lowest.value_or(kLowest), high + 1);
    if (high == kHighest && low > kLowest)
      rule_.highest = std::min(rule_.highest.value_or(kHighest), low - 1);
  }

  void Unreadable(size_t statement) {
    if (!rule_.unreadable)
      rule_.unreadable = std::string(Trimmed(routine_.LineOf(statement)));
  }

  const MainRoutine& routine_;
  size_t assignment_;
  std::map<std::string, View> views_;
  int onAnswer_ = 0;  // the branches around the statement walked whose conditions are on it
  ValueRule rule_ = {AnswerSet::None(), std::nullopt, std::nullopt, std::nullopt};
};

std::string Bounds(const AnswerSet::Interval& interval) {
  auto [low, high] = interval;
  if (low == kLowest && high == kHighest)
    return "";
  if (low == kLowest)
    return "of at most " + std::to_string(high);
  if (high == kHighest)
    return "of at least " + std::to_string(low);
  return "from " + std::to_string(low) + " to " + std::to_string(high);
}

}  // namespace

bool ValueRule::Accepts(const std::string& value) const {
  if (std::optional<int32_t> number = ParseWholeNumber(value))
    return accepted.Contains(*number);
  if (value.find_first_of("0123456789") == std::string::npos)
    return accepted.text();
  return accepted == AnswerSet::All();
}

std::string ValueRule::Describe() const {
  const std::vector<AnswerSet::Interval>& numbers = accepted.numbers();
  if (accepted.empty()) {
    if (lowest && highest && *lowest > *highest)
      return "no value can pass: at least " + std::to_string(*lowest) + " and at most " +
             std::to_string(*highest);
    return "no value can pass";
  }
  std::string text = accepted.text() ? "a text that is no number" : "";
  if (numbers.empty())
    return text;
  text += text.empty() ? "a whole number" : ", or a whole number";
  for (size_t i = 0; i < numbers.size(); ++i) {
    std::string bounds = Bounds(numbers[i]);
    text += (i == 0 ? "" : " or") + std::string(bounds.empty() ? "" : " ") + bounds;
  }
  return text;
}

ValueRule ReadValueRule(const MainRoutine& routine, const PromptSection& section) {
  if (!section.assignment || !section.end)
    return ValueRule();
  return SectionWalker(routine, *section.assignment).Walk(section.label + 1, *section.end + 1);
}

std::optional<ValueRule> PromptRuleOf(const EBScript& script, std::string_view name) {
  std::optional<MainRoutine> routine = MainRoutine::Read(script);
  return routine ? PromptRuleOf(*routine, name) : std::nullopt;
}

std::optional<ValueRule> PromptRuleOf(const MainRoutine& routine, std::string_view name) {
  std::optional<PromptSection> section = FindPromptSection(routine, name);
  if (!section)
    return std::nullopt;
  return ReadValueRule(routine, *section);
}
