#include "journal/journal_reader.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>

#include "base/latin_text.h"
#include "base/paths.h"
#include "base/text_helpers.h"
#include "base/trim.h"
#include "base/words.h"
#include "journal/journal_time.h"
#include "platform/code_page.h"
#include "platform/worker.h"

namespace {

const char* const kColumnNames[kJournalColumns] = {"run",       "time",       "computer",  "user",
                                                   "script",    "attributes", "data_file", "event",
                                                   "exit_code", "message"};
// The columns without which the guard cannot read a row.
const JournalColumn kNeeded[] = {JournalColumn::kRun, JournalColumn::kTime,
                                 JournalColumn::kComputer, JournalColumn::kDataFile,
                                 JournalColumn::kEvent};
const std::string_view kEventNames[] = {"started", "saved",        "not converted",
                                        "no data", "ended",        "E-Run failed",
                                        "refused", "E-Run started"};
const char kSeparators[] = {',', ';', '\t'};
const std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// What `copy` in text mode puts at the end of the files it joins.
const char kCtrlZ = '\x1A';
// The bytes read at a time at first: few enough to stay in the processor's cache between the
// copy and the scan, and to add few pages to a run. A line that does not fit makes them
// more, up to kBlock, the longest line that can be read.
const size_t kFirstBlock = size_t{64} * 1024;
const size_t kBlock = size_t{256} * 1024;

size_t Index(JournalColumn column) {
  return static_cast<size_t>(column);
}

// The event's place in kEventNames as the program writes it, or their number when it is
// not: most names differ in their size or first letter, which are compared before the rest.
size_t WrittenEvent(std::string_view event) {
  for (size_t index = 0; index < std::size(kEventNames); ++index) {
    std::string_view name = kEventNames[index];
    if (name.size() == event.size() && !event.empty() && name[0] == event[0] &&
        SameBytes(name, event))
      return index;
  }
  return std::size(kEventNames);
}

// The event's place in kEventNames, in any letter case, or their number when it is none.
size_t EventIndex(std::string_view event) {
  size_t index = WrittenEvent(event);
  if (index < std::size(kEventNames))
    return index;
  index = 0;
  while (index < std::size(kEventNames) && !EqualsInsensitive(kEventNames[index], event))
    ++index;
  return index;
}

}  // namespace

const char* EventName(JournalEvent event) {
  return kEventNames[static_cast<size_t>(event)].data();
}

bool EndsRun(JournalEvent event) {
  return event != JournalEvent::kStarted && event != JournalEvent::kRefused &&
         event != JournalEvent::kErunStarted;
}

JournalHeader::JournalHeader() {
  for (size_t column = 0; column < kJournalColumns; ++column)
    position_[column] = static_cast<int>(column);
}

std::string JournalHeader::Line() const {
  return CsvRow(std::vector<std::string>(std::begin(kColumnNames), std::end(kColumnNames)),
                separator_);
}

std::string JournalHeader::Row(const JournalFields& fields, unsigned journalText) const {
  std::vector<std::string> laidOut(columns_);
  for (size_t column = 0; column < kJournalColumns; ++column) {
    if (position_[column] < 0)
      continue;
    bool asIs = (journalText >> column & 1) != 0;
    laidOut[static_cast<size_t>(position_[column])] = asIs ? fields[column] : Text(fields[column]);
  }
  return CsvRow(laidOut, separator_);
}

std::string JournalHeader::Lacks(JournalColumn column) const {
  if (position_[Index(column)] >= 0)
    return std::string();
  return std::string("its header has no column ") + kColumnNames[Index(column)];
}

std::string JournalHeader::Text(std::string_view text) const {
  return utf8_ ? AnsiToUtf8(text) : std::string(text);
}

bool JournalEntry::utf8() const {
  return ascii_ || IsValidUtf8(line_);
}

std::string JournalEntry::Utf8(JournalColumn column) const {
  std::string_view field = Field(column);
  return ascii_ || utf8() ? std::string(field) : AnsiToUtf8(field);
}

std::string JournalEntry::Ansi(JournalColumn column) const {
  std::string_view field = Field(column);
  return ascii_ || !utf8() ? std::string(field) : Utf8ToAnsi(field);
}

std::optional<std::time_t> JournalEntry::Time() const {
  std::time_t time;
  if (!ParseJournalTime(Field(JournalColumn::kTime), &time))
    return std::nullopt;
  return time;
}

