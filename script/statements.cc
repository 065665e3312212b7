#include "script/statements.h"

#include <algorithm>

#include "base/text_helpers.h"
#include "script/eb_script.h"

namespace {

using Tokens = std::vector<Token>;

// Words that begin a statement of their own, so a name before a colon is no label.
bool IsKeyword(const Token& token) {
  for (std::string_view word : {"ELSE", "END", "CASE", "LOOP", "WEND", "NEXT", "DO", "ENDIF"}) {
    if (token.IsNameInsensitive(word))
      return true;
  }
  return false;
}

// The first token in [from, end) outside parentheses that `wanted` accepts; `end` when
// there is none.
template <typename Wanted>
size_t FindOutsideParentheses(const Tokens& tokens, size_t from, size_t end, Wanted wanted) {
  int depth = 0;
  for (size_t i = from; i < end; ++i) {
    depth += IsSymbol(tokens, i, "(") ? 1 : IsSymbol(tokens, i, ")") ? -1 : 0;
    if (depth == 0 && wanted(i))
      return i;
  }
  return end;
}

// Where the word THEN stands in [from, end); `end` when nowhere.
size_t FindThen(const Tokens& tokens, size_t from, size_t end) {
  return FindOutsideParentheses(tokens, from, end,
                                [&](size_t i) { return tokens[i].IsNameInsensitive("THEN"); });
}

// The Else of a one-line If whose Then part begins at `from`: an Else of an If nested in
// that part belongs to the nested one.
size_t FindOneLineElse(const Tokens& tokens, size_t from, size_t end) {
  int nested = 0;
  for (size_t i = from; i < end; ++i) {
    if (tokens[i].IsNameInsensitive("IF"))
      ++nested;
    else if (tokens[i].IsNameInsensitive("ELSE") && nested-- == 0)
      return i;
  }
  return end;
}

// The end of the statement that begins at `from`: the next colon.
size_t PieceEnd(const Tokens& tokens, size_t from, size_t end) {
  return FindOutsideParentheses(tokens, from, end,
                                [&](size_t i) { return IsSymbol(tokens, i, ":"); });
}

// The text of the target of an assignment, tokens [from, equals): a name, or names joined
// by dots; "" when it is anything else.
std::string AssignmentTarget(const Tokens& tokens, size_t from, size_t equals) {
  std::string target;
  for (size_t i = from; i < equals; ++i) {
    bool wantName = (i - from) % 2 == 0;
    if (wantName ? tokens[i].kind != Token::kName : !IsSymbol(tokens, i, "."))
      return "";
    target += tokens[i].text;
  }
  return (equals - from) % 2 == 1 ? target : "";
}

}  // namespace

bool IsContextMember(const std::vector<Token>& tokens, size_t at, std::string_view member) {
  return at + 2 < tokens.size() &&
         (tokens[at].IsNameInsensitive("C") || tokens[at].IsNameInsensitive("EBCONTEXT")) &&
         IsSymbol(tokens, at + 1, ".") && tokens[at + 2].IsNameInsensitive(member);
}

bool CallsUnknownRoutine(const Statement& statement) {
  if (statement.kind != StatementKind::kOther || statement.tokens.empty())
    return false;
  for (std::string_view known : {"MSGBOX", "BEEP", "DEBUG", "DIM", "SET"}) {
    if (statement.tokens[0].IsNameInsensitive(known))
      return false;
  }
  return true;
}

std::optional<std::string> ContextCallName(const std::vector<Token>& tokens, size_t at,
                                           std::string_view member) {
  if (!IsContextMember(tokens, at, member) || !IsSymbol(tokens, at + 3, "(") ||
      at + 4 >= tokens.size() || tokens[at + 4].kind != Token::kString ||
      !IsSymbol(tokens, at + 5, ")"))
    return std::nullopt;
  return DecodeLiteral(tokens[at + 4].text);
}

// Builds a MainRoutine statement by statement, with the blocks open at each point.
class MainRoutineReader {
 public:
  explicit MainRoutineReader(MainRoutine* routine) : routine_(*routine) {}

