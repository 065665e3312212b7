#include "script/routines.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "script/eb_script.h"

namespace {

const size_t kDeepest = 16;  // calls deeper than this set what they like
const char kPromptLabel[] = "STARTUPINFOPROMPT_";

using Tokens = std::vector<Token>;

// A call in a routine's statements of a name that may be a routine's, with the script's
// variables it gives it, by key.
struct Call {
  std::string key;
  std::vector<std::string> variables;
};

// What one routine's own statements set and call.
struct Own {
  RoutineEffects effects;
  std::vector<Call> calls;
  bool balanced = true;
};

// Reads what a routine's own statements can set, one statement after another.
class OwnEffects : public StatementSink {
 public:
  explicit OwnEffects(const EBScript& script) : script_(script) {}

  void Take(Statement statement, const RoutineShape& shape) override {
    if (!started_) {
      // Its parameters and its own name (a function's result) are no variables of the script.
      locals_.insert(shape.header.parameters.begin(), shape.header.parameters.end());
      locals_.insert(shape.header.key);
      started_ = true;
    }
    size_t line = script_.LoadedLineNumber(statement.line);
    RoutineEffects& effects = own_.effects;
    if (statement.kind == StatementKind::kSetAttrib &&
        !IsConditionalDefault(statement, shape.branches, shape.blocks)) {
      if (!statement.name.empty())
        effects.attributes.emplace(statement.key, line);
      else if (!statement.ending.empty())
        effects.endings.insert(statement.ending);
      else
        effects.anyAttribute = true;
    }
    if (statement.kind == StatementKind::kAssignment) {
      if (EndsWith(statement.key, ".DATAFILE.FILENAME") && !effects.dataFile)
        effects.dataFile = line;
      else if (statement.key.find('.') == std::string::npos && locals_.count(statement.key) == 0)
        effects.variables.insert(statement.key);
    }
    const Tokens& tokens = statement.tokens;
    if (!tokens.empty() &&
        (tokens[0].IsNameInsensitive("DIM") || tokens[0].IsNameInsensitive("STATIC") ||
         tokens[0].IsNameInsensitive("CONST"))) {
      for (std::string_view name : Variables(tokens, 1, tokens.size()))
        locals_.insert(SqueezeText(name));
    }
    if (!effects.summary && ShowsStartupSummary(tokens) && MentionsMsgBox(tokens))
      effects.summary = line;
    effects.convertsDataFile = effects.convertsDataFile || ConvertsDataFile(tokens);
    TakeCalls(statement, shape.header.key);
  }

  Own Result(const RoutineShape& shape) {
    own_.balanced = shape.Balanced();
    return std::move(own_);
  }

 private:
  static bool MentionsMsgBox(const Tokens& tokens) {
    for (const Token& token : tokens) {
      if (token.IsNameInsensitive("MSGBOX"))
        return true;
    }
    return false;
  }

  void TakeCalls(const Statement& statement, const std::string& own) {
    // The target of an assignment is called by nothing, a function's own name included.
    size_t from = statement.kind == StatementKind::kAssignment ? statement.value : 0;
    for (const NamedCall& named : NamedCalls(statement.tokens)) {
      if (named.at < from)
        continue;
      Call call{SqueezeText(statement.tokens[named.at].text), {}};
      bool called = named.at == 0 || named.first == named.at + 2 || named.end > named.first;
      if (call.key == own && !called)
        continue;  // a function's own result, read
      for (std::string_view variable : Variables(statement.tokens, named.first, named.end)) {
        std::string key = SqueezeText(variable);
        if (locals_.count(key) == 0)
          call.variables.push_back(key);
      }
      own_.calls.push_back(std::move(call));
    }
  }

  const EBScript& script_;
  Own own_;
  std::set<std::string> locals_;
  bool started_ = false;
};

// The main routine's statements: the names it may call a routine by, as they are read.
class CalledNames : public StatementSink {
 public:
  void Take(Statement statement, const RoutineShape&) override {
    for (const NamedCall& named : NamedCalls(statement.tokens))
      names.insert(SqueezeText(statement.tokens[named.at].text));
  }
  std::set<std::string> names;
};

// The first word of a line's text, after blanks, and the text from it on.
std::string_view TextOf(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start]))
    ++start;
  return line.substr(start);
}

bool IsRoutineEnd(std::string_view text) {
  if (!StartsWithInsensitive(text, "END"))
    return false;
  Tokens tokens = Tokenize(CodeOf(text));
  return tokens.size() >= 2 && tokens[0].IsNameInsensitive("END") &&
         (tokens[1].IsNameInsensitive("SUB") || tokens[1].IsNameInsensitive("FUNCTION"));
}

