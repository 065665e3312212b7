#include "script/answer_set.h"

#include <algorithm>

AnswerSet AnswerSet::All() {
  AnswerSet all = Numbers(kLowest, kHighest);
  all.text_ = true;
  return all;
}

AnswerSet AnswerSet::Numbers(int64_t lowest, int64_t highest) {
  AnswerSet set;
  lowest = std::max(lowest, kLowest);
  highest = std::min(highest, kHighest);
  if (lowest <= highest)
    set.numbers_.push_back({lowest, highest});
  return set;
}

AnswerSet AnswerSet::Text() {
  AnswerSet set;
  set.text_ = true;
  return set;
}

AnswerSet AnswerSet::Union(const AnswerSet& other) const {
  std::vector<Interval> all = numbers_;
  all.insert(all.end(), other.numbers_.begin(), other.numbers_.end());
  std::sort(all.begin(), all.end());
  AnswerSet result;
  result.text_ = text_ || other.text_;
  for (const Interval& interval : all) {
    if (!result.numbers_.empty() && interval.first <= result.numbers_.back().second + 1)
      result.numbers_.back().second = std::max(result.numbers_.back().second, interval.second);
    else
      result.numbers_.push_back(interval);
  }
  return result;
}

AnswerSet AnswerSet::Intersect(const AnswerSet& other) const {
  AnswerSet result;
  result.text_ = text_ && other.text_;
  for (const Interval& a : numbers_) {
    for (const Interval& b : other.numbers_) {
      int64_t low = std::max(a.first, b.first);
      int64_t high = std::min(a.second, b.second);
      if (low <= high)
        result.numbers_.push_back({low, high});
    }
  }
  std::sort(result.numbers_.begin(), result.numbers_.end());
  return result;
}

AnswerSet AnswerSet::Minus(const AnswerSet& other) const {
  // The complement of `other`, then the intersection with it.
  AnswerSet complement;
  complement.text_ = !other.text_;
  int64_t from = kLowest;
  for (const Interval& interval : other.numbers_) {
    if (interval.first > from)
      complement.numbers_.push_back({from, interval.first - 1});
    from = interval.second + 1;
  }
  if (from <= kHighest)
    complement.numbers_.push_back({from, kHighest});
  return Intersect(complement);
}

bool AnswerSet::Contains(int64_t number) const {
  for (const Interval& interval : numbers_) {
    if (number >= interval.first && number <= interval.second)
      return true;
  }
  return false;
}
