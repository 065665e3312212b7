#include "journal/journal_reader.h"

#include <cstring>

#include "base/text_helpers.h"
#include "base/trim.h"
#include "journal/journal_time.h"
#include "platform/code_page.h"

namespace {

const char* const kColumnNames[kJournalColumns] = {"run",       "time",       "computer",  "user",
                                                   "script",    "attributes", "data_file", "event",
                                                   "exit_code", "message"};
// The columns without which the guard cannot read a row.
const JournalColumn kNeeded[] = {JournalColumn::kRun, JournalColumn::kTime,
                                 JournalColumn::kComputer, JournalColumn::kDataFile,
                                 JournalColumn::kEvent};
const std::string_view kEventNames[] = {"started", "saved",        "not converted", "no data",
                                        "ended",   "E-Run failed", "refused"};
const char kSeparators[] = {',', ';', '\t'};
const std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The bytes read at a time, and so the longest line that can be read.
const size_t kBlock = size_t{256} * 1024;

size_t Index(JournalColumn column) {
  return static_cast<size_t>(column);
}

// The event's place in kEventNames, or its size when it is none. No two names have the same
// length and first letter, which every row is told by before its name is compared.
size_t EventIndex(std::string_view event) {
  for (size_t index = 0; index < std::size(kEventNames); ++index) {
    std::string_view name = kEventNames[index];
    if (name.size() == event.size() && UpperCaseAscii(name[0]) == UpperCaseAscii(event[0]))
      return EqualsInsensitive(name, event) ? index : std::size(kEventNames);
  }
  return std::size(kEventNames);
}

}  // namespace

const char* EventName(JournalEvent event) {
  return kEventNames[static_cast<size_t>(event)].data();
}

JournalHeader::JournalHeader() {
  for (size_t column = 0; column < kJournalColumns; ++column)
    position_[column] = static_cast<int>(column);
}

std::string JournalHeader::Line() const {
  return CsvRow(std::vector<std::string>(std::begin(kColumnNames), std::end(kColumnNames)),
                separator_);
}

std::string JournalHeader::Row(const JournalFields& fields) const {
  std::vector<std::string> laidOut(columns_);
  for (size_t column = 0; column < kJournalColumns; ++column) {
    if (position_[column] >= 0)
      laidOut[static_cast<size_t>(position_[column])] = Text(fields[column]);
  }
  return CsvRow(laidOut, separator_);
}

std::string JournalHeader::Text(std::string_view text) const {
  return utf8_ ? AnsiToUtf8(text) : std::string(text);
}

std::optional<std::time_t> JournalEntry::Time() const {
  std::time_t time;
  if (!ParseJournalTime(Field(JournalColumn::kTime), &time))
    return std::nullopt;
  return time;
}

bool JournalReader::ReadHeader() {
  buffer_.resize(kBlock);
  entry_.header_ = &header_;
  entry_.fields_ = &csv_.fields();
  if (!Fill())
    return false;
  if (std::string_view(buffer_.data(), end_).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    header_.utf8_ = true;
    begin_ = kByteOrderMark.size();
  }
  if (begin_ == end_ && !Fill())
    return false;
  std::string_view line;
  switch (NextLine(&line)) {
    case LineStatus::kEnd:
      empty_ = true;
      return true;
    case LineStatus::kFailed:
      return false;
    case LineStatus::kTooLong:
      line = std::string_view();
      break;
    case LineStatus::kLine:
      break;
  }
  return TakeHeader(line);
}

// The separator that makes the most of the line's fields names of the journal's columns.
bool JournalReader::TakeHeader(std::string_view line) {
  size_t most = 0;
  for (char separator : kSeparators) {
    if (!csv_.Split(line, separator))
      continue;
    size_t named = 0;
    for (std::string_view field : csv_.fields()) {
      for (const char* name : kColumnNames)
        named += EqualsInsensitive(Trimmed(field), name) ? 1 : 0;
    }
    if (named > most) {
      most = named;
      header_.separator_ = separator;
    }
  }
  if (most == 0) {
    problem_ = "its first line is not the journal's header";
    return false;
  }
  csv_.Split(line, header_.separator_);
  const std::vector<std::string_view>& names = csv_.fields();
  header_.columns_ = names.size();
  header_.position_.fill(-1);
  for (size_t at = 0; at < names.size(); ++at) {
    for (size_t column = 0; column < kJournalColumns; ++column) {
      // The first column of a name counts.
      if (header_.position_[column] < 0 &&
          EqualsInsensitive(Trimmed(names[at]), kColumnNames[column]))
        header_.position_[column] = static_cast<int>(at);
    }
  }
  for (JournalColumn column : kNeeded) {
    if (header_.position_[Index(column)] < 0) {
      problem_ = std::string("its header has no column ") + kColumnNames[Index(column)];
      return false;
    }
  }
  return true;
}

