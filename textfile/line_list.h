#ifndef TARVO_TEXTFILE_LINE_LIST_H_
#define TARVO_TEXTFILE_LINE_LIST_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/memory.h"

/// A squeezed probe (see SqueezeText) made ready for LineList::NextCandidate.
class LeadProbe {
 public:
  explicit LeadProbe(std::string_view squeezed);

 private:
  friend class LineList;
  bool byDigest_;
  uint32_t head_;
  uint32_t headMask_;
  uint16_t digest_;
};

/// The lines of a text, without their line ends, held compactly: lines read from a file
/// stay in the one block they were read into, which copies of the list share, and only
/// lines put in by an edit have storage of their own. Beside each line it keeps a few bytes about
/// the beginning of its upper-cased squeezed form, so a search by leading text reads those few
/// bytes of each line rather than the line. Every edit keeps them up to date.
class LineList {
 public:
  LineList() = default;
  LineList(std::initializer_list<std::string> lines);
  LineList(const std::vector<std::string>& lines);

  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  /// Valid until the line is replaced or erased, or the list is cleared or loaded.
  std::string_view operator[](size_t index) const {
    const Line& line = lines_[index];
    if (line.own)
      return own_[line.offset];
    return std::string_view(loaded_.get() + line.offset, line.length);
  }
  std::vector<std::string> ToVector() const;

  void clear();
  /// Room for `count` lines, so loading a large file does not copy the list as it grows.
  void reserve(size_t count);
  void push_back(std::string text);
  void Insert(size_t index, std::string text);
  void Replace(size_t index, std::string text);
  /// Removes the lines [first, end).
  void Erase(size_t first, size_t end);

  /// Drops every line and takes `block` as the block that AppendLoaded refers to.
  void StartLoading(std::shared_ptr<const char[]> block);
  /// Adds the bytes [offset, offset + length) of the loaded block as a line; `length` is
  /// at most kMaxLoadedLength.
  void AppendLoaded(size_t offset, size_t length);
  static const size_t kMaxLoadedLength = 2047;

  /// The first line at or after `from` whose squeezed form may begin with the probe, or
  /// size(). Lines it skips cannot begin with it; a line it returns still has to be
  /// compared in full.
  size_t NextCandidate(const LeadProbe& probe, size_t from) const;

  friend bool operator==(const LineList& a, const std::vector<std::string>& b);
  friend bool operator==(const std::vector<std::string>& a, const LineList& b) { return b == a; }

 private:
  // Eight bytes a line, whatever the platform: fewer bytes to fill keep a large script
  // quick to load.
  struct Line {
    uint64_t offset : 52;  // into the loaded block, or into own_ when `own`
    uint64_t length : 11;  // of a loaded line
    uint64_t own : 1;
  };

  Line Own(std::string text);
  void SetKeys(size_t index);

  std::shared_ptr<const char[]> loaded_;
  // A deque, so the text of one line stays where it is while others are added.
  std::deque<std::string> own_;
  template <typename T>
  using Array = std::vector<T, LargeBlockAllocator<T>>;
  Array<Line> lines_;
  Array<uint32_t> heads_;
  Array<uint16_t> digests_;
};

#endif  // TARVO_TEXTFILE_LINE_LIST_H_
