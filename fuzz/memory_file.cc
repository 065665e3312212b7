#include "fuzz/memory_file.h"

#include <dirent.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_check.h"

MemoryFile::MemoryFile() : fd_(memfd_create("tarvo-fuzz-input", MFD_CLOEXEC)) {
  FUZZ_CHECK(fd_ >= 0);
  path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
  close(fd_);
}

void MemoryFile::Set(const void* data, size_t size) {
  FUZZ_CHECK(ftruncate(fd_, 0) == 0);
  const char* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    ssize_t written = pwrite(fd_, bytes + done, size - done, static_cast<off_t>(done));
    FUZZ_CHECK(written > 0);
    done += static_cast<size_t>(written);
  }
}

namespace {

std::string g_scratch;

std::vector<std::string> EntryNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  FUZZ_CHECK(dir != nullptr);
  while (const dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  closedir(dir);
  return names;
}

void RemoveScratch() {
  for (const std::string& name : EntryNames(g_scratch))
    unlink((g_scratch + '/').append(name).c_str());
  rmdir(g_scratch.c_str());
}

}  // namespace

const std::string& ScratchFolder() {
  if (g_scratch.empty()) {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp ? tmp : "/tmp");
    std::string pattern = base + "/tarvo-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr);
    g_scratch = pattern;
    std::atexit(RemoveScratch);
  }
  return g_scratch;
}

size_t CountEntries(const std::string& folder) {
  return EntryNames(folder).size();
}
