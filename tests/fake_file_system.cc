#include "fake_file_system.h"

#include <algorithm>
#include <cstring>

namespace {

class FakeLockedFile : public LockedFile {
 public:
  FakeLockedFile(std::string* file, FakeFileSystem* owner, size_t* written)
      : file_(file), owner_(owner), written_(written) {}

  bool Size(uint64_t* size) override {
    *size = file_->size();
    return true;
  }
  bool ReadAt(uint64_t offset, char* buffer, size_t size, size_t* count) override {
    size_t at = std::min(static_cast<size_t>(offset), file_->size());
    *count = std::min(size, file_->size() - at);
    std::memcpy(buffer, file_->data() + at, *count);
    return at + *count < owner_->readFailsAt;
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

WriteOutcome FakeFileSystem::WritePieces(const std::string& path, const FilePieces& pieces,
                                         FileHold* hold, size_t* written) {
  if (failOpen || readOnly.count(path) != 0)
    return WriteOutcome::kFailed;
  std::string bytes;
  pieces([&bytes](std::string_view piece) { bytes.append(piece); });
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

LockOutcome FakeFileSystem::OpenLocked(const std::string& path, LockFor lockFor,
                                       std::unique_ptr<LockedFile>* file) {
  if (lockOutcome != LockOutcome::kLocked)
    return lockOutcome;
  if (lockFor == LockFor::kReading && files.count(path) == 0)
    return LockOutcome::kFailed;
  *file = std::make_unique<FakeLockedFile>(&files[path], this, &written_);
  return LockOutcome::kLocked;
}

Presence FakeFileSystem::Look(const std::string& path) {
  if (cannotTell.count(path) != 0)
    return Presence::kCannotTell;
  auto next = files.lower_bound(path);
  bool folder = !path.empty() && (path.back() == '/' || path.back() == '\\');
  return next != files.end() && (next->first == path || (folder && next->first.rfind(path, 0) == 0))
             ? Presence::kThere
             : Presence::kNotThere;
}

MoveOutcome FakeFileSystem::MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (files.count(to) != 0)
    return MoveOutcome::kTaken;
  auto found = files.find(from);
  if (failRename || found == files.end())
    return MoveOutcome::kFailed;
  files[to] = found->second;
  files.erase(from);
  return MoveOutcome::kMoved;
}

bool FakeFileSystem::SameFile(const std::string& a, const std::string& b) {
  return a == b;
}
