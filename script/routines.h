#ifndef TARVO_SCRIPT_ROUTINES_H_
#define TARVO_SCRIPT_ROUTINES_H_

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/text_helpers.h"
#include "script/statements.h"

class EBScript;

/// What a call of one of the script's own routines can set, its statements and those of
/// the routines it calls taken together. Line numbers count the lines of the script as
/// loaded, from 1.
struct RoutineEffects {
  /// Attributes set by a literal name, by key, with the line of the first such SetAttrib;
  /// a conditional default ("If Not c.AttribExists(...) Then") does not count.
  std::map<std::string, size_t> attributes;
  /// Names built of parts that end in a literal (Display.Name & ".RefreshRate"): any
  /// attribute whose key ends so.
  std::set<std::string> endings;
  /// A name that is no literal, a recursive call, a call more than 16 calls deep or a
  /// routine whose blocks do not balance: any attribute at all.
  bool anyAttribute = false;
  /// The script's own variables it assigns, by key: not its parameters, not its own.
  std::set<std::string> variables;
  std::optional<size_t> dataFile;  // an assignment of <context>.DataFile.Filename
  std::optional<size_t> summary;   // a MsgBox that shows "Summary of Startup Info"
  bool convertsDataFile = false;

  void Add(const RoutineEffects& other);
  /// True when it may set the attribute `key`; `line` receives the line of the SetAttrib
  /// of that literal name, or 0 when what it sets is not known by name.
  bool MaySet(const std::string& key, size_t* line = nullptr) const;
};

/// The script's routines other than the main one, read once a run: every Sub and Function
/// line is found, and each routine that the main routine calls by name, with or without
/// Call and parentheses, is read and followed through the routines it calls. What the
/// objects run (<object>.Run) is not followed. Kept with the script (EBScript) until it is
/// loaded again: edits change the main routine only, which is read afresh for each.
class ScriptRoutines {
 public:
  /// The reading of `script`, made on first use.
  static const ScriptRoutines& Of(const EBScript& script);

  /// What a call from the main routine of the routine named `name` can set; nullptr for a
  /// name that no routine of the script has, which E-Prime's own routines have.
  const RoutineEffects* Called(std::string_view name) const;
  /// The routine other than the main one that holds the prompt label of attribute `key`,
  /// "StartupInfoPrompt_<name>:", as its Sub or Function line names it; nullptr for none.
  const std::string* PromptRoutine(const std::string& key) const;
  /// Of the routines after the main routine with a line that may assign attribute `key`
  /// (`c.SetAttrib "<name>", ...`, or a default `If Not c.AttribExists("<name>")`), the
  /// first one's Sub or Function line, by its number in the script as loaded; none for
  /// most keys.
  std::optional<size_t> FirstLaterSetter(const std::string& key) const;
  /// Why the main routine cannot be read as one: "Couldn't read the main routine: <what>
  /// at line <n>" for a second Sub Main, a routine inside it, statements after its
  /// End Sub, a block without its end or an end without its block; "" when it can.
  const std::string& mainRefusal() const { return mainRefusal_; }

 private:
  friend class RoutinesBuilder;

  std::map<std::string, RoutineEffects, InsensitiveLess> called_;  // by name
  std::map<std::string, std::string> prompts_;                     // attribute key to routine name
  std::map<std::string, uint32_t> laterSetters_;                   // by attribute key
  std::string mainRefusal_;
};

#endif  // TARVO_SCRIPT_ROUTINES_H_