// The buffer, and the entry that shows the row split last.
void JournalReader::Prepare() {
  buffer_.resize(kFirstBlock);
  entry_.header_ = &header_;
  entry_.fields_ = &csv_;
}

bool JournalReader::ReadHeader() {
  Prepare();
  if (!Fill())
    return false;
  if (std::string_view(buffer_.data(), end_).substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    header_.utf8_ = true;
    textKnown_ = true;
    begin_ = kByteOrderMark.size();
  }
  for (;;) {
    while (begin_ < end_ && buffer_[begin_] == kCtrlZ)
      ++begin_;
    if (begin_ < end_)
      break;
    if (atEnd_) {
      empty_ = true;
      return true;
    }
    if (!Fill())
      return false;
  }
  std::string_view line;
  return HeaderLine(&line) && TakeHeader(line);
}

// The header line, which ends at its first CR or LF, and its line end, which is the rows'
// too: a row then needs one search for its end. A line that fills the first block is no
// header, whatever follows, so a file of zeros is refused at once.
bool JournalReader::HeaderLine(std::string_view* line) {
  for (;;) {
    std::string_view rest(buffer_.data() + begin_, end_ - begin_);
    size_t stop = rest.find_first_of("\r\n");
    bool lineEndKnown =
        stop != std::string_view::npos && (rest[stop] == '\n' || stop + 1 < rest.size() || atEnd_);
    if (lineEndKnown || (stop == std::string_view::npos && atEnd_)) {
      bool crLf =
          lineEndKnown && rest[stop] == '\r' && stop + 1 < rest.size() && rest[stop + 1] == '\n';
      lineEnd_ = !lineEndKnown || rest[stop] == '\n' || crLf ? '\n' : '\r';
      skipLf_ = lineEndKnown && rest[stop] == '\r';
      *line = rest.substr(0, lineEndKnown ? stop : rest.size());
      begin_ += lineEndKnown ? stop + 1 : rest.size();
      entry_.row_ = ++line_;
      return true;
    }
    if (rest.size() == buffer_.size() && !Grow()) {
      problem_ = "its first line is not the journal's header";
      return false;
    }
    if (!Fill())
      return false;
  }
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
  NoteText(line);
  const std::vector<std::string_view> names = csv_.fields();
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
    problem_ = header_.Lacks(column);
    if (!problem_.empty())
      return false;
  }
  return true;
}

// The journal's text is decided by its first line that is not ASCII: UTF-8 when that line
// is valid UTF-8, as LibreOffice and today's Notepad save a file, else the code page's.
void JournalReader::NoteText(std::string_view line) {
  if (textKnown_ || csv_.ascii())
    return;
  header_.utf8_ = IsValidUtf8(line);
  textKnown_ = true;
}

JournalReader::Status JournalReader::Next() {
  Status status = Row();
  if (survey_ != nullptr)
    Note(status);
  return status;
}

