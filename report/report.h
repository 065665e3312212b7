#ifndef TARVO_REPORT_REPORT_H_
#define TARVO_REPORT_REPORT_H_

#include <ctime>
#include <string>

#include "platform/file_system.h"

/// "<journal without its extension>.html": where the report of `journal` goes.
std::string ReportPath(const std::string& journal);

/// tarvo -R: reads the journal under its lock, as runs append to it, and writes its report
/// beside it (ReportPath), replacing an earlier one in one step before the lock goes. Starts
/// no E-Run and writes nothing to the journal. Prints its lines; false when the journal
/// cannot be read or the report cannot be written. `now` decides which open runs still
/// count as running.
bool MakeReport(FileSystem& files, const std::string& journal, std::time_t now);

#endif  // TARVO_REPORT_REPORT_H_
