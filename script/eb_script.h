#ifndef TARVO_SCRIPT_EB_SCRIPT_H_
#define TARVO_SCRIPT_EB_SCRIPT_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/ebasic.h"
#include "script/plain_text_file.h"

class ScriptRoutines;

/// How an edit of the script went.
enum class EditOutcome {
  kDone,
  kNotFound,      // the script lacks what the edit changes; it is left as it was
  kTooLong,       // a line it would write is longer than Load accepts; nothing changed
  kNoAbortLabel,  // a call that would jump to ExperimentAbort, in a script without that label
  kRefused,       // the script makes the edit unsafe; nothing changed
};

/// How an edit went; for kRefused, with the line that says why.
struct EditResult {
  EditOutcome outcome;
  std::string refusal;
};

/// An E-Prime generated E-Basic script, held as lines. Its main routine is read into
/// statements by MainRoutine (main_routine.h), afresh for each edit, so each edit sees the
/// edits made before it; its other routines are read once (routines.h), as no edit changes
/// what they can set (an attribute's assignment in one of them may be replaced by its
/// fixed value). The edits themselves are free functions, one file each: set_attribute.h,
/// data_file.h, startup_summary.h, hook_calls.h.
class EBScript {
 public:
  explicit EBScript(FileSystem& files = RealFileSystem()) : file_(files) {}
  /// A script of the given lines, as if loaded.
  explicit EBScript(const std::vector<std::string>& lines);

  /// Reads the script at `path`; `message` receives the one-line report either way.
  bool Load(const std::string& path, std::string& message);
  /// Writes the script to `path` (see PlainTextFile::Save).
  bool Save(const std::string& path, std::string& message, FileHold* hold = nullptr) const;

  /// The longest line the script may hold: a longer one would not load again.
  static constexpr size_t kLongestLine = PlainTextFile::kMaxLineLength;

  const std::vector<std::string>& lines() const { return file_.lines; }
  void InsertLine(size_t index, std::string text);
  void ReplaceLine(size_t index, std::string text);
  /// Removes the lines [first, end).
  void EraseLines(size_t first, size_t end);
  /// The number, counted from 1, that line `index` had in the script as loaded; 0 for a
  /// line that an edit put in.
  size_t LoadedLineNumber(size_t index) const;
  /// Where the line numbered `number` (from 1) in the script as loaded is now; none when an
  /// edit replaced or removed it.
  std::optional<size_t> IndexOfLoadedLine(size_t number) const;
  /// Puts `text` in place of the whole statement that begins on line `first`.
  void ReplaceStatement(size_t first, std::string text);

  /// The last line of the statement that begins on line `first`: lines that end in " _"
  /// go on on the next one.
  size_t StatementEnd(size_t first) const;
  /// The code of that statement: its lines without comments and continuation marks, joined.
  std::string StatementCode(size_t first) const;

  /// The first line at or after `start` that `probe` matches.
  std::optional<size_t> FindLine(const LineProbe& probe, size_t start) const;
  /// The line that opens the main routine, "Sub Main()", remembered until an edit at or
  /// above it.
  std::optional<size_t> FindSubMain() const;

  /// The reading of the script's routines other than the main one (routines.h), kept from
  /// its first use until the script is loaded again.
  std::shared_ptr<const ScriptRoutines>& routinesRead() const { return routines_; }

 private:
  // Lines [at, at + erased) of the script before the edit became [at, at + inserted).
  struct LinesEdited {
    size_t at;
    size_t erased;
    size_t inserted;
  };

  // An edit at line `index`: a Sub Main() line found at or below it is looked for again.
  void Edited(size_t index);

  PlainTextFile file_;
  std::vector<LinesEdited> edits_;  // since the load, in order
  mutable std::shared_ptr<const ScriptRoutines> routines_;
  mutable std::optional<std::optional<size_t>> subMain_;  // FindSubMain's answer, once asked
};

#endif  // TARVO_SCRIPT_EB_SCRIPT_H_