JournalReader::Status JournalReader::Row() {
  for (;;) {
    if (replay_ != nullptr) {
      if (replayed_ == replay_->kept_.size())
        return Status::kEnd;
      Seek(replay_->kept_[replayed_++]);
    }
    switch (NextLine()) {
      case LineStatus::kEnd:
        return Status::kEnd;
      case LineStatus::kFailed:
        return Status::kFailed;
      case LineStatus::kTooLong:
        return Unreadable();
      case LineStatus::kUnsplit:
        NoteText(entry_.line_);
        return Unreadable();
      case LineStatus::kLine:
        break;
    }
    if (entry_.line_.empty())
      continue;
    NoteText(entry_.line_);
    writtenEvent_ = WrittenEvent(Written(JournalColumn::kEvent));
    if (sieve_ != nullptr && PassesOver(*sieve_))
      continue;
    for (size_t at = header_.columns_; at < csv_.size(); ++at) {
      if (!Trimmed(csv_[at]).empty())
        return Unreadable();  // a field the header has no column for
    }
    // An event as written needs no other look.
    size_t known = writtenEvent_ < std::size(kEventNames)
                       ? writtenEvent_
                       : EventIndex(entry_.Field(JournalColumn::kEvent));
    if (known == std::size(kEventNames)) {
      bool blank = true;  // a row a spreadsheet left with separators only
      for (size_t at = 0; at < csv_.size(); ++at)
        blank = blank && Trimmed(csv_[at]).empty();
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

// Whether the sieve lets the row split last go: it is looked at as written, and anything
// that the full reading of a row would have to make something of sends it that way.
bool JournalReader::PassesOver(const JournalSieve& sieve) const {
  if (csv_.size() > header_.columns_)
    return false;
  auto asWritten = [](std::string_view text) {
    return !text.empty() && !IsWhitespace(text.front()) && !IsWhitespace(text.back());
  };
  std::string_view run = Written(JournalColumn::kRun);
  std::string_view computer = Written(JournalColumn::kComputer);
  std::string_view dataFile = Written(JournalColumn::kDataFile);
  size_t known = writtenEvent_;
  if (known == std::size(kEventNames) || !asWritten(run) ||
      (!computer.empty() && !asWritten(computer)) || (!dataFile.empty() && !asWritten(dataFile)))
    return false;
  auto kind = static_cast<JournalEvent>(known);
  // A release by hand, an `ended` row that may name nothing but its run, must be seen.
  if ((kind == JournalEvent::kEnded && !asWritten(Written(JournalColumn::kScript))) ||
      (EndsRun(kind) && (sieve.endRows || (!sieve.runs.empty() && StartsWith(run, sieve.runs)))) ||
      EqualsInsensitive(computer, sieve.computer))
    return false;
  const std::string& name = sieve.fileName;
  return name.empty() || dataFile.size() < name.size() ||
         !EqualsInsensitive(dataFile.substr(dataFile.size() - name.size()), name);
}

// What the survey keeps of the row just read.
void JournalReader::Note(Status status) {
  JournalSurvey& survey = *survey_;
  if (status == Status::kEnd) {
    survey.complete_ = true;
    survey.utf8_ = header_.utf8_;
  } else if (status == Status::kRow && PassesOver(survey.sieve_) &&
             !(EndsRun(entry_.event_) && StartsWith(Written(JournalColumn::kRun), survey.runs_))) {
    survey.AddName(Written(JournalColumn::kDataFile));
  } else if (status != Status::kFailed) {
    survey.full_ = survey.full_ || survey.kept_.size() == JournalSurvey::kMostKept;
    if (!survey.full_)
      survey.kept_.push_back({lineStart_, entry_.row_});
  }
}

void JournalReader::Replay(const JournalSurvey* survey) {
  replay_ = survey;
  header_.utf8_ = survey->utf8_;
  textKnown_ = true;
}

// To the line of a row kept: within the bytes read already when it is there.
void JournalReader::Seek(const JournalSurvey::Kept& kept) {
  uint64_t bufferStart = offset_ - end_;
  if (kept.offset >= bufferStart && kept.offset < offset_) {
    begin_ = static_cast<size_t>(kept.offset - bufferStart);
  } else {
    begin_ = end_ = 0;
    offset_ = kept.offset;
    atEnd_ = false;
  }
  skipLf_ = false;
  line_ = kept.row - 1;
}

void JournalSurvey::Join(const JournalSurvey& later, size_t rowsBefore) {
  for (const Kept& kept : later.kept_) {
    full_ = full_ || kept_.size() == kMostKept;
    if (!full_)
      kept_.push_back({kept.offset, kept.row + rowsBefore});
  }
  for (size_t at = 0; at < names_.size(); ++at)
    names_[at] |= later.names_[at];
  complete_ = complete_ && later.complete_;
  full_ = full_ || later.full_;
}

bool JournalSurvey::Serves(std::string_view fileName) const {
  if (!complete_ || full_)
    return false;
  if (!sieve_.fileName.empty())
    return EqualsInsensitive(fileName, sieve_.fileName);
  uint64_t key = Key(fileName);
  uint64_t bits = Bits(key);
  return (names_[key % names_.size()] & bits) != bits;
}

void JournalSurvey::AddName(std::string_view path) {
  uint64_t key = Key(path);
  names_[key % names_.size()] |= Bits(key);
}

// Two bits of one word of the filter: one memory access a row.
uint64_t JournalSurvey::Bits(uint64_t key) {
  return uint64_t{1} << (key >> 32) % 64 | uint64_t{1} << (key >> 40) % 64;
}

// A key of the path's file name, for every row: of its last 16 bytes, those after the
// path's last separator, with bit 0x20 of each cleared, so that names equal in any letter
// case get one key (and a few names that differ share one, which only costs a read).
uint64_t JournalSurvey::Key(std::string_view path) {
  char last[16] = {};
  const char* end = path.data() + path.size();
  if (path.size() < sizeof last) {
    if (!path.empty())
      std::memcpy(last + sizeof last - path.size(), path.data(), path.size());
    end = last + sizeof last;
  }
  uint64_t words[2] = {Word(end - 16), Word(end - 8)};
  for (size_t at = 2; at-- > 0;) {
    uint64_t separators = Matches(words[at], Lanes('\\')) | Matches(words[at], Lanes('/')) |
                          Matches(words[at], Lanes(':'));
    if (separators != 0) {
      words[at] &= ~((uint64_t{2} << HighestBit(separators)) - 1);
      if (at == 1)
        words[0] = 0;
      break;
    }
  }
  const uint64_t caseBits = 0x2020202020202020ULL;
  uint64_t key = ((words[0] & ~caseBits) * 0x9E3779B97F4A7C15ULL) ^ (words[1] & ~caseBits);
  key *= 0xBF58476D1CE4E5B9ULL;
  return key ^ key >> 31;
}

namespace {

// Where the first line that begins after `from`, of lines that end with `lineEnd`, begins:
// `to` when none begins before it, the file's end when that comes first. False when the
// file cannot be read.
bool LineAfter(LockedFile& file, char lineEnd, uint64_t from, uint64_t to, uint64_t* at) {
  char bytes[4096];
  uint64_t next = from;
  while (next < to) {
    size_t count = 0;
    if (!file.ReadAt(next, bytes, static_cast<size_t>(std::min<uint64_t>(sizeof bytes, to - next)),
                     &count))
      return false;
    if (count == 0)
      break;
    const char* found = static_cast<const char*>(std::memchr(bytes, lineEnd, count));
    if (found != nullptr) {
      *at = next + static_cast<uint64_t>(found - bytes) + 1;
      return true;
    }
    next += count;
  }
  *at = std::min(next, to);
  return true;
}

// Every row of the reader's part, each row that can be read to `rows`.
bool ReadPart(JournalReader& reader, PartRows& rows) {
  for (;;) {
    switch (reader.Next()) {
      case JournalReader::Status::kRow:
        rows.Take(reader.entry());
        break;
      case JournalReader::Status::kUnreadable:
        break;
      case JournalReader::Status::kEnd:
        return true;
      case JournalReader::Status::kFailed:
        return false;
    }
  }
}

}  // namespace

// What each later part's reader takes from the first part's as the read in parts begins:
// copied before the thread that reads the later parts starts, as the first part's reader
// goes on to change its own.
struct JournalReader::PartStart {
  JournalHeader header;
  char lineEnd;
  bool textKnown;
  const JournalSieve* sieve;
  std::optional<JournalSieve> survey;  // the sieve of the survey, where there is one
};

// A part of a read in parts, the rows from `start` to `limit`, read by one of the two
// threads. The other moves `limit` nearer, under the read's lock, to take the rows after
// it, but never below `reached`: the bytes its reader has read or is reading.
struct JournalReader::Part {
  JournalReader* reader = nullptr;  // the caller's for the first part, else `ownReader`
  PartRows* rows = nullptr;
  std::unique_ptr<JournalReader> ownReader;
  std::unique_ptr<PartRows> ownRows;
  Sharing* sharing = nullptr;
  uint64_t start = 0;
  uint64_t limit = UINT64_MAX;
  uint64_t reached = 0;
};

JournalReader::PartStart JournalReader::Start() const {
  PartStart start{header_, lineEnd_, textKnown_, sieve_, std::nullopt};
  if (survey_ != nullptr)
    start.survey = survey_->sieve_;
  return start;
}

// A reader of the rows from `at`, a line's start, to `limit`, numbered from 1 as if they
// were the first, with a survey of its own where the first part's reader has one.
void JournalReader::Begin(const PartStart& start, uint64_t at, uint64_t limit) {
  header_ = start.header;
  lineEnd_ = start.lineEnd;
  textKnown_ = start.textKnown;
  Prepare();
  offset_ = at;
  limit_ = limit;
  skipLf_ = lineEnd_ == '\r';  // a LF after the CR that ends the line before
  sieve_ = start.sieve;
  if (start.survey) {
    ownSurvey_ = std::make_unique<JournalSurvey>(start.survey->computer, start.survey->fileName);
    survey_ = ownSurvey_.get();
  }
}

// Where the rows hold at least `partsFrom` bytes, this reader's rows end at the first line
// that begins after their middle, `*at`, where the second part's begin; they end at the
// file's end, `*end`.
JournalReader::Parts JournalReader::Split(uint64_t partsFrom, uint64_t* at, uint64_t* end) {
  uint64_t& size = *end;
  if (!file_.Size(&size))
    return Parts::kFailed;
  uint64_t rows = offset_ - (end_ - begin_);
  if (size < rows || size - rows < partsFrom)
    return Parts::kOne;
  if (!LineAfter(file_, lineEnd_, rows + (size - rows) / 2, UINT64_MAX, at))
    return Parts::kFailed;
  limit_ = *at;
  if (offset_ > *at) {  // the bytes read already go on beyond this reader's part
    end_ -= static_cast<size_t>(offset_ - *at);
    offset_ = *at;
  }
  return Parts::kTwo;
}

// The parts of a read in parts, which two threads read a part at a time: the first the
// rows up to the middle, the second those after. A thread done with its part takes the
// second half of what the other's part has still to read, while that is worth a reader, so
// that the processor that is done first, or the faster, reads more.
class JournalReader::Sharing {
 public:
  // Made before the second thread starts: each part's rows are made from `model_`, as the
  // first part's change while the parts are read.
  Sharing(LockedFile& file, PartStart start, PartRows& first, uint64_t least)
      : file_(file),
        start_(std::move(start)),
        first_(first),
        model_(first.Later()),
        least_(least) {}

  // The first part, the caller's reader's up to `at`, and the second, from `at` to `end`.
  void Begin(JournalReader& reader, uint64_t at, uint64_t end) {
    Part& first = parts_.emplace_back();
    first.reader = &reader;
    first.rows = &first_;
    first.sharing = this;
    first.limit = at;
    first.reached = reader.offset_;
    reader.part_ = &first;
    current_[0] = &first;
    current_[1] = Add(at, end);
  }
  // Reads the parts of thread `thread` (0 or 1) until there is nothing left to take; false
  // when the file could not be read.
  bool Read(size_t thread) {
    for (;;) {
      Part& part = *current_[thread];
      if (!part.reader) {
        part.ownReader = std::make_unique<JournalReader>(file_);
        part.ownReader->Begin(start_, part.start, UINT64_MAX);  // Fill reads the part's limit
        part.ownReader->part_ = &part;
        part.reader = part.ownReader.get();
        part.ownRows = model_->Later();
        part.rows = part.ownRows.get();
      }
      bool read = ReadPart(*part.reader, *part.rows);
      Lock();
      Part* taken = read ? Take(*current_[1 - thread]) : nullptr;
      if (taken != nullptr)
        current_[thread] = taken;
      Unlock();
      if (taken == nullptr)
        return read;
    }
  }
  // Once both threads are done, and have read their parts: every part's rows, joined in the
  // journal's order to the first's.
  void Join() {
    std::sort(parts_.begin(), parts_.end(),
              [](const Part& one, const Part& other) { return one.start < other.start; });
    Part& first = parts_.front();
    for (auto part = parts_.begin() + 1; part != parts_.end(); ++part) {
      size_t lines = first.reader->lines();
      first.reader->Join(*part->reader);
      first.rows->Join(*part->rows, lines);
    }
  }
  void Lock() {
    while (busy_.test_and_set(std::memory_order_acquire)) {
    }
  }
  void Unlock() { busy_.clear(std::memory_order_release); }

 private:
  Part* Add(uint64_t at, uint64_t limit) {
    Part& part = parts_.emplace_back();
    part.sharing = this;
    part.start = part.reached = at;
    part.limit = limit;
    return &part;
  }
  // Under the lock: a part of the second half of what `other` has still to read, if worth it.
  Part* Take(Part& other) {
    uint64_t at = 0, from = other.reached, to = other.limit;
    if (to <= from || to - from < least_ ||
        !LineAfter(file_, start_.lineEnd, from + (to - from) / 2, to, &at) || at >= to)
      return nullptr;
    other.limit = at;
    return Add(at, to);
  }

  LockedFile& file_;
  const PartStart start_;
  PartRows& first_;
  const std::unique_ptr<PartRows> model_;
  const uint64_t least_;
  std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  std::deque<Part> parts_;                 // a deque: a part stays where it was made until Join
  Part* current_[2] = {nullptr, nullptr};  // each thread's part
};

void JournalReader::Join(const JournalReader& later) {
  if (unreadable_ == 0 && later.unreadable_ > 0)
    firstUnreadable_ = later.firstUnreadable_ + line_;
  unreadable_ += later.unreadable_;
  if (!textKnown_ && later.textKnown_) {
    header_.utf8_ = later.header_.utf8_;
    textKnown_ = true;
  }
  if (survey_ != nullptr && later.survey_ != nullptr) {
    survey_->Join(*later.survey_, line_);
    survey_->utf8_ = header_.utf8_;
  }
  line_ += later.line_;
}

PartsRead ReadInParts(JournalReader& reader, PartRows& rows, uint64_t partsFrom) {
  PartsRead parts;
  uint64_t at = 0, end = 0;
  JournalReader::Parts split = reader.Split(partsFrom, &at, &end);
  if (split == JournalReader::Parts::kFailed)
    return parts;
  if (split == JournalReader::Parts::kOne) {
    parts.read = ReadPart(reader, rows);
    return parts;
  }
  // Less than this is read sooner than another reader is ready.
  const uint64_t least = std::max(partsFrom / 2, uint64_t{64} << 10);
  JournalReader::Sharing sharing(reader.file(), reader.Start(), rows, least);
  sharing.Begin(reader, at, end);
  bool laterRead = false;
  {
    Worker worker([&sharing, &laterRead] { laterRead = sharing.Read(1); });
    parts.read = sharing.Read(0);
  }
  reader.part_ = nullptr;
  parts.read = parts.read && laterRead;
  if (parts.read)
    sharing.Join();
  parts.split = true;
  return parts;
}

std::string JournalReader::Failure(const std::string& path) const {
  return "Couldn't read journal " + path + (problem_.empty() ? "" : ": " + problem_);
}

JournalReader::Status JournalReader::Unreadable() {
  if (unreadable_++ == 0)
    firstUnreadable_ = entry_.row_;
  return Status::kUnreadable;
}

// The next row's line, split: its end and its fields are found in one pass. A line longer
// than the buffer is passed over whole, its start kept for unreadableLine().
JournalReader::LineStatus JournalReader::NextLine() {
  bool tooLong = false;
  for (;;) {
    if (skipLf_ && begin_ == end_ && !atEnd_) {
      if (!Fill())
        return LineStatus::kFailed;
      continue;
    }
    if (skipLf_ && begin_ < end_ && buffer_[begin_] == '\n')
      ++begin_;
    skipLf_ = false;
    while (!tooLong && begin_ < end_ && buffer_[begin_] == kCtrlZ)
      ++begin_;
    std::string_view rest(buffer_.data() + begin_, end_ - begin_);
    if (!tooLong)
      lineStart_ = offset_ - (end_ - begin_);
    size_t length = 0, next = 0;
    bool split = csv_.SplitLine(rest, header_.separator_, lineEnd_, &length, &next);
    if (next > 0 || (atEnd_ && (!rest.empty() || tooLong))) {
      entry_.line_ = tooLong ? std::string_view(longLine_) : rest.substr(0, length);
      entry_.ascii_ = !tooLong && csv_.ascii();
      begin_ += next > 0 ? next : rest.size();
      skipLf_ = next > 0 && lineEnd_ == '\r';
      entry_.row_ = ++line_;
      if (tooLong)
        return LineStatus::kTooLong;
      return split ? LineStatus::kLine : LineStatus::kUnsplit;
    }
    if (atEnd_)
      return LineStatus::kEnd;
    if (rest.size() == buffer_.size() && !Grow()) {
      if (!tooLong)
        longLine_.assign(rest);
      tooLong = true;
      begin_ = end_;
    }
    if (!Fill())
      return LineStatus::kFailed;
  }
}

// Makes room for a line that fills the buffer; false when it holds kBlock already.
bool JournalReader::Grow() {
  if (buffer_.size() >= kBlock)
    return false;
  buffer_.resize(std::min(buffer_.size() * 2, kBlock));
  return true;
}

// Moves the unread bytes to the front of the buffer and reads more after them.
bool JournalReader::Fill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  size_t count = 0;
  uint64_t room = buffer_.size() - end_;
  if (part_ != nullptr) {  // a part's end, which the other thread may have moved nearer
    part_->sharing->Lock();
    limit_ = part_->limit;
    part_->reached = offset_ + std::min(room, limit_ - offset_);
    part_->sharing->Unlock();
  }
  if (offset_ < limit_ &&
      !file_.ReadAt(offset_, buffer_.data() + end_,
                    static_cast<size_t>(std::min(room, limit_ - offset_)), &count))
    return false;
  offset_ += count;
  end_ += count;
  atEnd_ = count == 0;
  return true;
}
