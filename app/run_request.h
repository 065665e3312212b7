#ifndef TARVO_APP_RUN_REQUEST_H_
#define TARVO_APP_RUN_REQUEST_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/attributes.h"

/// What the command line asked for. A -F, -O, -L or -R value, when present, is never blank.
struct RunRequest {
  std::optional<std::string> scriptPath;
  std::optional<std::string> dataFileName;
  std::optional<std::string> dataFolder;
  bool noRun = false;
  /// -Y: answer the script's startup info summary with Yes, so the run asks nothing.
  bool answerSummary = false;
  /// -D: the run ends with exit code 0 only when the participant's data were saved.
  bool dataCheck = false;
  /// -L, or the variable TARVO_JOURNAL: the journal of runs to append to.
  std::optional<std::string> journal;
  /// -A: a converting script's data file without its converted file, an aborted session's,
  /// is moved aside under a free name before the run, so the session can be run again.
  bool setAside = false;
  /// -B <name>=<value>,...: attributes that the journal gives the listed value with the
  /// fewest participants so far, each with its values in the order given.
  std::map<std::string, std::vector<std::string>> balanced;
  /// -R: the journal to make a report of, instead of a run.
  std::optional<std::string> report;
  AttributesByName attributes;
};

#endif  // TARVO_APP_RUN_REQUEST_H_
