#ifndef TARVO_JOURNAL_NAMES_IN_ROWS_H_
#define TARVO_JOURNAL_NAMES_IN_ROWS_H_

#include <string>
#include <string_view>

#include "journal/journal_reader.h"

/// A name of this run, a data file's or the station's, as the journal's rows are compared
/// with it: in any letter case of Windows-1252's letters, and in each row's own text, so
/// that "GEDÄCHTNIS-5-1.EDAT" in a row in UTF-8 names "Gedächtnis-5-1.edat".
class NameInRows {
 public:
  /// `name` is in the program's code page.
  explicit NameInRows(std::string name);

  const std::string& name() const { return name_; }
  bool empty() const { return name_.empty(); }
  /// Whether the field of `entry`'s row is this name.
  bool Is(std::string_view field, const JournalEntry& entry) const;
  /// Whether the path in the field of `entry`'s row names a file of this name.
  bool IsFileOf(std::string_view path, const JournalEntry& entry) const;
  /// Whether `line`, in UTF-8 or else in the program's code page, holds this name as a
  /// name of its own: what stands before and after it can be no part of a file name.
  bool IsNamedIn(std::string_view line, bool utf8) const;

 private:
  bool SameText(std::string_view field, bool utf8) const;

  std::string name_;
  std::string upperUtf8_;  // the name in UTF-8, in upper case
  bool ascii_;
};

#endif  // TARVO_JOURNAL_NAMES_IN_ROWS_H_
