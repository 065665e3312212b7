#include "platform/registry_export.h"

#include <optional>
#include <vector>

#include "platform/registry.h"

namespace {

const char kClassesRoot[] = "HKEY_CLASSES_ROOT";

// Code units that fit one byte are kept and every other one becomes '?', as the 8-bit
// registry functions do with characters outside the code page.
std::string NarrowUtf16(const std::string& bytes) {
  std::string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned unit = static_cast<unsigned char>(bytes[i]) |
                    static_cast<unsigned char>(bytes[i + 1]) << 8;
    text += unit < 0x100 ? static_cast<char>(unit) : '?';
  }
  return text;
}

std::string TrimBlanks(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t\r");
  if (begin == std::string::npos)
    return std::string();
  size_t end = text.find_last_not_of(" \t\r");
  return text.substr(begin, end - begin + 1);
}

std::string CanonicalKeyName(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  if (name == "HKCR" || name.compare(0, 5, "HKCR\\") == 0)
    name.replace(0, 4, kClassesRoot);
  return name;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::optional<uint32_t> ParseHexNumber(const std::string& text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits)
    return std::nullopt;
  uint32_t number = 0;
  for (char c : text) {
    int digit = HexDigit(c);
    if (digit < 0)
      return std::nullopt;
    number = number << 4 | static_cast<uint32_t>(digit);
  }
  return number;
}

// "41,00,42": comma-separated bytes of one or two hex digits; an empty list is no bytes.
std::optional<std::string> ParseHexBytes(const std::string& text) {
  std::string bytes;
  if (TrimBlanks(text).empty())
    return bytes;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::optional<uint32_t> byte = ParseHexNumber(
        TrimBlanks(text.substr(start, comma == std::string::npos ? comma : comma - start)), 2);
    if (!byte)
      return std::nullopt;
    bytes += static_cast<char>(*byte);
    if (comma == std::string::npos)
      return bytes;
    start = comma + 1;
  }
}

// The inside of "..." with \\ and \" as the only escapes; nothing may follow the
// closing quote.
std::optional<std::string> ParseQuoted(const std::string& text) {
  if (text.empty() || text[0] != '"')
    return std::nullopt;
  std::string value;
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      if (i + 1 != text.size())
        return std::nullopt;
      return value;
    }
    if (c == '\\') {
      if (i + 1 == text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
        return std::nullopt;
      c = text[++i];
    }
    value += c;
  }
  return std::nullopt;
}

bool IsStringType(uint32_t type) {
  return type == kRegistryString || type == kRegistryExpandString || type == 7;  // REG_MULTI_SZ
}

// The data after "@=". Strings are stored with their terminator. In a version 5.00
// file, hex(n) strings hold UTF-16, which the 8-bit functions narrow.
bool ParseValueData(const std::string& text, bool unicodeFile, ExportedKey* key) {
  if (std::optional<std::string> quoted = ParseQuoted(text)) {
    key->type = kRegistryString;
    key->data = *quoted + '\0';
    return true;
  }
  if (text.compare(0, 6, "dword:") == 0) {
    std::string digits = text.substr(6);
    std::optional<uint32_t> number = ParseHexNumber(digits, 8);
    if (!number || digits.size() != 8)
      return false;
    key->type = kRegistryNumber;
    key->data.clear();
    for (int shift = 0; shift < 32; shift += 8)
      key->data += static_cast<char>(*number >> shift & 0xFF);
    return true;
  }
  uint32_t type = kRegistryBinary;
  size_t colon = text.find(':');
  if (colon == std::string::npos)
    return false;
  std::string kind = text.substr(0, colon);
  if (kind.size() > 5 && kind.compare(0, 4, "hex(") == 0 && kind.back() == ')') {
    std::optional<uint32_t> number = ParseHexNumber(kind.substr(4, kind.size() - 5), 8);
    if (!number)
      return false;
    type = *number;
  } else if (kind != "hex") {
    return false;
  }
  std::optional<std::string> bytes = ParseHexBytes(text.substr(colon + 1));
  if (!bytes)
    return false;
  key->type = type;
  key->data = unicodeFile && IsStringType(type) ? NarrowUtf16(*bytes) : *bytes;
  return true;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    lines.push_back(TrimBlanks(text.substr(start, end - start)));
    start = end + 1;
  }
  return lines;
}

}  // namespace

bool ReadExportedKey(const std::string& fileText, const std::string& keyPath,
                     ExportedKey* key) {
  *key = ExportedKey();
  std::string text = fileText;
  if (text.compare(0, 2, "\xFF\xFE") == 0)
    text = NarrowUtf16(text.substr(2));
  else if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    text.erase(0, 3);

  std::vector<std::string> lines = SplitLines(text);
  bool unicodeFile;
  if (lines[0] == "REGEDIT4")
    unicodeFile = false;
  else if (lines[0] == "Windows Registry Editor Version 5.00")
    unicodeFile = true;
  else
    return false;

  const std::string wanted = CanonicalKeyName(keyPath);
  bool inKey = false;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line = lines[i];
    if (line.empty() || line[0] == ';')
      continue;
    if (line[0] == '[') {
      // A broken key line ends the section before it, so no value is taken for the
      // wrong key.
      inKey = line.back() == ']' &&
              CanonicalKeyName(line.substr(1, line.size() - 2)) == wanted;
      key->present = key->present || inKey;
      continue;
    }
    // Long hex data goes on over lines that end in a backslash.
    while (line.back() == '\\' && i + 1 < lines.size() &&
           (lines[i + 1].empty() || lines[i + 1][0] != '[')) {
      line.pop_back();
      line += lines[++i];
      if (line.empty())
        break;
    }
    if (inKey && line.compare(0, 2, "@=") == 0) {
      ExportedKey parsed = *key;
      if (ParseValueData(line.substr(2), unicodeFile, &parsed)) {
        *key = parsed;
        key->hasDefaultValue = true;
      }
    }
  }
  return true;
}
