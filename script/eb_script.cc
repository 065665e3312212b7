#include "script/eb_script.h"

namespace {

// The message for a UTF-16 file, as the scripts of E-Prime 2 and later are.
const char kNotTextScript[] =
    ": not an E-Basic text script (scripts of E-Prime 2 and later cannot be rewritten)";

}  // namespace

EBScript::EBScript(const std::vector<std::string>& lines) {
  file_.lines = LineList(lines);
  NumberLoadedLines();
}

void EBScript::NumberLoadedLines() {
  loaded_.resize(file_.lines.size());
  for (size_t i = 0; i < loaded_.size(); ++i)
    loaded_[i] = i + 1;
}

void EBScript::InsertLine(size_t index, std::string text) {
  file_.lines.Insert(index, std::move(text));
  loaded_.insert(loaded_.begin() + static_cast<std::ptrdiff_t>(index), 0);
}

void EBScript::EraseLines(size_t first, size_t end) {
  file_.lines.Erase(first, end);
  loaded_.erase(loaded_.begin() + static_cast<std::ptrdiff_t>(first),
                loaded_.begin() + static_cast<std::ptrdiff_t>(end));
}

bool EBScript::Load(const std::string& path, std::string& message) {
  LoadOutcome outcome = file_.Load(path, message);
  NumberLoadedLines();
  if (outcome == LoadOutcome::kUtf16)
    message = "Couldn't load " + path + kNotTextScript;
  return outcome == LoadOutcome::kLoaded;
}

bool EBScript::Save(const std::string& path, std::string& message, FileHold* hold) const {
  return file_.Save(path, message, hold);
}

void EBScript::ReplaceStatement(size_t first, std::string text) {
  EraseLines(first + 1, StatementEnd(first) + 1);
  ReplaceLine(first, std::move(text));
}

size_t EBScript::StatementEnd(size_t first) const {
  size_t last = first;
  while (last + 1 < lines().size() && ContinuesOnNextLine(lines()[last]))
    ++last;
  return last;
}

std::string EBScript::StatementCode(size_t first) const {
  std::string code;
  size_t last = StatementEnd(first);
  for (size_t line = first; line <= last; ++line) {
    std::string_view part = CodeOf(lines()[line]);
    if (ContinuesOnNextLine(part))
      part = part.substr(0, part.find_last_of('_'));
    code.append(part).append(" ");
  }
  return code;
}

std::optional<size_t> EBScript::FindLine(const LineProbe& probe, size_t start) const {
  // A probe that squeezes to nothing matches no line.
  const LineList& all = file_.lines;
  if (probe.squeezed().empty())
    return std::nullopt;
  size_t found =
      all.Find(probe.squeezed(), start, [&](std::string_view line) { return probe.Matches(line); });
  if (found == all.size())
    return std::nullopt;
  return found;
}

std::optional<size_t> EBScript::FindSubMain() const {
  return FindLine("Sub Main()", 0);
}
