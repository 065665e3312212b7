#include "app/set_aside.h"

#include "base/paths.h"

namespace {

// Far more than a session is ever run again; a folder full of such names is refused.
const int kMostTries = 1000;

// Whether `name` was taken, so the next one is tried; `moved` says whether it was free.
bool Taken(FileSystem& files, const std::string& dataFile, const std::string& name, bool dryRun,
           bool* moved) {
  if (dryRun) {
    Presence presence = files.Look(name);
    *moved = presence == Presence::kNotThere;
    return presence == Presence::kThere;
  }
  MoveOutcome outcome = files.MoveWithoutReplacing(dataFile, name);
  *moved = outcome == MoveOutcome::kMoved;
  return outcome == MoveOutcome::kTaken;
}

}  // namespace

std::string SetAsideName(const std::string& dataFile, int n) {
  std::string_view name = FileNameOf(dataFile);
  size_t dot = name.rfind('.');
  std::string extension(dot == std::string_view::npos ? "" : name.substr(dot));
  return ReplaceExtension(dataFile, ".aborted-" + std::to_string(n) + extension);
}

bool SetAsideDataFile(FileSystem& files, const std::string& dataFile, bool dryRun,
                      std::string* line) {
  for (int n = 1; n <= kMostTries; ++n) {
    std::string name = SetAsideName(dataFile, n);
    bool moved = false;
    if (Taken(files, dataFile, name, dryRun, &moved))
      continue;
    if (!moved)
      break;
    *line = dryRun ? "Would set aside: " : "Set aside: ";
    line->append(dataFile).append(" as ").append(name);
    return true;
  }
  *line = "Couldn't set aside " + dataFile;
  return false;
}