  // Reads the lines [first, ...) up to "End Sub".
  void Read(const EBScript& script, size_t first) {
    const std::vector<std::string>& lines = script.lines();
    for (size_t line = first; line < lines.size() && !ended_;) {
      size_t last = script.StatementEnd(line);
      std::string& code = routine_.code_.emplace_back(script.StatementCode(line));
      tokens_ = Tokenize(code);
      line_ = line;
      lastLine_ = last;
      firstOnLine_ = routine_.statements_.size();
      ReadLine();
      if (routine_.statements_.size() > firstOnLine_)
        routine_.statements_.back().endsLine = true;
      line = last + 1;
    }
    for (size_t block : open_)
      routine_.branches_[routine_.blocks_[block].branches.back()].end = routine_.statements_.size();
  }

 private:
  void ReadLine() {
    size_t at = 0;
    if (tokens_.size() >= 2 && tokens_[0].kind == Token::kName && IsSymbol(tokens_, 1, ":") &&
        !IsKeyword(tokens_[0])) {
      Named(Emit(StatementKind::kLabel, 0, 1), tokens_[0].text);
      at = 2;
    }
    ReadSequence(at, tokens_.size(), true);
  }

  // The statements of [from, end), separated by colons.
  void ReadSequence(size_t from, size_t end, bool outsideOneLineIf) {
    while (from < end && !ended_) {
      if (tokens_[from].IsNameInsensitive("IF")) {
        ReadIf(from, end, outsideOneLineIf);
        return;
      }
      size_t stop = PieceEnd(tokens_, from, end);
      // A block's Else may have a statement after it on its line.
      if (tokens_[from].IsNameInsensitive("ELSE") && stop > from + 1) {
        Piece(from, from + 1, outsideOneLineIf);
        from += 1;
        continue;
      }
      Piece(from, stop, outsideOneLineIf);
      from = stop + 1;
    }
  }

  void ReadIf(size_t from, size_t end, bool outsideOneLineIf) {
    size_t then = FindThen(tokens_, from + 1, end);
    Emit(StatementKind::kIf, from, then, outsideOneLineIf);
    OpenBlock(Block::kIf, {tokens_.begin() + static_cast<std::ptrdiff_t>(from + 1),
                           tokens_.begin() + static_cast<std::ptrdiff_t>(then)});
    if (then + 1 >= end)
      return;  // a block If: its statements follow on the next lines
    // A one-line If is the block it stands for, closed on its own line.
    size_t elsePart = FindOneLineElse(tokens_, then + 1, end);
    ReadSequence(then + 1, elsePart, false);
    if (elsePart < end) {
      Marker(StatementKind::kElse, elsePart);
      ReadSequence(elsePart + 1, end, false);
    }
    Marker(StatementKind::kEndIf, end);
  }

