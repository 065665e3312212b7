#ifndef TARVO_JOURNAL_STATION_RUNS_H_
#define TARVO_JOURNAL_STATION_RUNS_H_

#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "journal/journal_reader.h"
#include "journal/names_in_rows.h"
#include "journal/open_runs.h"
#include "platform/process.h"

// This station's own open runs, and the proof that their E-Run has ended, which only this
// computer can find: a later run of it took the hold of the same rewritten script (its
// `E-Run started` row is later, by time, for the same script), or the E-Run process that
// the run recorded no longer exists. Refused runs, runs that never started E-Run and the
// rows of other computers prove nothing.

/// The message of an `E-Run started` row: "process <id> created <time>", E-Run's process,
/// then "; Tarvo <id> created <time>", the run's own, which writes its end row as long as it
/// runs, then "; data file <path>" when the data file was worked out (the row's data_file
/// holds the converted file when the script converts, so the run's data file is here too).
/// "created <time>" is left out when the system did not say it.
std::string ErunMessage(const ProcessIdentity& erun, const ProcessIdentity& tarvo,
                        const std::string& dataFile);
/// What the message of an `E-Run started` row records.
struct ErunRecord {
  ProcessIdentity erun;
  std::optional<ProcessIdentity> tarvo;  // none in a message without it
  std::string dataFile;                  // "" when it names none
};
/// Reads such a message back; false when it is not one.
bool ReadErunMessage(std::string_view message, ErunRecord* record);

class StationRuns {
 public:
  /// An open run of this station, with its fields as the journal holds them.
  struct Open {
    std::string run, script, attributes, dataFile;  // dataFile: the row's data_file
    bool utf8 = false;                              // the rows' text
    RunOrder order;
    std::optional<ErunRecord> erun;  // from its `E-Run started` row
    std::string scriptKey;           // its script in upper case and UTF-8, as scripts are compared
  };

  StationRuns(std::string computer, std::time_t now);

  /// Takes the journal's rows in their order.
  void Take(const JournalEntry& entry);
  /// Whether an open run is waiting for its end row: every end row then matters.
  bool waiting() const { return ends_.watching(); }
  /// Whether one that waits is named other than `runs` begins.
  bool WaitingBeyond(std::string_view runs) const { return ends_.WatchingBeyond(runs); }

  /// The open runs whose E-Run has ended: by the journal's rows, or as `processes` finds.
  std::vector<Open> Ended(ProcessCheck& processes) const;

 private:
  void Keep(const JournalEntry& entry, std::string_view run);
  void Identify(const JournalEntry& entry, std::string_view run);
  void NoteLatest(const std::string& scriptKey, std::string_view run, std::time_t time);
  bool LaterRunOf(const Open& open) const;

  NameInRows computer_;
  std::time_t now_;
  std::vector<Open> open_;
  RunEnds ends_;
  // `E-Run started` rows before their run's `started` row, as a sorted journal has them.
  std::map<std::string, ErunRecord, std::less<>> early_;
  // For each script, its two latest `E-Run started` rows of different runs: (time, run).
  struct Latest {
    std::pair<std::time_t, std::string> first, second;
  };
  std::map<std::string, Latest> latest_;
};

#endif  // TARVO_JOURNAL_STATION_RUNS_H_
