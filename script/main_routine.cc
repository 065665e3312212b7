#include "script/main_routine.h"

#include <algorithm>
#include <iterator>

#include "base/text_helpers.h"
#include "script/eb_script.h"

namespace {

using Tokens = std::vector<Token>;

class Keeper : public StatementSink {
 public:
  explicit Keeper(std::vector<Statement>* statements) : statements_(*statements) {}
  void Take(const Statement& statement, const RoutineShape&) override {
    statements_.push_back(statement);
  }

 private:
  std::vector<Statement>& statements_;
};

void Append(std::vector<size_t>& list, size_t index) {
  if (list.empty() || list.back() != index)
    list.push_back(index);
}

const std::vector<size_t> kNone;

}  // namespace

std::optional<MainRoutine> MainRoutine::Read(const EBScript& script) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return std::nullopt;
  const ScriptRoutines& routines = ScriptRoutines::Of(script);
  MainRoutine routine;
  routine.script_ = &script;
  Keeper keeper(&routine.statements_);
  routine.shape_ = ReadRoutine(script, *subMain, keeper, &routine.code_);
  routine.Index(routines);
  return routine;
}

// What each statement can set, looked up once.
void MainRoutine::Index(const ScriptRoutines& routines) {
  for (size_t i = 0; i < statements_.size(); ++i) {
    const Statement& statement = statements_[i];
    if (statement.kind == StatementKind::kSetAttrib)
      Append(statement.name.empty() ? otherSetters_ : setters_[statement.key], i);
    if (statement.kind == StatementKind::kAssignment &&
        statement.key.find('.') == std::string::npos)
      Append(changers_[statement.key], i);
    // The calls Tarvo inserted call the user's own routines, written to check or change what
    // they are given; a run over Tarvo's output reads as the run that wrote it.
    if (script_->lines()[statement.lastLine].find(kLineComment) != std::string::npos)
      continue;
    CallSite site;
    bool calls = false;
    size_t from = statement.kind == StatementKind::kAssignment ? statement.value : 0;
    for (const NamedCall& named : NamedCalls(statement.tokens)) {
      const RoutineEffects* effects = routines.Called(statement.tokens[named.at].text);
      if (named.at < from || !effects)
        continue;
      calls = true;
      site.effects.Add(*effects);
      for (std::string_view variable : Variables(statement.tokens, named.first, named.end))
        site.variables.insert(SqueezeText(variable));
    }
    if (!calls) {
      if (CallsRoutine(statement)) {
        for (std::string_view variable : Variables(statement.tokens, 1, statement.tokens.size()))
          Append(changers_[SqueezeText(variable)], i);
      }
      continue;
    }
    for (const std::string& variable : site.variables)
      Append(changers_[variable], i);
    for (const std::string& variable : site.effects.variables)
      Append(changers_[variable], i);
    if (!site.effects.attributes.empty() || !site.effects.endings.empty() ||
        site.effects.anyAttribute)
      Append(otherSetters_, i);
    calls_.emplace(i, std::move(site));
  }
}

std::vector<size_t> MainRoutine::BranchesAround(size_t index) const {
  std::vector<size_t> around;
  for (size_t branch = statements_[index].branch; branch != kNoBranch;
       branch = shape_.blocks[shape_.branches[branch].block].parent)
    around.push_back(branch);
  return around;
}

const Block* MainRoutine::BlockOpenedBy(size_t opener) const {
  for (const Block& block : shape_.blocks) {
    if (block.opener == opener)
      return &block;
  }
  return nullptr;
}

std::optional<size_t> MainRoutine::CloserOf(size_t opener) const {
  const Block* block = BlockOpenedBy(opener);
  return block ? block->closer : std::nullopt;
}

std::string_view MainRoutine::LineOf(size_t index) const {
  return script_->lines()[statements_[index].line];
}

size_t MainRoutine::LoadedLine(size_t index) const {
  return script_->LoadedLineNumber(statements_[index].line);
}

