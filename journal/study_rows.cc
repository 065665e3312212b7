#include "journal/study_rows.h"

#include <utility>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "journal/attributes_text.h"

namespace {

// Whether a row's event is the first row of its run.
bool BeginsRun(JournalEvent event) {
  return event == JournalEvent::kStarted || event == JournalEvent::kRefused;
}

std::optional<int64_t> WholeNumber(const std::optional<std::string>& value) {
  if (!value)
    return std::nullopt;
  std::optional<int32_t> number = ParseWholeNumber(*value);
  return number ? std::optional<int64_t>(*number) : std::nullopt;
}

}  // namespace

StudyRows::StudyRows(const std::string& script, const std::string& computer,
                     std::vector<std::string> attributes, std::time_t now)
    : script_(std::string(FileNameOf(script))),
      computer_(computer),
      now_(now),
      highest_(attributes.size()),
      counted_(attributes.size()) {
  for (const std::string& name : attributes)
    squeezed_.push_back(SqueezeText(name));
}

// The values of the attributes asked about, in the program's code page, read in one pass
// over the row's attributes column.
StudyRows::Values StudyRows::ValuesIn(const JournalEntry& entry) const {
  Values values(squeezed_.size());
  std::string converted;
  std::string_view text = entry.Field(JournalColumn::kAttributes);
  if (!entry.ascii())
    text = converted = entry.Ansi(JournalColumn::kAttributes);
  AttributesReader reader(text);
  std::string_view name, value;
  while (reader.Next(&name, &value)) {
    for (size_t at = 0; at < squeezed_.size(); ++at) {
      if (!values[at] && SqueezesTo(name, squeezed_[at]))
        values[at] = std::string(value);
    }
  }
  return values;
}

void StudyRows::Take(const JournalEntry& entry) {
  if (computer_.Is(entry.Field(JournalColumn::kComputer), entry))
    TakeOfComputer(entry);
  if (script_.IsFileOf(entry.Field(JournalColumn::kScript), entry)) {
    TakeOfScript(entry, ValuesIn(entry));
    return;
  }
  // A release by hand may name nothing but its run.
  if (entry.event() == JournalEvent::kEnded && entry.Field(JournalColumn::kScript).empty())
    TakeOfScript(entry, Values(squeezed_.size()));
}

void StudyRows::TakeOfScript(const JournalEntry& entry, const Values& values) {
  JournalEvent event = entry.event();
  if (event == JournalEvent::kRefused || event == JournalEvent::kErunStarted)
    return;
  for (size_t at = 0; at < values.size(); ++at) {
    std::optional<int64_t> number = WholeNumber(values[at]);
    if (number && (!highest_[at] || *highest_[at] < *number))
      highest_[at] = number;
  }
  std::string_view run = entry.Field(JournalColumn::kRun);
  if (event == JournalEvent::kStarted) {
    Pending started{WholeNumber(values[0]), values, entry.Time()};
    auto early = earlyEnds_.find(run);
    if (early == earlyEnds_.end()) {
      pending_.emplace(std::string(run), std::move(started));
    } else {
      Ended(started, early->second.second);
      earlyEnds_.erase(early);
    }
    return;
  }
  // An end row: of its started row's run, whose values count, or of one yet to come.
  Pending ended{WholeNumber(values[0]), values, entry.Time()};
  if (event == JournalEvent::kSaved && ended.subject && values.size() > 1) {
    if (std::optional<int64_t> session = WholeNumber(values[1]))
      saved_.insert({*ended.subject, *session});
  }
  auto started = pending_.find(run);
  if (started == pending_.end()) {
    earlyEnds_.emplace(std::string(run), std::pair(std::move(ended), event));
    return;
  }
  Ended(started->second, event);
  pending_.erase(started);
}

// A run of the script that has ended with `event`: one that started E-Run keeps its
// Subject's values, and a saved one counts its participant.
void StudyRows::Ended(const Pending& run, JournalEvent event) {
  if (event == JournalEvent::kErunFailed || !run.subject)
    return;
  std::vector<std::set<std::string>>& kept = kept_[*run.subject];
  kept.resize(squeezed_.size());
  for (size_t at = 0; at < run.values.size(); ++at) {
    if (run.values[at])
      kept[at].insert(*run.values[at]);
  }
  if (event == JournalEvent::kSaved)
    Count(run);
}

void StudyRows::Count(const Pending& run) {
  if (!run.subject || *run.subject == 0)
    return;
  for (size_t at = 0; at < run.values.size(); ++at) {
    if (run.values[at])
      counted_[at][*run.values[at]].insert(*run.subject);
  }
}

void StudyRows::Finish() {
  for (const auto& [run, started] : pending_) {
    // Released after the hours without an end row, it started E-Run all the same.
    Ended(started, JournalEvent::kEnded);
    if (StillOpen(started.time, now_))
      Count(started);
  }
  pending_.clear();
  for (const auto& [run, ended] : earlyEnds_)
    Ended(ended.first, ended.second);
  earlyEnds_.clear();
}

void StudyRows::TakeOfComputer(const JournalEntry& entry) {
  JournalEvent event = entry.event();
  std::string_view run = entry.Field(JournalColumn::kRun);
  if (event == JournalEvent::kErunFailed)
    failedRuns_.emplace(run);
  if (!BeginsRun(event))
    return;
  RunOrder order{entry.Time(), entry.row()};
  if (latestOrder_ && order < *latestOrder_)
    return;
  latestOrder_ = order;
  latestRun_.assign(run);
  latestAttributes_ = entry.Ansi(JournalColumn::kAttributes);
  latestStarted_ = event == JournalEvent::kStarted;
}

std::set<std::string> StudyRows::ValuesOf(int64_t subject, size_t index) const {
  auto found = kept_.find(subject);
  return found == kept_.end() ? std::set<std::string>() : found->second[index];
}

size_t StudyRows::Participants(size_t index, const std::string& value) const {
  auto found = counted_[index].find(value);
  return found == counted_[index].end() ? 0 : found->second.size();
}

StudyRows::Latest StudyRows::latest() const {
  if (!latestOrder_)
    return Latest::kNone;
  return latestStarted_ && failedRuns_.count(latestRun_) == 0 ? Latest::kStarted
                                                              : Latest::kNotStarted;
}

std::optional<std::string> StudyRows::LatestValue(size_t index) const {
  return AttributeOf(latestAttributes_, squeezed_[index]);
}
