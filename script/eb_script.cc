#include "script/eb_script.h"

#include "base/text_helpers.h"

namespace {

// The message for a UTF-16 file, as the scripts of E-Prime 2 and later are.
const char kNotTextScript[] =
    ": not an E-Basic text script (scripts of E-Prime 2 and later cannot be rewritten)";

}  // namespace

EBScript::EBScript(const std::vector<std::string>& lines) {
  file_.lines = lines;
}

bool EBScript::Load(const std::string& path, std::string& message) {
  LoadOutcome outcome = file_.Load(path, message);
  edits_.clear();
  routines_.reset();
  subMain_.reset();
  if (outcome == LoadOutcome::kUtf16)
    message = "Couldn't load " + path + kNotTextScript;
  return outcome == LoadOutcome::kLoaded;
}

bool EBScript::Save(const std::string& path, std::string& message, FileHold* hold) const {
  return file_.Save(path, message, hold);
}

void EBScript::ReplaceLine(size_t index, std::string text) {
  Edited(index);
  file_.lines[index] = std::move(text);
}

void EBScript::InsertLine(size_t index, std::string text) {
  Edited(index);
  file_.lines.insert(file_.lines.begin() + static_cast<std::ptrdiff_t>(index), std::move(text));
  edits_.push_back({index, 0, 1});
}

void EBScript::EraseLines(size_t first, size_t end) {
  Edited(first);
  file_.lines.erase(file_.lines.begin() + static_cast<std::ptrdiff_t>(first),
                    file_.lines.begin() + static_cast<std::ptrdiff_t>(end));
  edits_.push_back({first, end - first, 0});
}

size_t EBScript::LoadedLineNumber(size_t index) const {
  // Back through the edits, from the last: a handful, where a number a line would cost
  // memory in proportion to the script.
  for (auto edit = edits_.rbegin(); edit != edits_.rend(); ++edit) {
    if (index < edit->at)
      continue;
    if (index < edit->at + edit->inserted)
      return 0;
    index = index - edit->inserted + edit->erased;
  }
  return index + 1;
}

std::optional<size_t> EBScript::IndexOfLoadedLine(size_t number) const {
  size_t index = number - 1;
  for (const LinesEdited& edit : edits_) {
    if (index < edit.at)
      continue;
    if (index < edit.at + edit.erased)
      return std::nullopt;
    index = index - edit.erased + edit.inserted;
  }
  return index;
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
  if (probe.squeezed().empty())
    return std::nullopt;
  // Every line the probe matches begins, squeezed, with the probe's first byte: looking
  // at that byte first passes over most lines without a call.
  const uint16_t first = static_cast<unsigned char>(probe.squeezed()[0]);
  for (size_t line = start; line < lines().size(); ++line) {
    const std::string& text = lines()[line];
    size_t at = 0;
    while (at < text.size() && SqueezedByte(text[at]) == kSqueezedOut)
      ++at;
    if (at < text.size() && SqueezedByte(text[at]) == first && probe.Matches(text))
      return line;
  }
  return std::nullopt;
}

std::optional<size_t> EBScript::FindSubMain() const {
  if (!subMain_)
    subMain_ = FindLine("Sub Main()", 0);
  return *subMain_;
}

void EBScript::Edited(size_t index) {
  if (subMain_ && (!*subMain_ || index <= **subMain_))
    subMain_.reset();
}
