#include "journal/guard.h"

#include "base/paths.h"
#include "base/text_helpers.h"

void Guard::Take(const JournalEntry& entry) {
  JournalEvent event = entry.event();
  // The name is compared at the path's end first: most rows are about other files, and
  // finding each row's file name would cost more than the whole comparison.
  std::string_view path = entry.Field(JournalColumn::kDataFile);
  bool ours =
      !name_.empty() && EndsWithInsensitive(path, name_) && FileNameOf(path).size() == name_.size();
  std::string_view dataFile = path.substr(path.size() - (ours ? name_.size() : 0));
  // Only a kept `started` row and the rows after it can change what the rule says of it.
  if (open_.empty() && !ours)
    return;
  std::string_view run = entry.Field(JournalColumn::kRun);
  if (event == JournalEvent::kStarted)
    rule_.Note(entry);
  else if (open_.count(run) != 0)
    ended_.emplace(run);
  if (!ours || (event != JournalEvent::kStarted && event != JournalEvent::kSaved))
    return;
  kept_.push_back(
      {entry.row(), event, std::string(run), std::string(entry.Field(JournalColumn::kComputer)),
       std::string(entry.Field(JournalColumn::kTime)), entry.Time(), std::string(dataFile)});
  if (event == JournalEvent::kStarted)
    open_.emplace(run);
}

std::string Guard::Refusal(const std::string& computer, std::time_t now) const {
  for (const Kept& kept : kept_) {
    std::string where = kept.dataFile + " on " + kept.computer;
    if (kept.event == JournalEvent::kSaved)
      return "Already saved: " + where + " at " + kept.time;
    if (!EqualsInsensitive(kept.computer, computer) && ended_.count(kept.run) == 0 &&
        rule_.Running(kept.computer, kept.row, kept.moment, now))
      return "Running: " + where + " since " + kept.time;
  }
  return std::string();
}
