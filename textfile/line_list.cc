#include "textfile/line_list.h"

#include "textfile/text_helpers.h"

namespace {

// A probe this long or longer is looked for by the digest of its first kDigested bytes,
// a shorter one by its first kHeadBytes bytes. Long enough to tell apart the
// `c.SetAttrib "` lines of a script by their attribute's first letters.
const size_t kDigested = 14;
const size_t kHeadBytes = 4;

static_assert(kSqueezedOut == 0x100, "LeadOf counts a byte by bit 8 of its folded value");

struct Lead {
  uint32_t head;
  uint16_t digest;
  size_t length;  // of the squeezed form taken, at most kDigested
};

// The beginning of the upper-cased squeezed form of [p, end): its first bytes, zero-padded,
// and a digest of them. Stops after kDigested bytes, so long lines cost no more. Runs
// once for every line of a script, hence no branch on whitespace: its folded value
// adds a zero byte and does not count.
Lead LeadOf(const char* p, const char* end) {
  uint64_t low = 0;
  uint64_t high = 0;
  size_t taken = 0;
  for (; p != end && taken < 8; ++p) {
    uint16_t folded = SqueezedByte(*p);
    low |= static_cast<uint64_t>(folded & 0xFF) << (8 * taken);
    taken += (folded >> 8) ^ 1;
  }
  for (; p != end && taken < kDigested; ++p) {
    uint16_t folded = SqueezedByte(*p);
    high |= static_cast<uint64_t>(folded & 0xFF) << (8 * (taken - 8));
    taken += (folded >> 8) ^ 1;
  }
  uint64_t mixed = low * 0x9E3779B97F4A7C15ull + high * 0xC2B2AE3D27D4EB4Full;
  return {static_cast<uint32_t>(low), static_cast<uint16_t>(mixed >> 48), taken};
}

// The first key at or after `from` that `match` accepts, or keys.size(). Whole blocks are
// tested without stopping early, which lets the compiler test many keys at once.
template <typename Keys, typename Match>
size_t FirstMatch(const Keys& keys, size_t from, Match match) {
  const size_t kBlock = 32;
  size_t count = keys.size();
  size_t i = from;
  for (; i < count && count - i >= kBlock; i += kBlock) {
    unsigned hits = 0;
    for (size_t j = 0; j < kBlock; ++j)
      hits |= match(keys[i + j]) ? 1u : 0u;
    if (hits != 0)
      break;
  }
  for (; i < count; ++i) {
    if (match(keys[i]))
      return i;
  }
  return count;
}

}  // namespace

LeadProbe::LeadProbe(std::string_view squeezed) {
  Lead lead = LeadOf(squeezed.data(), squeezed.data() + squeezed.size());
  byDigest_ = lead.length >= kDigested;
  size_t headBytes = lead.length < kHeadBytes ? lead.length : kHeadBytes;
  headMask_ = headBytes == 4 ? 0xFFFFFFFFu : (1u << (8 * headBytes)) - 1;
  head_ = lead.head & headMask_;
  digest_ = lead.digest;
}

LineList::LineList(std::initializer_list<std::string> lines) {
  for (const std::string& line : lines)
    push_back(line);
}

LineList::LineList(const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    push_back(line);
}

std::vector<std::string> LineList::ToVector() const {
  std::vector<std::string> result;
  result.reserve(size());
  for (size_t i = 0; i < size(); ++i)
    result.emplace_back((*this)[i]);
  return result;
}

void LineList::clear() {
  loaded_.reset();
  own_.clear();
  lines_.clear();
  heads_.clear();
  digests_.clear();
}

void LineList::reserve(size_t count) {
  lines_.reserve(count);
  heads_.reserve(count);
  digests_.reserve(count);
}

void LineList::push_back(std::string text) {
  Insert(size(), std::move(text));
}

void LineList::Insert(size_t index, std::string text) {
  auto at = static_cast<std::ptrdiff_t>(index);
  lines_.insert(lines_.begin() + at, Own(std::move(text)));
  heads_.insert(heads_.begin() + at, 0);
  digests_.insert(digests_.begin() + at, 0);
  SetKeys(index);
}

void LineList::Replace(size_t index, std::string text) {
  Line& line = lines_[index];
  if (line.own)
    own_[line.offset] = std::move(text);
  else
    line = Own(std::move(text));
  SetKeys(index);
}

void LineList::Erase(size_t first, size_t end) {
  auto from = static_cast<std::ptrdiff_t>(first);
  auto to = static_cast<std::ptrdiff_t>(end);
  lines_.erase(lines_.begin() + from, lines_.begin() + to);
  heads_.erase(heads_.begin() + from, heads_.begin() + to);
  digests_.erase(digests_.begin() + from, digests_.begin() + to);
}

void LineList::StartLoading(std::shared_ptr<const char[]> block) {
  clear();
  loaded_ = std::move(block);
}

void LineList::AppendLoaded(size_t offset, size_t length) {
  const char* text = loaded_.get() + offset;
  Lead lead = LeadOf(text, text + length);
  lines_.push_back({offset, length, false});
  heads_.push_back(lead.head);
  digests_.push_back(lead.digest);
}

size_t LineList::NextCandidate(const LeadProbe& probe, size_t from) const {
  if (probe.byDigest_)
    return FirstMatch(digests_, from, [&](uint16_t digest) { return digest == probe.digest_; });
  return FirstMatch(heads_, from,
                    [&](uint32_t head) { return (head & probe.headMask_) == probe.head_; });
}

LineList::Line LineList::Own(std::string text) {
  own_.push_back(std::move(text));
  return {own_.size() - 1, 0, true};
}

void LineList::SetKeys(size_t index) {
  std::string_view text = (*this)[index];
  Lead lead = LeadOf(text.data(), text.data() + text.size());
  heads_[index] = lead.head;
  digests_[index] = lead.digest;
}

bool operator==(const LineList& a, const std::vector<std::string>& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i])
      return false;
  }
  return true;
}
