#ifndef TARVO_REPORT_REPORT_PAGE_H_
#define TARVO_REPORT_REPORT_PAGE_H_

#include <string>

#include "platform/file_system.h"
#include "report/report_model.h"

/// The report as one self-contained HTML page: no script, no file or address outside it,
/// tables and CSS 2.1 only, so that Internet Explorer 8 on an offline PC shows it as current
/// browsers do. Its character set is UTF-8, as the model's texts are; every value is
/// escaped, and a control character shows as U+FFFD. `journal` is the journal's path as
/// given, `madeAt` when the report was made, both in the program's code page. The page
/// goes to `write` in pieces, from its top.
void ReportPage(const ReportModel& model, const std::string& journal, const std::string& madeAt,
                const WritePiece& write);

#endif  // TARVO_REPORT_REPORT_PAGE_H_
