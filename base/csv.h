#ifndef TARVO_BASE_CSV_H_
#define TARVO_BASE_CSV_H_

#include <string>
#include <string_view>
#include <vector>

// Comma-separated values as spreadsheets write and read them, with the separator a file
// uses (a comma, or a semicolon where that is the list separator). Bytes pass unchanged, in
// whatever code page they are. A row is one line: a field never holds a line break, so one
// quote left open cannot swallow the rows after it.

/// One row: the fields joined by `separator`, a field that holds the separator or a double
/// quote in double quotes with its quotes doubled, and CR LF at the end. A line break in a
/// field is written as a blank. A field that a spreadsheet would take for a formula (it
/// begins with =, +, -, @, tab or CR and is no plain number such as -1) gets a leading
/// apostrophe, as OWASP advises against CSV injection.
std::string CsvRow(const std::vector<std::string>& fields, char separator);

/// The fields of one line of CSV text.
class CsvLine {
 public:
  /// Splits `line`, which holds no line end, at `separator`: a field in double quotes is
  /// read without them and with its doubled quotes single, a quote inside a field that
  /// does not begin with one is text, and the apostrophe that CsvRow put in front of a
  /// formula is dropped. False when a quoted field is never closed or text follows its
  /// closing quote: the line cannot be read. The fields stay valid until the next Split.
  bool Split(std::string_view line, char separator);

  const std::vector<std::string_view>& fields() const { return fields_; }

 private:
  bool SplitQuoted(std::string_view line, char separator);
  void Add(const char* field, size_t size) {
    if (size > 0 && field[0] == '\'')
      Guarded(field, size);
    else
      fields_.emplace_back(field, size);
  }
  void Guarded(const char* field, size_t size);

  std::vector<std::string_view> fields_;
  std::string unquoted_;  // the quoted fields' text, which `fields_` points into
};

#endif  // TARVO_BASE_CSV_H_
