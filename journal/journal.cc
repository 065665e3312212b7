#include "journal/journal.h"

#include <functional>
#include <set>
#include <string_view>
#include <utility>

#include "base/paths.h"
#include "base/text_helpers.h"
#include "journal/guard.h"
#include "journal/journal_time.h"
#include "platform/system.h"

namespace {

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

}  // namespace

Station ThisStation() {
  return Station{ComputerName(), UserName(), ProcessNumber(), std::time(nullptr)};
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

Journal::Started Journal::Start(const std::string& dataFile) {
  failure_.clear();
  std::unique_ptr<LockedFile> file;
  if (!Open(&file))
    return {Outcome::kFailed, {failure_}};
  JournalReader reader(*file);
  if (!ReadHeader(reader))
    return {Outcome::kFailed, {failure_}};
  Guard guard(reader.header().Text(FileNameOf(dataFile)));
  for (JournalReader::Status status = reader.Next(); status != JournalReader::Status::kEnd;
       status = reader.Next()) {
    if (status == JournalReader::Status::kFailed) {
      failure_ = reader.Failure(path_);
      return {Outcome::kFailed, {failure_}};
    }
    if (status == JournalReader::Status::kRow)
      guard.Take(reader.entry());
  }
  Started started{Outcome::kWritten, {}};
  if (reader.unreadable() > 0) {
    started.lines.push_back("Warning: " + std::to_string(reader.unreadable()) +
                            " rows of the journal cannot be read (the first is row " +
                            std::to_string(reader.firstUnreadable()) +
                            "); the guard passes over them");
  }
  JournalRow row{JournalEvent::kStarted, dataFile, std::nullopt, ""};
  std::string refusal = guard.Refusal(station_.computer, now_());
  if (!refusal.empty()) {
    row = {JournalEvent::kRefused, dataFile, -1, refusal};
    started.outcome = Outcome::kRefused;
    started.lines.push_back(refusal);
  }
  if (!Write(*file, reader, row)) {
    if (started.outcome == Outcome::kWritten)
      started.outcome = Outcome::kFailed;
    started.lines.push_back(failure_);
  }
  return started;
}

bool Journal::Append(const JournalRow& row) {
  failure_.clear();
  std::unique_ptr<LockedFile> file;
  if (!Open(&file))
    return false;
  JournalReader reader(*file);
  return ReadHeader(reader) && Write(*file, reader, row);
}

bool Journal::Open(std::unique_ptr<LockedFile>* file) {
  LockOutcome outcome = files_.OpenLocked(path_, LockFor::kAppending, file);
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

// Rows go in the header's order of columns, with its separator; a new journal gets
// Tarvo's header first.
bool Journal::Write(LockedFile& file, const JournalReader& reader, const JournalRow& row) {
  std::string bytes;
  if (reader.empty())
    bytes = reader.header().Line();
  else if (!EndsWithLineEnd(file))
    bytes = "\r\n";
  bytes += reader.header().Row({run_, JournalTime(now_()), station_.computer, station_.user,
                                script_, attributes_, row.dataFile, EventName(row.event),
                                row.exitCode ? std::to_string(*row.exitCode) : "", row.message});
  if (file.Append(bytes))
    return true;
  failure_ = "Couldn't write journal " + path_;
  return false;
}
