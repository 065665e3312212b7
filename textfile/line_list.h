#ifndef TARVO_TEXTFILE_LINE_LIST_H_
#define TARVO_TEXTFILE_LINE_LIST_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// The lines of a text, without their line ends. Lines read from a file stay in the one
/// block they were read into; a line put in by an edit gets storage of its own. Beside
/// each line its head is kept, the first four bytes of its squeezed form (see SqueezeText),
/// so that a search by how lines begin reads four bytes a line rather than the line.
class LineList {
 public:
  LineList() = default;
  explicit LineList(const std::vector<std::string>& lines);
  LineList(LineList&&) = default;
  LineList& operator=(LineList&&) = default;

  size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  /// Valid until the line is replaced or erased, or the list is cleared or loaded.
  std::string_view operator[](size_t index) const { return lines_[index]; }
  std::vector<std::string> ToVector() const;

  void clear();
  void push_back(std::string text);
  void Insert(size_t index, std::string text);
  void Replace(size_t index, std::string text);
  /// Removes the lines [first, end).
  void Erase(size_t first, size_t end);

  /// The first line at or after `from` whose squeezed form begins with `squeezed` and that
  /// `matches` accepts; size() when there is none. Only lines whose head agrees with
  /// `squeezed` are handed to `matches`.
  template <typename Match>
  size_t Find(std::string_view squeezed, size_t from, Match matches) const {
    HeadKey key(squeezed);
    for (size_t i = key.Next(heads_, from); i < size(); i = key.Next(heads_, i + 1)) {
      if (matches(lines_[i]))
        return i;
    }
    return size();
  }

  /// Drops every line and takes `block` as what AppendLoaded refers to, with room for
  /// `expectedLines` lines.
  void StartLoading(std::unique_ptr<char[]> block, size_t expectedLines);
  /// Adds the bytes [offset, offset + length) of the loaded block as a line.
  void AppendLoaded(size_t offset, size_t length);

 private:
  // The head that lines beginning with a squeezed text have.
  class HeadKey {
   public:
    explicit HeadKey(std::string_view squeezed);
    /// The first index at or after `from` whose head agrees, or heads.size().
    size_t Next(const std::vector<uint32_t>& heads, size_t from) const;

   private:
    uint32_t head_;
    uint32_t mask_;
  };

  std::string_view Own(std::string text);

  std::unique_ptr<char[]> loaded_;
  // A deque, so the text of one line stays where it is while others are added.
  std::deque<std::string> own_;
  std::vector<std::string_view> lines_;
  std::vector<uint32_t> heads_;
};

#endif  // TARVO_TEXTFILE_LINE_LIST_H_
