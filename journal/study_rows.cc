#include "journal/study_rows.h"

#include <algorithm>
#include <utility>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "journal/attributes_text.h"

namespace {

std::optional<int64_t> WholeNumber(std::string_view value) {
  std::optional<int32_t> number = ParseWholeNumber(value);
  return number ? std::optional<int64_t>(*number) : std::nullopt;
}

}  // namespace

size_t StudyQuestions::Add(const std::string& name) {
  names.push_back(name);
  highest.push_back(0);
  balanced.push_back(0);
  return names.size() - 1;
}

StudyRows::StudyRows(const std::string& script, const std::string& computer,
                     StudyQuestions questions, std::time_t now)
    : script_(std::string(FileNameOf(script))),
      computer_(computer),
      questions_(std::move(questions)),
      now_(now) {
  size_t size = questions_.names.size();
  for (const std::string& name : questions_.names) {
    squeezed_.push_back(SqueezeText(name));
    ownName_.push_back(squeezed_.back() == "SESSION"   ? OwnName::kSession
                       : squeezed_.back() == "SUBJECT" ? OwnName::kSubject
                                                       : OwnName::kNone);
  }
  for (size_t at = 0; at < size; ++at) {
    if (questions_.highest[at] != 0)
      highestAsked_.push_back(at);
    if (questions_.balanced[at] != 0)
      balancedAsked_.push_back(at);
  }
  values_.resize(size);
  found_.resize(size);
  copies_.resize(size);
  highest_.resize(size);
  counted_.resize(size);
}

// The values of the names asked about, in the program's code page, in one pass over the
// row's attributes column; false when the row holds none of them.
bool StudyRows::ReadValues(const JournalEntry& entry) {
  std::string_view text = entry.Field(JournalColumn::kAttributes);
  if (!entry.ascii())
    text = converted_ = entry.Ansi(JournalColumn::kAttributes);
  if (own_.Read(text)) {
    for (size_t at = 0; at < squeezed_.size(); ++at) {
      found_[at] = ownName_[at] != OwnName::kNone;
      values_[at] = ownName_[at] == OwnName::kSession ? own_.session : own_.subject;
    }
    subject_ = own_.subjectNumber;  // Subject is the first name asked about
    return true;
  }
  std::fill(found_.begin(), found_.end(), 0);
  bool any = false;
  AttributesReader reader(text);
  std::string_view name, value;
  while (reader.Next(&name, &value)) {
    for (size_t at = 0; at < squeezed_.size(); ++at) {
      // A name read without quotes has no blank at its ends: most names that differ do
      // so in their last byte.
      const std::string& squeezed = squeezed_[at];
      if (name.size() < squeezed.size() ||
          (!reader.quoted() && !squeezed.empty() &&
           SqueezedByte(name.back()) != static_cast<unsigned char>(squeezed.back())) ||
          !SqueezesTo(name, squeezed))
        continue;
      found_[at] = 1;
      any = true;
      // A value in quotes is the reader's own copy until its next pair.
      values_[at] = reader.quoted() ? std::string_view(copies_[at].assign(value)) : value;
    }
  }
  if (reader.failed()) {
    if (!unreadableAttributes_)
      unreadableAttributes_ = entry.row();
    return false;
  }
  subject_ = found_[0] ? WholeNumber(values_[0]) : std::nullopt;
  return any;
}

void StudyRows::Take(const JournalEntry& entry) {
  if (questions_.latest && computer_.Is(entry.Field(JournalColumn::kComputer), entry))
    TakeOfComputer(entry);
  if (script_.IsFileOf(entry.Field(JournalColumn::kScript), entry)) {
    TakeOfScript(entry);
    return;
  }
  // A release by hand may name nothing but its run.
  if (EndsRun(entry.event()) && Recent(entry))
    ended_.emplace(entry.Field(JournalColumn::kRun));
}

// Whether a row may be of a run still open: of the last hours the rule lets a run be open,
// or one whose time cannot be read.
bool StudyRows::Recent(const JournalEntry& entry) {
  std::time_t time = 0;
  bool read = times_.Parse(entry.Field(JournalColumn::kTime), &time);
  return StillOpen(read ? std::optional<std::time_t>(time) : std::nullopt, now_);
}

void StudyRows::TakeOfScript(const JournalEntry& entry) {
  JournalEvent event = entry.event();
  if (event == JournalEvent::kRefused || !ReadValues(entry))
    return;
  for (size_t at : highestAsked_) {
    std::optional<int64_t> number = at == 0      ? subject_
                                    : found_[at] ? WholeNumber(values_[at])
                                                 : std::nullopt;
    if (number && (!highest_[at] || *highest_[at] < *number))
      highest_[at] = number;
  }
  std::string_view run = entry.Field(JournalColumn::kRun);
  if (event == JournalEvent::kStarted) {
    if (subject_ && Recent(entry)) {
      Open& open = open_[std::string(run)];
      open.subject = *subject_;
      open.values.clear();
      // An open run counts only by the values balanced, which most rows do not hold.
      for (size_t at : balancedAsked_) {
        if (found_[at]) {
          open.values.resize(squeezed_.size());
          open.values[at] = std::string(values_[at]);
        }
      }
    }
    return;
  }
  if (EndsRun(event) && Recent(entry))
    ended_.emplace(run);
  if (!subject_ || event == JournalEvent::kErunFailed)
    return;
  // An `E-Run started` row, or the end row of a run whose E-Run ran.
  for (size_t at : balancedAsked_) {
    if (found_[at])
      Keep(*subject_, at, values_[at]);
  }
  if (event != JournalEvent::kSaved)
    return;
  if (questions_.sessionsSaved && found_[1] && questions_.AsksOf(*subject_)) {
    if (std::optional<int64_t> session = WholeNumber(values_[1]))
      saved_.insert({*subject_, *session});
  }
  for (size_t at : balancedAsked_) {
    if (found_[at])
      Count(*subject_, at, values_[at]);
  }
}

