#ifndef TARVO_SCRIPT_RUNS_H_
#define TARVO_SCRIPT_RUNS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/attributes.h"
#include "script/main_routine.h"

enum class Runs { kYes, kNo, kUnknown };

/// Whether statements of the main routine run, by the blocks around them, each branch
/// judged once. Only these conditions are judged:
/// - "[Not] c.AttribExists("<name>")": the attribute exists when `given` has its value
///   (Tarvo wrote its assignment) or a statement before sets it for sure; it may exist when
///   `given` names it without a value (not written yet), or when a statement before may
///   set it: one in a branch that may run, a name built of parts, a routine of the script.
/// - "[Not] <variable>" where the routine first sets the variable to a plain True or False
///   before the condition, for sure, and every other statement that may change it stands
///   in a branch that does not run: the newer generator's bStartupInfoUseDefaults.
/// Any other condition, a Select Case and a loop may or may not run their statements.
class RunJudge {
 public:
  RunJudge(const MainRoutine& routine, const AttributesBySqueezedName& given);

  Runs WhetherRuns(size_t index) const;
  /// Whether the attribute `key` exists when statement `before` runs; none when that
  /// cannot be told.
  std::optional<bool> AttributeExists(const std::string& key, size_t before) const;

 private:
  Runs BranchRuns(size_t branch) const;
  Runs JudgeBranch(size_t branch) const;
  std::optional<bool> Holds(const std::vector<Token>& condition, size_t opener) const;
  std::optional<bool> FixedFlag(const Token& variable, size_t before) const;

  const MainRoutine& routine_;
  const AttributesBySqueezedName& given_;
  // Each branch: not judged yet, being judged (a condition that depends on itself cannot be
  // told), or judged.
  enum class Judged : uint8_t { kNot, kBeing, kYes, kNo, kUnknown };
  mutable std::vector<Judged> judged_;
};

#endif  // TARVO_SCRIPT_RUNS_H_
