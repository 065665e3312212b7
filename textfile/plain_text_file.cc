#include "textfile/plain_text_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// Where reading starts when the file's size cannot be told; the block grows as needed.
const size_t kFirstBlockSize = size_t{64} * 1024;
// Room for lines is reserved by the file's size divided by this, a little below the usual
// line length, so the list is seldom copied while it grows; untouched room costs no
// memory. Never more than kMostLinesReserved, which leaves huge files address space.
const size_t kTypicalLineBytes = 16;
const size_t kMostLinesReserved = size_t{4} * 1024 * 1024;
const size_t kWriteChunkSize = size_t{64} * 1024;
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

// Writes the lines in chunks of whole lines. Returns 0, or after a short write the number
// of the first line that did not reach the file whole.
size_t WriteLines(const std::vector<std::string>& lines, FileWriter& file) {
  std::string chunk;
  chunk.reserve(kWriteChunkSize + PlainTextFile::kMaxLineLength + 2);
  size_t first = 0;  // the first line in `chunk`
  for (size_t i = 0; i < lines.size(); ++i) {
    AppendEncoded(lines[i], &chunk);
    if (chunk.size() < kWriteChunkSize && i + 1 < lines.size())
      continue;
    size_t written = file.Write(chunk.data(), chunk.size());
    if (written < chunk.size()) {
      chunk.clear();
      for (;; ++first) {
        AppendEncoded(lines[first], &chunk);
        if (chunk.size() > written)
          return first + 1;
      }
    }
    chunk.clear();
    first = i + 1;
  }
  return 0;
}

// True when [p, end) holds a byte other than CR, LF and 0x1A.
bool HoldsText(const char* p, const char* end) {
  return std::find_if(p, end, [](char c) { return c != '\r' && c != '\n' && c != kEndOfInput; }) !=
         end;
}

// A file's bytes up to its end or its first 0x1A byte, in one block.
struct Input {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  bool readError = false;
  bool textAfterEnd = false;  // text follows the 0x1A
};

// Reads what follows a 0x1A byte, up to the end or the first text.
void ReadAfterEnd(FileReader& file, Input* input) {
  std::unique_ptr<char[]> block(new char[kFirstBlockSize]);
  size_t count;
  while ((count = file.Read(block.get(), kFirstBlockSize)) > 0) {
    if (HoldsText(block.get(), block.get() + count)) {
      input->textAfterEnd = true;
      return;
    }
  }
  input->readError = file.Failed();
}

// Reads in as few calls as the file allows. Stops early once the bytes after the last LF
// can only make a line that is too long, so a huge file without line ends cannot fill
// memory.
Input ReadAll(FileReader& file) {
  Input input;
  // One byte more than the file holds, so the read that meets the end comes back short.
  size_t capacity = std::max(file.Size() + 1, kFirstBlockSize);
  input.bytes.reset(new char[capacity]);
  size_t lineStart = 0;  // the first byte after the last LF
  for (;;) {
    if (input.size == capacity) {
      capacity *= 2;
      std::unique_ptr<char[]> larger(new char[capacity]);
      std::memcpy(larger.get(), input.bytes.get(), input.size);
      input.bytes = std::move(larger);
    }
    char* fresh = input.bytes.get() + input.size;
    size_t wanted = capacity - input.size;
    size_t count = file.Read(fresh, wanted);
    bool end = count < wanted;
    if (end)
      input.readError = file.Failed();
    if (const void* stop = std::memchr(fresh, kEndOfInput, count)) {
      size_t kept = static_cast<size_t>(static_cast<const char*>(stop) - fresh);
      input.textAfterEnd = HoldsText(fresh + kept, fresh + count);
      if (!end && !input.textAfterEnd)
        ReadAfterEnd(file, &input);
      count = kept;
      end = true;
    }
    for (size_t i = count; i > 0; --i) {
      if (fresh[i - 1] == '\n') {
        lineStart = input.size + i;
        break;
      }
    }
    input.size += count;
    // A CR may still prove to be half of a line end, hence the + 1.
    if (end || input.size - lineStart > PlainTextFile::kMaxLineLength + 1)
      return input;
  }
}

// UTF-16 text begins with one of these marks.
bool BeginsWithUtf16Mark(const Input& input) {
  if (input.size < 2)
    return false;
  unsigned char first = static_cast<unsigned char>(input.bytes[0]);
  unsigned char second = static_cast<unsigned char>(input.bytes[1]);
  return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF);
}

}  // namespace

LoadOutcome PlainTextFile::Load(const std::string& path, std::string& message) {
  lines.clear();

  std::unique_ptr<FileReader> file = files_.OpenForReading(path);
  if (!file) {
    message = "Couldn't open " + path;
    return LoadOutcome::kFailed;
  }
  Input input = ReadAll(*file);
  file.reset();
  if (BeginsWithUtf16Mark(input))
    return LoadOutcome::kUtf16;

  const char* bytes = input.bytes.get();
  size_t size = input.size;
  lines.reserve(std::min(size / kTypicalLineBytes + 1, kMostLinesReserved));
  bool tooLong = false;
  size_t begin = 0;
  while (const void* found =
             begin == size ? nullptr : std::memchr(bytes + begin, '\n', size - begin)) {
    size_t lf = static_cast<size_t>(static_cast<const char*>(found) - bytes);
    size_t length = lf - begin;
    if (length > 0 && bytes[lf - 1] == '\r')
      --length;
    if (length > kMaxLineLength) {
      tooLong = true;
      break;
    }
    lines.emplace_back(bytes + begin, length);
    begin = lf + 1;
  }
  // The last line need not end with a line end; a CR at its end is then text. When the
  // read failed, or text follows a 0x1A, the line being read is the one that failed.
  bool cutShort = input.readError || input.textAfterEnd;
  if (!tooLong && begin < size) {
    if (size - begin > kMaxLineLength)
      tooLong = true;
    else if (!cutShort)
      lines.emplace_back(bytes + begin, size - begin);
  }
  if (tooLong || cutShort) {
    message = NumberedReport("Couldn't load line", lines.size() + 1, "from", path);
    return LoadOutcome::kFailed;
  }
  message = "Loaded " + std::to_string(lines.size()) + " lines from " + path;
  return LoadOutcome::kLoaded;
}

bool PlainTextFile::Save(const std::string& path, std::string& message, FileHold* hold) const {
  if (files_.IsReadOnlyFile(path)) {
    message = "Couldn't open " + path;
    return false;
  }
  std::string tempPath;
  std::unique_ptr<FileWriter> file = CreateTempFileBeside(files_, path, &tempPath);
  if (!file) {
    message = "Couldn't open " + path;
    return false;
  }
  if (size_t failed = WriteLines(lines, *file)) {
    file.reset();
    files_.Remove(tempPath);
    message = NumberedReport("Couldn't write line", failed, "to", path);
    return false;
  }
  if (!file->Close()) {
    files_.Remove(tempPath);
    message = lines.empty() ? "Couldn't open " + path
                            : NumberedReport("Couldn't write line", lines.size(), "to", path);
    return false;
  }
  ReplaceOutcome replaced = files_.Replace(tempPath, path, hold);
  if (replaced != ReplaceOutcome::kReplaced) {
    files_.Remove(tempPath);
    message = replaced == ReplaceOutcome::kHeld
                  ? "Couldn't replace " + path + ": another run is using it"
                  : "Couldn't open " + path;
    return false;
  }
  message = "Saved " + std::to_string(lines.size()) + " lines in " + path;
  return true;
}
