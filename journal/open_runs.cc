#include "journal/open_runs.h"

#include <algorithm>

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

bool RunEnds::WatchingBeyond(std::string_view runs) const {
  return std::any_of(waiting_.begin(), waiting_.end(),
                     [runs](const auto& waiting) { return !StartsWith(waiting.first, runs); });
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
