#include "script/prompt_section.h"

#include <set>
#include <vector>

#include "base/text_helpers.h"

namespace {

const char kLabelStart[] = "STARTUPINFOPROMPT_";

// Where code that is no part of any prompt section begins after the label `label`: a
// line whose first word begins another section, a label or not, the summary question,
// the data file statement or "InitObjects c".
size_t SectionBound(const MainRoutine& routine, size_t label) {
  std::optional<size_t> dataFile = routine.DataFileStatement();
  for (size_t i = label + 1; i < routine.size(); ++i) {
    const Statement& statement = routine[i];
    const std::vector<Token>& tokens = statement.tokens;
    bool section = statement.startsLine && !tokens.empty() && tokens[0].kind == Token::kName &&
                   StartsWith(SqueezeText(tokens[0].text), kLabelStart);
    bool initObjects = statement.kind == StatementKind::kOther && tokens.size() == 2 &&
                       tokens[0].IsNameInsensitive("INITOBJECTS") &&
                       tokens[1].IsNameInsensitive("C");
    bool summary =
        statement.kind == StatementKind::kAssignment && statement.key == "NSUMMARYANSWER";
    if (section || initObjects || summary || i == dataFile)
      return i;
  }
  return routine.size();
}

// True when the value of SetAttrib statement `index` comes from the answer: vAnswer, a
// name that AskBox gave since the label, or a name assigned from one of them.
bool FromAnswer(const MainRoutine& routine, size_t label, size_t index) {
  std::set<std::string> copies = {"VANSWER"};
  for (size_t i = label + 1; i < index; ++i) {
    const Statement& statement = routine[i];
    if (statement.kind != StatementKind::kAssignment)
      continue;
    std::vector<Token> value = statement.Value();
    if (!value.empty() && value[0].IsNameInsensitive("ASKBOX"))
      copies.insert(statement.key);  // a prompt of its own: its answer
    for (const Token& token : value) {
      if (token.kind == Token::kName && copies.count(SqueezeText(token.text)) != 0) {
        copies.insert(statement.key);
        break;
      }
    }
  }
  for (const Token& token : routine[index].Value()) {
    if (token.kind == Token::kName && copies.count(SqueezeText(token.text)) != 0)
      return true;
  }
  return false;
}

bool SetsFromAnswer(const MainRoutine& routine, size_t index, const std::string& key) {
  const Statement& statement = routine[index];
  if (statement.kind != StatementKind::kSetAttrib || statement.key != key)
    return false;
  for (const Token& token : statement.Value()) {
    if (token.IsNameInsensitive("VANSWER"))
      return true;
  }
  return false;
}

// The last statement of the whole blocks from the label to the assignment, or none.
std::optional<size_t> WholeEnd(const MainRoutine& routine, size_t label, size_t assignment,
                               size_t bound) {
  size_t home = routine[label].branch;
  size_t end = assignment;
  // Close every block that the assignment stands in and the label does not.
  for (size_t branch : routine.BranchesAround(assignment)) {
    if (branch == home)
      break;
    const Block& block = routine.blocks()[routine.branches()[branch].block];
    if (!block.closer || block.opener < label)
      return std::nullopt;
    end = std::max(end, *block.closer);
  }
  if (end >= bound || !routine[label].startsLine || !routine[end].endsLine ||
      routine[end].branch != home)
    return std::nullopt;
  return end;
}

// True when the statements [label, end] can go: every block with a part among them lies
// within them, no jump from outside lands inside, and nothing else sets the attribute from
// vAnswer.
bool CanGo(const MainRoutine& routine, size_t label, size_t end, const std::string& key) {
  auto inside = [label, end](size_t i) { return i >= label && i <= end; };
  for (const Block& block : routine.blocks()) {
    bool touched = inside(block.opener) || (block.closer && inside(*block.closer));
    for (size_t branch : block.branches)
      touched = touched || inside(routine.branches()[branch].opener);
    if (touched && !(block.opener >= label && block.closer && *block.closer <= end))
      return false;
  }
  std::set<std::string> labels;
  for (size_t i = label; i <= end; ++i) {
    if (routine[i].kind == StatementKind::kLabel)
      labels.insert(routine[i].key);
  }
  for (size_t i = 0; i < routine.size(); ++i) {
    const Statement& statement = routine[i];
    bool jumpsIn = statement.kind == StatementKind::kGoTo && labels.count(statement.key) != 0;
    if (!inside(i) && (jumpsIn || SetsFromAnswer(routine, i, key)))
      return false;
  }
  return true;
}

}  // namespace

bool IsPromptLabel(const Statement& statement) {
  return statement.kind == StatementKind::kLabel && StartsWith(statement.key, kLabelStart);
}

std::optional<PromptSection> FindPromptSection(const MainRoutine& routine, std::string_view name) {
  std::string key = SqueezeText(name);
  std::string wanted = kLabelStart + key;
  for (size_t label = 0; label < routine.size(); ++label) {
    const Statement& statement = routine[label];
    if (!IsPromptLabel(statement) || statement.key != wanted)
      continue;
    PromptSection section{label, statement.name.substr(sizeof kLabelStart - 1), std::nullopt,
                          std::nullopt};
    size_t bound = SectionBound(routine, label);
    for (size_t i = label + 1; i < bound && !section.assignment; ++i) {
      if (routine[i].kind == StatementKind::kSetAttrib && routine[i].key == key &&
          FromAnswer(routine, label, i))
        section.assignment = i;
    }
    // A second label of the name is a script that does not compile: which section is meant
    // cannot be told.
    bool twice = false;
    for (size_t i = label + 1; i < routine.size(); ++i)
      twice = twice || (IsPromptLabel(routine[i]) && routine[i].key == wanted);
    if (section.assignment && !twice) {
      section.end = WholeEnd(routine, label, *section.assignment, bound);
      if (section.end && !CanGo(routine, label, *section.end, key))
        section.end = std::nullopt;
    }
    return section;
  }
  return std::nullopt;
}
