#ifndef TARVO_JOURNAL_JOURNAL_READER_H_
#define TARVO_JOURNAL_JOURNAL_READER_H_

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/csv.h"
#include "base/trim.h"
#include "platform/file_system.h"

// The journal of runs as a spreadsheet may leave it: its header line decides the separator
// (a comma, a semicolon or a tab) and where each column is, in any order and with columns of
// its own. Rows are read one line at a time from the locked file, so memory does not grow
// with the journal; a row that cannot be read is counted and passed over, never guessed at.

enum class JournalEvent {
  kStarted,
  kSaved,
  kNotConverted,
  kNoData,
  kEnded,
  kErunFailed,
  kRefused,
  kErunStarted,  // E-Run has started, as the process that the row's message names
};

/// The event's name in the journal: "started", "saved", "not converted" and so on.
const char* EventName(JournalEvent event);

/// Whether the event ends its run: every event but `started`, `refused` and `E-Run started`.
bool EndsRun(JournalEvent event);

/// The columns that Tarvo writes, in the order of a journal it begins.
enum class JournalColumn {
  kRun,
  kTime,
  kComputer,
  kUser,
  kScript,
  kAttributes,
  kDataFile,
  kEvent,
  kExitCode,
  kMessage,
};
constexpr size_t kJournalColumns = 10;
using JournalFields = std::array<std::string, kJournalColumns>;

/// A journal's header line.
class JournalHeader {
 public:
  /// The header of a new journal: every column, in Tarvo's order, with commas.
  JournalHeader();

  /// The header line itself, with its line end.
  std::string Line() const;
  /// A row laid out as this header lays rows out: its separator, its order of columns, an
  /// empty field for a column of its own. Each field is converted as Text does, but those
  /// whose bit (1 << column) is set in `journalText`, which are the journal's text already.
  std::string Row(const JournalFields& fields, unsigned journalText = 0) const;
  /// `text`, in the program's code page, as this journal holds text: in UTF-8 for a journal
  /// in UTF-8.
  std::string Text(std::string_view text) const;

  /// Whether the journal's text is UTF-8: it begins with UTF-8's byte-order mark, or its
  /// first bytes that are not ASCII are valid UTF-8.
  bool utf8() const { return utf8_; }
  /// "" when the header has the column, else what ReadHeader's failure says of one it needs:
  /// "its header has no column <name>".
  std::string Lacks(JournalColumn column) const;

 private:
  friend class JournalReader;
  friend class JournalEntry;

  char separator_ = ',';
  bool utf8_ = false;
  size_t columns_ = kJournalColumns;
  std::array<int, kJournalColumns> position_;  // where each column is; -1 for none
};

/// A row of the journal that could be read.
class JournalEntry {
 public:
  /// The line's number in the file, which is what a spreadsheet shows; the header is row 1.
  size_t row() const { return row_; }
  JournalEvent event() const { return event_; }
  /// The field without the blanks around it, in the row's own text; "" for a column that
  /// the header lacks.
  std::string_view Field(JournalColumn column) const {
    int position = header_->position_[static_cast<size_t>(column)];
    if (position < 0 || static_cast<size_t>(position) >= fields_->size())
      return std::string_view();
    return Trimmed((*fields_)[static_cast<size_t>(position)]);
  }
  /// Whether the row's text is UTF-8: it is valid UTF-8, as text in the code page beyond
  /// ASCII all but never is, so that a row added in UTF-8 to a journal in the code page
  /// (`copy a.csv+b.csv`) reads right too. Any other row is in the program's code page, as
  /// older rows of a journal may be.
  bool utf8() const;
  /// Whether the row holds ASCII bytes only, which read alike in either text.
  bool ascii() const { return ascii_; }
  /// The field in UTF-8, and in the program's code page.
  std::string Utf8(JournalColumn column) const;
  std::string Ansi(JournalColumn column) const;
  /// The row's time, in any form ParseJournalTime reads; none when it is in no such form.
  std::optional<std::time_t> Time() const;

 private:
  friend class JournalReader;

  const JournalHeader* header_ = nullptr;
  const CsvLine* fields_ = nullptr;
  std::string_view line_;
  size_t row_ = 0;
  JournalEvent event_ = JournalEvent::kStarted;
  bool ascii_ = true;
};

/// The rows a reader may pass over without making them entries, as most rows of a long
/// journal matter to nobody who reads it: a row each of whose fields below stands as written
/// (no blank around it), whose event is written as Tarvo writes it and is no `ended` without
/// its script (a release by hand names little else), whose computer is not `computer` and whose
/// data file is not of `fileName`; an end row only while `endRows` is false, and none of a
/// run whose `run` begins with `runs`. Such a row can be read, so nothing is lost by passing
/// over it. Both names are ASCII and compare in any letter case.
struct JournalSieve {
  std::string fileName;  // without its folder, "" for none
  std::string computer;
  bool endRows = false;  // every end row matters: a run is waiting for its end
  std::string runs;      // "" for none
};

