#include "platform/code_page.h"

#include <windows.h>

std::string AnsiToUtf8(std::string_view text) {
  if (text.empty())
    return std::string();
  int length = static_cast<int>(text.size());
  int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength > 0 ? wideLength : 0), L'\0');
  if (wideLength <= 0 ||
      MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], wideLength) != wideLength)
    return std::string(text);
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size <= 0 || WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], size, nullptr,
                                       nullptr) != size)
    return std::string(text);
  return utf8;
}

std::string Utf8ToAnsi(std::string_view text) {
  if (text.empty())
    return std::string();
  int length = static_cast<int>(text.size());
  int wideLength = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength > 0 ? wideLength : 0), L'\0');
  if (wideLength <= 0 ||
      MultiByteToWideChar(CP_UTF8, 0, text.data(), length, &wide[0], wideLength) != wideLength)
    return std::string(text.size(), '?');
  int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size <= 0 || WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &ansi[0], size, nullptr,
                                       nullptr) != size)
    return std::string(text.size(), '?');
  return ansi;
}
