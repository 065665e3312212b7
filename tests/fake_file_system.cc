#include "fake_file_system.h"

#include <algorithm>
#include <cstring>

namespace {

class FakeReader : public FileReader {
 public:
  FakeReader(std::string bytes, size_t size, size_t failsAt)
      : bytes_(std::move(bytes)), size_(size), failsAt_(failsAt) {}

  size_t Read(char* buffer, size_t size) override {
    size_t end = std::min(bytes_.size(), failsAt_);
    size_t count = std::min(size, end - std::min(end, position_));
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    failed_ = count < size && position_ == failsAt_;
    return count;
  }
  bool Failed() const override { return failed_; }
  size_t Size() const override { return size_; }

 private:
  std::string bytes_;
  size_t size_;
  size_t failsAt_;
  size_t position_ = 0;
  bool failed_ = false;
};

class FakeWriter : public FileWriter {
 public:
  FakeWriter(std::string* file, size_t* written, size_t space, bool failClose)
      : file_(file), written_(written), space_(space), failClose_(failClose) {}

  size_t Write(const char* data, size_t size) override {
    size_t room = space_ == FakeFileSystem::kNever ? size : space_ - std::min(space_, *written_);
    size_t count = std::min(size, room);
    file_->append(data, count);
    *written_ += count;
    return count;
  }
  bool Close() override { return !failClose_; }

 private:
  std::string* file_;
  size_t* written_;
  size_t space_;
  bool failClose_;
};

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

std::unique_ptr<FileReader> FakeFileSystem::OpenForReading(const std::string& path) {
  auto found = files.find(path);
  if (failOpen || found == files.end())
    return nullptr;
  size_t size = unknownSize ? 0 : found->second.size();
  return std::make_unique<FakeReader>(found->second, size, readFailsAt);
}

bool FakeFileSystem::IsReadOnlyFile(const std::string& path) {
  return readOnly.count(path) != 0;
}

CreateOutcome FakeFileSystem::CreateTemporary(const std::string& path,
                                              std::unique_ptr<FileWriter>* file) {
  if (failOpen)
    return CreateOutcome::kFailed;
  if (!files.emplace(path, std::string()).second)
    return CreateOutcome::kExists;
  *file = std::make_unique<FakeWriter>(&files[path], &written_, diskSpace, failClose);
  return CreateOutcome::kCreated;
}

ReplaceOutcome FakeFileSystem::Replace(const std::string& from, const std::string& target,
                                       FileHold* hold) {
  if (held.count(target) != 0)
    return ReplaceOutcome::kHeld;
  if (failRename || files.count(from) == 0)
    return ReplaceOutcome::kFailed;
  files[target] = files[from];
  files.erase(from);
  if (hold != nullptr)
    held.insert(target);
  return ReplaceOutcome::kReplaced;
}

void FakeFileSystem::Remove(const std::string& path) {
  files.erase(path);
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

bool FakeFileSystem::SameFile(const std::string& a, const std::string& b) {
  return a == b;
}
