#ifndef TARVO_PLATFORM_CODE_PAGE_H_
#define TARVO_PLATFORM_CODE_PAGE_H_

#include <string>
#include <string_view>

// The program's single-byte text as Unicode, one implementation per platform
// (code_page-posix.cc, code_page-win32.cc).

/// `text`, in the program's code page (on Windows the ANSI code page, elsewhere
/// Windows-1252, which E-Prime's scripts use), as UTF-8.
std::string AnsiToUtf8(std::string_view text);

/// UTF-8 `text` in the program's code page: a character that it cannot hold, or a byte that
/// is no valid UTF-8, becomes '?'.
std::string Utf8ToAnsi(std::string_view text);

#endif  // TARVO_PLATFORM_CODE_PAGE_H_
