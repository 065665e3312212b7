#ifndef TARVO_SCRIPT_ANSWER_SET_H_
#define TARVO_SCRIPT_ANSWER_SET_H_

#include <cstdint>
#include <utility>
#include <vector>

/// A set of answers to a prompt: whole numbers of the 32-bit signed range, as intervals,
/// and whether text that is no number belongs to it.
class AnswerSet {
 public:
  using Interval = std::pair<int64_t, int64_t>;  // both ends included
  static constexpr int64_t kLowest = INT32_MIN;
  static constexpr int64_t kHighest = INT32_MAX;

  static AnswerSet All();
  static AnswerSet None() { return AnswerSet(); }
  static AnswerSet Numbers(int64_t lowest, int64_t highest);
  static AnswerSet Text();

  AnswerSet Union(const AnswerSet& other) const;
  AnswerSet Intersect(const AnswerSet& other) const;
  AnswerSet Minus(const AnswerSet& other) const;

  bool empty() const { return numbers_.empty() && !text_; }
  bool text() const { return text_; }
  const std::vector<Interval>& numbers() const { return numbers_; }
  bool Contains(int64_t number) const;
  bool operator==(const AnswerSet& other) const {
    return text_ == other.text_ && numbers_ == other.numbers_;
  }

 private:
  std::vector<Interval> numbers_;  // sorted, apart from each other
  bool text_ = false;
};

#endif  // TARVO_SCRIPT_ANSWER_SET_H_
