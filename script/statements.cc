#include "script/statements.h"

#include <algorithm>
#include <utility>

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

// True when tokens [from, equals) are the target of an assignment: a name, or names joined
// by dots.
bool IsAssignmentTarget(const Tokens& tokens, size_t from, size_t equals) {
  for (size_t i = from; i < equals; ++i) {
    bool wantName = (i - from) % 2 == 0;
    if (wantName ? tokens[i].kind != Token::kName : !IsSymbol(tokens, i, "."))
      return false;
  }
  return (equals - from) % 2 == 1;
}

// A name declared in a list such as "a As Integer, ByVal b(), c As New Context", with its
// type when it has one.
struct Declared {
  const Token* name = nullptr;
  const Token* type = nullptr;
};

std::vector<Declared> Declarations(const Tokens& tokens, size_t from, size_t end) {
  std::vector<Declared> all;
  for (size_t i = from; i < end;) {
    size_t stop = FindOutsideParentheses(tokens, i, end,
                                         [&](size_t at) { return IsSymbol(tokens, at, ","); });
    size_t at = i;
    while (at < stop &&
           (tokens[at].IsNameInsensitive("OPTIONAL") || tokens[at].IsNameInsensitive("BYVAL") ||
            tokens[at].IsNameInsensitive("BYREF") || tokens[at].IsNameInsensitive("PARAMARRAY")))
      ++at;
    if (at < stop && tokens[at].kind == Token::kName) {
      Declared declared{&tokens[at], nullptr};
      for (size_t as = at + 1; as + 1 < stop && !declared.type; ++as) {
        if (!tokens[as].IsNameInsensitive("AS"))
          continue;
        size_t type = tokens[as + 1].IsNameInsensitive("NEW") ? as + 2 : as + 1;
        declared.type = type < stop ? &tokens[type] : nullptr;
      }
      all.push_back(declared);
    }
    i = stop + 1;
  }
  return all;
}

// A name begins with a letter or an underscore; a number is a name token too.
bool IsNameStart(char c) {
  return IsNameByte(c) && !(c >= '0' && c <= '9');
}

// The next word of `line` from `*at` on, after blanks: the bytes that can continue a name.
std::string_view NextWord(std::string_view line, size_t* at) {
  size_t start = *at;
  while (start < line.size() && IsBlank(line[start]))
    ++start;
  size_t end = start;
  while (end < line.size() && IsNameByte(line[end]))
    ++end;
  *at = end;
  return line.substr(start, end - start);
}

// Where a Sub or Function line declares its routine: the keyword and the name. Words are
// looked at, not tokens, so that most lines are passed over by their first letters.
struct Declaration {
  bool isFunction;
  std::string_view name;
};

std::optional<Declaration> DeclarationOf(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at]))
    ++at;
  char first = at < line.size() ? UpperCaseAscii(line[at]) : ' ';
  if (first != 'S' && first != 'F' && first != 'P')
    return std::nullopt;
  std::string_view word = NextWord(line, &at);
  while (EqualsInsensitive(word, "PRIVATE") || EqualsInsensitive(word, "PUBLIC") ||
         EqualsInsensitive(word, "STATIC"))
    word = NextWord(line, &at);
  bool isFunction = EqualsInsensitive(word, "FUNCTION");
  if (!isFunction && !EqualsInsensitive(word, "SUB"))
    return std::nullopt;
  std::string_view name = NextWord(line, &at);
  // The name, then its parameters, a comment, a continued line or nothing.
  std::string_view rest = line.substr(at);
  while (!rest.empty() && IsBlank(rest.front()))
    rest.remove_prefix(1);
  bool ends = rest.empty() || rest[0] == '(' || rest[0] == '\'' ||
              (rest[0] == '_' && ContinuesOnNextLine(line));
  if (name.empty() || !ends)
    return std::nullopt;
  return Declaration{isFunction, name};
}

