#ifndef TARVO_JOURNAL_ATTRIBUTES_TEXT_H_
#define TARVO_JOURNAL_ATTRIBUTES_TEXT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/attributes.h"

// The journal's attributes column: the attributes a run gave, as name=value pairs joined
// by "; ", "Session=1; Subject=12". A name or value that holds a ';' or a '"' (a name also
// an '=') is written in double quotes, its quotes doubled, so that no value can pose as
// another attribute: Zone=x; Subject=99 given as one value is Zone="x; Subject=99". Older
// journals, which quote nothing and whose values never begin with a quote, read as before.

/// The column's text for `attributes`, in their order.
std::string AttributesText(const AttributesByName& attributes);

/// Reads the pairs of an attributes column one at a time, names and values trimmed.
class AttributesReader {
 public:
  explicit AttributesReader(std::string_view text)
      : text_(text), quoted_(text.find('"') != std::string_view::npos) {}

  /// The next pair, valid until the next call; false at the end of the text, or when it
  /// cannot be read (failed()): a quote never closed, text after a closing quote, a pair
  /// without '=', a name given twice (blanks and letter case aside), as find and replace
  /// leaves Zone="x; Subject=99" once its quotes are gone. Pairs left empty between two
  /// "; " are passed over.
  bool Next(std::string_view* name, std::string_view* value);
  bool failed() const { return failed_; }
  /// Whether the text holds a quote: the pairs read are then the reader's own copies.
  bool quoted() const { return quoted_; }

 private:
  bool Pair(std::string_view* name, std::string_view* value);
  bool Part(char end, std::string* unquoted, std::string_view* part);

  std::string_view text_;
  bool quoted_;  // whether the column holds a quote anywhere
  bool failed_ = false;
  std::string name_, value_;        // a quoted name or value without its quotes
  std::vector<std::string> names_;  // squeezed, of the pairs read
};

/// Session and Subject as nearly every row holds them, in Tarvo's own form and nothing
/// else: "Session=<n>; Subject=<n>", each of one to nine digits. Read at once, without a
/// reader; false for any other text, which AttributesReader then reads.
struct OwnSessionAndSubject {
  std::string_view session, subject;  // the digits
  int32_t sessionNumber = 0, subjectNumber = 0;

  bool Read(std::string_view text);
};

/// The value of the attribute `name` in an attributes column, names compared as the
/// script compares them (blanks and letter case aside, as rows hold them as typed); none
/// when the column has no such attribute or cannot be read.
std::optional<std::string> AttributeOf(std::string_view text, std::string_view name);

#endif  // TARVO_JOURNAL_ATTRIBUTES_TEXT_H_
