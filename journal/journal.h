#ifndef TARVO_JOURNAL_JOURNAL_H_
#define TARVO_JOURNAL_JOURNAL_H_

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/data_files.h"
#include "journal/journal_reader.h"
#include "journal/station_runs.h"
#include "platform/file_system.h"
#include "platform/process.h"

// The journal of runs: one CSV file, often on a shared drive, that the runs of every
// station append their rows to, so that a lab knows what became of each participant's
// data and two stations cannot give one data file twice. Every append is one write of
// whole rows under the file's lock, so the rows of stations never run into each other.

class Guard;
class StudyRows;

/// Where and when a run happens.
struct Station {
  std::string computer;
  std::string user;
  unsigned process = 0;
  std::time_t started = 0;
  ProcessIdentity self;  // this Tarvo, as the E-Run row records it
};

/// This computer, its user and this process, started now.
Station ThisStation();

/// What a row says beyond the columns of its run.
struct JournalRow {
  JournalEvent event;
  std::string dataFile;         // the absolute path of the experiment's data, "" when unknown
  std::optional<int> exitCode;  // on end rows and refused rows
  std::string message;          // the console line that decided the event
};

/// "The journal cannot be the <what>: <journal>" when `journal` and `file` name one file
/// (FileSystem::SameFile), else "": the run's own files must stay as they are.
std::string JournalOwnFileRefusal(FileSystem& files, const std::string& journal,
                                  const std::string& file, const std::string& what);

/// What the data check finds of the data of a run whose E-Run has ended: `saved`, `not
/// converted`, `no data`, or `ended` when it cannot tell.
using DataCheck = std::function<JournalEvent(const DataFiles& data)>;

/// What a run does under the lock once the guard has let it go, before its `started` row:
/// -A's move of an aborted session's data file. True when it went through, with the line
/// that says so in `line`, which the `started` row's message records; false with the line
/// that refuses the run.
using SetAside = std::function<bool(std::string* line)>;

class Journal {
 public:
  using Clock = std::time_t (*)();

  /// `script` is the input script's absolute path, `attributes` its name=value pairs
  /// joined by "; ". `path` is written into failure lines as given. `now` stamps the rows
  /// and ages `started` rows.
  Journal(FileSystem& files, std::string path, Station station, std::string script,
          std::string attributes, Clock now);

  enum class Outcome { kWritten, kRefused, kFailed };
  struct Started {
    Outcome outcome;
    /// The lines to print, in order: how many rows cannot be read, the refusal, a failure.
    std::vector<std::string> lines;
  };

  /// Under one hold of the lock, reads the journal and appends the `started` row for
  /// `data`, unless the journal refuses the run (Guard): a row that cannot be read and names
  /// its data file (kFailed, nothing appended), or a row for a data file of the same name,
  /// a `saved` row or a `started` row of another computer that is still open. A refused run
  /// gets a `refused` row instead (exit code -1, the refusal as its message); it is kRefused
  /// even when that row could not be written. A run whose data file is unknown is never
  /// refused by rows. First, under the same lock, this station's open runs whose E-Run has
  /// ended (StationRuns, asking `processes`) get their end row, "found ended by <run>", with
  /// the event that `check` finds of their data. With `setAside`, which moves the data file
  /// away, an open run of that data file on this station refuses the run too, as its E-Run
  /// may still write the file; once the guard lets the run go, `setAside` is called, and its
  /// line comes before the `started` row, or refuses the run.
  Started Start(const DataFiles& data, ProcessCheck& processes, const DataCheck& check,
                const SetAside& setAside = nullptr);

  /// A console line of this run that its `started` row's message records: the notes are
  /// joined by " / ", "" when there are none.
  void AddNote(const std::string& line) { notes_.push_back(line); }

  /// Takes the journal's lock and holds it until the run's `started` or `refused` row is
  /// written (Start, Append), so that what Scan reads still stands when the row goes in:
  /// one station per number. False, with failure(), when the journal cannot be opened.
  bool Hold();
  /// Under the held lock, hands `rows` every row that can be read, as they stand in the
  /// file. The lines to print: how many rows cannot be read (said once for the run), or a
  /// failure, also for a header without one of the columns `needed`.
  std::vector<std::string> Scan(StudyRows& rows, const std::vector<JournalColumn>& needed = {});
  /// The attributes the rows record, once the journal has chosen their values.
  void SetAttributes(std::string attributes) { attributes_ = std::move(attributes); }
  /// A dry run (-N): the journal is read under its lock and judges the run, but nothing is
  /// appended.
  void SetDryRun() { dryRun_ = true; }

  /// Appends the `E-Run started` row of E-Run's process, `erun`, for the run's `data`.
  bool ErunStarted(const ProcessIdentity& erun, const DataFiles& data);

  /// Appends one row: an end row, or the `refused` row of a run refused before Start.
  bool Append(const JournalRow& row);

  /// The line to print after a failed write, "" when none failed.
  const std::string& failure() const { return failure_; }
  /// This run's `run`: its computer, process and start time.
  const std::string& run() const { return run_; }

 private:
  enum class Rows { kRead, kWaited, kFailed };
  Rows ReadRows(JournalReader& reader, const JournalSurvey* replay, JournalSieve* sieve,
                Guard& guard, StationRuns& station);
  bool Open(std::unique_ptr<LockedFile>* file);
  bool ReadHeader(JournalReader& reader);
  std::string Admit(const Guard& guard, const SetAside& setAside, std::vector<std::string>* lines);
  std::string Notes() const;
  std::string Found(const JournalHeader& header, const StationRuns::Open& open, JournalEvent event,
                    std::time_t now) const;
  std::string EndFound(const JournalHeader& header, const std::vector<StationRuns::Open>& ended,
                       const DataCheck& check, std::time_t now, Guard& guard) const;
  std::string Row(const JournalHeader& header, const JournalRow& row, std::time_t now) const;
  std::string UnreadableLine(const JournalReader& reader);
  void NoteText(const JournalReader& reader);
  std::unique_ptr<JournalSurvey> SurveyInParts(LockedFile& file, const std::string& fileName) const;
  bool Write(LockedFile& file, const JournalReader& reader, const std::string& rows);

  FileSystem& files_;
  std::string path_;
  Station station_;
  std::string script_;
  std::string attributes_;
  Clock now_;
  std::string run_;
  std::string failure_;
  std::unique_ptr<LockedFile> held_;
  std::unique_ptr<JournalSurvey> survey_;  // of the read under the held lock, for Start
  std::vector<std::string> notes_;
  // The journal's text as the last read of its rows found it, for rows appended later.
  std::optional<bool> utf8_;
  bool dryRun_ = false;
  bool warned_ = false;  // the line of rows that cannot be read is printed
};

#endif  // TARVO_JOURNAL_JOURNAL_H_
