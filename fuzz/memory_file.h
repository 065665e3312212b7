#ifndef TARVO_FUZZ_MEMORY_FILE_H_
#define TARVO_FUZZ_MEMORY_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

/// A file that lives in memory (Linux memfd) and that code taking a path can open
/// through /proc/self/fd, so feeding an input to Load costs no disk I/O.
class MemoryFile {
 public:
  MemoryFile();
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  /// Replaces the file's whole content.
  void Set(const void* data, size_t size);
  const std::string& path() const { return path_; }

 private:
  int fd_;
  std::string path_;
};

/// A folder of this process for files the targets write (in /dev/shm when there is
/// one), created on first use and emptied and removed at exit.
const std::string& ScratchFolder();

/// The number of entries in a folder, "." and ".." not counted.
size_t CountEntries(const std::string& folder);

#endif  // TARVO_FUZZ_MEMORY_FILE_H_
