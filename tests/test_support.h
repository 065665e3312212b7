#ifndef TARVO_TESTS_TEST_SUPPORT_H_
#define TARVO_TESTS_TEST_SUPPORT_H_

#include <map>
#include <string>
#include <vector>

#include "platform/process.h"

/// A fresh, empty folder under the system's temporary folder, removed with its content
/// when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  /// The path of `name` inside the folder.
  std::string Path(const std::string& name) const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

/// Sets the time zone (the TZ variable, in its POSIX form, such as "EST5") for the rest of
/// the test program.
void SetTimeZone(const char* zone);

/// The whole content of a file, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
/// Names of the entries of a folder, sorted.
std::vector<std::string> FolderEntries(const std::string& path);

/// Processes that the test says run, by number and creation time; any other is gone.
class FakeProcessCheck : public ProcessCheck {
 public:
  std::map<std::pair<uint32_t, uint64_t>, ProcessState> states;

  ProcessState Look(const ProcessIdentity& process) override {
    auto found = states.find({process.id, process.created});
    return found == states.end() ? ProcessState::kGone : found->second;
  }
};

#endif  // TARVO_TESTS_TEST_SUPPORT_H_
