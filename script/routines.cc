#include "script/routines.h"

#include <algorithm>
#include <cstdint>
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

// A name hashed as its key (SqueezeText) would be, to pass over the names that no routine
// has without making the key.
uint32_t Hash(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) {
    if (!IsWhitespace(c))
      hash = (hash ^ static_cast<unsigned char>(UpperCaseAscii(c))) * 16777619u;
  }
  return hash;
}

// Every Sub and Function line of the script by its name's hash, with a bit for each hash
// that passes over most names that no routine has at a glance.
class Headers {
 public:
  Headers() : bits_(kBits) {}

  void Add(std::string_view name, size_t line) {
    lines_.emplace_back(Hash(name), line);
    bits_[Hash(name) % kBits] = true;
  }
  void Sort() { std::sort(lines_.begin(), lines_.end()); }

  /// The lines whose names hash as `name` does: those of its routines, rarely others.
  std::vector<size_t> Candidates(std::string_view name) const {
    std::vector<size_t> lines;
    for (auto at = First(Hash(name)); at != lines_.end() && at->first == Hash(name); ++at)
      lines.push_back(at->second);
    return lines;
  }
  /// False for certain for a name that no routine has.
  bool MayHave(std::string_view name) const {
    uint32_t hash = Hash(name);
    auto first = First(hash);
    return first != lines_.end() && first->first == hash;
  }

 private:
  // The first line whose hash is `hash` or above; the end at once for most hashes no
  // routine has.
  std::vector<std::pair<uint32_t, size_t>>::const_iterator First(uint32_t hash) const {
    if (!bits_[hash % kBits])
      return lines_.end();
    return std::lower_bound(lines_.begin(), lines_.end(), std::pair(hash, size_t{0}));
  }

  static constexpr size_t kBits = 1 << 18;
  std::vector<std::pair<uint32_t, size_t>> lines_;
  std::vector<bool> bits_;
};

// Reads what a routine's own statements can set, one statement after another.
class OwnEffects : public StatementSink {
 public:
  OwnEffects(const EBScript& script, const Headers& headers) : script_(script), headers_(headers) {}

  void Take(const Statement& statement, const RoutineShape& shape) override {
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
    if (!effects.summary && ShowsStartupSummary(tokens))
      effects.summary = line;
    effects.convertsDataFile = effects.convertsDataFile || ConvertsDataFile(tokens);
    TakeCalls(statement, shape.header.key);
  }

  Own Result(const RoutineShape& shape) {
    own_.balanced = shape.Balanced();
    return std::move(own_);
  }

