#ifndef TARVO_SCRIPT_PROMPT_SECTION_H_
#define TARVO_SCRIPT_PROMPT_SECTION_H_

#include <optional>
#include <string>
#include <string_view>

#include "script/eb_script.h"

/// The startup prompt section in which the experiment asks for an attribute's value.
struct PromptSection {
  size_t label;      // "StartupInfoPrompt_<name>:", at or after "Sub Main()"
  std::string name;  // the attribute's name as the label spells it
  /// The section's own assignment: the first plain-form attribute line after the label,
  /// when it comes before the section's end. None when a hand-edited section has lost it.
  std::optional<size_t> assignment;
};

/// The prompt section of attribute `name`, found by its exact label, colon included, so
/// that Sub never takes the section of Subject. The section ends at the next prompt label,
/// the summary question, the data file line or "InitObjects c", whichever comes first: an
/// assignment below that belongs to other code. None without a label after "Sub Main()".
std::optional<PromptSection> FindPromptSection(const EBScript& script, std::string_view name);

#endif  // TARVO_SCRIPT_PROMPT_SECTION_H_