JournalReader::Status JournalReader::Next() {
  for (;;) {
    std::string_view line;
    switch (NextLine(&line)) {
      case LineStatus::kEnd:
        return Status::kEnd;
      case LineStatus::kFailed:
        return Status::kFailed;
      case LineStatus::kTooLong:
        return Unreadable();
      case LineStatus::kLine:
        break;
    }
    if (line.empty())
      continue;
    if (!csv_.Split(line, header_.separator_))
      return Unreadable();
    const std::vector<std::string_view>& fields = csv_.fields();
    for (size_t at = header_.columns_; at < fields.size(); ++at) {
      if (!Trimmed(fields[at]).empty())
        return Unreadable();  // a field the header has no column for
    }
    size_t known = EventIndex(entry_.Field(JournalColumn::kEvent));
    if (known == std::size(kEventNames)) {
      bool blank = true;  // a row a spreadsheet left with separators only
      for (std::string_view field : fields)
        blank = blank && Trimmed(field).empty();
      if (blank)
        continue;
      return Unreadable();
    }
    if (entry_.Field(JournalColumn::kRun).empty())
      return Unreadable();
    entry_.event_ = static_cast<JournalEvent>(known);
    return Status::kRow;
  }
}

std::string JournalReader::Failure(const std::string& path) const {
  return "Couldn't read journal " + path + (problem_.empty() ? "" : ": " + problem_);
}

JournalReader::Status JournalReader::Unreadable() {
  if (unreadable_++ == 0)
    firstUnreadable_ = entry_.row_;
  return Status::kUnreadable;
}

// The next line, without its line end: a LF, a CR LF or a CR (as the Macintosh writes)
// ends it, and each counts one row. The header's line end is the file's, so a row needs one
// search for its end. A line longer than the block is passed over whole.
JournalReader::LineStatus JournalReader::NextLine(std::string_view* line) {
  bool tooLong = false;
  for (;;) {
    if (skipLf_ && begin_ < end_) {
      begin_ += buffer_[begin_] == '\n' ? 1 : 0;
      skipLf_ = false;
    }
    const char* from = buffer_.data() + begin_;
    size_t size = end_ - begin_;
    const void* lf = lineEnd_ != '\r' ? std::memchr(from, '\n', size) : nullptr;
    size_t before = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - from) : size;
    const void* cr = lineEnd_ != '\n' ? std::memchr(from, '\r', before) : nullptr;
    const char* stop = static_cast<const char*>(cr != nullptr ? cr : lf);
    if (stop != nullptr || (atEnd_ && (size > 0 || tooLong))) {
      size_t length = stop != nullptr ? static_cast<size_t>(stop - from) : size;
      begin_ += stop != nullptr ? length + 1 : length;
      if (lineEnd_ == 0 && stop != nullptr) {
        bool crLf = *stop == '\r' && begin_ < end_ && buffer_[begin_] == '\n';
        lineEnd_ = *stop == '\n' || crLf ? '\n' : '\r';
      }
      skipLf_ = stop != nullptr && *stop == '\r';
      if (lineEnd_ == '\n' && length > 0 && from[length - 1] == '\r')
        --length;
      *line = std::string_view(from, length);
      entry_.row_ = ++line_;
      return tooLong ? LineStatus::kTooLong : LineStatus::kLine;
    }
    if (atEnd_)
      return LineStatus::kEnd;
    if (size == buffer_.size()) {
      tooLong = true;
      begin_ = end_;
    }
    if (!Fill())
      return LineStatus::kFailed;
  }
}

// Moves the unread bytes to the front of the buffer and reads more after them.
bool JournalReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  size_t count = 0;
  if (!file_.ReadAt(offset_, buffer_.data() + end_, buffer_.size() - end_, &count))
    return false;
  offset_ += count;
  end_ += count;
  atEnd_ = count == 0;
  return true;
}
