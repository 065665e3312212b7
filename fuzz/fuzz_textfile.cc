// Arbitrary bytes through Load, on files in memory; a successful Load must give exactly the
// lines the file format's rules give, and Save and Load again must give them back, also
// when Save meets LF bytes inside lines. An input whose first byte is 0xF0 to 0xFD is moved behind
// a filler of about 64 KiB of short lines, so large files are tried as well; 0xFE and
// 0xFF stay, as the start of a UTF-16 byte-order mark.

#include <cstdint>
#include <string>
#include <vector>

#include "fake_file_system.h"
#include "fuzz/fuzz_check.h"
#include "script/plain_text_file.h"

namespace {

using Lines = std::vector<std::string>;

const size_t kFillerSize = size_t{64} * 1024;

struct Expected {
  bool ok = true;
  bool notText = false;  // failed on a UTF-16 byte-order mark
  Lines lines;           // on failure, the lines before the one that failed
};

// The file format read one byte at a time: a UTF-16 byte-order mark at the start fails;
// 0x1A ends the input when only CR, LF and 0x1A follow it, and fails the line it stands
// in otherwise; LF ends a line and takes one CR before it along; a line holds at most
// 1023 bytes.
Expected ReadByTheRules(const std::string& bytes) {
  Expected expected;
  if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
    expected.ok = false;
    expected.notText = true;
    return expected;
  }
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c == '\x1A') {
      expected.ok = bytes.find_first_not_of("\r\n\x1A", i) == std::string::npos;
      if (!expected.ok)
        return expected;
      break;
    }
    if (c != '\n') {
      line += c;
      continue;
    }
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (line.size() > PlainTextFile::kMaxLineLength) {
      expected.ok = false;
      return expected;
    }
    expected.lines.push_back(line);
    line.clear();
  }
  if (line.size() > PlainTextFile::kMaxLineLength)
    expected.ok = false;
  else if (!line.empty())
    expected.lines.push_back(line);
  return expected;
}

std::string Filler(uint8_t selector) {
  size_t length = kFillerSize - 8 + (selector & 0x0F);
  std::string filler(length, 'f');
  for (size_t i = 63; i < length; i += 64)
    filler[i] = '\n';
  return filler;
}

std::string Encoded(const Lines& lines) {
  std::string bytes;
  for (const std::string& line : lines)
    bytes += line + "\r\n";
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FakeFileSystem files;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size > 0 && data[0] >= 0xF0 && data[0] <= 0xFD)
    bytes = Filler(data[0]) + bytes.substr(1);
  files.files["in.ebs"] = bytes;

  Expected expected = ReadByTheRules(bytes);
  PlainTextFile file(files);
  std::string message;
  LoadOutcome outcome = file.Load("in.ebs", message);
  FUZZ_CHECK((outcome == LoadOutcome::kLoaded) == expected.ok);
  FUZZ_CHECK((outcome == LoadOutcome::kUtf16) == expected.notText);
  FUZZ_CHECK(file.lines == expected.lines);
  if (expected.notText)
    return 0;
  if (!expected.ok) {
    FUZZ_CHECK(message ==
               "Couldn't load line " + std::to_string(expected.lines.size() + 1) + " from in.ebs");
    return 0;
  }
  FUZZ_CHECK(message == "Loaded " + std::to_string(expected.lines.size()) + " lines from in.ebs");

  // Inputs of odd size save their lines joined in pairs by LF, as an edit may leave
  // them: each LF is written as a line end, so the same lines come back.
  PlainTextFile out(files);
  for (size_t i = 0; i < file.lines.size(); i += size % 2 + 1) {
    std::string joined(file.lines[i]);
    if (size % 2 == 1 && i + 1 < file.lines.size())
      joined.append("\n").append(file.lines[i + 1]);
    out.lines.push_back(joined);
  }
  FUZZ_CHECK(out.Save("out_tarvo.ebs", message));
  FUZZ_CHECK(message == "Saved " + std::to_string(out.lines.size()) + " lines in out_tarvo.ebs");
  FUZZ_CHECK(files.files["out_tarvo.ebs"] == Encoded(expected.lines));

  PlainTextFile again(files);
  FUZZ_CHECK(again.Load("out_tarvo.ebs", message) == LoadOutcome::kLoaded);
  FUZZ_CHECK(again.lines == expected.lines);
  return 0;
}
