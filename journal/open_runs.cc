#include "journal/open_runs.h"

#include "base/text_helpers.h"

std::string OpenRunHoursText() {
  return std::to_string(kOpenRunHours) + " hours";
}

bool StillOpen(std::optional<std::time_t> time, std::time_t now) {
  return !time || now - *time < std::time_t{kOpenRunHours} * 60 * 60;
}

bool RunOrder::operator<(const RunOrder& other) const {
  if (time.has_value() != other.time.has_value())
    return !time.has_value();
  if (time && *time != *other.time)
    return *time < *other.time;
  return row < other.row;
}

size_t RunEnds::Keep(std::string_view run) {
  size_t kept = ended_.size();
  auto early = early_.find(run);
  ended_.push_back(early != early_.end());
  if (!ended_.back())
    waiting_.emplace(std::string(run), kept);
  return kept;
}

void RunEnds::End(std::string_view run, bool mayMatter) {
  auto [first, last] = waiting_.equal_range(run);
  if (first == last) {
    if (mayMatter)
      early_.emplace(run);
    return;
  }
  for (auto at = first; at != last; ++at)
    ended_[at->second] = true;
  waiting_.erase(first, last);
}

void RunningRule::Note(const JournalEntry& started) {
  std::string_view computer = started.Field(JournalColumn::kComputer);
  size_t at = Find(computer);
  if (at == latest_.size())
    latest_.emplace_back(computer, started.row());
  else
    latest_[at].second = started.row();
}

// Names as a station writes them are found at once; a name in other letters next.
size_t RunningRule::Find(std::string_view computer) const {
  for (size_t at = 0; at < latest_.size(); ++at) {
    if (latest_[at].first == computer)
      return at;
  }
  for (size_t at = 0; at < latest_.size(); ++at) {
    if (EqualsInsensitive(latest_[at].first, computer))
      return at;
  }
  return latest_.size();
}

bool RunningRule::Running(std::string_view computer, size_t row, std::optional<std::time_t> time,
                          std::time_t now) const {
  return IsLatest(computer, row) && (!time || now - *time < std::time_t{kOpenRunHours} * 60 * 60);
}

bool RunningRule::IsLatest(std::string_view computer, size_t row) const {
  size_t at = Find(computer);
  return at < latest_.size() && latest_[at].second == row;
}
