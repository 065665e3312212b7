#ifndef TARVO_TESTS_FAKE_FILE_SYSTEM_H_
#define TARVO_TESTS_FAKE_FILE_SYSTEM_H_

#include <cstddef>
#include <map>
#include <set>
#include <string>

#include "platform/file_system.h"

/// Files in memory, by path, for tests and fuzzers; every step can be made to fail.
class FakeFileSystem : public FileSystem {
 public:
  static constexpr size_t kNever = static_cast<size_t>(-1);

  std::map<std::string, std::string> files;
  std::set<std::string> readOnly;
  /// Targets that another run holds; WriteFile with a hold adds its target.
  std::set<std::string> held;

  bool failOpen = false;        // ReadFile cannot open, WriteFile cannot make its new file
  size_t readFailsAt = kNever;  // reading fails on reaching this offset
  size_t diskSpace = kNever;    // bytes that written files may hold in all, as on a full disk;
                                // an append beyond it adds nothing and fails
  LockOutcome lockOutcome = LockOutcome::kLocked;  // what OpenLocked gives
  bool failClose = false;
  bool failRename = false;  // the new file cannot take the target's place (a folder, say), nor
                            // can a file be moved
  std::set<std::string> cannotTell;  // paths that Look cannot tell of, as on a share offline

  ReadOutcome ReadFile(const std::string& path, std::string* text) override;
  WriteOutcome WritePieces(const std::string& path, const FilePieces& pieces, FileHold* hold,
                           size_t* written) override;
  LockOutcome OpenLocked(const std::string& path, LockFor lockFor,
                         std::unique_ptr<LockedFile>* file) override;
  /// A folder, a path that ends in a separator, is there when a file is in it.
  Presence Look(const std::string& path) override;
  bool Held(const std::string& path) override { return held.count(path) != 0; }
  MoveOutcome MoveWithoutReplacing(const std::string& from, const std::string& to) override;
  bool SameFile(const std::string& a, const std::string& b) override;

 private:
  size_t written_ = 0;
};

#endif  // TARVO_TESTS_FAKE_FILE_SYSTEM_H_
