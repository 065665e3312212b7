#ifndef TARVO_SCRIPT_STATEMENTS_H_
#define TARVO_SCRIPT_STATEMENTS_H_

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/ebasic.h"

class EBScript;

// The one reader of E-Basic statements. It reads a routine, a Sub or Function, into
// statements and the blocks around them, line by line. The main routine is kept so
// (main_routine.h), and every check of it asks it; the script's other routines are read
// by it once a run, for what a call of them can set (routines.h). Besides it, lines are
// only searched, whole, by a probe (EBScript::FindLine): "Sub Main()", a user routine's
// declaration, a call that Tarvo inserted before; and the data file edit rewrites the text
// of the one statement that the reader found.

enum class StatementKind {
  kAssignment,  // [Let] <target> = <value>: a variable, or a member such as c.DataFile.Filename
  kSetAttrib,   // <context>.SetAttrib <name>, <value>: c, ebContext or a Context of the routine
  kGoTo,
  kLabel,
  kEnd,      // End alone: the program stops
  kExitSub,  // leaves the routine
  kIf,       // opens a block; a one-line If opens one too, closed by a kEndIf on its line
  kElseIf,
  kElse,
  kEndIf,
  kSelectCase,
  kCase,
  kEndSelect,
  kLoopStart,  // Do, While, For
  kLoopEnd,    // Loop, Wend, Next
  kOther,
};

const size_t kNoBranch = static_cast<size_t>(-1);

struct Statement {
  StatementKind kind = StatementKind::kOther;
  size_t line = 0;            // the line it begins on
  size_t lastLine = 0;        // the line it ends on: continued lines belong to one statement
  bool startsLine = false;    // the first statement of its line, outside any one-line If
  bool endsLine = false;      // the last statement of its line(s)
  std::vector<Token> tokens;  // its words, comment and continuation marks dropped
  /// kAssignment: the target as written, without blanks ("nCount", "c.DataFile.Filename");
  /// kSetAttrib: the attribute's name as its literal spells it ("" when the name is not one
  /// literal); kGoTo and kLabel: the label as written.
  std::string name;
  std::string key;  // the name squeezed (SqueezeText), as names are compared
  /// kSetAttrib whose name is built of parts that end in a literal (Display.Name &
  /// ".RefreshRate"): that literal squeezed. "" for any other.
  std::string ending;
  size_t value = 0;           // kAssignment, kSetAttrib: the first token of the value
  size_t branch = kNoBranch;  // the innermost branch around it

  /// The tokens of the value of an assignment or SetAttrib.
  std::vector<Token> Value() const {
    size_t first = value < tokens.size() ? value : tokens.size();
    return std::vector<Token>(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end());
  }
};

/// One arm of a block: an If, ElseIf or Else part, a Case, or a loop's body.
struct Branch {
  size_t block = 0;
  size_t opener = 0;  // the statement that begins it: If, ElseIf, Else, Case or the loop's start
  size_t first = 0;   // its statements are [first, end)
  size_t end = 0;
  bool isElse = false;           // Else or Case Else
  std::vector<Token> condition;  // If, ElseIf: between the keyword and Then; Case: its list
};

struct Block {
  enum Kind { kIf, kSelect, kLoop };
  Kind kind = kIf;
  size_t opener = 0;
  size_t line = 0;               // the opener's line
  std::optional<size_t> closer;  // none when the routine ends first
  size_t parent = kNoBranch;     // the branch around the block
  std::vector<size_t> branches;
  std::vector<Token> selector;  // Select Case: the expression
};

/// The Sub or Function line of a routine.
struct RoutineHeader {
  bool isFunction = false;
  std::string name;  // as spelled
  std::string key;
  std::vector<std::string> parameters;  // keys
  std::vector<std::string> contexts;    // keys of the parameters declared As Context
};

/// The name that a line's Sub or Function declares, as it stands in `line`: after
/// "[Private|Public|Static] Sub|Function", and followed by its parameters, a comment or
/// nothing. None for any other line, which most lines show by their first letters.
std::optional<std::string_view> RoutineNameOf(std::string_view line);

