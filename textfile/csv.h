#ifndef TARVO_TEXTFILE_CSV_H_
#define TARVO_TEXTFILE_CSV_H_

#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as RFC 4180 has them. Bytes pass unchanged, in whatever code page
// they are.

/// One row: the fields joined by commas, a field that holds a comma, a double quote, CR or
/// LF in double quotes with its quotes doubled, and CR LF at the end.
std::string CsvRow(const std::vector<std::string>& fields);

/// The rows of a CSV text whose lines end in CR LF or LF; a quoted field may hold line
/// ends. Never fails: a quote inside an unquoted field is text, text after a closing quote
/// joins the field, and a quote that is never closed is text too, so that one stray quote
/// cannot swallow the rows after it.
std::vector<std::vector<std::string>> ParseCsv(std::string_view text);

#endif  // TARVO_TEXTFILE_CSV_H_
