#include "script/prompt_section.h"

#include <string>

std::optional<PromptSection> FindPromptSection(const EBScript& script, std::string_view name) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return std::nullopt;
  std::optional<size_t> label =
      script.FindLine("StartupInfoPrompt_" + std::string(name) + ":", *subMain);
  if (!label)
    return std::nullopt;
  return PromptSection{*label, script.FindAttribLine(name, *label, AttribForm::kPlain)};
}
