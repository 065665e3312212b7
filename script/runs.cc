#include "script/runs.h"

#include "base/text_helpers.h"

namespace {

using Tokens = std::vector<Token>;

}  // namespace

RunJudge::RunJudge(const MainRoutine& routine, const AttributesBySqueezedName& given)
    : routine_(routine), given_(given), judged_(routine.branches().size(), Judged::kNot) {}

Runs RunJudge::WhetherRuns(size_t index) const {
  Runs runs = Runs::kYes;
  for (size_t branch : routine_.BranchesAround(index)) {
    Runs arm = BranchRuns(branch);
    if (arm == Runs::kNo)
      return Runs::kNo;
    if (arm == Runs::kUnknown)
      runs = Runs::kUnknown;
  }
  return runs;
}

std::optional<bool> RunJudge::AttributeExists(const std::string& key, size_t before) const {
  auto given = given_.find(key);
  if (given != given_.end() && given->second)
    return true;
  std::optional<bool> exists = false;
  for (size_t i : routine_.SettersOf(key)) {
    if (i >= before)
      break;
    MainRoutine::Setting setting = routine_.SetsAttribute(i, key);
    if (setting == MainRoutine::Setting::kNo)
      continue;
    Runs runs = WhetherRuns(i);
    if (runs == Runs::kYes && setting == MainRoutine::Setting::kSets)
      return true;
    if (runs != Runs::kNo)
      exists = std::nullopt;
  }
  // Named on the command line: it may be set by the time the experiment runs.
  return given != given_.end() ? std::nullopt : exists;
}

Runs RunJudge::BranchRuns(size_t branch) const {
  switch (judged_[branch]) {
    case Judged::kNot:
      break;
    case Judged::kBeing:
    case Judged::kUnknown:
      return Runs::kUnknown;
    case Judged::kYes:
      return Runs::kYes;
    case Judged::kNo:
      return Runs::kNo;
  }
  judged_[branch] = Judged::kBeing;
  Runs runs = JudgeBranch(branch);
  judged_[branch] = runs == Runs::kYes  ? Judged::kYes
                    : runs == Runs::kNo ? Judged::kNo
                                        : Judged::kUnknown;
  return runs;
}

// Whether the statements of `branch` run when the block around it is reached.
Runs RunJudge::JudgeBranch(size_t branch) const {
  const Block& block = routine_.blocks()[routine_.branches()[branch].block];
  if (block.kind != Block::kIf)
    return Runs::kUnknown;
  Runs runs = Runs::kYes;
  for (size_t other : block.branches) {
    const Branch& arm = routine_.branches()[other];
    std::optional<bool> holds =
        arm.isElse ? std::optional<bool>(true) : Holds(arm.condition, arm.opener);
    if (other == branch)
      return !holds ? Runs::kUnknown : *holds ? runs : Runs::kNo;
    // An earlier arm that is taken leaves this one out.
    if (!holds)
      runs = Runs::kUnknown;
    else if (*holds)
      return Runs::kNo;
  }
  return Runs::kUnknown;
}

// Whether the condition of an If or ElseIf holds; none when it cannot be told.
std::optional<bool> RunJudge::Holds(const Tokens& condition, size_t opener) const {
  bool negated = !condition.empty() && condition[0].IsNameInsensitive("NOT");
  size_t at = negated ? 1 : 0;
  std::optional<bool> holds;
  std::optional<std::string> tested =
      condition.size() == at + 6 ? ContextCallName(condition, at, "ATTRIBEXISTS") : std::nullopt;
  if (tested) {
    holds = AttributeExists(SqueezeText(*tested), opener);
  } else if (condition.size() == at + 1 && condition[at].kind == Token::kName) {
    holds = FixedFlag(condition[at], opener);
  }
  if (holds && negated)
    holds = !*holds;
  return holds;
}

// The value of a variable that the routine first sets, for sure and before `before`, to a
// plain True or False, where nothing else that may change it runs; none for any other.
std::optional<bool> RunJudge::FixedFlag(const Token& variable, size_t before) const {
  const std::vector<size_t>& changers = routine_.ChangersOf(SqueezeText(variable.text));
  if (changers.empty() || changers.front() >= before)
    return std::nullopt;
  const Statement& first = routine_[changers.front()];
  const Tokens& tokens = first.tokens;
  bool plain =
      first.kind == StatementKind::kAssignment && first.value + 1 == tokens.size() &&
      (tokens.back().IsNameInsensitive("TRUE") || tokens.back().IsNameInsensitive("FALSE"));
  if (!plain || WhetherRuns(changers.front()) != Runs::kYes)
    return std::nullopt;
  for (size_t i = 1; i < changers.size(); ++i) {
    if (WhetherRuns(changers[i]) != Runs::kNo)
      return std::nullopt;
  }
  return tokens.back().IsNameInsensitive("TRUE");
}
