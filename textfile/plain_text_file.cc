#include "textfile/plain_text_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/file_system.h"

static_assert(PlainTextFile::kMaxLineLength <= LineList::kMaxLoadedLength,
              "every line read fits the compact store");

namespace {

// Where reading starts when the file's size cannot be told; the block grows as needed.
const size_t kFirstBlockSize = 64 * 1024;
// Room for lines is reserved by the file's size divided by this, a little below the usual
// line length, so the list is seldom copied while it grows; untouched room costs no
// memory. Never more than kMostLinesReserved, which leaves huge files address space.
const size_t kTypicalLineBytes = 16;
const size_t kMostLinesReserved = 4 * 1024 * 1024;
const size_t kWriteChunkSize = 64 * 1024;
const char kEndOfInput = 0x1A;

std::string NumberedReport(const char* verb, size_t lineNumber, const char* preposition,
                           const std::string& path) {
  return std::string(verb) + " " + std::to_string(lineNumber) + " " + preposition + " " + path;
}

// The bytes one line takes on disk: every LF in the text becomes CR LF, then CR LF.
size_t EncodedSize(std::string_view line) {
  return line.size() + 2 + static_cast<size_t>(std::count(line.begin(), line.end(), '\n'));
}

void AppendEncoded(std::string_view line, std::string* out) {
  // Lines read from a file never hold an LF; only an edit can put one there.
  for (size_t lf = line.find('\n'); lf != std::string_view::npos; lf = line.find('\n')) {
    out->append(line.data(), lf).append("\r\n", 2);
    line.remove_prefix(lf + 1);
  }
  out->append(line.data(), line.size()).append("\r\n", 2);
}

// The size of a regular file, or 0 when it cannot be told (a pipe or a device).
size_t SizeOf(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0)
    return 0;
  long size = std::ftell(file);
  std::rewind(file);
  return size > 0 ? static_cast<size_t>(size) : 0;
}

// A file's bytes up to its end or a 0x1A byte, in one block.
struct Input {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  bool readError = false;
};

// Reads in as few calls as the file allows. Stops early once the bytes after the last LF
// can only make a line that is too long, so an endless device cannot fill memory.
Input ReadAll(std::FILE* file) {
  Input input;
  // One byte more than the file holds, so the read that meets the end comes back short.
  size_t capacity = std::max(SizeOf(file) + 1, kFirstBlockSize);
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
    size_t count = std::fread(fresh, 1, wanted, file);
    bool end = count < wanted;
    if (end)
      input.readError = std::ferror(file) != 0;
    if (const void* stop = std::memchr(fresh, kEndOfInput, count)) {
      count = static_cast<size_t>(static_cast<const char*>(stop) - fresh);
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

}  // namespace

bool PlainTextFile::Load(const std::string& path, std::string& message) {
  lines.clear();

  std::FILE* file = OpenForReading(path);
  if (file == nullptr) {
    message = "Couldn't open " + path;
    return false;
  }
  Input input = ReadAll(file);
  std::fclose(file);

  const char* bytes = input.bytes.get();
  size_t size = input.size;
  lines.StartLoading(std::move(input.bytes), size);
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
    lines.AppendLoaded(begin, length);
    begin = lf + 1;
  }
  // The last line need not end with a line end; a CR at its end is then text.
  if (!tooLong && begin < size) {
    if (size - begin > kMaxLineLength)
      tooLong = true;
    else if (!input.readError)
      lines.AppendLoaded(begin, size - begin);
  }
  if (tooLong || input.readError) {
    message = NumberedReport("Couldn't load line", lines.size() + 1, "from", path);
    return false;
  }
  message = "Loaded " + std::to_string(lines.size()) + " lines from " + path;
  return true;
}

bool PlainTextFile::Save(const std::string& path, std::string& message) const {
  if (IsReadOnlyFile(path)) {
    message = "Couldn't open " + path;
    return false;
  }
  std::string tempPath;
  std::FILE* file = CreateTempFileBeside(path, &tempPath);
  if (file == nullptr) {
    message = "Couldn't open " + path;
    return false;
  }
  // Unbuffered: each chunk goes straight to the file, and a short write tells exactly
  // how far the file got, hence which line failed.
  std::setvbuf(file, nullptr, _IONBF, 0);

  auto fail = [&](size_t lineNumber) {
    std::fclose(file);
    RemoveFileQuietly(tempPath);
    message = NumberedReport("Couldn't write line", lineNumber, "to", path);
    return false;
  };
  // Writes bytes that hold whole lines, the first of them `firstLine`. Returns 0, or
  // after a short write the number of the first line that did not reach the file whole.
  auto put = [&](std::string_view bytes, size_t firstLine) -> size_t {
    size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), file);
    if (written == bytes.size())
      return 0;
    size_t line = firstLine;
    for (size_t end = EncodedSize(lines[line]); end <= written; end += EncodedSize(lines[line]))
      ++line;
    return line + 1;
  };

  std::string chunk;
  chunk.reserve(kWriteChunkSize + 2048);
  size_t chunkFirstLine = 0;
  for (size_t i = 0; i < lines.size();) {
    size_t first = i;
    std::string_view run = lines.WithLineEnd(i++);
    if (run.empty()) {
      AppendEncoded(lines[first], &chunk);
    } else {
      // Lines read with CR LF and not edited since are written out as they were read,
      // a long run of them straight from where they were read into.
      for (std::string_view more; i < lines.size() && !(more = lines.WithLineEnd(i)).empty() &&
                                  more.data() == run.data() + run.size();
           ++i)
        run = std::string_view(run.data(), run.size() + more.size());
      if (run.size() >= kWriteChunkSize) {
        if (size_t failed = put(chunk, chunkFirstLine))
          return fail(failed);
        if (size_t failed = put(run, first))
          return fail(failed);
        chunk.clear();
        chunkFirstLine = i;
        continue;
      }
      chunk.append(run);
    }
    if (chunk.size() >= kWriteChunkSize) {
      if (size_t failed = put(chunk, chunkFirstLine))
        return fail(failed);
      chunk.clear();
      chunkFirstLine = i;
    }
  }
  if (size_t failed = put(chunk, chunkFirstLine))
    return fail(failed);
  if (std::fclose(file) != 0) {
    RemoveFileQuietly(tempPath);
    message = lines.empty() ? "Couldn't open " + path
                            : NumberedReport("Couldn't write line", lines.size(), "to", path);
    return false;
  }
  if (!ReplaceFileWith(tempPath, path)) {
    RemoveFileQuietly(tempPath);
    message = "Couldn't open " + path;
    return false;
  }
  message = "Saved " + std::to_string(lines.size()) + " lines in " + path;
  return true;
}
