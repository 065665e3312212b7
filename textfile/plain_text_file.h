#ifndef TARVO_TEXTFILE_PLAIN_TEXT_FILE_H_
#define TARVO_TEXTFILE_PLAIN_TEXT_FILE_H_

#include <string>

#include "platform/file_system.h"
#include "textfile/line_list.h"

/// A text file held in memory as its lines, each without its line end.
///
/// On disk a line ends with CR LF; reading also takes LF alone as a line end, keeps a CR
/// that is not followed by LF as text, and stops at a 0x1A byte. A line holds at most
/// 1023 bytes. Writing ends every line with CR LF. Every other byte, NUL included, is
/// kept as it is.
class PlainTextFile {
 public:
  static const size_t kMaxLineLength = 1023;

  PlainTextFile() = default;
  virtual ~PlainTextFile() = default;

  /// Replaces `lines` with the lines of the file at `path`. `message` receives a one-line
  /// report in every case. On a line that is too long, the lines before it are kept.
  bool Load(const std::string& path, std::string& message);

  /// Writes all lines to `path` through a temporary file in the same folder that then
  /// replaces the target, so a failure never leaves a partial file at `path` and leaves
  /// whatever stood there before untouched. `message` receives a one-line report. Fails
  /// while another run holds `path`; with `hold`, this run holds it from then on.
  bool Save(const std::string& path, std::string& message, FileHold* hold = nullptr) const;

  LineList lines;
};

#endif  // TARVO_TEXTFILE_PLAIN_TEXT_FILE_H_
