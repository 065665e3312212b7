#include "script/ebasic.h"

#include <algorithm>

#include "base/text_helpers.h"

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

size_t SkipBlanks(std::string_view line, size_t at) {
  while (at < line.size() && IsBlank(line[at]))
    ++at;
  return at;
}

bool BeginsWithWords(std::string_view line, std::string_view words) {
  size_t at = 0;
  for (size_t begin = 0; begin <= words.size();) {
    size_t end = std::min(words.find(' ', begin), words.size());
    size_t next = SkipBlanks(line, at);
    // The first word may follow blanks; each further one must.
    if ((begin > 0 && next == at) ||
        !StartsWithInsensitive(line.substr(next), words.substr(begin, end - begin)))
      return false;
    at = next + (end - begin);
    begin = end + 1;
  }
  return at == line.size() || !IsNameByte(line[at]);
}

}  // namespace

std::string StringLiteral(std::string_view text) {
  return "\"" + Doubled(Doubled(text, '"'), '\\') + "\"";
}

std::optional<std::string> DecodeLiteral(std::string_view literal) {
  if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"')
    return std::nullopt;
  std::string text;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    char c = literal[i];
    if (c == '"' || c == '\\') {
      if (literal[i + 1] != c || i + 2 >= literal.size())
        return std::nullopt;
      ++i;
    }
    text.push_back(c);
  }
  return text;
}

LineProbe::LineProbe(std::string_view text, LineMatch match)
    : squeezed_(SqueezeText(text)),
      words_(match == LineMatch::kBeginsWithWords ? text : std::string_view()),
      match_(match) {}

bool LineProbe::Matches(std::string_view line) const {
  switch (match_) {
    case LineMatch::kBeginsWith:
      return BeginsWithSqueezed(line, squeezed_);
    case LineMatch::kBeginsWithWords:
      return BeginsWithWords(line, words_);
  }
  return false;
}

bool ContinuesOnNextLine(std::string_view line) {
  size_t end = line.size();
  while (end > 0 && IsBlank(line[end - 1]))
    --end;
  return end >= 2 && line[end - 1] == '_' && IsBlank(line[end - 2]);
}

std::string_view CodeOf(std::string_view line) {
  bool inLiteral = false;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"')
      inLiteral = !inLiteral;
    else if (line[i] == '\'' && !inLiteral)
      return line.substr(0, i);
  }
  return line;
}

std::vector<Token> Tokenize(std::string_view code) {
  std::vector<Token> tokens;
  Tokenize(code, &tokens);
  return tokens;
}

void Tokenize(std::string_view code, std::vector<Token>* words) {
  std::vector<Token>& tokens = *words;
  tokens.clear();
  size_t at = 0;
  while ((at = SkipBlanks(code, at)) < code.size()) {
    size_t end = at + 1;
    Token::Kind kind = Token::kSymbol;
    if (IsNameByte(code[at])) {
      kind = Token::kName;
      while (end < code.size() && IsNameByte(code[end]))
        ++end;
    } else if (code[at] == '"') {
      // A doubled quote stands for one quote inside the literal.
      kind = Token::kString;
      while (end < code.size() &&
             (code[end] != '"' || (end + 1 < code.size() && code[end + 1] == '"')))
        end += code[end] == '"' ? 2 : 1;
      end = end < code.size() ? end + 1 : end;
    }
    tokens.push_back({kind, code.substr(at, end - at)});
    at = end;
  }
}

bool IsLaterEPrimeScriptName(std::string_view path) {
  return EndsWithInsensitive(path, ".ebs2") || EndsWithInsensitive(path, ".ebs3");
}
