#ifndef TARVO_APP_RUN_LOG_H_
#define TARVO_APP_RUN_LOG_H_

#include <functional>
#include <string>
#include <utility>

/// Where a run's console lines go: the console (PrintLine), or a test's list.
using LinePrinter = std::function<void(const std::string&)>;

/// The console lines of one run. A refusal is a line after which the run ends, once the
/// stage that refused has finished: nothing is saved and E-Run is not started.
class RunLog {
 public:
  explicit RunLog(LinePrinter print) : print_(std::move(print)) {}

  void Line(const std::string& text);
  /// Prints the line of a refusal and marks the run refused.
  void PrintRefusal(const std::string& text);
  /// Marks the run refused by a line printed earlier, where it belongs.
  void MarkRefused(const std::string& text);

  bool refused() const { return refused_; }
  /// The first refusal's line, or "".
  const std::string& firstRefusal() const { return firstRefusal_; }

 private:
  LinePrinter print_;
  bool refused_ = false;
  std::string firstRefusal_;
};

#endif  // TARVO_APP_RUN_LOG_H_