// Lines as the routines stand in them, up to the data sections ("[DataSection_...]") that
// follow the main routine: `header(line, header)` for each Sub or Function line, and
// `code(line, text, routine)` for every other line of code, with the name of the routine
// it stands in, or nullptr outside every routine. The main routine's own lines,
// [subMain, mainLast], are passed over.
template <typename OnHeader, typename OnCode>
void WalkRoutines(const EBScript& script, size_t subMain, size_t mainLast, OnHeader header,
                  OnCode code) {
  const std::vector<std::string>& lines = script.lines();
  const std::string* routine = nullptr;
  std::string name;
  bool afterMain = false;
  for (size_t line = 0; line < lines.size(); line = script.StatementEnd(line) + 1) {
    if (line == subMain) {
      line = mainLast;
      routine = nullptr;
      afterMain = true;
      continue;
    }
    std::string_view text = TextOf(lines[line]);
    if (text.empty() || text[0] == '\'')
      continue;
    if (std::optional<RoutineHeader> read = ReadRoutineHeader(CodeOf(text))) {
      header(line, *read);
      name = read->name;
      routine = &name;
    } else if (routine && IsRoutineEnd(text)) {
      routine = nullptr;
    } else if (!routine && afterMain && text[0] == '[') {
      return;  // the data sections: no code follows
    } else if (!TextOf(CodeOf(text)).empty()) {
      code(line, text, routine);
    }
  }
}

}  // namespace

void RoutineEffects::Add(const RoutineEffects& other) {
  for (const auto& [key, line] : other.attributes)
    attributes.emplace(key, line);
  endings.insert(other.endings.begin(), other.endings.end());
  anyAttribute = anyAttribute || other.anyAttribute;
  variables.insert(other.variables.begin(), other.variables.end());
  dataFile = dataFile ? dataFile : other.dataFile;
  summary = summary ? summary : other.summary;
  convertsDataFile = convertsDataFile || other.convertsDataFile;
}

bool RoutineEffects::empty() const {
  return attributes.empty() && endings.empty() && !anyAttribute && variables.empty() && !dataFile &&
         !summary && !convertsDataFile;
}

bool RoutineEffects::MaySet(const std::string& key, size_t* line) const {
  auto set = attributes.find(key);
  if (line)
    *line = set != attributes.end() ? set->second : 0;
  if (set != attributes.end() || anyAttribute)
    return true;
  for (const std::string& ending : endings) {
    if (EndsWith(key, ending))
      return true;
  }
  return false;
}

// Reads the script's routines once: the main routine's shape and the names it calls,
// then the routines of those names, round by round through the routines they call.
class RoutinesBuilder {
 public:
  explicit RoutinesBuilder(const EBScript& script) : script_(script) {}

  std::shared_ptr<const ScriptRoutines> Build() {
    auto routines = std::make_shared<ScriptRoutines>();
    std::optional<size_t> subMain = script_.FindSubMain();
    if (!subMain)
      return routines;
    CalledNames called;
    RoutineShape main = ReadRoutine(script_, *subMain, called);
    size_t mainLast = main.endLine       ? *main.endLine
                      : main.nextRoutine ? *main.nextRoutine - 1
                                         : script_.lines().size() - 1;
    std::set<std::string> wanted = std::move(called.names);
    searched_ = wanted;
    std::string after;  // what stands wrong outside the main routine
    WalkRoutines(
        script_, *subMain, mainLast,
        [&](size_t line, const RoutineHeader& header) {
          if (header.key == "MAIN" && after.empty())
            after = Refusal("a second Sub Main", line);
          Found(line, header, wanted, 1);
        },
        [&](size_t line, std::string_view text, const std::string* routine) {
          if (!routine && after.empty() && main.endLine && line > *main.endLine)
            after = Refusal("statements after its End Sub", line);
          if (routine && StartsWithInsensitive(text, kPromptLabel))
            Prompt(text, *routine, routines.get());
        });
    routines->mainRefusal_ = MainRefusal(main, *subMain, after);
    for (size_t depth = 2; depth <= kDeepest + 1 && !next_.empty(); ++depth) {
      std::set<std::string> round = std::move(next_);
      next_.clear();
      searched_.insert(round.begin(), round.end());
      WalkRoutines(
          script_, *subMain, mainLast,
          [&](size_t line, const RoutineHeader& header) { Found(line, header, round, depth); },
          [](size_t, std::string_view, const std::string*) {});
    }
    for (const std::string& name : wanted) {
      if (IsRoutine(name))
        routines->called_[name] = Follow(name, 1);
    }
    return routines;
  }

