#include "report/report.h"

#include <memory>

#include "base/paths.h"
#include "journal/journal_time.h"
#include "platform/console.h"
#include "report/report_model.h"
#include "report/report_page.h"

namespace {

// Reads the whole journal into `model`; false, after the line that says why, when it
// cannot be read. The lock is held for the reading only.
bool Read(FileSystem& files, const std::string& journal, ReportModel* model, bool* utf8) {
  std::unique_ptr<LockedFile> file;
  LockOutcome locked = files.OpenLocked(journal, LockFor::kReading, &file);
  if (locked != LockOutcome::kLocked) {
    PrintLine("Couldn't read journal " + journal +
              (locked == LockOutcome::kInUse ? ": it is open in another program" : ""));
    return false;
  }
  JournalReader reader(*file);
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
        *utf8 = reader.header().utf8();
        return true;
    }
  }
}

// Puts the page in place of an earlier report in one step, so that nobody who opens it
// meanwhile sees half a page.
bool Write(FileSystem& files, const std::string& path, const std::string& page) {
  size_t written = 0;
  return files.WriteFile(path, page, nullptr, &written) == WriteOutcome::kWritten;
}

}  // namespace

std::string ReportPath(const std::string& journal) {
  return ReplaceExtension(journal, ".html");
}

bool MakeReport(FileSystem& files, const std::string& journal, std::time_t now) {
  std::string path = ReportPath(journal);
  if (files.SameFile(journal, path)) {
    PrintLine("Couldn't write report " + path + ": it is the journal");
    return false;
  }
  ReportModel model;
  bool utf8 = false;
  if (!Read(files, journal, &model, &utf8))
    return false;
  model.Finish(now);
  PrintLine("Read " + std::to_string(model.rows()) + " rows from " + journal);
  for (const auto& [key, grid] : model.grids()) {
    PrintLine(grid.name + ": " + std::to_string(grid.Count(RunOutcome::kSaved)) + " saved, " +
              std::to_string(grid.Count(RunOutcome::kNotConverted)) + " not converted, " +
              std::to_string(grid.Count(RunOutcome::kNoData)) + " no data, " +
              std::to_string(grid.Count(RunOutcome::kRunning)) + " running");
  }
  const std::vector<size_t>& unreadable = model.unreadableRows();
  if (!unreadable.empty()) {
    PrintLine("Rows that cannot be read: " + std::to_string(unreadable.size()) +
              " (the first is row " + std::to_string(unreadable.front()) + ")");
  }
  if (!Write(files, path, ReportPage(model, journal, JournalTime(now), utf8))) {
    PrintLine("Couldn't write report " + path);
    return false;
  }
  PrintLine("Report: " + path);
  return true;
}