 private:
  void TakeCalls(const Statement& statement, const std::string& own) {
    // The target of an assignment is called by nothing, a function's own name included.
    size_t from = statement.kind == StatementKind::kAssignment ? statement.value : 0;
    for (const NamedCall& named : NamedCalls(statement.tokens)) {
      std::string_view name = statement.tokens[named.at].text;
      if (named.at < from || !headers_.MayHave(name))
        continue;
      Call call{SqueezeText(name), {}};
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
  const Headers& headers_;
  Own own_;
  std::set<std::string> locals_;
  bool started_ = false;
};

// The main routine's statements: the names it may call a routine by, as they are read.
class CalledNames : public StatementSink {
 public:
  void Take(const Statement& statement, const RoutineShape&) override {
    for (const NamedCall& named : NamedCalls(statement.tokens))
      names.insert(SqueezeText(statement.tokens[named.at].text));
  }
  std::set<std::string> names;
};

// A line's text from its first byte that is not blank on.
std::string_view TextOf(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlank(line[start]))
    ++start;
  return line.substr(start);
}

// The lines of the script as its routines stand in them, up to the data sections
// ("[DataSection_...]") that follow the main routine: `header(line, name)` for each Sub
// or Function line, `outside(line)` for each line of code outside every routine, and
// `label(text, routine)` for a line in a routine that begins with a prompt's label, and
// `later(text)` for any other line of a routine after the main routine. The main routine's
// own lines, [subMain, mainLast], are passed over. The names point into the script's lines.
template <typename OnHeader, typename OnOutside, typename OnLabel, typename OnLater>
void WalkRoutines(const EBScript& script, size_t subMain, size_t mainLast, OnHeader header,
                  OnOutside outside, OnLabel label, OnLater later) {
  const std::vector<std::string>& lines = script.lines();
  std::string_view routine;  // the one the line stands in
  bool inRoutine = false;
  bool afterMain = false;
  for (size_t line = 0; line < lines.size(); line = script.StatementEnd(line) + 1) {
    if (line == subMain) {
      line = mainLast;
      inRoutine = false;
      afterMain = true;
      continue;
    }
    std::string_view text = TextOf(lines[line]);
    // Comments, and the compiler's directives (#If), are no code.
    if (text.empty() || text[0] == '\'' || text[0] == '#')
      continue;
    if (std::optional<std::string_view> name = RoutineNameOf(text)) {
      header(line, *name);
      routine = *name;
      inRoutine = true;
    } else if (inRoutine && EndsRoutine(text)) {
      inRoutine = false;
    } else if (inRoutine && StartsWithInsensitive(text, kPromptLabel)) {
      label(text, routine);
    } else if (inRoutine && afterMain) {
      later(text);
    } else if (!inRoutine && afterMain && text[0] == '[') {
      return;  // the data sections: no code follows
    } else if (!inRoutine && !TextOf(CodeOf(text)).empty()) {
      outside(line);
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

// Reads the script's routines once: the main routine's shape and the names it calls, the
// line of every Sub and Function, then the routines of those names, through the routines
// they call, each read once.
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
    std::string after;  // what stands wrong outside the main routine
    size_t header = 0;  // of the routine the walk is in
    WalkRoutines(
        script_, *subMain, mainLast,
        [&](size_t line, std::string_view name) {
          if (EqualsInsensitive(name, "MAIN") && after.empty())
            after = Refusal("a second Sub Main", line);
          headers_.Add(name, line);
          header = line;
        },
        [&](size_t line) {
          if (after.empty() && main.endLine && line > *main.endLine)
            after = Refusal("statements after its End Sub", line);
        },
        [&](std::string_view text, std::string_view routine) {
          Prompt(text, routine, routines.get());
        },
        [&](std::string_view text) {
          LaterSetter(text, script_.LoadedLineNumber(header), routines.get());
        });
    headers_.Sort();
    routines->mainRefusal_ = MainRefusal(main, *subMain, after);
    for (const std::string& name : called.names) {
      if (std::optional<RoutineEffects> effects = Follow(name, 1))
        routines->called_[name] = std::move(*effects);
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
  static void Prompt(std::string_view text, std::string_view routine, ScriptRoutines* routines) {
    Tokens tokens = Tokenize(CodeOf(text));
    if (tokens.size() >= 2 && tokens[0].kind == Token::kName && IsSymbol(tokens, 1, ":")) {
      std::string label = SqueezeText(tokens[0].text);
      routines->prompts_.emplace(label.substr(sizeof kPromptLabel - 1), std::string(routine));
    }
  }

  // A routine after the main routine whose line `text` may assign an attribute as the
  // main routine's defaults do: `c.SetAttrib "<name>", ...` or `If Not
  // c.AttribExists("<name>") Then ...`. Only these are read later, for each attribute.
  static void LaterSetter(std::string_view text, size_t loadedHeader, ScriptRoutines* routines) {
    static constexpr std::string_view kPlain = "c.SetAttrib", kDefault = "If Not c.AttribExists(";
    size_t at = StartsWithInsensitive(text, kPlain)     ? kPlain.size()
                : StartsWithInsensitive(text, kDefault) ? kDefault.size()
                                                        : 0;
    if (at == 0)
      return;
    while (at < text.size() && IsBlank(text[at]))
      ++at;
    size_t end =
        at < text.size() && text[at] == '"' ? text.find('"', at + 1) : std::string_view::npos;
    if (end == std::string_view::npos)
      return;
    routines->laterSetters_.try_emplace(SqueezeText(text.substr(at + 1, end - at - 1)),
                                        static_cast<uint32_t>(loadedHeader));
  }

  // The Sub and Function lines of the routines named `key`.
  std::vector<size_t> Definitions(const std::string& key) const {
    std::vector<size_t> lines;
    for (size_t line : headers_.Candidates(key)) {
      std::optional<std::string_view> name = RoutineNameOf(script_.lines()[line]);
      if (name && SqueezeText(*name) == key)
        lines.push_back(line);
    }
    return lines;
  }

  // What routine `key`'s own statements set and call, read once.
  const Own& OwnOf(const std::string& key, size_t line) {
    auto read = own_.find(key);
    if (read != own_.end())
      return read->second;
    OwnEffects effects(script_, headers_);
    RoutineShape shape = ReadRoutine(script_, line, effects);
    return own_.emplace(key, effects.Result(shape)).first->second;
  }

  // What a call `depth` calls deep of the routine `key` can set; none when the script has
  // no routine of that name.
  std::optional<RoutineEffects> Follow(const std::string& key, size_t depth) {
    std::vector<size_t> definitions = Definitions(key);
    if (definitions.empty())
      return std::nullopt;
    RoutineEffects unknown;
    unknown.anyAttribute = true;
    // Which of two definitions runs cannot be told.
    bool recursive = std::find(stack_.begin(), stack_.end(), key) != stack_.end();
    if (depth > kDeepest || definitions.size() > 1 || recursive)
      return unknown;
    auto memo = memo_.find({key, depth});
    if (memo != memo_.end())
      return memo->second;
    const Own& own = OwnOf(key, definitions.front());
    RoutineEffects effects = own.effects;
    effects.anyAttribute = effects.anyAttribute || !own.balanced;
    stack_.push_back(key);
    for (const Call& call : own.calls) {
      if (std::optional<RoutineEffects> called = Follow(call.key, depth + 1)) {
        effects.Add(*called);
        effects.variables.insert(call.variables.begin(), call.variables.end());
      }
    }
    stack_.pop_back();
    memo_[{key, depth}] = effects;
    return effects;
  }

  const EBScript& script_;
  Headers headers_;
  std::map<std::string, Own> own_;  // the routines read, by key
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

std::optional<size_t> ScriptRoutines::FirstLaterSetter(const std::string& key) const {
  auto found = laterSetters_.find(key);
  return found != laterSetters_.end() ? std::optional<size_t>(found->second) : std::nullopt;
}
