#ifndef TARVO_SCRIPT_PLAIN_TEXT_FILE_H_
#define TARVO_SCRIPT_PLAIN_TEXT_FILE_H_

#include <string>
#include <vector>

#include "platform/file_system.h"

enum class LoadOutcome {
  kLoaded,
  kFailed,
  kUtf16,  // the file begins with a UTF-16 byte-order mark: no single-byte text
};

/// A text file held in memory as its lines, each without its line end.
///
/// On disk a line ends with CR LF; reading also takes LF alone as a line end and keeps a
/// CR that is not followed by LF as text. A 0x1A byte ends the text when only CR, LF and
/// 0x1A bytes follow it. A line holds at most 1023 bytes. Writing ends every line with
/// CR LF. Every other byte, NUL included, is kept as it is.
class PlainTextFile {
 public:
  static constexpr size_t kMaxLineLength = 1023;

  explicit PlainTextFile(FileSystem& files = RealFileSystem()) : files_(files) {}

  /// Replaces `lines` with the lines of the file at `path`. `message` receives a one-line
  /// report, except for kUtf16, which the caller words. Fails on a line that is too long,
  /// cannot be read, or holds a 0x1A that text follows; the lines before it are kept. A
  /// file too large to hold (see FileSystem::ReadFile) fails on its first line.
  LoadOutcome Load(const std::string& path, std::string& message);

  /// Writes all lines to `path` in one step (see FileSystem::WriteFile): a failure leaves
  /// whatever stood there untouched. `message` receives a one-line report. Fails while
  /// another run holds `path`; with `hold`, this run holds it from then on.
  bool Save(const std::string& path, std::string& message, FileHold* hold = nullptr) const;
  /// Save's report when another run holds `path`.
  static std::string HeldReport(const std::string& path) {
    return "Couldn't replace " + path + ": another run is using it";
  }

  std::vector<std::string> lines;

 private:
  FileSystem& files_;
};

#endif  // TARVO_SCRIPT_PLAIN_TEXT_FILE_H_
