#ifndef TARVO_APP_JOURNAL_CHOICES_H_
#define TARVO_APP_JOURNAL_CHOICES_H_

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_request.h"
#include "journal/study_rows.h"
#include "script/eb_script.h"
#include "script/main_routine.h"
#include "script/value_rule.h"

// The values a run leaves to the journal: attributes given as `next` or `same`, and the
// balanced attributes of -B. They are chosen from one read of the journal under its lock,
// which the run holds until its `started` or `refused` row is written.

/// Whether a value given on the command line is one that the journal is to choose: `next`
/// or `same`, in any letter case.
bool IsJournalWord(std::string_view value);

class JournalChoices {
 public:
  explicit JournalChoices(const RunRequest& request);

  /// Whether the run leaves any value to the journal.
  bool any() const { return !asked_.empty() || !balanced_.empty(); }
  /// What the journal's rows are asked.
  const StudyQuestions& questions() const { return questions_; }

  /// Why the run cannot leave its values to the journal, before the journal is read: no
  /// journal, no Subject, no whole-number prompt, a listed value that its check refuses.
  /// "" when it can.
  std::string Refusal(const EBScript& script, bool journal) const;

  /// "Session=next needs the data file worked out", or the same for -B, for a run whose
  /// data file cannot be worked out: both count `saved` rows, which such a run never ends
  /// with. "" when the run has neither.
  std::string UnknownDataFileRefusal() const;

  /// The data file or converted file of a run with these attributes that is there already;
  /// "" when neither is.
  using Taken = std::function<std::string(const AttributesByName& attributes)>;
  struct Chosen {
    AttributesByName attributes;     // every attribute with its value
    std::vector<std::string> lines;  // what the journal gave, in the order they are printed
    std::string refusal;             // "" when every value was chosen
  };
  /// Chooses the values from the journal's rows. `script` is the one Refusal was given,
  /// still as loaded.
  Chosen Choose(const StudyRows& rows, const EBScript& script, const Taken& taken) const;

 private:
  enum class Word { kNext, kSame };
  struct Asked {
    std::string name;
    Word word;
    size_t index;  // in questions().names
  };

  bool Resolve(const StudyRows& rows, const EBScript& script, Chosen* chosen) const;
  bool Same(const StudyRows& rows, const Asked& asked, Chosen* chosen) const;
  bool NextSession(const StudyRows& rows, const EBScript& script, const Asked& asked,
                   Chosen* chosen) const;
  bool Balance(const StudyRows& rows, Chosen* chosen) const;
  std::optional<ValueRule> RuleOf(const EBScript& script, std::string_view name) const;

  const RunRequest& request_;
  StudyQuestions questions_;
  std::vector<Asked> asked_;      // Subject first, then Session, then the others by name
  std::vector<size_t> balanced_;  // indexes in questions().names, by name
  std::string subject_;           // Subject as the command line spells it, "" when not given
  // The main routine of the script that Refusal and Choose are given, as loaded: read once
  // for the rules of all the prompts they look at.
  mutable std::optional<MainRoutine> routine_;
  mutable bool routineRead_ = false;
};

#endif  // TARVO_APP_JOURNAL_CHOICES_H_
