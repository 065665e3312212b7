#include "platform/arguments.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

struct StartupInfo {
  int newMode;
};

}  // namespace

// msvcrt's own splitting of the wide command line, the same rules that gave `argv`;
// CommandLineToArgvW would differ in places and import shell32.
extern "C" int __cdecl __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** env,
                                      int expandWildcards, StartupInfo* startupInfo);

namespace {

bool ToAnsiCodePage(const wchar_t* wide, std::string* out) {
  int length = static_cast<int>(std::wcslen(wide));
  out->clear();
  if (length == 0)
    return true;
  // A UTF-8 code page ("Beta: Use Unicode UTF-8") holds every character but takes
  // neither best-fit flags nor the default-character report.
  const bool utf8 = GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefaultChar = FALSE;
  BOOL* usedDefault = utf8 ? nullptr : &usedDefaultChar;
  int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, usedDefault);
  if (size <= 0 || usedDefaultChar)
    return false;
  out->resize(static_cast<size_t>(size));
  return WideCharToMultiByte(CP_ACP, flags, wide, length, &(*out)[0], size, nullptr, usedDefault) ==
             size &&
         !usedDefaultChar;
}

}  // namespace

bool LongSlashArgumentsAreSwitches() {
  return true;
}

ProgramArguments ReadProgramArguments(int argc, char** argv) {
  ProgramArguments result;
  DWORD size = GetEnvironmentVariableW(L"TARVO_JOURNAL", nullptr, 0);
  if (size > 1) {
    std::wstring journal(size, L'\0');
    journal.resize(GetEnvironmentVariableW(L"TARVO_JOURNAL", &journal[0], size));
    result.journalVariable.emplace();
    result.journalVariableFits = ToAnsiCodePage(journal.c_str(), &*result.journalVariable);
  }
  int wideCount = 0;
  wchar_t** wide = nullptr;
  wchar_t** environment = nullptr;
  StartupInfo startupInfo = {0};
  if (__wgetmainargs(&wideCount, &wide, &environment, 0, &startupInfo) < 0 || wideCount != argc) {
    // Not expected; the C runtime's own conversion is still better than nothing.
    if (argc > 1)
      result.arguments.assign(argv + 1, argv + argc);
    return result;
  }
  for (int i = 1; i < wideCount; ++i) {
    std::string argument;
    if (!ToAnsiCodePage(wide[i], &argument) && result.firstUnconvertible == 0)
      result.firstUnconvertible = i;
    result.arguments.push_back(argument);
  }
  return result;
}

bool CurrentFolderFitsCodePage() {
  DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0)
    return true;  // nothing to mangle; resolving the path reports its own failure
  std::wstring folder(size, L'\0');
  DWORD length = GetCurrentDirectoryW(size, &folder[0]);
  folder.resize(length);
  std::string converted;
  return ToAnsiCodePage(folder.c_str(), &converted);
}