 private:
  std::string Refusal(const char* what, size_t line) const {
    return "Couldn't read the main routine: " + std::string(what) + " at line " +
           std::to_string(script_.LoadedLineNumber(line));
  }

  std::string MainRefusal(const RoutineShape& main, size_t subMain, const std::string& after) {
    if (main.nextRoutine) {
      std::optional<RoutineHeader> inside =
          ReadRoutineHeader(script_.StatementCode(*main.nextRoutine));
      return Refusal(inside && inside->key == "MAIN" ? "a second Sub Main" : "a routine inside it",
                     *main.nextRoutine);
    }
    if (!after.empty())
      return after;
    std::optional<size_t> open = main.OpenBlock(subMain);
    if (main.strayEnd && (!open || *main.strayEnd < *open))
      return Refusal("an end without its block", *main.strayEnd);
    return open ? Refusal("a block without its end", *open) : "";
  }

  // The label "StartupInfoPrompt_<name>:" in a routine other than the main one.
  static void Prompt(std::string_view text, const std::string& routine, ScriptRoutines* routines) {
    Tokens tokens = Tokenize(CodeOf(text));
    if (tokens.size() >= 2 && tokens[0].kind == Token::kName && IsSymbol(tokens, 1, ":")) {
      std::string label = SqueezeText(tokens[0].text);
      routines->prompts_.emplace(label.substr(sizeof kPromptLabel - 1), routine);
    }
  }

  // A Sub or Function line: read the routine when its name is wanted, calls of it being
  // `depth` calls deep.
  void Found(size_t line, const RoutineHeader& header, const std::set<std::string>& wanted,
             size_t depth) {
    if (wanted.count(header.key) == 0)
      return;
    if (own_.count(header.key) != 0 || tooDeep_.count(header.key) != 0) {
      twice_.insert(header.key);  // which one runs cannot be told
      return;
    }
    if (depth > kDeepest) {
      tooDeep_.insert(header.key);
      return;
    }
    OwnEffects effects(script_);
    RoutineShape shape = ReadRoutine(script_, line, effects);
    Own own = effects.Result(shape);
    for (const Call& call : own.calls) {
      if (searched_.count(call.key) == 0)
        next_.insert(call.key);
    }
    own_.emplace(header.key, std::move(own));
  }

  bool IsRoutine(const std::string& key) const {
    return own_.count(key) != 0 || tooDeep_.count(key) != 0;
  }

  // What a call `depth` calls deep of the routine `key` can set.
  RoutineEffects Follow(const std::string& key, size_t depth) {
    RoutineEffects unknown;
    unknown.anyAttribute = true;
    auto own = own_.find(key);
    bool recursive = std::find(stack_.begin(), stack_.end(), key) != stack_.end();
    if (own == own_.end() || depth > kDeepest || twice_.count(key) != 0 || recursive)
      return unknown;
    auto memo = memo_.find({key, depth});
    if (memo != memo_.end())
      return memo->second;
    RoutineEffects effects = own->second.effects;
    effects.anyAttribute = effects.anyAttribute || !own->second.balanced;
    stack_.push_back(key);
    for (const Call& call : own->second.calls) {
      if (!IsRoutine(call.key))
        continue;  // E-Prime's own, or no routine at all
      effects.Add(Follow(call.key, depth + 1));
      effects.variables.insert(call.variables.begin(), call.variables.end());
    }
    stack_.pop_back();
    memo_[{key, depth}] = effects;
    return effects;
  }

  const EBScript& script_;
  std::map<std::string, Own> own_;  // the routines read, by key
  std::set<std::string> tooDeep_;   // found, but called too deep to be read
  std::set<std::string> twice_;     // defined more than once
  std::set<std::string> searched_;  // names looked for in every line
  std::set<std::string> next_;      // names the next round looks for
  std::vector<std::string> stack_;  // the calls being followed
  std::map<std::pair<std::string, size_t>, RoutineEffects> memo_;
};

const ScriptRoutines& ScriptRoutines::Of(const EBScript& script) {
  std::shared_ptr<const ScriptRoutines>& read = script.routinesRead();
  if (!read)
    read = RoutinesBuilder(script).Build();
  return *read;
}

const RoutineEffects* ScriptRoutines::Called(std::string_view name) const {
  auto found = called_.find(name);
  return found != called_.end() ? &found->second : nullptr;
}

const std::string* ScriptRoutines::PromptRoutine(const std::string& key) const {
  auto found = prompts_.find(key);
  return found != prompts_.end() ? &found->second : nullptr;
}
