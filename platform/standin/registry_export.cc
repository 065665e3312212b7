#include "platform/standin/registry_export.h"

#include <optional>
#include <vector>

#include "platform/registry.h"

namespace {

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

// "41,00,42": comma-separated bytes of one or two hex digits.
std::optional<std::string> ParseHexBytes(const std::string& text) {
  std::string bytes;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    std::optional<uint32_t> byte =
        ParseHexNumber(text.substr(start, comma == std::string::npos ? comma : comma - start), 2);
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

// The data after "@=". Strings are stored with their terminator.
bool ParseValueData(const std::string& text, ExportedKey* key) {
  if (std::optional<std::string> quoted = ParseQuoted(text)) {
    key->type = kRegistryString;
    key->data = *quoted + '\0';
    return true;
  }
  const std::string kNumber = "dword:";
  if (text.compare(0, kNumber.size(), kNumber) == 0) {
    std::string digits = text.substr(kNumber.size());
    std::optional<uint32_t> number = ParseHexNumber(digits, 8);
    if (!number || digits.size() != 8)
      return false;
    key->type = kRegistryNumber;
    key->data.clear();
    for (int shift = 0; shift < 32; shift += 8)
      key->data += static_cast<char>(*number >> shift & 0xFF);
    return true;
  }
  const std::string kExpandString = "hex(2):";
  if (text.compare(0, kExpandString.size(), kExpandString) == 0) {
    std::optional<std::string> bytes = ParseHexBytes(text.substr(kExpandString.size()));
    if (!bytes)
      return false;
    key->type = kRegistryExpandString;
    key->data = *bytes;
    return true;
  }
  return false;
}

// The lines of the file without their line ends, CR LF or LF.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    size_t length = end - start;
    if (length > 0 && text[end - 1] == '\r')
      --length;
    lines.push_back(text.substr(start, length));
    start = end + 1;
  }
  return lines;
}

}  // namespace

bool ReadExportedKey(const std::string& fileText, const std::string& keyPath, ExportedKey* key) {
  *key = ExportedKey();
  std::vector<std::string> lines = SplitLines(fileText);
  if (lines[0] != "REGEDIT4")
    return false;
  const std::string section = "[" + keyPath + "]";
  bool inKey = false;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '[') {
      inKey = line == section;
      key->present = key->present || inKey;
    } else if (inKey && line.compare(0, 2, "@=") == 0) {
      ExportedKey parsed = *key;
      if (ParseValueData(line.substr(2), &parsed)) {
        *key = parsed;
        key->hasDefaultValue = true;
      }
    }
  }
  return true;
}
