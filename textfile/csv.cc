#include "textfile/csv.h"

namespace {

using Row = std::vector<std::string>;

// Reads an unquoted field, or the rest of a field after its closing quote, up to the comma
// or line end that ends it. A CR is text unless a LF follows it.
void ReadPlain(std::string_view text, size_t* pos, std::string* field) {
  size_t end = text.find_first_of(",\n", *pos);
  if (end == std::string_view::npos)
    end = text.size();
  size_t textEnd = end;
  if (end < text.size() && text[end] == '\n' && textEnd > *pos && text[textEnd - 1] == '\r')
    --textEnd;
  field->append(text.substr(*pos, textEnd - *pos));
  *pos = end;
}

// Reads the quoted field that starts at the quote at *pos, up to its closing quote; leaves
// *pos where it is when no quote closes it. Only the first field that is never closed
// searches to the end of the text: every quote after it comes in pairs.
void ReadQuoted(std::string_view text, size_t* pos, std::string* field) {
  std::string content;
  size_t from = *pos + 1;
  for (;;) {
    size_t quote = text.find('"', from);
    if (quote == std::string_view::npos)
      return;
    content.append(text.substr(from, quote - from));
    if (quote + 1 < text.size() && text[quote + 1] == '"') {
      content += '"';
      from = quote + 2;
      continue;
    }
    *field = std::move(content);
    *pos = quote + 1;
    return;
  }
}

// Reads the row at *pos and moves *pos past its line end.
Row ReadRow(std::string_view text, size_t* pos) {
  Row row;
  for (;;) {
    std::string field;
    // A quote that no quote closes is text, the start of an unquoted field.
    if (*pos < text.size() && text[*pos] == '"')
      ReadQuoted(text, pos, &field);
    ReadPlain(text, pos, &field);
    row.push_back(std::move(field));
    if (*pos < text.size() && text[*pos] == ',') {
      ++*pos;
      continue;
    }
    if (*pos < text.size())
      ++*pos;  // the LF
    return row;
  }
}

}  // namespace

std::string CsvRow(const std::vector<std::string>& fields) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0)
      row += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      row += field;
      continue;
    }
    row += '"';
    for (char c : field) {
      if (c == '"')
        row += '"';
      row += c;
    }
    row += '"';
  }
  return row + "\r\n";
}

std::vector<std::vector<std::string>> ParseCsv(std::string_view text) {
  std::vector<Row> rows;
  size_t pos = 0;
  while (pos < text.size())
    rows.push_back(ReadRow(text, &pos));
  return rows;
}
