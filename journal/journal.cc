#include "journal/journal.h"

#include <functional>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "journal/guard.h"
#include "journal/journal_time.h"
#include "journal/study_rows.h"
#include "platform/code_page.h"
#include "platform/system.h"

namespace {

// The journal's size from which its rows are read in two parts at once: below it, starting
// a thread costs about what it saves.
const uint64_t kPartsFrom = uint64_t{1} << 20;

// Rows a survey reads for what it keeps itself.
class NoRows : public PartRows {
 public:
  void Take(const JournalEntry& /*entry*/) override {}
  std::unique_ptr<PartRows> Later() const override { return std::make_unique<NoRows>(); }
  void Join(PartRows& /*later*/, size_t /*rowsBefore*/) override {}
};

// Whether the file's last byte ends a line; a row appended after an editor's last line
// without its end would run into it.
bool EndsWithLineEnd(LockedFile& file) {
  uint64_t size = 0;
  char last = '\n';
  size_t count = 0;
  if (!file.Size(&size) || (size > 0 && !file.ReadAt(size - 1, &last, 1, &count)))
    return false;
  return last == '\n' || last == '\r';
}

// The data files of an open run found ended, as the file system names them: its data_file,
// and the data file its `E-Run started` row recorded, when it did.
DataFiles FoundData(const StationRuns::Open& open) {
  auto path = [&open](const std::string& text) { return open.utf8 ? Utf8ToAnsi(text) : text; };
  std::string final = path(open.dataFile);
  std::string dataFile =
      !open.erun || open.erun->dataFile.empty() ? final : path(open.erun->dataFile);
  return {dataFile, dataFile == final ? "" : final};
}

}  // namespace

Station ThisStation() {
  return Station{ComputerName(), UserName(), ProcessNumber(), std::time(nullptr), ThisProcess()};
}

std::string JournalOwnFileRefusal(FileSystem& files, const std::string& journal,
                                  const std::string& file, const std::string& what) {
  if (file.empty() || !files.SameFile(journal, file))
    return std::string();
  return "The journal cannot be the " + what + ": " + journal;
}

Journal::Journal(FileSystem& files, std::string path, Station station, std::string script,
                 std::string attributes, Clock now)
    : files_(files),
      path_(std::move(path)),
      station_(std::move(station)),
      script_(std::move(script)),
      attributes_(std::move(attributes)),
      now_(now) {
  run_ = station_.computer + "-" + std::to_string(station_.process) + "-" +
         CompactLocalTime(station_.started);
}

Journal::Started Journal::Start(const DataFiles& data, ProcessCheck& processes,
                                const DataCheck& check, const SetAside& setAside) {
  failure_.clear();
  // Where Scan read the journal under this hold already, only the rows it kept are read.
  std::unique_ptr<JournalSurvey> survey = held_ ? std::move(survey_) : nullptr;
  std::unique_ptr<LockedFile> file;
  if (!Open(&file))
    return {Outcome::kFailed, {failure_}};
  if (!file) {
    // A dry run without a journal yet: no row refuses it.
    Started started{Outcome::kWritten, {}};
    std::string refusal = Admit(Guard(data, station_.computer, now_()), setAside, &started.lines);
    return refusal.empty() ? started : Started{Outcome::kRefused, {refusal}};
  }
  std::time_t now = now_();
  Guard guard(data, station_.computer, now);
  StationRuns station(station_.computer, now);
  // Most rows are of other data files and other computers: they are passed over unread.
  JournalSieve sieve{std::string(FileNameOf(data.Final())), station_.computer, false, ""};
  bool ascii = IsAsciiText(sieve.fileName) && IsAsciiText(sieve.computer);
  JournalSieve* sieving = ascii ? &sieve : nullptr;
  if (!survey && ascii)
    survey = SurveyInParts(*file, sieve.fileName);
  std::optional<JournalReader> reader;
  Rows read = Rows::kWaited;
  if (survey && ascii && survey->Serves(sieve.fileName)) {
    reader.emplace(*file);
    read = ReadRows(*reader, survey.get(), sieving, guard, station);
  }
  if (read == Rows::kWaited) {
    // A run waits for its end rows, which the survey need not have kept: all rows are read.
    reader.emplace(*file);
    guard = Guard(data, station_.computer, now);
    station = StationRuns(station_.computer, now);
    read = ReadRows(*reader, nullptr, sieving, guard, station);
  }
  if (read == Rows::kFailed)
    return {Outcome::kFailed, {failure_}};
  NoteText(*reader);
  // Such a row may be the data file's own, or a row of its run: nothing is written.
  if (!guard.unreadableNaming().empty())
    return {Outcome::kFailed, {guard.unreadableNaming()}};
  Started started{Outcome::kWritten, {}};
  std::string warning = UnreadableLine(*reader);
  if (!warning.empty())
    started.lines.push_back(warning);
  std::string rows = EndFound(reader->header(), station.Ended(processes), check, now, guard);
  std::string refusal = Admit(guard, setAside, &started.lines);
  JournalRow row{JournalEvent::kStarted, data.Final(), std::nullopt, Notes()};
  if (!refusal.empty()) {
    row = {JournalEvent::kRefused, data.Final(), -1, refusal};
    started.outcome = Outcome::kRefused;
    started.lines.push_back(refusal);
  }
  if (!Write(*file, *reader, rows + Row(reader->header(), row, now))) {
    if (started.outcome == Outcome::kWritten)
      started.outcome = Outcome::kFailed;
    started.lines.push_back(failure_);
  }
  return started;
}

