#include "script/plain_text_file.h"

#include <algorithm>

namespace {

const char kEndOfInput = 0x1A;

std::string NumberedReport(const char* verb, size_t lineNumber, const char* preposition,
                           const std::string& path) {
  return std::string(verb) + " " + std::to_string(lineNumber) + " " + preposition + " " + path;
}

// The one place that says how a line is written: every LF in its text becomes CR LF,
// and CR LF follows it.
void AppendEncoded(std::string_view line, std::string* out) {
  for (size_t lf = line.find('\n'); lf != std::string_view::npos; lf = line.find('\n')) {
    out->append(line.data(), lf).append("\r\n", 2);
    line.remove_prefix(lf + 1);
  }
  out->append(line.data(), line.size()).append("\r\n", 2);
}

// The number of the first line that did not reach the file whole when `written` bytes of
// the encoded lines did; the last line's when all did.
size_t FirstLineNotWritten(const std::vector<std::string>& lines, size_t written) {
  size_t end = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    end += lines[i].size() + std::count(lines[i].begin(), lines[i].end(), '\n') + 2;
    if (end > written)
      return i + 1;
  }
  return lines.size();
}

// UTF-16 text begins with one of these marks.
bool BeginsWithUtf16Mark(const std::string& text) {
  return text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0;
}

}  // namespace

LoadOutcome PlainTextFile::Load(const std::string& path, std::string& message) {
  lines.clear();
  std::string text;
  ReadOutcome read = files_.ReadFile(path, &text);
  if (read == ReadOutcome::kCannotOpen) {
    message = "Couldn't open " + path;
    return LoadOutcome::kFailed;
  }
  if (BeginsWithUtf16Mark(text))
    return LoadOutcome::kUtf16;

  // When the read failed, or text follows a 0x1A, the line being read is the one that
  // failed.
  bool cutShort = read == ReadOutcome::kFailed;
  size_t size = text.find(kEndOfInput);
  if (size == std::string::npos)
    size = text.size();
  else if (text.find_first_not_of("\r\n\x1A", size) != std::string::npos)
    cutShort = true;
  lines.reserve(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size), '\n') +
                1);
  bool tooLong = false;
  size_t begin = 0;
  for (size_t lf = text.find('\n'); lf < size; lf = text.find('\n', begin)) {
    size_t length = lf - begin;
    if (length > 0 && text[lf - 1] == '\r')
      --length;
    if (length > kMaxLineLength) {
      tooLong = true;
      break;
    }
    lines.emplace_back(text, begin, length);
    begin = lf + 1;
  }
  // The last line need not end with a line end; a CR at its end is then text.
  if (!tooLong && begin < size) {
    if (size - begin > kMaxLineLength)
      tooLong = true;
    else if (!cutShort)
      lines.emplace_back(text, begin, size - begin);
  }
  if (tooLong || cutShort) {
    message = NumberedReport("Couldn't load line", lines.size() + 1, "from", path);
    return LoadOutcome::kFailed;
  }
  message = "Loaded " + std::to_string(lines.size()) + " lines from " + path;
  return LoadOutcome::kLoaded;
}

bool PlainTextFile::Save(const std::string& path, std::string& message, FileHold* hold) const {
  std::string text;
  size_t size = 0;
  for (const std::string& line : lines)
    size += line.size() + 2;
  text.reserve(size);
  for (const std::string& line : lines)
    AppendEncoded(line, &text);
  size_t written = 0;
  switch (files_.WriteFile(path, text, hold, &written)) {
    case WriteOutcome::kWritten:
      message = "Saved " + std::to_string(lines.size()) + " lines in " + path;
      return true;
    case WriteOutcome::kIncomplete:
      if (lines.empty())
        break;
      message =
          NumberedReport("Couldn't write line", FirstLineNotWritten(lines, written), "to", path);
      return false;
    case WriteOutcome::kHeld:
      message = HeldReport(path);
      return false;
    case WriteOutcome::kFailed:
      break;
  }
  message = "Couldn't open " + path;
  return false;
}
