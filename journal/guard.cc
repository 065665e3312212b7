#include "journal/guard.h"

#include <algorithm>

#include "base/latin_text.h"
#include "base/paths.h"
#include "base/text_helpers.h"

Guard::Guard(const DataFiles& data, const std::string& computer, std::time_t now)
    : final_(std::string(FileNameOf(data.Final()))),
      dataFile_(std::string(FileNameOf(data.dataFile))),
      computer_(computer),
      now_(now) {}

void Guard::Take(const JournalEntry& entry) {
  JournalEvent event = entry.event();
  bool ours = final_.IsFileOf(entry.Field(JournalColumn::kDataFile), entry);
  if (EndsRun(event)) {
    // A release by hand may leave every field but the run and the event empty.
    bool mayMatter =
        ours || (event == JournalEvent::kEnded && entry.Field(JournalColumn::kScript).empty());
    if (ends_.watching() || mayMatter)
      ends_.End(entry.Field(JournalColumn::kRun), mayMatter);
    if (ours && event == JournalEvent::kSaved)
      Keep(entry, true);
    return;
  }
  // This station's own runs refuse it only where it would move their data file (-A): it
  // runs one experiment at a time, and its own open runs are closed by the proof that their
  // E-Run has ended (StationRuns).
  if (!ours || event != JournalEvent::kStarted || !StillOpen(entry.Time(), now_))
    return;
  Keep(entry, false);
  kept_.back().here = computer_.Is(entry.Field(JournalColumn::kComputer), entry);
  kept_.back().kept = ends_.Keep(entry.Field(JournalColumn::kRun));
}

void Guard::Keep(const JournalEntry& entry, bool saved) {
  kept_.push_back({{entry.Time(), entry.row()},
                   saved,
                   entry.Ansi(JournalColumn::kTime),
                   entry.Ansi(JournalColumn::kComputer),
                   std::string(FileNameOf(entry.Ansi(JournalColumn::kDataFile)))});
}

void Guard::TakeUnreadable(size_t row, std::string_view line) {
  if (!unreadableNaming_.empty())
    return;
  bool lineUtf8 = IsValidUtf8(line);
  for (const NameInRows* name : {&final_, &dataFile_}) {
    if (name->IsNamedIn(line, lineUtf8)) {
      unreadableNaming_ =
          "Couldn't read journal row " + std::to_string(row) + ", which names " + name->name();
      return;
    }
  }
}

void Guard::FoundSaved(const std::string& path, const std::string& at) {
  // As a row of its own, written now, after every row there is.
  if (!final_.empty() && EqualsLatinInsensitive(FileNameOf(path), final_.name()))
    kept_.push_back({{now_, SIZE_MAX}, true, at, computer_.name(), final_.name()});
}

std::string Guard::Refusal(bool hereToo) const {
  std::vector<const Kept*> rows;
  for (const Kept& kept : kept_) {
    if (hereToo || !kept.here)
      rows.push_back(&kept);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const Kept* a, const Kept* b) { return a->order < b->order; });
  for (const Kept* kept : rows) {
    std::string where = kept->fileName + " on " + kept->computer;
    if (kept->saved)
      return "Already saved: " + where + " at " + kept->time;
    if (!ends_.Ended(kept->kept))
      return "Running: " + where + " since " + kept->time;
  }
  return std::string();
}
