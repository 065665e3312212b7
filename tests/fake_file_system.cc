#include "fake_file_system.h"

#include <algorithm>

namespace {

class FakeLockedFile : public LockedFile {
 public:
  FakeLockedFile(std::string* file, FakeFileSystem* owner, size_t* written)
      : file_(file), owner_(owner), written_(written) {}

  bool ReadAll(std::string* content) override {
    if (owner_->readFailsAt <= file_->size())
      return false;
    *content = *file_;
    return true;
  }
  bool Append(const std::string& bytes) override {
    size_t space = owner_->diskSpace;
    if (space != FakeFileSystem::kNever && bytes.size() > space - std::min(space, *written_))
      return false;
    file_->append(bytes);
    *written_ += bytes.size();
    return true;
  }

 private:
  std::string* file_;
  FakeFileSystem* owner_;
  size_t* written_;
};

}  // namespace

ReadOutcome FakeFileSystem::ReadFile(const std::string& path, std::string* text) {
  auto found = files.find(path);
  if (failOpen || found == files.end())
    return ReadOutcome::kCannotOpen;
  *text = found->second.substr(0, readFailsAt);
  return readFailsAt <= found->second.size() ? ReadOutcome::kFailed : ReadOutcome::kRead;
}

WriteOutcome FakeFileSystem::WriteFile(const std::string& path, const std::string& bytes,
                                       FileHold* hold, size_t* written) {
  if (failOpen || readOnly.count(path) != 0)
    return WriteOutcome::kFailed;
  *written = std::min(bytes.size(), diskSpace - std::min(diskSpace, written_));
  if (*written < bytes.size() || failClose)
    return WriteOutcome::kIncomplete;
  if (held.count(path) != 0)
    return WriteOutcome::kHeld;
  if (failRename)
    return WriteOutcome::kFailed;
  files[path] = bytes;
  written_ += bytes.size();
  if (hold != nullptr)
    held.insert(path);
  return WriteOutcome::kWritten;
}

LockOutcome FakeFileSystem::OpenLocked(const std::string& path, std::unique_ptr<LockedFile>* file) {
  if (lockOutcome != LockOutcome::kLocked)
    return lockOutcome;
  *file = std::make_unique<FakeLockedFile>(&files[path], this, &written_);
  return LockOutcome::kLocked;
}

bool FakeFileSystem::Exists(const std::string& path) {
  return files.count(path) != 0;
}
