#include "journal/attributes_text.h"

#include "base/text_helpers.h"
#include "base/trim.h"

#include <algorithm>
#include <cstring>

namespace {

// `text`, in double quotes when it holds one of `special`, its quotes doubled.
std::string Quoted(const std::string& text, std::string_view special) {
  if (text.find_first_of(special) == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"')
      quoted += '"';
  }
  return quoted + '"';
}

// Reads `name` and one to nine digits, a whole number that is never too large, from the
// start of `text`. A tenth digit is left, which the caller finds where it wants ";" or the
// end.
template <size_t N>
bool OwnNumber(std::string_view* text, const char (&name)[N], std::string_view* digits,
               int32_t* number) {
  const size_t size = N - 1;
  if (text->size() < size || std::memcmp(text->data(), name, size) != 0)
    return false;
  size_t end = size;
  int32_t value = 0;
  for (; end < text->size() && end - size < 9; ++end) {
    auto digit = static_cast<unsigned>((*text)[end] - '0');
    if (digit > 9)
      break;
    value = value * 10 + static_cast<int32_t>(digit);
  }
  if (end == size)
    return false;
  *digits = text->substr(size, end - size);
  *number = value;
  text->remove_prefix(end);
  return true;
}

}  // namespace

bool OwnSessionAndSubject::Read(std::string_view text) {
  return OwnNumber(&text, "Session=", &session, &sessionNumber) &&
         OwnNumber(&text, "; Subject=", &subject, &subjectNumber) && text.empty();
}

std::string AttributesText(const AttributesByName& attributes) {
  std::string text;
  for (const auto& [name, value] : attributes) {
    text.append(text.empty() ? "" : "; ").append(Quoted(name, ";\"="));
    text.append("=").append(Quoted(value, ";\""));
  }
  return text;
}

bool AttributesReader::Next(std::string_view* name, std::string_view* value) {
  if (!Pair(name, value))
    return false;
  std::string squeezed = SqueezeText(*name);
  if (std::find(names_.begin(), names_.end(), squeezed) != names_.end()) {
    failed_ = true;
    return false;
  }
  names_.push_back(std::move(squeezed));
  return true;
}

bool AttributesReader::Pair(std::string_view* name, std::string_view* value) {
  for (;;) {
    text_ = Trimmed(text_);
    if (failed_ || text_.empty())
      return false;
    if (text_[0] == ';') {
      text_.remove_prefix(1);
      continue;
    }
    // A column without quotes, as nearly all are, is read by its separators alone.
    if (!quoted_) {
      size_t end = std::min(text_.find(';'), text_.size());
      size_t equals = text_.substr(0, end).find('=');
      if (equals != std::string_view::npos) {
        *name = Trimmed(text_.substr(0, equals));
        *value = Trimmed(text_.substr(equals + 1, end - equals - 1));
        text_.remove_prefix(end);
        return true;
      }
    }
    if (!Part('=', &name_, name) || text_.empty() || text_[0] != '=') {
      failed_ = true;
      return false;
    }
    text_.remove_prefix(1);
    if (!Part(';', &value_, value)) {
      failed_ = true;
      return false;
    }
    return true;
  }
}

// A name (up to its '=', `end`) or a value (up to ';', `end`, or the text's end): quoted when
// it begins with a quote, which must then be closed right before `end` or the text's end. A
// name stops at ';' too, where it lacks its '='.
bool AttributesReader::Part(char end, std::string* unquoted, std::string_view* part) {
  text_ = Trimmed(text_);
  if (text_.empty() || text_[0] != '"') {
    size_t stop = 0;
    while (stop < text_.size() && text_[stop] != end && text_[stop] != ';')
      ++stop;
    *part = Trimmed(text_.substr(0, stop));
    text_.remove_prefix(stop);
    return true;
  }
  unquoted->clear();
  for (size_t at = 1; at < text_.size(); ++at) {
    if (text_[at] != '"') {
      *unquoted += text_[at];
      continue;
    }
    if (at + 1 < text_.size() && text_[at + 1] == '"') {
      *unquoted += '"';
      ++at;
      continue;
    }
    text_.remove_prefix(at + 1);
    text_ = Trimmed(text_);
    *part = *unquoted;
    return text_.empty() || text_[0] == end;
  }
  return false;  // never closed
}

std::optional<std::string> AttributeOf(std::string_view text, std::string_view name) {
  std::string squeezed = SqueezeText(name);
  AttributesReader reader(text);
  std::string_view given, value;
  std::optional<std::string> found;
  // To the end: a name given twice leaves the column unread.
  while (reader.Next(&given, &value)) {
    if (SqueezesTo(given, squeezed))
      found = std::string(value);
  }
  return reader.failed() ? std::nullopt : found;
}