/// What one read of the journal found for a later read under the same hold of its lock,
/// which then looks at a few rows only (JournalReader::Replay): where each row is that the
/// sieve of `computer` alone would not pass over (rows that cannot be read among them), and
/// the file names of the data files of the rows that it would. It keeps the end rows of the
/// runs that `computer` names (their `run` begins "<computer>-", as Tarvo names them) too,
/// whatever computer wrote them. For a data file named in no row let go, the rows let go
/// matter to nobody, as long as no run waits for an end row that was not kept.
class JournalSurvey {
 public:
  /// With `fileName` (ASCII), the survey of a run that knows its data file: the rows of data
  /// files of that name are kept too, and the reader passes over the rest (its sieve), as
  /// it serves that file alone.
  explicit JournalSurvey(std::string computer, std::string fileName = std::string())
      : runs_(computer + "-") {
    sieve_.computer = std::move(computer);
    sieve_.fileName = std::move(fileName);
    if (!sieve_.fileName.empty())
      sieve_.runs = runs_;
  }

  /// Whether the read went to the journal's end and kept every row it had to, and no row
  /// that it let go may name `fileName` (ASCII, any letter case).
  bool Serves(std::string_view fileName) const;
  /// How the runs that the computer names begin: their end rows were all kept.
  const std::string& runs() const { return runs_; }
  /// Adds what a survey of the rows after the ones surveyed found; their numbers count on
  /// from `rowsBefore`.
  void Join(const JournalSurvey& later, size_t rowsBefore);

 private:
  friend class JournalReader;
  struct Kept {
    uint64_t offset;  // where the row's line begins in the file
    size_t row;
  };
  void AddName(std::string_view path);
  static uint64_t Key(std::string_view path);
  static uint64_t Bits(uint64_t key);

  // A Bloom filter of the names, small enough to stay in the processor's nearest cache: a
  // name of 8,000 gets 0.4 % of others wrong, which then only cost a read of every row.
  static constexpr size_t kBits = size_t{1} << 18;
  static constexpr size_t kMostKept = size_t{1} << 16;
  JournalSieve sieve_;
  std::string runs_;  // how the runs of the computer begin
  std::vector<Kept> kept_;
  std::vector<uint64_t> names_ = std::vector<uint64_t>(kBits / 64);
  bool complete_ = false;
  bool full_ = false;  // more rows to keep than it keeps
  bool utf8_ = false;  // the journal's text, as the whole read decided it
};

class PartRows;
struct PartsRead;

class JournalReader {
 public:
  explicit JournalReader(LockedFile& file) : file_(file) {}

  /// Reads the header line. False when the file cannot be read or is no journal that can be
  /// read; problem() then says why. A file that holds nothing but a byte-order mark is empty.
  bool ReadHeader();
  bool empty() const { return empty_; }
  const JournalHeader& header() const { return header_; }

  enum class Status { kRow, kUnreadable, kEnd, kFailed };
  /// The next row after the header: kRow with entry(), or kUnreadable, a row that cannot be
  /// read (a quote left open, fields beyond the header's, no run, an event that is not the
  /// journal's, a line longer than 256 KB), whose number is unreadableRow() and whose text
  /// is unreadableLine(). Blank lines, and a Ctrl-Z at the start of a line, as `copy` leaves
  /// it, are passed over. kFailed when the file cannot be read.
  Status Next();
  /// Next passes over the rows that `sieve` lets it, from now on; none with nullptr.
  void Sieve(const JournalSieve* sieve) { sieve_ = sieve; }
  /// Next fills `survey` as it reads, from now on.
  void Survey(JournalSurvey* survey) {
    survey_ = survey;
    if (!survey->sieve_.fileName.empty())
      sieve_ = &survey->sieve_;
  }
  /// After ReadHeader: Next goes from one row that `survey` kept to the next, and the text
  /// is the one the survey's read decided.
  void Replay(const JournalSurvey* survey);
  /// Whether the journal's text is known: by a byte-order mark, a line read that is not
  /// ASCII, or the survey replayed.
  bool textKnown() const { return textKnown_; }
  /// After ReadHeader, where the text is not known yet: the text that an earlier read of the
  /// whole journal found, for rows appended after a read of the header alone.
  void TakeText(bool utf8) {
    if (!textKnown_)
      header_.utf8_ = utf8;
    textKnown_ = true;
  }
  /// Takes in what `later`, done with the rows right after this reader's, found, as if this
  /// reader had read them too: its count of rows that cannot be read, the journal's text,
  /// its survey.
  void Join(const JournalReader& later);
  /// How many lines this reader has gone past, its header among them.
  size_t lines() const { return line_; }
  LockedFile& file() const { return file_; }
  const JournalEntry& entry() const { return entry_; }
  size_t unreadableRow() const { return entry_.row_; }
  /// The line of the row that cannot be read, until the next row: its first 256 KB when
  /// it is longer.
  std::string_view unreadableLine() const { return entry_.line_; }