// The end rows of this station's open runs found ended, with what `check` finds of their
// data; the guard learns of them as rows written now.
std::string Journal::EndFound(const JournalHeader& header,
                              const std::vector<StationRuns::Open>& ended, const DataCheck& check,
                              std::time_t now, Guard& guard) const {
  std::string rows;
  for (const StationRuns::Open& open : ended) {
    DataFiles found = FoundData(open);
    JournalEvent event = found.dataFile.empty() ? JournalEvent::kEnded : check(found);
    // Without the data file's own name, a missing converted file tells nothing of it.
    if ((!open.erun || open.erun->dataFile.empty()) && event != JournalEvent::kSaved)
      event = JournalEvent::kEnded;
    rows += Found(header, open, event, now);
    guard.FoundEnded(open.run);
    if (event == JournalEvent::kSaved)
      guard.FoundSaved(found.Final(), JournalTime(now));
  }
  return rows;
}

bool Journal::Hold() {
  failure_.clear();
  survey_.reset();
  std::unique_ptr<LockedFile> file;
  if (!Open(&file))
    return false;
  held_ = std::move(file);
  return true;
}

// Reads the rows after the header into `guard` and `station`: every row, or the rows that
// `replay` kept, which serve as long as no run waits for end rows it did not keep (else
// kWaited).
Journal::Rows Journal::ReadRows(JournalReader& reader, const JournalSurvey* replay,
                                JournalSieve* sieve, Guard& guard, StationRuns& station) {
  if (!ReadHeader(reader))
    return Rows::kFailed;
  if (replay != nullptr)
    reader.Replay(replay);
  reader.Sieve(sieve);
  for (JournalReader::Status status = reader.Next(); status != JournalReader::Status::kEnd;
       status = reader.Next()) {
    if (status == JournalReader::Status::kFailed) {
      failure_ = reader.Failure(path_);
      return Rows::kFailed;
    }
    if (status == JournalReader::Status::kUnreadable) {
      guard.TakeUnreadable(reader.unreadableRow(), reader.unreadableLine());
    } else {
      guard.Take(reader.entry());
      station.Take(reader.entry());
    }
    bool waiting = guard.waiting() || station.waiting();
    // The end rows of a run that the survey's computer names were all kept.
    if (replay != nullptr && waiting &&
        (guard.WaitingBeyond(replay->runs()) || station.WaitingBeyond(replay->runs())))
      return Rows::kWaited;
    if (sieve != nullptr)
      sieve->endRows = waiting;
  }
  return Rows::kRead;
}

std::vector<std::string> Journal::Scan(StudyRows& rows, const std::vector<JournalColumn>& needed) {
  if (!held_)
    return {};  // a dry run without a journal yet
  JournalReader reader(*held_);
  if (!ReadHeader(reader))
    return {failure_};
  for (JournalColumn column : needed) {
    std::string lacks = reader.header().Lacks(column);
    if (!lacks.empty()) {
      failure_ = "Couldn't read journal " + path_ + ": " + lacks;
      return {failure_};
    }
  }
  // What Start needs of this read: the rows of this computer and a few more.
  survey_.reset();
  if (IsAsciiText(station_.computer)) {
    survey_ = std::make_unique<JournalSurvey>(station_.computer);
    reader.Survey(survey_.get());
  }
  if (!ReadInParts(reader, rows, kPartsFrom).read) {
    failure_ = reader.Failure(path_);
    return {failure_};
  }
  NoteText(reader);
  std::string warning = UnreadableLine(reader);
  return warning.empty() ? std::vector<std::string>() : std::vector<std::string>{warning};
}

// A long journal's survey, read in two parts at once, which keeps the rows of `fileName`
// too, so that Start then reads the few rows it kept; none for a journal read as fast in one
// part, or one that cannot be read, whose failure the read of every row then finds. The
// computer's name and `fileName` are ASCII, as the survey's sieve needs them.
std::unique_ptr<JournalSurvey> Journal::SurveyInParts(LockedFile& file,
                                                      const std::string& fileName) const {
  uint64_t size = 0;
  if (!file.Size(&size) || size < kPartsFrom)
    return nullptr;
  JournalReader reader(file);
  auto survey = std::make_unique<JournalSurvey>(station_.computer, fileName);
  if (!reader.ReadHeader())
    return nullptr;
  reader.Survey(survey.get());
  NoRows nothing;
  PartsRead parts = ReadInParts(reader, nothing, kPartsFrom);
  return parts.read && parts.split ? std::move(survey) : nullptr;
}

