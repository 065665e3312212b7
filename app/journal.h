#ifndef TARVO_APP_JOURNAL_H_
#define TARVO_APP_JOURNAL_H_

#include <ctime>
#include <memory>
#include <optional>
#include <string>

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

enum class JournalEvent { kStarted, kSaved, kNotConverted, kNoData, kEnded, kErunFailed, kRefused };

/// What a row says beyond the columns of its run.
struct JournalRow {
  JournalEvent event;
  std::string dataFile;         // the absolute path of the experiment's data, "" when unknown
  std::optional<int> exitCode;  // on end rows and refused rows
  std::string message;          // the console line that decided the event
};

class Journal {
 public:
  /// `script` is the input script's absolute path, `attributes` its name=value pairs
  /// joined by "; ". `path` is written into failure lines as given.
  Journal(FileSystem& files, std::string path, Station station, std::string script,
          std::string attributes);

  enum class Outcome { kWritten, kRefused, kFailed };

  /// Under one hold of the lock, reads the journal and appends the `started` row for
  /// `dataFile`, unless a row for a data file of the same name refuses the run: a `saved`
  /// row, or a `started` row of another computer from the last 12 hours whose run has no
  /// end row. A refused run gets a `refused` row instead (exit code -1, the refusal as its
  /// message), and the refusal line goes into *refusal; it is kRefused even when that row
  /// could not be written, which failure() then says. An empty `dataFile` is never refused.
  Outcome Start(const std::string& dataFile, std::string* refusal);

  /// Appends one row: an end row, or the `refused` row of a run refused before Start.
  bool Append(const JournalRow& row);

  /// The line to print after a failed write, "" when none failed.
  const std::string& failure() const { return failure_; }

  /// The clock that stamps rows and ages `started` rows; tests fix it.
  std::time_t (*now)() = [] { return std::time(nullptr); };

 private:
  bool OpenAndRead(std::unique_ptr<LockedFile>* file, std::string* content);
  bool Write(LockedFile& file, const std::string& content, const JournalRow& row);
  std::string Refusal(const std::string& content, const std::string& dataFile) const;

  FileSystem& files_;
  std::string path_;
  Station station_;
  std::string script_;
  std::string attributes_;
  std::string run_;
  std::string failure_;
};

#endif  // TARVO_APP_JOURNAL_H_
