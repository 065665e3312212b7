#include "textfile/plain_text_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/file_system.h"

namespace {

const size_t kReadBlockSize = 64 * 1024;
const size_t kWriteChunkSize = 64 * 1024;
const char kEndOfInput = 0x1A;

std::string NumberedReport(const char* verb, size_t lineNumber, const char* preposition,
                           const std::string& path) {
  return std::string(verb) + " " + std::to_string(lineNumber) + " " + preposition + " " +
         path;
}

// The bytes one line takes on disk: every LF in the text becomes CR LF, then CR LF.
size_t EncodedSize(const std::string& line) {
  size_t size = line.size() + 2;
  for (char c : line) {
    if (c == '\n')
      ++size;
  }
  return size;
}

void AppendEncoded(const std::string& line, std::string* out) {
  const char* text = line.data();
  size_t size = line.size();
  // Lines read from a file never hold an LF; only an edit can put one there.
  while (const void* found = size == 0 ? nullptr : std::memchr(text, '\n', size)) {
    size_t length = static_cast<const char*>(found) - text;
    out->append(text, length).append("\r\n", 2);
    text += length + 1;
    size -= length + 1;
  }
  out->append(text, size).append("\r\n", 2);
}

// Room for the lines a file of this size usually holds, so the array is not copied
// while it grows (that doubles the memory touched on large scripts). Only a guess:
// files of short lines still grow it. Untouched room costs no memory.
void ReserveForFileSize(std::FILE* file, std::vector<std::string>* lines) {
  const long kTypicalLineBytes = 24;
  const long kMostLinesReserved = 4 * 1024 * 1024;
  if (std::fseek(file, 0, SEEK_END) != 0)
    return;
  long size = std::ftell(file);
  std::rewind(file);
  if (size > 0)
    lines->reserve(static_cast<size_t>(std::min(size / kTypicalLineBytes, kMostLinesReserved)));
}

}  // namespace

bool PlainTextFile::Load(const std::string& path, std::string& message) {
  lines.clear();
  lines.reserve(1024);

  std::FILE* file = OpenForReading(path);
  if (file == nullptr) {
    message = "Couldn't open " + path;
    return false;
  }
  ReserveForFileSize(file, &lines);

  // Bytes of the line being read that are not yet known to be complete. Holds at most
  // kMaxLineLength + 1 bytes of text plus one CR that may still prove to be a line end.
  std::string partial;
  std::vector<char> block(kReadBlockSize);
  bool endOfInput = false;
  bool tooLong = false;
  bool readError = false;

  auto tooLongFor = [](size_t rawLength) { return rawLength > kMaxLineLength; };

  while (!endOfInput && !tooLong) {
    size_t count = std::fread(block.data(), 1, block.size(), file);
    if (count < block.size()) {
      endOfInput = true;
      readError = std::ferror(file) != 0;
    }
    const char* data = block.data();
    if (const void* stop = std::memchr(data, kEndOfInput, count)) {
      count = static_cast<const char*>(stop) - data;
      endOfInput = true;
    }

    size_t begin = 0;
    while (begin < count) {
      const void* found = std::memchr(data + begin, '\n', count - begin);
      if (found == nullptr) {
        partial.append(data + begin, count - begin);
        // A trailing CR may still turn out to be half of CR LF, so it is not counted yet.
        size_t textLength = partial.size() - (partial.back() == '\r' ? 1 : 0);
        if (tooLongFor(textLength))
          tooLong = true;
        break;
      }
      size_t lf = static_cast<const char*>(found) - data;
      size_t length = lf - begin;
      const char* text = data + begin;
      if (partial.empty()) {
        if (length > 0 && text[length - 1] == '\r')
          --length;
        if (tooLongFor(length)) {
          tooLong = true;
          break;
        }
        lines.emplace_back(text, length);
      } else {
        partial.append(text, length);
        if (partial.back() == '\r')
          partial.pop_back();
        if (tooLongFor(partial.size())) {
          tooLong = true;
          break;
        }
        lines.emplace_back(partial);
        partial.clear();
      }
      begin = lf + 1;
    }
  }
  std::fclose(file);

  // The last line need not end with a line end; a CR at its end is then text.
  if (!tooLong && !partial.empty()) {
    if (tooLongFor(partial.size()))
      tooLong = true;
    else if (!readError)
      lines.emplace_back(partial);
  }
  if (tooLong || readError) {
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

  std::string chunk;
  chunk.reserve(kWriteChunkSize + 2048);
  size_t chunkFirstLine = 0;
  for (size_t i = 0; i <= lines.size(); ++i) {
    bool last = i == lines.size();
    if (!last)
      AppendEncoded(lines[i], &chunk);
    if (chunk.size() < kWriteChunkSize && !last)
      continue;
    size_t written = chunk.empty() ? 0 : std::fwrite(chunk.data(), 1, chunk.size(), file);
    if (written != chunk.size()) {
      // The failing line is the first one that did not reach the file whole.
      size_t line = chunkFirstLine;
      for (size_t end = EncodedSize(lines[line]); end <= written;
           end += EncodedSize(lines[line]))
        ++line;
      return fail(line + 1);
    }
    chunk.clear();
    chunkFirstLine = i + 1;
  }
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
