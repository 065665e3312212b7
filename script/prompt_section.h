#ifndef TARVO_SCRIPT_PROMPT_SECTION_H_
#define TARVO_SCRIPT_PROMPT_SECTION_H_

#include <optional>
#include <string>
#include <string_view>

#include "script/main_routine.h"

/// The startup prompt section in which the experiment asks for an attribute's value.
struct PromptSection {
  size_t label;      // the statement "StartupInfoPrompt_<name>:"
  std::string name;  // the attribute's name as the label spells it
  /// The section's own assignment: the first SetAttrib of the attribute from vAnswer (or a
  /// copy of it) after the label, before the section's end. None when a hand-edited
  /// section has lost it.
  std::optional<size_t> assignment;
  /// The last statement that removing the section takes away: the assignment, or the end
  /// of the blocks it stands in. None when the section cannot go whole: a block of it
  /// would stay behind, it shares a line with other code, something outside jumps into it,
  /// or the attribute is set from vAnswer elsewhere too.
  std::optional<size_t> end;
};

/// The prompt section of attribute `name`, found by its label, so that Sub never takes
/// the section of Subject. The section ends before a line whose first word begins
/// "StartupInfoPrompt_" (a label or not), the summary question, the data file statement
/// or "InitObjects c", whichever comes first: an assignment below that belongs to other
/// code. None without a label in the main routine.
std::optional<PromptSection> FindPromptSection(const MainRoutine& routine, std::string_view name);

/// True for the label of any startup prompt section.
bool IsPromptLabel(const Statement& statement);

#endif  // TARVO_SCRIPT_PROMPT_SECTION_H_