void Journal::NoteText(const JournalReader& reader) {
  if (reader.textKnown())
    utf8_ = reader.header().utf8();
}

// "Warning: <n> rows of the journal cannot be read ...", once for the run; "" when every
// row can be read.
std::string Journal::UnreadableLine(const JournalReader& reader) {
  if (reader.unreadable() == 0 || warned_)
    return std::string();
  warned_ = true;
  return "Warning: " + std::to_string(reader.unreadable()) +
         " rows of the journal cannot be read (the first is row " +
         std::to_string(reader.firstUnreadable()) + "); the guard passes over them";
}

// The guard's refusal; with -A, which moves the data file, also for a run of it still open
// on this station. Once the guard lets the run go, the move: its line goes into `lines` and
// the notes, or refuses the run.
std::string Journal::Admit(const Guard& guard, const SetAside& setAside,
                           std::vector<std::string>* lines) {
  std::string refusal = guard.Refusal(setAside != nullptr);
  std::string line;
  if (!refusal.empty() || !setAside)
    return refusal;
  if (!setAside(&line))
    return line;
  lines->push_back(line);
  AddNote(line);
  return std::string();
}

std::string Journal::Notes() const {
  std::string notes;
  for (const std::string& note : notes_)
    notes += (notes.empty() ? "" : " / ") + note;
  return notes;
}

bool Journal::ErunStarted(const ProcessIdentity& erun, const DataFiles& data) {
  return Append({JournalEvent::kErunStarted, data.Final(), std::nullopt,
                 ErunMessage(erun, station_.self, data.dataFile)});
}

bool Journal::Append(const JournalRow& row) {
  failure_.clear();
  if (dryRun_) {
    held_.reset();
    return true;
  }
  std::unique_ptr<LockedFile> file;
  if (!Open(&file))
    return false;
  JournalReader reader(*file);
  if (!ReadHeader(reader))
    return false;
  // Its header alone seldom tells the journal's text: a row in the other would read wrong.
  if (utf8_)
    reader.TakeText(*utf8_);
  return Write(*file, reader, Row(reader.header(), row, now_()));
}

bool Journal::Open(std::unique_ptr<LockedFile>* file) {
  // A held lock goes with the row that ends the hold.
  if (held_) {
    *file = std::move(held_);
    return true;
  }
  // A dry run reads what is there, and makes no journal that is not.
  if (dryRun_ && files_.Look(path_) == Presence::kNotThere)
    return true;
  LockOutcome outcome =
      files_.OpenLocked(path_, dryRun_ ? LockFor::kReading : LockFor::kAppending, file);
  if (outcome == LockOutcome::kLocked)
    return true;
  failure_ = "Couldn't write journal " + path_;
  if (outcome == LockOutcome::kInUse)
    failure_ += ": it is open in another program";
  if (outcome == LockOutcome::kLinkToNothing)
    failure_ += ": it is a link to a file that does not exist";
  return false;
}

bool Journal::ReadHeader(JournalReader& reader) {
  if (reader.ReadHeader())
    return true;
  failure_ = reader.Failure(path_);
  return false;
}

// A row of this run, laid out as the header lays rows out.
std::string Journal::Row(const JournalHeader& header, const JournalRow& row,
                         std::time_t now) const {
  return header.Row({run_, JournalTime(now), station_.computer, station_.user, script_, attributes_,
                     row.dataFile, EventName(row.event),
                     row.exitCode ? std::to_string(*row.exitCode) : "", row.message});
}

// The end row of an open run of this station found ended: its own run, script, attributes
// and data file, copied as the journal holds them; its exit code is not known.
std::string Journal::Found(const JournalHeader& header, const StationRuns::Open& open,
                           JournalEvent event, std::time_t now) const {
  unsigned copied = 0;
  if (open.utf8 || !header.utf8()) {
    for (JournalColumn column : {JournalColumn::kRun, JournalColumn::kScript,
                                 JournalColumn::kAttributes, JournalColumn::kDataFile})
      copied |= 1u << static_cast<unsigned>(column);
  }
  return header.Row(
      {open.run, JournalTime(now), station_.computer, station_.user, open.script, open.attributes,
       open.dataFile, EventName(event), "", "found ended by " + run_},
      copied);
}

// Rows go in the header's order of columns, with its separator; a new journal gets
// Tarvo's header first.
bool Journal::Write(LockedFile& file, const JournalReader& reader, const std::string& rows) {
  if (dryRun_)
    return true;
  std::string bytes;
  if (reader.empty())
    bytes = reader.header().Line();
  else if (!EndsWithLineEnd(file))
    bytes = "\r\n";
  bytes += rows;
  if (file.Append(bytes))
    return true;
  failure_ = "Couldn't write journal " + path_;
  return false;
}