void StudyRows::Keep(int64_t subject, size_t index, std::string_view value) {
  if (!questions_.balanced[index] || !questions_.AsksOf(subject))
    return;
  std::vector<ValueSet>& kept = kept_[subject];
  kept.resize(squeezed_.size());
  if (kept[index].find(value) == kept[index].end())
    kept[index].emplace(value);
}

void StudyRows::Count(int64_t subject, size_t index, std::string_view value) {
  if (subject == 0 || !questions_.balanced[index])
    return;  // Subject 0 logs no data: no participant
  ParticipantsOf(index, value).push_back(subject);
}

// The participants counted so far with the value `value` of attribute `index`.
std::vector<int64_t>& StudyRows::ParticipantsOf(size_t index, std::string_view value) {
  Participating& counted = counted_[index];
  auto found = std::find_if(counted.begin(), counted.end(),
                            [value](const auto& entry) { return entry.first == value; });
  if (found == counted.end())
    found = counted.insert(counted.end(), {std::string(value), {}});
  return found->second;
}

void StudyRows::Join(PartRows& rows, size_t rowsBefore) {
  auto& later = static_cast<StudyRows&>(rows);  // made by Later
  for (size_t at = 0; at < highest_.size(); ++at) {
    if (later.highest_[at] && (!highest_[at] || *highest_[at] < *later.highest_[at]))
      highest_[at] = later.highest_[at];
    for (const auto& [value, subjects] : later.counted_[at]) {
      std::vector<int64_t>& participants = ParticipantsOf(at, value);
      participants.insert(participants.end(), subjects.begin(), subjects.end());
    }
  }
  saved_.merge(later.saved_);
  for (auto& [subject, values] : later.kept_) {
    for (size_t at = 0; at < values.size(); ++at) {
      for (const std::string& value : values[at])
        Keep(subject, at, value);
    }
  }
  // A run's later `started` row stands, as in one read; the other runs' rows move over.
  for (auto& [run, open] : later.open_) {
    auto found = open_.find(run);
    if (found != open_.end())
      found->second = std::move(open);
  }
  open_.merge(later.open_);
  ended_.merge(later.ended_);
  failedRuns_.merge(later.failedRuns_);
  if (later.latestOrder_) {
    RunOrder order{later.latestOrder_->time, later.latestOrder_->row + rowsBefore};
    if (!latestOrder_ || !(order < *latestOrder_)) {
      latestOrder_ = order;
      latestRun_ = std::move(later.latestRun_);
      latestAttributes_ = std::move(later.latestAttributes_);
      latestRow_ = later.latestRow_ + rowsBefore;
      latestStarted_ = later.latestStarted_;
    }
  }
  if (!unreadableAttributes_ && later.unreadableAttributes_)
    unreadableAttributes_ = *later.unreadableAttributes_ + rowsBefore;
}

void StudyRows::Finish() {
  for (const auto& [run, open] : open_) {
    if (ended_.count(run) != 0)
      continue;
    for (size_t at = 0; at < open.values.size(); ++at) {
      if (open.values[at]) {
        Keep(open.subject, at, *open.values[at]);
        Count(open.subject, at, *open.values[at]);
      }
    }
  }
  open_.clear();
}

void StudyRows::TakeOfComputer(const JournalEntry& entry) {
  JournalEvent event = entry.event();
  std::string_view run = entry.Field(JournalColumn::kRun);
  if (event == JournalEvent::kErunFailed)
    failedRuns_.emplace(run);
  if (event != JournalEvent::kStarted && event != JournalEvent::kRefused)
    return;
  RunOrder order{entry.Time(), entry.row()};
  if (latestOrder_ && order < *latestOrder_)
    return;
  latestOrder_ = order;
  latestRun_.assign(run);
  latestAttributes_ = entry.Ansi(JournalColumn::kAttributes);
  latestRow_ = entry.row();
  latestStarted_ = event == JournalEvent::kStarted;
}

StudyRows::ValueSet StudyRows::ValuesOf(int64_t subject, size_t index) const {
  auto found = kept_.find(subject);
  return found == kept_.end() ? ValueSet() : found->second[index];
}

size_t StudyRows::Participants(size_t index, const std::string& value) const {
  for (const auto& [counted, subjects] : counted_[index]) {
    if (counted != value)
      continue;
    std::vector<int64_t> sorted = subjects;
    std::sort(sorted.begin(), sorted.end());
    return static_cast<size_t>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
  }
  return 0;
}

StudyRows::Latest StudyRows::latest() const {
  if (!latestOrder_)
    return Latest::kNone;
  return latestStarted_ && failedRuns_.count(latestRun_) == 0 ? Latest::kStarted
                                                              : Latest::kNotStarted;
}

std::optional<size_t> StudyRows::unreadableAttributes() const {
  if (questions_.latest && latestOrder_) {
    AttributesReader reader(latestAttributes_);
    std::string_view name, value;
    while (reader.Next(&name, &value)) {
    }
    if (reader.failed() && (!unreadableAttributes_ || latestRow_ < *unreadableAttributes_))
      return latestRow_;
  }
  return unreadableAttributes_;
}

std::optional<std::string> StudyRows::LatestValue(size_t index) const {
  return AttributeOf(latestAttributes_, squeezed_[index]);
}
