#include "app/journal_choices.h"

#include <algorithm>
#include <optional>

#include "base/text_helpers.h"

namespace {

const char kNeedsJournal[] = " needs a journal (-L or TARVO_JOURNAL)";
const char kNeedsSubject[] = " needs Subject (a number, next or same)";
// Passing over numbers whose files are there lets a file left from outside the journal
// not block the study, but never searches without end.
const int kPassesOver = 100;

bool Is(const std::string& name, const char* attribute) {
  return SqueezeText(name) == SqueezeText(attribute);
}

std::optional<int64_t> LowestAdmitted(const ValueRule& rule, int64_t from) {
  for (const AnswerSet::Interval& interval : rule.accepted.numbers()) {
    if (interval.second >= from)
      return std::max(interval.first, from);
  }
  return std::nullopt;
}

int64_t HighestAdmitted(const ValueRule& rule) {
  return rule.accepted.numbers().back().second;
}

bool WholeNumberRule(const ValueRule& rule) {
  return !rule.unreadable && !rule.accepted.text() && !rule.accepted.numbers().empty();
}

std::string AboveLine(const std::string& name, int64_t value, const ValueRule& rule) {
  return "No next " + name + ": " + std::to_string(value) +
         " is above the highest the script admits (" + std::to_string(HighestAdmitted(rule)) + ")";
}

}  // namespace

bool IsJournalWord(std::string_view value) {
  return EqualsInsensitive(value, "next") || EqualsInsensitive(value, "same");
}

JournalChoices::JournalChoices(const RunRequest& request) : request_(request) {
  auto index = [this](const std::string& name) {
    return Is(name, "Subject") ? 0 : Is(name, "Session") ? 1 : questions_.Add(name);
  };
  std::vector<Asked> others;
  for (const auto& [name, value] : request.attributes) {
    std::optional<Word> word = EqualsInsensitive(value, "next")   ? std::optional(Word::kNext)
                               : EqualsInsensitive(value, "same") ? std::optional(Word::kSame)
                                                                  : std::nullopt;
    if (Is(name, "Subject")) {
      subject_ = name;
      // A Subject's sessions and values: of the one given, of any for `same`; the next
      // Subject has none.
      if (!word)
        questions_.subject = ParseWholeNumber(value);
      questions_.anySubject = word == Word::kSame;
    }
    if (!word)
      continue;
    size_t at = index(name);
    questions_.latest = questions_.latest || *word == Word::kSame;
    if (*word == Word::kNext && at == 1)
      questions_.sessionsSaved = true;
    else if (*word == Word::kNext)
      questions_.highest[at] = true;
    (at < 2 ? asked_ : others).push_back({name, *word, at});
  }
  std::sort(asked_.begin(), asked_.end(),
            [](const Asked& a, const Asked& b) { return a.index < b.index; });
  asked_.insert(asked_.end(), others.begin(), others.end());
  for (const auto& [name, values] : request.balanced) {
    balanced_.push_back(index(name));
    questions_.balanced[balanced_.back()] = true;
  }
}

std::string JournalChoices::Refusal(const EBScript& script, bool journal) const {
  for (const Asked& asked : asked_) {
    std::string said = asked.name + (asked.word == Word::kNext ? "=next" : "=same");
    if (!journal)
      return said + kNeedsJournal;
    if (asked.index == 1 && asked.word == Word::kNext && subject_.empty())
      return "Session=next" + std::string(kNeedsSubject);
    if (asked.word != Word::kNext)
      continue;
    std::optional<ValueRule> rule = RuleOf(script, asked.name);
    if (!rule)
      return said + " needs a whole-number attribute: it has no prompt";
    if (!WholeNumberRule(*rule))
      return said + " needs a whole-number attribute: its check is not a whole-number rule";
  }
  if (balanced_.empty())
    return "";
  if (!journal)
    return std::string("-B") + kNeedsJournal;
  if (subject_.empty())
    return std::string("-B") + kNeedsSubject;
  for (const auto& [name, values] : request_.balanced) {
    std::optional<ValueRule> rule = RuleOf(script, name);
    for (const std::string& value : values) {
      if (rule && !rule->unreadable && !rule->Accepts(value))
        return std::string("Invalid value for ")
            .append(name)
            .append(": ")
            .append(value)
            .append(" (")
            .append(rule->Describe())
            .append(")");
    }
  }
  return "";
}

std::optional<ValueRule> JournalChoices::RuleOf(const EBScript& script,
                                                std::string_view name) const {
  if (!routineRead_) {
    routine_ = MainRoutine::Read(script);
    routineRead_ = true;
  }
  return routine_ ? PromptRuleOf(*routine_, name) : std::nullopt;
}

std::string JournalChoices::UnknownDataFileRefusal() const {
  const char kUnknown[] = " needs the data file worked out";
  for (const Asked& asked : asked_) {
    if (asked.index == 1 && asked.word == Word::kNext)
      return "Session=next" + std::string(kUnknown);
  }
  return balanced_.empty() ? "" : "-B" + std::string(kUnknown);
}

