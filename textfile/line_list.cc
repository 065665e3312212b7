#include "textfile/line_list.h"

#include "textfile/text_helpers.h"

namespace {

const size_t kHeadBytes = 4;

// The first bytes of the squeezed form, the first in the lowest byte, zero-padded.
uint32_t HeadOf(std::string_view line) {
  uint32_t head = 0;
  size_t taken = 0;
  for (size_t i = 0; i < line.size() && taken < kHeadBytes; ++i) {
    uint16_t folded = SqueezedByte(line[i]);
    if (folded == kSqueezedOut)
      continue;
    head |= static_cast<uint32_t>(folded) << (8 * taken);
    ++taken;
  }
  return head;
}

}  // namespace

LineList::LineList(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    push_back(line);
}

std::vector<std::string> LineList::ToVector() const {
  return std::vector<std::string>(lines_.begin(), lines_.end());
}

void LineList::clear() {
  lines_.clear();
  heads_.clear();
  own_.clear();
  loaded_.reset();
}

void LineList::push_back(std::string text) {
  Insert(size(), std::move(text));
}

void LineList::Insert(size_t index, std::string text) {
  std::string_view line = Own(std::move(text));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), line);
  heads_.insert(heads_.begin() + static_cast<std::ptrdiff_t>(index), HeadOf(line));
}

void LineList::Replace(size_t index, std::string text) {
  lines_[index] = Own(std::move(text));
  heads_[index] = HeadOf(lines_[index]);
}

void LineList::Erase(size_t first, size_t end) {
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
               lines_.begin() + static_cast<std::ptrdiff_t>(end));
  heads_.erase(heads_.begin() + static_cast<std::ptrdiff_t>(first),
               heads_.begin() + static_cast<std::ptrdiff_t>(end));
}

LineList::HeadKey::HeadKey(std::string_view squeezed) {
  size_t bytes = squeezed.size() < kHeadBytes ? squeezed.size() : kHeadBytes;
  mask_ = bytes == kHeadBytes ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
  head_ = HeadOf(squeezed) & mask_;
}

size_t LineList::HeadKey::Next(const std::vector<uint32_t>& heads, size_t from) const {
  const uint32_t* all = heads.data();
  const uint32_t head = head_;
  const uint32_t mask = mask_;
  auto agrees = [all, head, mask](size_t i) { return (all[i] & mask) == head; };
  // Blocks of heads are tested without stopping early, which lets the compiler test many
  // at once; most searches skip most lines.
  const size_t kBlock = 32;
  size_t count = heads.size();
  size_t i = from;
  for (; i < count && count - i >= kBlock; i += kBlock) {
    unsigned hits = 0;
    for (size_t j = 0; j < kBlock; ++j)
      hits |= agrees(i + j) ? 1u : 0u;
    if (hits != 0)
      break;
  }
  for (; i < count; ++i) {
    if (agrees(i))
      return i;
  }
  return count;
}

void LineList::StartLoading(std::unique_ptr<char[]> block, size_t expectedLines) {
  clear();
  loaded_ = std::move(block);
  lines_.reserve(expectedLines);
  heads_.reserve(expectedLines);
}

void LineList::AppendLoaded(size_t offset, size_t length) {
  lines_.emplace_back(loaded_.get() + offset, length);
  heads_.push_back(HeadOf(lines_.back()));
}

std::string_view LineList::Own(std::string text) {
  own_.push_back(std::move(text));
  return own_.back();
}