  /// How many rows could not be read so far, and the first of them.
  size_t unreadable() const { return unreadable_; }
  size_t firstUnreadable() const { return firstUnreadable_; }
  /// The line to print when ReadHeader or Next failed: "Couldn't read journal <path>",
  /// followed by what is wrong with its header, if that is what failed.
  std::string Failure(const std::string& path) const;

 private:
  friend PartsRead ReadInParts(JournalReader& reader, PartRows& rows, uint64_t partsFrom);
  struct PartStart;
  struct Part;
  class Sharing;
  PartStart Start() const;
  void Begin(const PartStart& start, uint64_t at, uint64_t limit);
  enum class Parts { kTwo, kOne, kFailed };
  Parts Split(uint64_t partsFrom, uint64_t* at, uint64_t* end);

  enum class LineStatus { kLine, kUnsplit, kTooLong, kEnd, kFailed };
  LineStatus NextLine();
  void Prepare();
  bool Grow();
  bool Fill();
  bool HeaderLine(std::string_view* line);
  bool TakeHeader(std::string_view line);
  void NoteText(std::string_view line);
  Status Row();
  Status Unreadable();
  // The field of the row split last as written, blanks and all; "" for a column it lacks.
  std::string_view Written(JournalColumn column) const {
    int position = header_.position_[static_cast<size_t>(column)];
    return position < 0 || static_cast<size_t>(position) >= csv_.size()
               ? std::string_view()
               : csv_[static_cast<size_t>(position)];
  }
  bool PassesOver(const JournalSieve& sieve) const;
  void Note(Status status);
  void Seek(const JournalSurvey::Kept& kept);

  LockedFile& file_;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // the unread bytes of `buffer_` are [begin_, end_)
  size_t end_ = 0;
  uint64_t offset_ = 0;          // where the next read of the file begins
  uint64_t limit_ = UINT64_MAX;  // where its rows end for this reader
  Part* part_ = nullptr;         // in a read in parts, this reader's
  bool atEnd_ = false;
  bool skipLf_ = false;     // a CR ended the last line; a LF right after it ends nothing more
  char lineEnd_ = 0;        // what ends a row, as it ended the header: '\n' (LF or CR LF) or '\r'
  bool textKnown_ = false;  // whether the journal's text is known: UTF-8 or the code page's
  size_t line_ = 0;
  bool empty_ = false;
  JournalHeader header_;
  CsvLine csv_;
  const JournalSieve* sieve_ = nullptr;
  JournalSurvey* survey_ = nullptr;
  const JournalSurvey* replay_ = nullptr;
  std::unique_ptr<JournalSurvey> ownSurvey_;  // a later part's
  size_t replayed_ = 0;                       // of the replay's rows
  uint64_t lineStart_ = 0;                    // where the line read last begins in the file
  size_t writtenEvent_ = 0;  // the event of the row split last as written: WrittenEvent's
  JournalEntry entry_;
  std::string longLine_;  // the start of a line longer than the buffer
  size_t unreadable_ = 0;
  size_t firstUnreadable_ = 0;
  std::string problem_;
};

/// What a read in parts (ReadInParts) hands the rows of each part to.
class PartRows {
 public:
  virtual ~PartRows() = default;

  virtual void Take(const JournalEntry& entry) = 0;
  /// Rows that ask the same and have taken none, for the rows of a part further on.
  virtual std::unique_ptr<PartRows> Later() const = 0;
  /// Takes in what `later` (made by Later) found in the part right after this one's, as if
  /// these rows had taken its rows, which count on from `rowsBefore`.
  virtual void Join(PartRows& later, size_t rowsBefore) = 0;
};

/// Reads every row after the header that `reader` has read, handing each row that can be
/// read to `rows`: in parts at once where the rows hold at least `partsFrom` bytes, on two
/// processors. The first part's rows go to `rows`, and the others' to rows of their own
/// (PartRows::Later) on a thread of its own; whichever processor is done first takes more.
/// Once read, `reader` and `rows` are as one read of every row would have left them.
struct PartsRead {
  bool read = false;   // to the end; else the file could not be read (reader.Failure)
  bool split = false;  // more than one part was read
};
PartsRead ReadInParts(JournalReader& reader, PartRows& rows, uint64_t partsFrom);

#endif  // TARVO_JOURNAL_JOURNAL_READER_H_