// True for the words that begin a statement of a block or a jump, which Piece tells apart.
bool IsStatementWord(const Token& token) {
  static constexpr std::string_view kWords[] = {"DO",    "END",   "FOR",    "ELSE",  "CASE",
                                                "LOOP",  "WEND",  "NEXT",   "EXIT",  "GOTO",
                                                "ENDIF", "WHILE", "ELSEIF", "SELECT"};
  if (token.kind != Token::kName)
    return false;
  char first = UpperCaseAscii(token.text[0]);
  for (std::string_view word : kWords) {
    if (word.size() == token.text.size() && word[0] == first && EqualsInsensitive(token.text, word))
      return true;
  }
  return false;
}

// Reads one routine statement by statement, with the blocks open at each point.
class RoutineReader {
 public:
  RoutineReader(const EBScript& script, StatementSink& sink, std::deque<std::string>* keepCode)
      : script_(script), sink_(sink), keepCode_(keepCode) {}

  RoutineShape Read(size_t header) {
    const std::vector<std::string>& lines = script_.lines();
    size_t line = header;
    if (std::optional<RoutineHeader> read = ReadRoutineHeader(script_.StatementCode(header))) {
      shape_.header = std::move(*read);
      contexts_.insert(contexts_.end(), shape_.header.contexts.begin(),
                       shape_.header.contexts.end());
    }
    for (line = script_.StatementEnd(header) + 1; line < lines.size() && !ended_;) {
      size_t last = script_.StatementEnd(line);
      // The code of a line that goes on is joined; any other is read where it stands.
      std::string_view code = CodeOf(lines[line]);
      if (last != line)
        code = joined_ = script_.StatementCode(line);
      if (RoutineNameOf(code)) {
        shape_.nextRoutine = line;
        break;
      }
      if (keepCode_)
        code = keepCode_->emplace_back(code);
      Tokenize(code, &tokens_);
      line_ = line;
      lastLine_ = last;
      firstOnLine_ = Next();
      // A compiler directive (#If, #Else, #End If) is no statement.
      if (!IsSymbol(tokens_, 0, "#"))
        ReadLine();
      TakeLine();
      line = last + 1;
    }
    if (ended_)
      shape_.endLine = line_;
    for (size_t block : open_)
      shape_.branches[shape_.blocks[block].branches.back()].end = Next();
    shape_.statements = Next();
    return std::move(shape_);
  }

 private:
  size_t Next() const { return count_ + used_; }

  // Hands the line's statements to the sink.
  void TakeLine() {
    if (used_ == 0)
      return;
    pending_[used_ - 1].endsLine = true;
    count_ += used_;
    for (size_t i = 0; i < used_; ++i)
      sink_.Take(pending_[i], shape_);
    used_ = 0;
  }

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

  bool Is(size_t at, size_t end, std::string_view first, std::string_view second = {}) const {
    return at < end && tokens_[at].IsNameInsensitive(first) &&
           (second.empty() || (at + 1 < end && tokens_[at + 1].IsNameInsensitive(second)));
  }

