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

// The one reader of E-Basic statements. It reads the main routine once into statements and
// the blocks around them, and every check of the script asks it: the value rule, the prompt
// section, the data file name and statement, the call anchors. Nothing else scans the
// main routine's code.

enum class StatementKind {
  kAssignment,  // [Let] <target> = <value>: a variable, or a member such as c.DataFile.Filename
  kSetAttrib,   // c.SetAttrib / ebContext.SetAttrib "<name>", <value>
  kGoTo,
  kLabel,
  kEnd,      // End alone: the program stops
  kExitSub,  // leaves the main routine
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
  /// kSetAttrib: the attribute's name as its literal spells it ("" when it is no literal);
  /// kGoTo and kLabel: the label as written.
  std::string name;
  std::string key;            // the name squeezed (SqueezeText), as names are compared
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
  std::optional<size_t> closer;  // none when the routine ends first
  size_t parent = kNoBranch;     // the branch around the block
  std::vector<size_t> branches;
  std::vector<Token> selector;  // Select Case: the expression
};

/// The main routine, "Sub Main()" to its "End Sub", as statements and blocks.
class MainRoutine {
 public:
  /// None when the script has no "Sub Main()" line.
  static std::optional<MainRoutine> Read(const EBScript& script);

  MainRoutine(MainRoutine&&) = default;
  MainRoutine& operator=(MainRoutine&&) = default;
  MainRoutine(const MainRoutine&) = delete;
  MainRoutine& operator=(const MainRoutine&) = delete;

  const std::vector<Statement>& statements() const { return statements_; }
  const std::vector<Branch>& branches() const { return branches_; }
  const std::vector<Block>& blocks() const { return blocks_; }
  const Statement& operator[](size_t index) const { return statements_[index]; }
  size_t size() const { return statements_.size(); }

  /// The branches around statement `index`, innermost first.
  std::vector<size_t> BranchesAround(size_t index) const;
  /// The block that statement `opener` opens, or nullptr.
  const Block* BlockOpenedBy(size_t opener) const;
  /// The statement that closes the block opened by `opener`, or none.
  std::optional<size_t> CloserOf(size_t opener) const;
  /// The whole line that statement `index` begins on, comment included.
  std::string_view LineOf(size_t index) const;
  /// The first data file statement: an assignment of c.DataFile.Filename.
  std::optional<size_t> DataFileStatement() const;
  /// True for an assignment of the data file name from HandleFilename(c): the user's
  /// routine, or the call that Tarvo inserts, checks or changes the name it is given.
  bool IsHandleFilenameCall(size_t index) const;
  /// True for the one-line default "If Not c.AttribExists("<name>") Then c.SetAttrib ...":
  /// the SetAttrib statement `index` inside it.
  bool IsConditionalDefault(size_t index) const;

 private:
  MainRoutine() = default;
  friend class MainRoutineReader;

  const EBScript* script_ = nullptr;
  std::deque<std::string> code_;  // the text that the tokens point into
  std::vector<Statement> statements_;
  std::vector<Branch> branches_;
  std::vector<Block> blocks_;
};

/// True when tokens [at, ...) begin "c.<member>" or "ebContext.<member>".
bool IsContextMember(const std::vector<Token>& tokens, size_t at, std::string_view member);

/// True for a statement that calls a routine Tarvo does not know, which may do anything
/// with what it is given: any other statement but MsgBox, Beep, Debug.Print, Dim and Set.
bool CallsUnknownRoutine(const Statement& statement);

/// The name in "c.<member>("<name>")" or "ebContext.<member>(...)", the six tokens from
/// `at` on, decoded; none for anything else.
std::optional<std::string> ContextCallName(const std::vector<Token>& tokens, size_t at,
                                           std::string_view member);

/// The line of a routine definition that begins with `keyword` ("Function" or "Sub") and
/// `name` followed by "(", anywhere in the script; none when there is none.
std::optional<size_t> FindRoutineDefinition(const EBScript& script, std::string_view keyword,
                                            std::string_view name);

/// True when the script defines "Function HandleFilename(", the user's routine that names
/// the data file when the experiment runs.
bool DefinesHandleFilename(const EBScript& script);

/// True when the script converts its data file into an E-DataAid file: a statement of
/// c.DataFile.Convert at or after "Sub Main()".
bool ConvertsDataFile(const EBScript& script);

#endif  // TARVO_SCRIPT_STATEMENTS_H_
