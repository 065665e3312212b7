#ifndef TARVO_SCRIPT_EB_SCRIPT_H_
#define TARVO_SCRIPT_EB_SCRIPT_H_

#include <cstdint>
#include <string>

#include "script/value_rule.h"
#include "textfile/plain_text_file.h"

/// An E-Prime generated E-Basic script, held as lines, with the searches and edits the
/// rewriting needs. Script text is matched, never parsed: a line matches a probe when
/// its squeezed form (whitespace removed, letters upper-cased) begins with, or for
/// FindLine without `atStartOnly` contains, the squeezed probe. Every search looks at
/// the lines afresh, so each edit sees the edits made before it.
class EBScript : public PlainTextFile {
 public:
  EBScript() = default;

  /// The first line at or after `start` whose squeezed form contains the squeezed
  /// `probe` (at its very beginning when `atStartOnly`), or -1. An empty or
  /// whitespace-only probe matches nothing.
  int32_t FindLine(const std::string& probe, uint32_t start, bool atStartOnly) const;

  /// The index of the "Sub Main()" line, or -1. Remembered in `subMainLine` and checked
  /// before every reuse, so edits elsewhere never make it stale.
  int32_t FindSubMain();

  /// The first line at or after `start` that assigns attribute `name`: preferably in
  /// the conditional form "If Not c.AttribExists("name") Then c.SetAttrib "name","
  /// when `tryConditionalForm`, otherwise (or failing that) the plain form
  /// "c.SetAttrib "name",". -1 when there is none or `start` is negative.
  int32_t FindAttribLine(const std::string& name, int32_t start, bool tryConditionalForm) const;

  /// The startup prompt section of attribute `name`: its label "StartupInfoPrompt_<name>:"
  /// at or after "Sub Main()", and the first plain-form attribute line at or after the
  /// label. Each is -1 when missing (the attribute line always is when the label is).
  struct PromptSection {
    int32_t prompt = -1;
    int32_t attrib = -1;
  };
  PromptSection FindPromptSection(const std::string& name);

  /// The checks that the prompt section of `name` makes on a typed answer, read from its
  /// label up to its attribute line; none when there is no such section.
  ValueRule PromptValueRule(const std::string& name);

  // Edits. Each returns true when it did its work and false when it left the lines
  // exactly as they were. They print nothing.

  /// Gives attribute `name` the fixed value `value` (set_attribute.cc).
  bool SetAttribute(const std::string& name, const std::string& value);
  /// Replaces the data file assignment by a fixed name (data_file.cc).
  bool SetDataFileName(const std::string& name);
  /// Puts `folder` in front of the data file assignment's expression (data_file.cc).
  bool SetDataFilePath(const std::string& folder);
  /// Answers the startup info summary question with Yes in place of asking it
  /// (startup_summary.cc).
  bool AnswerStartupSummary();
  /// Insert calls of the user's routines where the script defines them (hook_calls.cc).
  bool InsertHandleFilenameCall();
  bool InsertPreRunCall();
  bool InsertAtExitCall();

  int32_t subMainLine = -1;
};

#endif  // TARVO_SCRIPT_EB_SCRIPT_H_