  // One statement without colons, [from, end).
  void Piece(size_t from, size_t end, bool outsideOneLineIf) {
    if (from >= end)
      return;
    if (!IsStatementWord(tokens_[from])) {
      Simple(from, end, outsideOneLineIf);
      return;
    }
    if (Is(from, end, "ELSEIF")) {
      size_t then = FindThen(tokens_, from + 1, end);
      Marker(StatementKind::kElseIf, from, from + 1, then);
    } else if (Is(from, end, "ELSE")) {
      Marker(StatementKind::kElse, from);
    } else if (Is(from, end, "ENDIF") || Is(from, end, "END", "IF")) {
      Marker(StatementKind::kEndIf, from);
    } else if (Is(from, end, "END", "SELECT")) {
      Marker(StatementKind::kEndSelect, from);
    } else if (Is(from, end, "END", "SUB") || Is(from, end, "END", "FUNCTION")) {
      // An end of the other kind of routine ends nothing.
      if (Is(from + 1, end, shape_.header.isFunction ? "FUNCTION" : "SUB"))
        ended_ = true;
      else
        Stray();
    } else if (Is(from, end, "END") && from + 1 == end) {
      Emit(StatementKind::kEnd, from, end, outsideOneLineIf);
    } else if (Is(from, end, "SELECT", "CASE")) {
      Emit(StatementKind::kSelectCase, from, end, outsideOneLineIf);
      OpenBlock(Block::kSelect, {});
      shape_.blocks.back().selector.assign(tokens_.begin() + static_cast<std::ptrdiff_t>(from + 2),
                                           tokens_.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (Is(from, end, "CASE")) {
      Marker(StatementKind::kCase, from, from + 1, end);
    } else if (Is(from, end, "DO") || Is(from, end, "WHILE") || Is(from, end, "FOR")) {
      Emit(StatementKind::kLoopStart, from, end, outsideOneLineIf);
      OpenBlock(Block::kLoop, {});
    } else if (Is(from, end, "LOOP") || Is(from, end, "WEND") || Is(from, end, "NEXT")) {
      Marker(StatementKind::kLoopEnd, from);
    } else if (Is(from, end, "EXIT", "SUB") || Is(from, end, "EXIT", "FUNCTION")) {
      Emit(StatementKind::kExitSub, from, end, outsideOneLineIf);
    } else if (Is(from, end, "GOTO") && from + 1 < end) {
      Named(Emit(StatementKind::kGoTo, from, end, outsideOneLineIf), tokens_[from + 1].text);
    } else {
      Simple(from, end, outsideOneLineIf);
    }
  }

  // An assignment, a SetAttrib or any other statement.
  void Simple(size_t from, size_t end, bool outsideOneLineIf) {
    size_t target = Is(from, end, "LET") ? from + 1 : from;
    size_t equals = target;
    while (equals < end && !IsSymbol(tokens_, equals, "="))
      ++equals;
    if (equals < end && IsAssignmentTarget(tokens_, target, equals)) {
      Statement& statement = Emit(StatementKind::kAssignment, from, end, outsideOneLineIf);
      // As written, without blanks.
      const char* begin = tokens_[target].text.data();
      Named(statement, std::string_view(begin, tokens_[equals - 1].text.data() +
                                                   tokens_[equals - 1].text.size() - begin));
      statement.value = equals + 1 - from;
      return;
    }
    if (IsSetAttrib(from, end)) {
      SetAttrib(Emit(StatementKind::kSetAttrib, from, end, outsideOneLineIf));
      return;
    }
    // A Context declared here takes attributes as c does.
    if (Is(from, end, "DIM")) {
      for (const Declared& declared : Declarations(tokens_, from + 1, end)) {
        if (declared.type && declared.type->IsNameInsensitive("CONTEXT"))
          contexts_.push_back(SqueezeText(declared.name->text));
      }
    }
    Emit(StatementKind::kOther, from, end, outsideOneLineIf);
  }

  bool IsSetAttrib(size_t from, size_t end) const {
    if (from + 2 >= end || tokens_[from].kind != Token::kName ||
        !IsSymbol(tokens_, from + 1, ".") || !tokens_[from + 2].IsNameInsensitive("SETATTRIB"))
      return false;
    for (const std::string& context : contexts_) {
      if (tokens_[from].IsNameInsensitive(context))
        return true;
    }
    return false;
  }

  // The name: one literal, parts that end in one, or anything else; the value follows the
  // comma after it.
  static void SetAttrib(Statement& statement) {
    const Tokens& tokens = statement.tokens;
    size_t comma = FindOutsideParentheses(tokens, 3, tokens.size(),
                                          [&](size_t i) { return IsSymbol(tokens, i, ","); });
    statement.value = comma + 1;
    if (comma == 3 || tokens[comma - 1].kind != Token::kString)
      return;
    std::optional<std::string> literal = DecodeLiteral(tokens[comma - 1].text);
    if (literal && comma == 4)
      Named(statement, *literal);
    else if (literal && !literal->empty())
      statement.ending = SqueezeText(*literal);
  }

  static void Named(Statement& statement, std::string_view name) {
    // In place: the statement keeps its room from line to line.
    statement.name.assign(name.data(), name.size());
    statement.key.clear();
    for (char c : name) {
      if (SqueezedByte(c) != kSqueezedOut)
        statement.key.push_back(static_cast<char>(SqueezedByte(c)));
    }
  }

  Statement& Emit(StatementKind kind, size_t from, size_t end, bool outsideOneLineIf = true) {
    // The markers that close a one-line If stand after its last word.
    from = std::min(from, tokens_.size());
    end = std::min(std::max(from, end), tokens_.size());
    // The statements of the lines before are kept for their room.
    if (used_ == pending_.size())
      pending_.emplace_back();
    Statement& statement = pending_[used_];
    statement.kind = kind;
    statement.line = line_;
    statement.lastLine = lastLine_;
    statement.startsLine = outsideOneLineIf && Next() == firstOnLine_;
    statement.endsLine = false;
    statement.tokens.assign(tokens_.begin() + static_cast<std::ptrdiff_t>(from),
                            tokens_.begin() + static_cast<std::ptrdiff_t>(end));
    statement.name.clear();
    statement.key.clear();
    statement.ending.clear();
    statement.value = 0;
    statement.branch = CurrentBranch();
    ++used_;
    return statement;
  }

  void Stray() {
    if (!shape_.strayEnd)
      shape_.strayEnd = line_;
  }

  // ElseIf, Else, Case and the closers: they end the branch before them.
  void Marker(StatementKind kind, size_t at, size_t conditionFrom = 0, size_t conditionEnd = 0) {
    bool closes = kind == StatementKind::kEndIf || kind == StatementKind::kEndSelect ||
                  kind == StatementKind::kLoopEnd;
    Block::Kind wanted = kind == StatementKind::kCase || kind == StatementKind::kEndSelect
                             ? Block::kSelect
                         : kind == StatementKind::kLoopEnd ? Block::kLoop
                                                           : Block::kIf;
    bool matches = !open_.empty() && shape_.blocks[open_.back()].kind == wanted;
    size_t index = Next();
    // The block's own markers stand in the branch around the block.
    size_t around = matches ? shape_.blocks[open_.back()].parent : CurrentBranch();
    Statement& statement = Emit(kind, at, std::max(at + 1, conditionEnd));
    statement.branch = around;
    if (!matches) {
      Stray();  // a closer without its opener: nothing to end
      return;
    }
    Block& block = shape_.blocks[open_.back()];
    if (!block.branches.empty())
      shape_.branches[block.branches.back()].end = index;
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
    block.branches.push_back(shape_.branches.size());
    shape_.branches.push_back(std::move(branch));
  }

  // Opens a block whose opener is the statement just emitted.
  void OpenBlock(Block::Kind kind, Tokens condition) {
    size_t opener = Next() - 1;
    Block block;
    block.kind = kind;
    block.opener = opener;
    block.line = line_;
    block.parent = pending_[used_ - 1].branch;
    size_t index = shape_.blocks.size();
    if (kind != Block::kSelect) {
      Branch branch;
      branch.block = index;
      branch.opener = opener;
      branch.first = opener + 1;
      branch.condition = std::move(condition);
      block.branches.push_back(shape_.branches.size());
      shape_.branches.push_back(std::move(branch));
    }
    shape_.blocks.push_back(std::move(block));
    open_.push_back(index);
  }

  size_t CurrentBranch() const {
    if (open_.empty())
      return kNoBranch;
    const Block& block = shape_.blocks[open_.back()];
    return block.branches.empty() ? block.parent : block.branches.back();
  }

  const EBScript& script_;
  StatementSink& sink_;
  std::deque<std::string>* keepCode_;
  std::string joined_;  // the code of a statement over several lines, when it is not kept
  RoutineShape shape_;
  std::vector<Statement> pending_;  // the statements of the line being read: [0, used_)
  size_t used_ = 0;
  size_t count_ = 0;  // the statements taken before it
  Tokens tokens_;
  size_t line_ = 0;
  size_t lastLine_ = 0;
  size_t firstOnLine_ = 0;
  bool ended_ = false;
  std::vector<size_t> open_;                                // the open blocks, innermost last
  std::vector<std::string> contexts_ = {"C", "EBCONTEXT"};  // keys
};

}  // namespace

bool IsContextMember(const std::vector<Token>& tokens, size_t at, std::string_view member) {
  return at + 2 < tokens.size() &&
         (tokens[at].IsNameInsensitive("C") || tokens[at].IsNameInsensitive("EBCONTEXT")) &&
         IsSymbol(tokens, at + 1, ".") && tokens[at + 2].IsNameInsensitive(member);
}

bool ShowsMessage(const Statement& statement) {
  if (statement.kind != StatementKind::kOther || statement.tokens.empty())
    return false;
  const Token& first = statement.tokens[0];
  return first.IsNameInsensitive("MSGBOX") || first.IsNameInsensitive("BEEP") ||
         first.IsNameInsensitive("DEBUG");
}

bool CallsRoutine(const Statement& statement) {
  if (statement.kind != StatementKind::kOther || statement.tokens.empty() ||
      ShowsMessage(statement))
    return false;
  return !statement.tokens[0].IsNameInsensitive("DIM") &&
         !statement.tokens[0].IsNameInsensitive("SET");
}

std::optional<std::string> ContextCallName(const std::vector<Token>& tokens, size_t at,
                                           std::string_view member) {
  if (!IsContextMember(tokens, at, member) || !IsSymbol(tokens, at + 3, "(") ||
      at + 4 >= tokens.size() || tokens[at + 4].kind != Token::kString ||
      !IsSymbol(tokens, at + 5, ")"))
    return std::nullopt;
  return DecodeLiteral(tokens[at + 4].text);
}

std::optional<std::string_view> RoutineNameOf(std::string_view line) {
  std::optional<Declaration> declaration = DeclarationOf(line);
  return declaration ? std::optional<std::string_view>(declaration->name) : std::nullopt;
}

bool EndsRoutine(std::string_view line) {
  size_t at = 0;
  while (at < line.size() && IsBlank(line[at]))
    ++at;
  if (at == line.size() || UpperCaseAscii(line[at]) != 'E')
    return false;
  if (!EqualsInsensitive(NextWord(line, &at), "END"))
    return false;
  std::string_view word = NextWord(line, &at);
  return EqualsInsensitive(word, "SUB") || EqualsInsensitive(word, "FUNCTION");
}

std::optional<RoutineHeader> ReadRoutineHeader(std::string_view line) {
  std::optional<Declaration> declaration = DeclarationOf(line);
  if (!declaration)
    return std::nullopt;
  RoutineHeader header;
  header.isFunction = declaration->isFunction;
  header.name = std::string(declaration->name);
  header.key = SqueezeText(header.name);
  Tokens tokens = Tokenize(CodeOf(line));
  size_t open = 0;
  while (open < tokens.size() && !IsSymbol(tokens, open, "("))
    ++open;
  size_t close = FindOutsideParentheses(tokens, open, tokens.size(),
                                        [&](size_t i) { return IsSymbol(tokens, i, ")"); });
  for (const Declared& declared : Declarations(tokens, open + 1, close)) {
    header.parameters.push_back(SqueezeText(declared.name->text));
    if (declared.type && declared.type->IsNameInsensitive("CONTEXT"))
      header.contexts.push_back(header.parameters.back());
  }
  return header;
}

std::optional<size_t> RoutineShape::OpenBlock(size_t headerLine) const {
  if (!endLine)
    return headerLine;
  for (const Block& block : blocks) {
    if (!block.closer)
      return block.line;
  }
  return std::nullopt;
}

RoutineShape ReadRoutine(const EBScript& script, size_t header, StatementSink& sink,
                         std::deque<std::string>* keepCode) {
  return RoutineReader(script, sink, keepCode).Read(header);
}

bool IsConditionalDefault(const Statement& statement, const std::vector<Branch>& branches,
                          const std::vector<Block>& blocks) {
  if (statement.kind != StatementKind::kSetAttrib || statement.branch == kNoBranch)
    return false;
  const Branch& branch = branches[statement.branch];
  const Block& block = blocks[branch.block];
  const Tokens& condition = branch.condition;
  // Not c.AttribExists ( "<name>" ), the If's own condition, on the line of the SetAttrib.
  std::optional<std::string> tested = condition.size() == 7 && condition[0].IsNameInsensitive("NOT")
                                          ? ContextCallName(condition, 1, "ATTRIBEXISTS")
                                          : std::nullopt;
  return block.kind == Block::kIf && block.branches.front() == statement.branch &&
         block.line == statement.line && tested && SqueezeText(*tested) == statement.key;
}

std::vector<NamedCall> NamedCalls(const std::vector<Token>& tokens) {
  std::vector<NamedCall> calls;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    bool member = (i > 0 && IsSymbol(tokens, i - 1, ".")) || IsSymbol(tokens, i + 1, ".");
    if (token.kind != Token::kName || member || !IsNameStart(token.text[0]))
      continue;
    if (IsSymbol(tokens, i + 1, "(")) {
      size_t close = FindOutsideParentheses(tokens, i + 1, tokens.size(),
                                            [&](size_t at) { return IsSymbol(tokens, at, ")"); });
      calls.push_back({i, i + 2, close});
    } else if (i == 0 || (i == 1 && tokens[0].IsNameInsensitive("CALL"))) {
      calls.push_back({i, i + 1, tokens.size()});  // "Name a, b" or "Call Name a"
    } else {
      calls.push_back({i, i + 1, i + 1});
    }
  }
  return calls;
}

