#include "app/journal.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "app/journal_time.h"
#include "platform/system.h"
#include "textfile/csv.h"
#include "textfile/text_helpers.h"

namespace {

const char kHeader[] =
    "run,time,computer,user,script,attributes,data_file,event,exit_code,message\r\n";
enum Column {
  kRun,
  kTime,
  kComputer,
  kUser,
  kScript,
  kAttributes,
  kDataFile,
  kEvent,
  kColumns = 10
};
const char kStartedEvent[] = "started";
const char kSavedEvent[] = "saved";
// How long another station's run counts as running when no row ends it: it may have been
// switched off mid-run.
const std::time_t kRunningAtMost = std::time_t{12} * 60 * 60;

const char* EventName(JournalEvent event) {
  switch (event) {
    case JournalEvent::kStarted:
      return kStartedEvent;
    case JournalEvent::kSaved:
      return kSavedEvent;
    case JournalEvent::kNotConverted:
      return "not converted";
    case JournalEvent::kNoData:
      return "no data";
    case JournalEvent::kEnded:
      return "ended";
    case JournalEvent::kErunFailed:
      return "E-Run failed";
    case JournalEvent::kRefused:
      return "refused";
  }
  return "";
}

// The file name of a path written on either platform.
std::string_view FileName(std::string_view path) {
  size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// A row as another run wrote it, with its time read; rows that cannot be read are skipped.
struct Entry {
  std::vector<std::string> fields;
  std::time_t time = 0;
};

std::vector<Entry> ReadableEntries(const std::string& content) {
  std::vector<Entry> entries;
  for (std::vector<std::string>& fields : ParseCsv(content)) {
    Entry entry;
    if (fields.size() >= kColumns && ParseJournalTime(fields[kTime], &entry.time)) {
      entry.fields = std::move(fields);
      entries.push_back(std::move(entry));
    }
  }
  return entries;
}

}  // namespace

Station ThisStation() {
  return Station{ComputerName(), UserName(), ProcessNumber(), std::time(nullptr)};
}

Journal::Journal(FileSystem& files, std::string path, Station station, std::string script,
                 std::string attributes)
    : files_(files),
      path_(std::move(path)),
      station_(std::move(station)),
      script_(std::move(script)),
      attributes_(std::move(attributes)) {
  run_ = station_.computer + "-" + std::to_string(station_.process) + "-" +
         CompactLocalTime(station_.started);
}

Journal::Outcome Journal::Start(const std::string& dataFile, std::string* refusal) {
  failure_.clear();
  std::unique_ptr<LockedFile> file;
  std::string content;
  if (!OpenAndRead(&file, &content))
    return Outcome::kFailed;
  std::string refused = Refusal(content, dataFile);
  if (refused.empty()) {
    bool written = Write(*file, content, {JournalEvent::kStarted, dataFile, std::nullopt, ""});
    return written ? Outcome::kWritten : Outcome::kFailed;
  }
  Write(*file, content, {JournalEvent::kRefused, dataFile, -1, refused});
  *refusal = refused;
  return Outcome::kRefused;
}

bool Journal::Append(const JournalRow& row) {
  failure_.clear();
  std::unique_ptr<LockedFile> file;
  std::string content;
  return OpenAndRead(&file, &content) && Write(*file, content, row);
}

bool Journal::OpenAndRead(std::unique_ptr<LockedFile>* file, std::string* content) {
  LockOutcome outcome = files_.OpenLocked(path_, file);
  if (outcome == LockOutcome::kLocked && (*file)->ReadAll(content))
    return true;
  failure_ = "Couldn't write journal " + path_;
  if (outcome == LockOutcome::kInUse)
    failure_ += ": it is open in another program";
  return false;
}

bool Journal::Write(LockedFile& file, const std::string& content, const JournalRow& row) {
  std::string bytes;
  if (content.empty())
    bytes = kHeader;
  else if (content.back() != '\n')
    bytes = "\r\n";  // an editor left the last line without its end
  bytes += CsvRow({run_, JournalTime(now()), station_.computer, station_.user, script_, attributes_,
                   row.dataFile, EventName(row.event),
                   row.exitCode ? std::to_string(*row.exitCode) : "", row.message});
  if (file.Append(bytes))
    return true;
  failure_ = "Couldn't write journal " + path_;
  return false;
}

// The first row that refuses a run of `dataFile`, as the line to print; "" when none does.
std::string Journal::Refusal(const std::string& content, const std::string& dataFile) const {
  std::string_view name = FileName(dataFile);
  if (name.empty())
    return std::string();
  std::vector<Entry> entries = ReadableEntries(content);
  std::set<std::string> ended;
  for (const Entry& entry : entries) {
    if (entry.fields[kEvent] != kStartedEvent)
      ended.insert(entry.fields[kRun]);
  }
  std::time_t at = now();
  for (const Entry& entry : entries) {
    const std::vector<std::string>& fields = entry.fields;
    std::string_view theirs = FileName(fields[kDataFile]);
    if (!EqualsInsensitive(theirs, name))
      continue;
    std::string where = std::string(theirs) + " on " + fields[kComputer];
    if (fields[kEvent] == kSavedEvent)
      return "Already saved: " + where + " at " + fields[kTime];
    if (fields[kEvent] == kStartedEvent &&
        !EqualsInsensitive(fields[kComputer], station_.computer) &&
        at - entry.time < kRunningAtMost && ended.count(fields[kRun]) == 0)
      return "Running: " + where + " since " + fields[kTime];
  }
  return std::string();
}
