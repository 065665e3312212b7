#include "base/paths.h"

#include "base/text_helpers.h"

namespace {

bool HasDrive(std::string_view path) {
  char letter = UpperCaseAscii(path.empty() ? '\0' : path[0]);
  return path.size() >= 2 && letter >= 'A' && letter <= 'Z' && path[1] == ':';
}

}  // namespace

std::string FolderOf(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && !IsPathSeparator(path[end - 1]))
    --end;
  return path.substr(0, end);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
  size_t name = path.size() - FileNameOf(path).size();
  size_t dot = path.rfind('.');
  std::string replaced(dot == std::string_view::npos || dot < name ? path : path.substr(0, dot));
  return replaced.append(extension);
}

bool IsRootedWindowsPath(std::string_view path) {
  return HasDrive(path) || StartsWith(path, "\\") || StartsWith(path, "/");
}

bool IsDriveRelativePath(std::string_view path) {
  return HasDrive(path) && (path.size() == 2 || (path[2] != '\\' && path[2] != '/'));
}