std::vector<std::string_view> Variables(const std::vector<Token>& tokens, size_t first,
                                        size_t end) {
  std::vector<std::string_view> variables;
  for (size_t i = first; i < end && i < tokens.size(); ++i) {
    bool member = (i > 0 && IsSymbol(tokens, i - 1, ".")) || IsSymbol(tokens, i + 1, ".");
    if (tokens[i].kind == Token::kName && !member && !IsSymbol(tokens, i + 1, "(") &&
        IsNameStart(tokens[i].text[0]))
      variables.push_back(tokens[i].text);
  }
  return variables;
}

bool MentionsName(const std::vector<Token>& tokens, std::string_view name) {
  for (const Token& token : tokens) {
    if (token.IsNameInsensitive(name))
      return true;
  }
  return false;
}

bool ShowsStartupSummary(const std::vector<Token>& tokens) {
  if (!MentionsName(tokens, "MSGBOX"))
    return false;
  for (const Token& token : tokens) {
    if (token.kind == Token::kString &&
        SqueezeText(token.text).find("SUMMARYOFSTARTUPINFO") != std::string::npos)
      return true;
  }
  return false;
}

bool ConvertsDataFile(const std::vector<Token>& tokens) {
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (IsContextMember(tokens, i, "DATAFILE") && IsSymbol(tokens, i + 3, ".") &&
        i + 4 < tokens.size() && tokens[i + 4].IsNameInsensitive("CONVERT"))
      return true;
  }
  return false;
}
