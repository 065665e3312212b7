#ifndef TARVO_JOURNAL_JOURNAL_H_
#define TARVO_JOURNAL_JOURNAL_H_

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journal/journal_reader.h"
#include "platform/file_system.h"

// The journal of runs: one CSV file, often on a shared drive, that the runs of every
// station append their rows to, so that a lab knows what became of each participant's
// data and two stations cannot give one data file twice. Every append is one write of
// whole rows under the file's lock, so the rows of stations never run into each other.

/// Where and when a run happens.
struct Station {
  std::string computer;
  std::string user;
  unsigned process = 0;
  std::time_t started = 0;
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
  /// `dataFile`, unless a row for a data file of the same name refuses the run: a `saved`
  /// row, or a `started` row of another computer that still counts as running
  /// (RunningRule) and that no row of its run ends. A refused run gets a `refused` row
  /// instead (exit code -1, the refusal as its message); it is kRefused even when that row
  /// could not be written. An empty `dataFile` is never refused.
  Started Start(const std::string& dataFile);

  /// Appends one row: an end row, or the `refused` row of a run refused before Start.
  bool Append(const JournalRow& row);

  /// The line to print after a failed write, "" when none failed.
  const std::string& failure() const { return failure_; }

 private:
  bool Open(std::unique_ptr<LockedFile>* file);
  bool ReadHeader(JournalReader& reader);
  bool Write(LockedFile& file, const JournalReader& reader, const JournalRow& row);

  FileSystem& files_;
  std::string path_;
  Station station_;
  std::string script_;
  std::string attributes_;
  Clock now_;
  std::string run_;
  std::string failure_;
};

#endif  // TARVO_JOURNAL_JOURNAL_H_
