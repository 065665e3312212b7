#include "report/report.h"

#include <algorithm>
#include <memory>

#include "base/paths.h"
#include "journal/journal_time.h"
#include "platform/code_page.h"
#include "platform/console.h"
#include "platform/memory.h"
#include "report/report_model.h"
#include "report/report_page.h"

namespace {

// Opens the journal under its lock, which `file` keeps; false, after the line that says why,
// when it cannot.
bool Lock(FileSystem& files, const std::string& journal, std::unique_ptr<LockedFile>* file) {
  LockOutcome locked = files.OpenLocked(journal, LockFor::kReading, file);
  if (locked == LockOutcome::kLocked)
    return true;
  PrintLine("Couldn't read journal " + journal +
            (locked == LockOutcome::kInUse ? ": it is open in another program" : ""));
  return false;
}

// Reads the whole journal into `model`; false, after the line that says why, when it cannot
// be read.
bool Read(LockedFile& file, const std::string& journal, ReportModel* model) {
  JournalReader reader(file);
  if (!reader.ReadHeader()) {
    PrintLine(reader.Failure(journal));
    return false;
  }
  for (;;) {
    switch (reader.Next()) {
      case JournalReader::Status::kRow:
        model->Take(reader.entry());
        break;
      case JournalReader::Status::kUnreadable:
        model->Unreadable(reader.unreadableRow());
        break;
      case JournalReader::Status::kFailed:
        PrintLine(reader.Failure(journal));
        return false;
      case JournalReader::Status::kEnd:
        return true;
    }
  }
}

// Puts the page in place of an earlier report in one step, so that nobody who opens it
// meanwhile sees half a page: "" when it is in place, else what to add to the line that
// says it is not.
bool Write(FileSystem& files, const std::string& path, const FilePieces& page, std::string* why) {
  size_t written = 0;
  WriteOutcome outcome = files.WritePieces(path, page, nullptr, &written);
  if (outcome == WriteOutcome::kHeld)
    *why = ": it is open in another program";
  return outcome == WriteOutcome::kWritten;
}

}  // namespace

std::string ReportPath(const std::string& journal) {
  return ReplaceExtension(journal, ".html");
}

// The journal stays locked until the page is in place, so that of two reports made at once
// the later waits for the earlier's page and then puts its own there.
bool MakeReport(FileSystem& files, const std::string& journal, std::time_t now) {
  std::string path = ReportPath(journal);
  std::unique_ptr<LockedFile> file;
  if (!Lock(files, journal, &file))
    return false;
  // Only under the lock: Windows does not replace a file that is open, so looking at the
  // page while an earlier report puts its own in place would make that report fail.
  if (files.SameFile(journal, path)) {
    PrintLine("Couldn't write report " + path + ": it is the journal");
    return false;
  }
  ExpectLargeHeap(size_t{32} << 20);  // the study's model of 200,000 rows takes about 8 MB
  ReportModel model;
  if (!Read(*file, journal, &model))
    return false;
  model.Finish(now);
  PrintLine("Read " + std::to_string(model.rows()) + " rows from " + journal);
  for (const auto& [key, grid] : model.grids()) {
    OutcomeCounts counts{};
    grid.AddCounts(&counts);
    auto count = [&counts](RunOutcome outcome) {
      return std::to_string(counts[static_cast<size_t>(outcome)]);
    };
    // A control character would act on the console (ESC begins its commands).
    std::string name = Utf8ToAnsi(grid.name);
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
    PrintLine(name + ": " + count(RunOutcome::kSaved) + " saved, " +
              count(RunOutcome::kNotConverted) + " not converted, " + count(RunOutcome::kNoData) +
              " no data, " + count(RunOutcome::kRunning) + " running");
  }
  const std::vector<size_t>& unreadable = model.unreadableRows();
  if (!unreadable.empty()) {
    PrintLine("Rows that cannot be read: " + std::to_string(unreadable.size()) +
              " (the first is row " + std::to_string(unreadable.front()) + ")");
  }
  std::string why;
  std::string madeAt = JournalTime(now);
  auto page = [&](const WritePiece& write) { ReportPage(model, journal, madeAt, write); };
  if (!Write(files, path, page, &why)) {
    PrintLine("Couldn't write report " + path + why);
    return false;
  }
  PrintLine("Report: " + path);
  return true;
}
