#include "journal/open_runs.h"

#include "base/text_helpers.h"

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
