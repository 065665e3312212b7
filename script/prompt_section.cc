#include "script/prompt_section.h"

#include "textfile/text_helpers.h"
#include "textfile/trim.h"

namespace {

const char kLabelStart[] = "StartupInfoPrompt_";

// The name between "StartupInfoPrompt_" and the colon, as the label line has it.
std::string LabelName(std::string_view line) {
  std::string_view rest = RawAfterSqueezed(line, SqueezeText(kLabelStart).size());
  return std::string(Trimmed(rest.substr(0, rest.find(':'))));
}

// The first line after the label that no prompt section reaches beyond.
std::optional<size_t> SectionEnd(const EBScript& script, size_t label) {
  std::optional<size_t> end;
  for (const char* probe :
       {kLabelStart, "nSummaryAnswer =", "c.DataFile.Filename =", "InitObjects c"}) {
    std::optional<size_t> line = script.FindLine(probe, label + 1);
    if (line && (!end || *line < *end))
      end = line;
  }
  return end;
}

}  // namespace

std::optional<PromptSection> FindPromptSection(const EBScript& script, std::string_view name) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return std::nullopt;
  std::optional<size_t> label = script.FindLine(kLabelStart + std::string(name) + ":", *subMain);
  if (!label)
    return std::nullopt;
  PromptSection section{*label, LabelName(script.lines()[*label]), std::nullopt};
  std::optional<size_t> assignment = script.FindAttribLine(name, *label, AttribForm::kPlain);
  std::optional<size_t> end = SectionEnd(script, *label);
  if (assignment && (!end || *assignment < *end))
    section.assignment = assignment;
  return section;
}
