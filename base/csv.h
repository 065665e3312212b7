#ifndef TARVO_BASE_CSV_H_
#define TARVO_BASE_CSV_H_

#include <cstdint>
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
  /// closing quote: the line cannot be read. The fields stay valid until the next Split, and
  /// as long as the line's text.
  bool Split(std::string_view line, char separator);
  /// Split, for the line at the start of `text`, which ends before the first `lineEnd`
  /// byte in it (a LF, with a CR right before it, or a CR) or with `text`. `*length` gets
  /// the line's length without its line end, and `*next` where the text after its line end
  /// begins: 0 when it has none in `text`.
  bool SplitLine(std::string_view text, char separator, char lineEnd, size_t* length, size_t* next);

  /// How many fields the line has, and each of them.
  size_t size() const { return quoted_ ? fields_.size() : count_; }
  std::string_view operator[](size_t index) const {
    if (quoted_)
      return fields_[index];
    size_t begin = index == 0 ? 0 : ends_[index - 1] + 1;
    std::string_view field(line_ + begin, ends_[index] - begin);
    return !field.empty() && field[0] == '\'' ? Unguarded(field) : field;
  }
  /// All of them.
  std::vector<std::string_view> fields() const;
  /// Whether the line split last holds ASCII bytes only.
  bool ascii() const { return ascii_; }

 private:
  struct Scanning;
  bool Scan(std::string_view text, char separator, int lineEnd, size_t* stop);
  bool SplitQuoted(std::string_view line, char separator);
  void Add(const char* field, size_t size) {
    std::string_view added(field, size);
    fields_.push_back(size > 0 && field[0] == '\'' ? Unguarded(added) : added);
  }
  /// The field without the apostrophe that CsvRow put in front of a formula.
  static std::string_view Unguarded(std::string_view field);

  std::vector<std::string_view> fields_;
  std::string unquoted_;  // the quoted fields' text, which `fields_` points into
  // A line without quotes: its text, and where each of its fields ends.
  const char* line_ = nullptr;
  std::vector<uint32_t> ends_;
  size_t count_ = 0;
  bool quoted_ = false;  // its fields are `fields_`
  bool ascii_ = true;
};

#endif  // TARVO_BASE_CSV_H_
