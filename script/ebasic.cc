#include "script/ebasic.h"

#include "textfile/text_helpers.h"

namespace {

std::string Doubled(std::string_view text, char c) {
  std::string result;
  result.reserve(text.size() + 2);
  for (char byte : text) {
    result.push_back(byte);
    if (byte == c)
      result.push_back(byte);
  }
  return result;
}

bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Compares while skipping whitespace, so no squeezed copy of the line is made.
bool BeginsWithSqueezed(std::string_view line, std::string_view squeezed) {
  if (squeezed.empty())
    return false;
  size_t matched = 0;
  for (char c : line) {
    uint16_t folded = SqueezedByte(c);
    if (folded == kSqueezedOut)
      continue;
    if (folded != static_cast<unsigned char>(squeezed[matched]))
      return false;
    if (++matched == squeezed.size())
      return true;
  }
  return false;
}

bool BeginsWithWord(std::string_view line, std::string_view word) {
  size_t begin = 0;
  while (begin < line.size() && IsBlank(line[begin]))
    ++begin;
  if (line.size() - begin < word.size())
    return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (UpperCaseAscii(line[begin + i]) != UpperCaseAscii(word[i]))
      return false;
  }
  size_t end = begin + word.size();
  return end == line.size() || !IsNameByte(line[end]);
}

}  // namespace

std::string StringLiteral(std::string_view text) {
  return "\"" + Doubled(Doubled(text, '"'), '\\') + "\"";
}

std::string NameLiteral(std::string_view name) {
  return "\"" + Doubled(name, '"') + "\"";
}

LineProbe::LineProbe(std::string_view text, LineMatch match)
    : squeezed_(SqueezeText(text)),
      word_(match == LineMatch::kBeginsWithWord ? text : std::string_view()),
      match_(match) {}

bool LineProbe::Matches(std::string_view line) const {
  switch (match_) {
    case LineMatch::kBeginsWith:
      return BeginsWithSqueezed(line, squeezed_);
    case LineMatch::kBeginsWithWord:
      return BeginsWithWord(line, word_);
    case LineMatch::kIs:
      return SqueezeText(line.substr(0, line.find('\''))) == squeezed_;
  }
  return false;
}

bool IsLaterEPrimeScriptName(std::string_view path) {
  if (path.size() < 5)
    return false;
  std::string extension;
  for (char c : path.substr(path.size() - 5))
    extension.push_back(UpperCaseAscii(c));
  return extension == ".EBS2" || extension == ".EBS3";
}