/// The whole header of such a line, its parameters read too; none for any other line.
std::optional<RoutineHeader> ReadRoutineHeader(std::string_view line);

/// True for a line that ends a routine: "End Sub" or "End Function".
bool EndsRoutine(std::string_view line);

/// A routine as the reader leaves it: its header, the blocks of its statements, and where
/// it does not balance.
struct RoutineShape {
  RoutineHeader header;
  std::vector<Branch> branches;
  std::vector<Block> blocks;
  size_t statements = 0;
  std::optional<size_t> endLine;      // its End Sub or End Function
  std::optional<size_t> nextRoutine;  // a Sub or Function line before its end: it ends there
  std::optional<size_t> strayEnd;     // the first line of an end without its block

  /// The line of the first block without its end; the header's line for a routine that
  /// has no end of its own.
  std::optional<size_t> OpenBlock(size_t headerLine) const;
  /// True when it ends with its own End line and every block in it has its end.
  bool Balanced() const { return endLine && !strayEnd && !OpenBlock(0); }
};

/// Takes a routine's statements as they are read.
class StatementSink {
 public:
  /// `statement` as read; `shape` holds the blocks read so far, its own among them.
  virtual void Take(const Statement& statement, const RoutineShape& shape) = 0;

 protected:
  ~StatementSink() = default;
};

/// Reads the routine whose Sub or Function line is `header` into `sink`, statement by
/// statement, up to its End Sub or End Function, or to the next Sub or Function line,
/// which begins a routine of its own. Compiler directives (#If, #Else, #End If) are no
/// statements. The tokens point into the code of their line, which `keepCode` receives
/// when given; without it the code goes once the line's statements are taken.
RoutineShape ReadRoutine(const EBScript& script, size_t header, StatementSink& sink,
                         std::deque<std::string>* keepCode = nullptr);

/// True for the one-line default "If Not c.AttribExists("<name>") Then c.SetAttrib ...":
/// the SetAttrib `statement` inside it, with the blocks of its routine.
bool IsConditionalDefault(const Statement& statement, const std::vector<Branch>& branches,
                          const std::vector<Block>& blocks);

/// True when tokens [at, ...) begin "c.<member>" or "ebContext.<member>".
bool IsContextMember(const std::vector<Token>& tokens, size_t at, std::string_view member);

/// True for a statement that only shows a message: MsgBox, Beep or Debug.Print.
bool ShowsMessage(const Statement& statement);

/// True for a statement that calls a routine, which may do anything with what it is
/// given: any other statement but a message, Dim and Set.
bool CallsRoutine(const Statement& statement);

/// The name in "c.<member>("<name>")" or "ebContext.<member>(...)", the six tokens from
/// `at` on, decoded; none for anything else.
std::optional<std::string> ContextCallName(const std::vector<Token>& tokens, size_t at,
                                           std::string_view member);

/// The names that `tokens` may call a routine by: each name that is no member and has no
/// member, with where its arguments are, [first, end) of `tokens`.
struct NamedCall {
  size_t at;
  size_t first;
  size_t end;
};
std::vector<NamedCall> NamedCalls(const std::vector<Token>& tokens);

/// The variables among tokens [first, end): names that are no member, have no member and
/// are not called, as a routine given them gets them by reference.
std::vector<std::string_view> Variables(const std::vector<Token>& tokens, size_t first, size_t end);

/// True when a name among the tokens is `name`, in any letter case.
bool MentionsName(const std::vector<Token>& tokens, std::string_view name);

/// True for a MsgBox among the tokens with a literal that holds "Summary of Startup Info".
bool ShowsStartupSummary(const std::vector<Token>& tokens);

/// True for "<context>.DataFile.Convert" among the tokens: the data are converted into an
/// E-DataAid file.
bool ConvertsDataFile(const std::vector<Token>& tokens);

#endif  // TARVO_SCRIPT_STATEMENTS_H_
