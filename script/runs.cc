#include "script/runs.h"

#include <optional>
#include <vector>

#include "base/text_helpers.h"

namespace {

using Tokens = std::vector<Token>;

// Whether the attribute `name` exists when statement `before` runs: given, or set by a
// statement before it that runs for sure. None when that cannot be told.
std::optional<bool> AttributeExists(const MainRoutine& routine, std::string_view name,
                                    size_t before, const AttributesBySqueezedName& given) {
  std::string key = SqueezeText(name);
  if (given.count(key) != 0)
    return true;
  std::optional<bool> exists = false;
  for (size_t i = 0; i < before; ++i) {
    const Statement& statement = routine[i];
    if (statement.kind != StatementKind::kSetAttrib || statement.key != key)
      continue;
    Runs runs = WhetherRuns(routine, i, given);
    if (runs == Runs::kYes)
      return true;
    if (runs == Runs::kUnknown)
      exists = std::nullopt;
  }
  return exists;
}

// The value of a variable that the routine sets to a plain True or False before `before`
// and nowhere else; none for any other variable.
std::optional<bool> FixedFlag(const MainRoutine& routine, const Token& variable, size_t before,
                              const AttributesBySqueezedName& given) {
  std::optional<bool> flag;
  std::string target = SqueezeText(variable.text);
  for (size_t i = 0; i < routine.size(); ++i) {
    const Statement& statement = routine[i];
    if (statement.kind != StatementKind::kAssignment || statement.key != target)
      continue;
    const Tokens& tokens = statement.tokens;
    bool plain =
        flag == std::nullopt && i < before && statement.value + 1 == tokens.size() &&
        (tokens.back().IsNameInsensitive("TRUE") || tokens.back().IsNameInsensitive("FALSE")) &&
        WhetherRuns(routine, i, given) == Runs::kYes;
    if (!plain)
      return std::nullopt;
    flag = tokens.back().IsNameInsensitive("TRUE");
  }
  return flag;
}

// Whether the condition of an If or ElseIf holds; none when it cannot be told.
std::optional<bool> Holds(const MainRoutine& routine, const Tokens& condition, size_t opener,
                          const AttributesBySqueezedName& given) {
  bool negated = !condition.empty() && condition[0].IsNameInsensitive("NOT");
  size_t at = negated ? 1 : 0;
  std::optional<bool> holds;
  std::optional<std::string> tested =
      condition.size() == at + 6 ? ContextCallName(condition, at, "ATTRIBEXISTS") : std::nullopt;
  if (tested) {
    holds = AttributeExists(routine, *tested, opener, given);
  } else if (condition.size() == at + 1 && condition[at].kind == Token::kName) {
    holds = FixedFlag(routine, condition[at], opener, given);
  }
  if (holds && negated)
    holds = !*holds;
  return holds;
}

// Whether the statements of `branch` run when the block around it is reached.
Runs BranchRuns(const MainRoutine& routine, size_t branch, const AttributesBySqueezedName& given) {
  const Block& block = routine.blocks()[routine.branches()[branch].block];
  if (block.kind != Block::kIf)
    return Runs::kUnknown;
  Runs runs = Runs::kYes;
  for (size_t other : block.branches) {
    const Branch& arm = routine.branches()[other];
    std::optional<bool> holds =
        arm.isElse ? std::optional<bool>(true) : Holds(routine, arm.condition, arm.opener, given);
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

}  // namespace

Runs WhetherRuns(const MainRoutine& routine, size_t index, const AttributesBySqueezedName& given) {
  Runs runs = Runs::kYes;
  for (size_t branch : routine.BranchesAround(index)) {
    Runs arm = BranchRuns(routine, branch, given);
    if (arm == Runs::kNo)
      return Runs::kNo;
    if (arm == Runs::kUnknown)
      runs = Runs::kUnknown;
  }
  return runs;
}