JournalChoices::Chosen JournalChoices::Choose(const StudyRows& rows, const EBScript& script,
                                              const Taken& taken) const {
  Chosen chosen;
  chosen.attributes = request_.attributes;
  // A value that cannot be read may be the highest, or a participant's group: no guess.
  if (std::optional<size_t> row = rows.unreadableAttributes()) {
    chosen.refusal = "Couldn't read the attributes of journal row " + std::to_string(*row);
    return chosen;
  }
  if (asked_.empty() || asked_[0].index != 0 || asked_[0].word != Word::kNext) {
    Resolve(rows, script, &chosen);
    return chosen;
  }
  // Subject=next: one above the highest so far, from the lowest of at least 1 the check
  // admits; Subject 0 logs no data.
  ValueRule rule = *RuleOf(script, subject_);
  int64_t from = std::max<int64_t>(rows.Highest(0).value_or(0) + 1, 1);
  Chosen first;
  std::string firstTaken;
  for (int passes = 0;; ++passes, ++from) {
    std::optional<int64_t> subject = LowestAdmitted(rule, from);
    if (!subject) {
      chosen.refusal = AboveLine(subject_, from, rule);
      return chosen;
    }
    from = *subject;
    chosen.attributes = request_.attributes;
    chosen.attributes[subject_] = std::to_string(from);
    chosen.lines = {subject_ + " from the journal: " + std::to_string(from)};
    if (!Resolve(rows, script, &chosen) || passes == kPassesOver)
      return chosen;
    std::string path = taken(chosen.attributes);
    if (path.empty())
      return chosen;
    // A data file whose name does not hold the Subject takes every number alike: the
    // journal's own stands, and the data check then says what is there.
    if (passes == 0) {
      first = chosen;
      firstTaken = path;
    } else if (path == firstTaken) {
      return first;
    }
  }
}

// Every value but a Subject chosen as the next: in the order of their lines.
bool JournalChoices::Resolve(const StudyRows& rows, const EBScript& script, Chosen* chosen) const {
  for (const Asked& asked : asked_) {
    if (chosen->attributes[asked.name] != request_.attributes.at(asked.name))
      continue;  // chosen already
    bool done = asked.word == Word::kSame ? Same(rows, asked, chosen)
                                          : NextSession(rows, script, asked, chosen);
    if (!done)
      return false;
  }
  return Balance(rows, chosen);
}

bool JournalChoices::Same(const StudyRows& rows, const Asked& asked, Chosen* chosen) const {
  std::string said = asked.name + "=same: this computer";
  std::optional<std::string> value = rows.LatestValue(asked.index);
  switch (rows.latest()) {
    case StudyRows::Latest::kNone:
      chosen->refusal = said + " has no earlier run in the journal";
      return false;
    case StudyRows::Latest::kNotStarted:
      chosen->refusal = said + "'s latest run did not start E-Run";
      return false;
    case StudyRows::Latest::kStarted:
      break;
  }
  if (!value) {
    chosen->refusal = said + "'s latest run has no " + asked.name;
    return false;
  }
  chosen->attributes[asked.name] = *value;
  chosen->lines.push_back(asked.name + " from the journal: " + *value);
  return true;
}

// An attribute given as next but Subject: Session, the lowest it admits that is not saved
// for the Subject; any other, one above the highest so far.
bool JournalChoices::NextSession(const StudyRows& rows, const EBScript& script, const Asked& asked,
                                 Chosen* chosen) const {
  ValueRule rule = *RuleOf(script, asked.name);
  std::optional<int64_t> value;
  if (asked.index != 1) {
    int64_t from = std::max<int64_t>(rows.Highest(asked.index).value_or(0) + 1, 1);
    value = LowestAdmitted(rule, from);
    if (!value) {
      chosen->refusal = AboveLine(asked.name, from, rule);
      return false;
    }
  } else {
    std::optional<int32_t> subject = ParseWholeNumber(chosen->attributes[subject_]);
    if (!subject) {
      chosen->refusal = "Session=next" + std::string(kNeedsSubject);
      return false;
    }
    for (value = LowestAdmitted(rule, 1); value && rows.Saved(*subject, *value);)
      value = LowestAdmitted(rule, *value + 1);
    if (!value) {
      chosen->refusal = "No next " + asked.name + " for Subject " + std::to_string(*subject) +
                        ": every session the script admits is saved";
      return false;
    }
  }
  chosen->attributes[asked.name] = std::to_string(*value);
  chosen->lines.push_back(asked.name + " from the journal: " + std::to_string(*value));
  return true;
}

// -B: a participant keeps its group; else the listed value with the fewest participants,
// the first listed of those tied.
bool JournalChoices::Balance(const StudyRows& rows, Chosen* chosen) const {
  if (balanced_.empty())
    return true;
  std::optional<int32_t> subject = ParseWholeNumber(chosen->attributes[subject_]);
  if (!subject) {
    chosen->refusal = std::string("-B") + kNeedsSubject;
    return false;
  }
  std::string s = std::to_string(*subject);
  for (size_t index : balanced_) {
    const std::string& name = questions_.names[index];
    StudyRows::ValueSet kept = rows.ValuesOf(*subject, index);
    if (kept.size() > 1) {
      chosen->refusal =
          std::string("Subject ").append(s).append(" has two values of ").append(name);
      chosen->refusal.append(" in the journal: ").append(*kept.begin()).append(", ");
      chosen->refusal.append(*std::next(kept.begin()));
      return false;
    }
    if (kept.size() == 1) {
      chosen->attributes[name] = *kept.begin();
      chosen->lines.push_back(std::string(name).append(" from Subject ").append(s));
      chosen->lines.back().append("'s earlier sessions: ").append(*kept.begin());
      continue;
    }
    const std::vector<std::string>& values = request_.balanced.at(name);
    std::string counts;
    const std::string* fewest = nullptr;
    size_t least = 0;
    for (const std::string& value : values) {
      size_t count = rows.Participants(index, value);
      counts += (counts.empty() ? "" : ", ") + value + ": " + std::to_string(count);
      if (fewest == nullptr || count < least) {
        fewest = &value;
        least = count;
      }
    }
    chosen->attributes[name] = *fewest;
    chosen->lines.push_back(name + " balanced from the journal: ");
    chosen->lines.back().append(*fewest).append(" (").append(counts).append(")");
  }
  return true;
}
