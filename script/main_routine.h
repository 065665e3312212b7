#ifndef TARVO_SCRIPT_MAIN_ROUTINE_H_
#define TARVO_SCRIPT_MAIN_ROUTINE_H_

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "script/routines.h"
#include "script/statements.h"

class EBScript;

/// A statement's calls of the script's own routines: what they can set together, and the
/// variables it gives them, which E-Basic passes by reference.
struct CallSite {
  RoutineEffects effects;
  std::set<std::string> variables;  // by key
};

/// The main routine, "Sub Main()" to its "End Sub", as statements and blocks, with what
/// each statement can set through the script's routines it calls (routines.h).
class MainRoutine {
 public:
  /// None when the script has no "Sub Main()" line.
  static std::optional<MainRoutine> Read(const EBScript& script);

  MainRoutine(MainRoutine&&) = default;
  MainRoutine& operator=(MainRoutine&&) = default;
  MainRoutine(const MainRoutine&) = delete;
  MainRoutine& operator=(const MainRoutine&) = delete;

  const std::vector<Statement>& statements() const { return statements_; }
  const std::vector<Branch>& branches() const { return shape_.branches; }
  const std::vector<Block>& blocks() const { return shape_.blocks; }
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
  /// The number, counted from 1, that the line of statement `index` had as loaded.
  size_t LoadedLine(size_t index) const;
  /// Whether statement `index` assigns the data file name: c.DataFile.Filename.
  bool IsDataFileStatement(size_t index) const;
  /// The first data file statement.
  std::optional<size_t> DataFileStatement() const;
  /// True for an assignment of the data file name from HandleFilename(c): the user's
  /// routine, or the call that Tarvo inserts, checks or changes the name it is given.
  bool IsHandleFilenameCall(size_t index) const;
  /// True for the one-line default "If Not c.AttribExists("<name>") Then c.SetAttrib ...":
  /// the SetAttrib statement `index` inside it.
  bool IsConditionalDefault(size_t index) const;

  /// What statement `index` calls of the script's own routines; nullptr when it calls none,
  /// or when Tarvo inserted it: those calls are the user's HandleFilename, PreRun and AtExit.
  const CallSite* CallsAt(size_t index) const;
  /// True for a statement that calls a routine the script does not define, E-Prime's own
  /// or an object's, which may do anything with what it is given.
  bool CallsOtherRoutine(size_t index) const;

  enum class Setting { kNo, kSets, kMay };
  /// Whether statement `index` sets attribute `key`: kSets by its literal name, kMay by a
  /// name built of parts or through a routine it calls. `line` receives the line, as
  /// loaded, to name: that of the routine's SetAttrib of the literal name, else the
  /// statement's own.
  Setting SetsAttribute(size_t index, const std::string& key, size_t* line = nullptr) const;
  /// The statements that may set attribute `key`, in order.
  std::vector<size_t> SettersOf(const std::string& key) const;
  /// The statements that may change variable `key`, in order: its assignments, and the
  /// calls of routines that are given it or that assign it.
  const std::vector<size_t>& ChangersOf(const std::string& key) const;

 private:
  MainRoutine() = default;
  void Index(const ScriptRoutines& routines);

  const EBScript* script_ = nullptr;
  std::deque<std::string> code_;  // the text that the tokens point into
  std::vector<Statement> statements_;
  RoutineShape shape_;
  std::map<size_t, CallSite> calls_;
  std::map<std::string, std::vector<size_t>> setters_;   // SetAttribs by literal name
  std::vector<size_t> otherSetters_;                     // by another name, or through calls
  std::map<std::string, std::vector<size_t>> changers_;  // by variable
};

/// The line of a routine definition that begins with `keyword` ("Function" or "Sub") and
/// `name` followed by "(", anywhere in the script; none when there is none.
std::optional<size_t> FindRoutineDefinition(const EBScript& script, std::string_view keyword,
                                            std::string_view name);

/// True when the script defines "Function HandleFilename(", the user's routine that names
/// the data file when the experiment runs.
bool DefinesHandleFilename(const EBScript& script);

/// True when the script converts its data file into an E-DataAid file: a statement of
/// c.DataFile.Convert in the main routine or a routine it calls.
bool ConvertsDataFile(const EBScript& script);

#endif  // TARVO_SCRIPT_MAIN_ROUTINE_H_