bool MainRoutine::IsDataFileStatement(size_t index) const {
  const Statement& statement = statements_[index];
  return statement.kind == StatementKind::kAssignment &&
         (statement.key == "C.DATAFILE.FILENAME" || statement.key == "EBCONTEXT.DATAFILE.FILENAME");
}

std::optional<size_t> MainRoutine::DataFileStatement() const {
  for (size_t i = 0; i < statements_.size(); ++i) {
    if (IsDataFileStatement(i))
      return i;
  }
  return std::nullopt;
}

bool MainRoutine::IsHandleFilenameCall(size_t index) const {
  const Statement& statement = statements_[index];
  return statement.value + 1 < statement.tokens.size() &&
         statement.tokens[statement.value].IsNameInsensitive("HANDLEFILENAME") &&
         IsSymbol(statement.tokens, statement.value + 1, "(");
}

bool MainRoutine::IsConditionalDefault(size_t index) const {
  return ::IsConditionalDefault(statements_[index], shape_.branches, shape_.blocks);
}

const CallSite* MainRoutine::CallsAt(size_t index) const {
  auto found = calls_.find(index);
  return found != calls_.end() ? &found->second : nullptr;
}

bool MainRoutine::CallsOtherRoutine(size_t index) const {
  return CallsRoutine(statements_[index]) && !CallsAt(index);
}

MainRoutine::Setting MainRoutine::SetsAttribute(size_t index, const std::string& key,
                                                size_t* line) const {
  const Statement& statement = statements_[index];
  size_t own = LoadedLine(index);
  Setting setting = Setting::kNo;
  if (statement.kind == StatementKind::kSetAttrib) {
    if (!statement.name.empty())
      setting = statement.key == key ? Setting::kSets : Setting::kNo;
    else
      setting = EndsWith(key, statement.ending) ? Setting::kMay : Setting::kNo;
  }
  size_t routineLine = 0;
  const CallSite* call = CallsAt(index);
  if (setting == Setting::kNo && call && call->effects.MaySet(key, &routineLine)) {
    setting = Setting::kMay;
    own = routineLine != 0 ? routineLine : own;
  }
  if (line)
    *line = own;
  return setting;
}

std::vector<size_t> MainRoutine::SettersOf(const std::string& key) const {
  auto literal = setters_.find(key);
  const std::vector<size_t>& named = literal != setters_.end() ? literal->second : kNone;
  std::vector<size_t> all;
  std::merge(named.begin(), named.end(), otherSetters_.begin(), otherSetters_.end(),
             std::back_inserter(all));
  return all;
}

const std::vector<size_t>& MainRoutine::ChangersOf(const std::string& key) const {
  auto found = changers_.find(key);
  return found != changers_.end() ? found->second : kNone;
}

std::optional<size_t> FindRoutineDefinition(const EBScript& script, std::string_view keyword,
                                            std::string_view name) {
  const std::vector<std::string>& lines = script.lines();
  for (size_t line = 0; line < lines.size(); ++line) {
    std::string_view text = lines[line];
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos || !StartsWithInsensitive(text.substr(start), keyword))
      continue;
    Tokens tokens = Tokenize(CodeOf(text));
    if (tokens.size() >= 3 && tokens[0].IsNameInsensitive(keyword) &&
        EqualsInsensitive(tokens[1].text, name) && IsSymbol(tokens, 2, "("))
      return line;
  }
  return std::nullopt;
}

bool DefinesHandleFilename(const EBScript& script) {
  return FindRoutineDefinition(script, "Function", "HandleFilename").has_value();
}

bool ConvertsDataFile(const EBScript& script) {
  std::optional<MainRoutine> main = MainRoutine::Read(script);
  for (size_t i = 0; main && i < main->size(); ++i) {
    const CallSite* call = main->CallsAt(i);
    if (ConvertsDataFile((*main)[i].tokens) || (call && call->effects.convertsDataFile))
      return true;
  }
  return false;
}
