#ifndef TARVO_SCRIPT_PROMPT_SECTION_H_
#define TARVO_SCRIPT_PROMPT_SECTION_H_

#include <optional>
#include <string_view>

#include "script/eb_script.h"

/// The startup prompt section in which the experiment asks for an attribute's value.
struct PromptSection {
  size_t label;  // "StartupInfoPrompt_<name>:", at or after "Sub Main()"
  /// The section's own assignment: the first plain-form attribute line at or after the
  /// label; none when the section has lost it.
  std::optional<size_t> assignment;
};

/// The prompt section of attribute `name`, found by its exact label, colon included, so
/// that Sub never takes the section of Subject. None without a "Sub Main()" line.
std::optional<PromptSection> FindPromptSection(const EBScript& script, std::string_view name);

#endif  // TARVO_SCRIPT_PROMPT_SECTION_H_
