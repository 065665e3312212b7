#ifndef TARVO_BASE_PATHS_H_
#define TARVO_BASE_PATHS_H_

#include <string>
#include <string_view>

// The rules of paths, in one place. Two sets of separators: a path of this computer's file
// system (FolderOf) has this platform's, while a path written by any station, as journal
// rows and scripts hold them, has Windows' on both platforms (FileNameOf).

/// True for the bytes that end a folder in a path as Windows writes it, which names
/// written on POSIX use too: backslash, slash, and the colon after a drive.
constexpr bool IsWindowsPathSeparator(char c) {
  return c == '\\' || c == '/' || c == ':';
}

/// True for a byte that separates folders in a path of this platform: "/" on POSIX, and
/// IsWindowsPathSeparator's on Windows.
constexpr bool IsPathSeparator(char c) {
#ifdef _WIN32
  return IsWindowsPathSeparator(c);
#else
  return c == '/';
#endif
}

/// The file name of a path written on either platform: what follows its last separator.
inline std::string_view FileNameOf(std::string_view path) {
  size_t begin = path.size();
  while (begin > 0 && !IsWindowsPathSeparator(path[begin - 1]))
    --begin;
  return path.substr(begin);
}

/// The folder part of a path of this platform with its final separator, or "" for a bare
/// name.
std::string FolderOf(const std::string& path);

/// `path` with `extension` (".edat") in place of its file name's own, or added when the
/// file name has none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);

/// True for a Windows path that begins with a drive letter and a colon ("C:\x", or "C:x",
/// the drive's current folder) or with a separator ("\\server\x", "\x"): a folder put in
/// front of it would make no path.
bool IsRootedWindowsPath(std::string_view path);
/// True for "C:" or "C:x": a drive letter and a colon without a separator after them, a
/// path that depends on that drive's current folder.
bool IsDriveRelativePath(std::string_view path);

#endif  // TARVO_BASE_PATHS_H_