  // One statement without colons, [from, end).
  void Piece(size_t from, size_t end, bool outsideOneLineIf) {
    if (from >= end)
      return;
    const Token& first = tokens_[from];
    bool second = from + 1 < end;
    if (first.IsNameInsensitive("ELSEIF")) {
      size_t then = FindThen(tokens_, from + 1, end);
      Marker(StatementKind::kElseIf, from, from + 1, then);
    } else if (first.IsNameInsensitive("ELSE")) {
      Marker(StatementKind::kElse, from);
    } else if (first.IsNameInsensitive("ENDIF") || (first.IsNameInsensitive("END") && second &&
                                                    tokens_[from + 1].IsNameInsensitive("IF"))) {
      Marker(StatementKind::kEndIf, from);
    } else if (first.IsNameInsensitive("END") && second &&
               tokens_[from + 1].IsNameInsensitive("SELECT")) {
      Marker(StatementKind::kEndSelect, from);
    } else if (first.IsNameInsensitive("END") && second &&
               tokens_[from + 1].IsNameInsensitive("SUB")) {
      ended_ = true;
    } else if (first.IsNameInsensitive("END") && !second) {
      Emit(StatementKind::kEnd, from, end, outsideOneLineIf);
    } else if (first.IsNameInsensitive("SELECT") && second &&
               tokens_[from + 1].IsNameInsensitive("CASE")) {
      Emit(StatementKind::kSelectCase, from, end, outsideOneLineIf);
      OpenBlock(Block::kSelect, {});
      routine_.blocks_.back().selector.assign(
          tokens_.begin() + static_cast<std::ptrdiff_t>(from + 2),
          tokens_.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (first.IsNameInsensitive("CASE")) {
      Marker(StatementKind::kCase, from, from + 1, end);
    } else if (first.IsNameInsensitive("DO") || first.IsNameInsensitive("WHILE") ||
               first.IsNameInsensitive("FOR")) {
      Emit(StatementKind::kLoopStart, from, end, outsideOneLineIf);
      OpenBlock(Block::kLoop, {});
    } else if (first.IsNameInsensitive("LOOP") || first.IsNameInsensitive("WEND") ||
               first.IsNameInsensitive("NEXT")) {
      Marker(StatementKind::kLoopEnd, from);
    } else if (first.IsNameInsensitive("EXIT") && second &&
               tokens_[from + 1].IsNameInsensitive("SUB")) {
      Emit(StatementKind::kExitSub, from, end, outsideOneLineIf);
    } else if (first.IsNameInsensitive("GOTO") && second) {
      Named(Emit(StatementKind::kGoTo, from, end, outsideOneLineIf), tokens_[from + 1].text);
    } else {
      Simple(from, end, outsideOneLineIf);
    }
  }

  // An assignment, a SetAttrib or any other statement.
  void Simple(size_t from, size_t end, bool outsideOneLineIf) {
    size_t target = tokens_[from].IsNameInsensitive("LET") ? from + 1 : from;
    size_t equals = target;
    while (equals < end && !IsSymbol(tokens_, equals, "="))
      ++equals;
    std::string assigned = equals < end ? AssignmentTarget(tokens_, target, equals) : "";
    if (!assigned.empty()) {
      Statement& statement = Emit(StatementKind::kAssignment, from, end, outsideOneLineIf);
      Named(statement, assigned);
      statement.value = equals + 1 - from;
      return;
    }
    if (IsContextMember(tokens_, from, "SETATTRIB")) {
      Statement& statement = Emit(StatementKind::kSetAttrib, from, end, outsideOneLineIf);
      size_t literal = 3;  // relative to the statement's first token
      if (literal < statement.tokens.size() && statement.tokens[literal].kind == Token::kString) {
        Named(statement, DecodeLiteral(statement.tokens[literal].text).value_or(""));
      }
      statement.value = literal + 2;
      return;
    }
    Emit(StatementKind::kOther, from, end, outsideOneLineIf);
  }

  static void Named(Statement& statement, std::string_view name) {
    statement.name = std::string(name);
    statement.key = SqueezeText(name);
  }

  Statement& Emit(StatementKind kind, size_t from, size_t end, bool outsideOneLineIf = true) {
    // The markers that close a one-line If stand after its last word.
    from = std::min(from, tokens_.size());
    end = std::min(std::max(from, end), tokens_.size());
    Statement statement;
    statement.kind = kind;
    statement.line = line_;
    statement.lastLine = lastLine_;
    statement.startsLine = outsideOneLineIf && routine_.statements_.size() == firstOnLine_;
    statement.tokens.assign(tokens_.begin() + static_cast<std::ptrdiff_t>(from),
                            tokens_.begin() + static_cast<std::ptrdiff_t>(end));
    statement.branch = CurrentBranch();
    routine_.statements_.push_back(std::move(statement));
    return routine_.statements_.back();
  }

  // ElseIf, Else, Case and the closers: they end the branch before them.
  void Marker(StatementKind kind, size_t at, size_t conditionFrom = 0, size_t conditionEnd = 0) {
    bool closes = kind == StatementKind::kEndIf || kind == StatementKind::kEndSelect ||
                  kind == StatementKind::kLoopEnd;
    Block::Kind wanted = kind == StatementKind::kCase || kind == StatementKind::kEndSelect
                             ? Block::kSelect
                         : kind == StatementKind::kLoopEnd ? Block::kLoop
                                                           : Block::kIf;
    bool matches = !open_.empty() && routine_.blocks_[open_.back()].kind == wanted;
    size_t index = routine_.statements_.size();
    // The block's own markers stand in the branch around the block.
    size_t around = matches ? routine_.blocks_[open_.back()].parent : CurrentBranch();
    Statement& statement = Emit(kind, at, std::max(at + 1, conditionEnd));
    statement.branch = around;
    if (!matches)
      return;  // a closer without its opener: nothing to end
    Block& block = routine_.blocks_[open_.back()];
    if (!block.branches.empty())
      routine_.branches_[block.branches.back()].end = index;
    if (closes) {
      block.closer = index;
      open_.pop_back();
      return;
    }
    Branch branch;
    branch.block = open_.back();
    branch.opener = index;
    branch.first = index + 1;
    branch.isElse = kind == StatementKind::kElse ||
                    (kind == StatementKind::kCase && conditionFrom < conditionEnd &&
                     tokens_[conditionFrom].IsNameInsensitive("ELSE"));
    if (!branch.isElse)
      branch.condition.assign(tokens_.begin() + static_cast<std::ptrdiff_t>(conditionFrom),
                              tokens_.begin() + static_cast<std::ptrdiff_t>(conditionEnd));
    block.branches.push_back(routine_.branches_.size());
    routine_.branches_.push_back(std::move(branch));
  }

  // Opens a block whose opener is the statement just emitted.
  void OpenBlock(Block::Kind kind, Tokens condition) {
    size_t opener = routine_.statements_.size() - 1;
    Block block;
    block.kind = kind;
    block.opener = opener;
    block.parent = routine_.statements_[opener].branch;
    size_t index = routine_.blocks_.size();
    if (kind != Block::kSelect) {
      Branch branch;
      branch.block = index;
      branch.opener = opener;
      branch.first = opener + 1;
      branch.condition = std::move(condition);
      block.branches.push_back(routine_.branches_.size());
      routine_.branches_.push_back(std::move(branch));
    }
    routine_.blocks_.push_back(std::move(block));
    open_.push_back(index);
  }

  size_t CurrentBranch() const {
    if (open_.empty())
      return kNoBranch;
    const Block& block = routine_.blocks_[open_.back()];
    return block.branches.empty() ? block.parent : block.branches.back();
  }

  MainRoutine& routine_;
  Tokens tokens_;
  size_t line_ = 0;
  size_t lastLine_ = 0;
  size_t firstOnLine_ = 0;
  bool ended_ = false;
  std::vector<size_t> open_;  // the open blocks, innermost last
};

std::optional<MainRoutine> MainRoutine::Read(const EBScript& script) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return std::nullopt;
  MainRoutine routine;
  routine.script_ = &script;
  MainRoutineReader(&routine).Read(script, *subMain + 1);
  return routine;
}

std::vector<size_t> MainRoutine::BranchesAround(size_t index) const {
  std::vector<size_t> around;
  for (size_t branch = statements_[index].branch; branch != kNoBranch;
       branch = blocks_[branches_[branch].block].parent)
    around.push_back(branch);
  return around;
}

const Block* MainRoutine::BlockOpenedBy(size_t opener) const {
  for (const Block& block : blocks_) {
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

std::optional<size_t> MainRoutine::DataFileStatement() const {
  for (size_t i = 0; i < statements_.size(); ++i) {
    const Statement& statement = statements_[i];
    if (statement.kind == StatementKind::kAssignment &&
        (statement.key == "C.DATAFILE.FILENAME" || statement.key == "EBCONTEXT.DATAFILE.FILENAME"))
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
  const Statement& statement = statements_[index];
  if (statement.kind != StatementKind::kSetAttrib || statement.branch == kNoBranch)
    return false;
  const Branch& branch = branches_[statement.branch];
  const Statement& opener = statements_[branch.opener];
  const Tokens& condition = branch.condition;
  // Not c.AttribExists ( "<name>" ), on the line of the SetAttrib it guards.
  std::optional<std::string> tested = condition.size() == 7 && condition[0].IsNameInsensitive("NOT")
                                          ? ContextCallName(condition, 1, "ATTRIBEXISTS")
                                          : std::nullopt;
  return opener.kind == StatementKind::kIf && opener.line == statement.line && !branch.isElse &&
         tested && SqueezeText(*tested) == statement.key;
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
    if (tokens.size() >= 3 && tokens[0].IsNameInsensitive(SqueezeText(keyword)) &&
        EqualsInsensitive(tokens[1].text, name) && IsSymbol(tokens, 2, "("))
      return line;
  }
  return std::nullopt;
}

bool DefinesHandleFilename(const EBScript& script) {
  return FindRoutineDefinition(script, "Function", "HandleFilename").has_value();
}

bool ConvertsDataFile(const EBScript& script) {
  std::optional<size_t> subMain = script.FindSubMain();
  if (!subMain)
    return false;
  for (size_t line = *subMain; line < script.lines().size(); ++line) {
    std::string_view code = CodeOf(script.lines()[line]);
    if (SqueezeText(code).find("DATAFILE.CONVERT") == std::string::npos)
      continue;
    Tokens tokens = Tokenize(code);
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (IsContextMember(tokens, i, "DATAFILE") && IsSymbol(tokens, i + 3, ".") &&
          i + 4 < tokens.size() && tokens[i + 4].IsNameInsensitive("CONVERT"))
        return true;
    }
  }
  return false;
}
