#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/standin/process_arguments.h"

extern char** environ;

namespace {

// What Linux says of a process in /proc/<pid>/stat: its state, and its start time in clock
// ticks since the computer started. False when there is no such process (`*gone`), or when
// the file cannot be read or taken apart.
bool ProcessStat(uint32_t pid, char* state, uint64_t* started, bool* gone) {
  *gone = false;
  std::string path = "/proc/" + std::to_string(pid) + "/stat";
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    // Without /proc nothing can be told, not even that a process is gone.
    *gone = errno == ENOENT && access("/proc/self/stat", R_OK) == 0;
    return false;
  }
  char text[1024];
  size_t size = std::fread(text, 1, sizeof text - 1, file);
  std::fclose(file);
  text[size] = '\0';
  // The program's name in parentheses may hold anything: the fields follow its last ')'.
  std::string stat(text, size);
  size_t close = stat.rfind(')');
  if (close == std::string::npos)
    return false;
  unsigned long long ticks = 0;
  // The state is field 3, the start time field 22.
  int read = std::sscanf(stat.c_str() + close + 1,
                         " %c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s "
                         "%*s %*s %llu",
                         state, &ticks);
  *started = ticks;
  return read == 2;
}

class PosixChildProcess : public ChildProcess {
 public:
  explicit PosixChildProcess(pid_t pid) : pid_(pid) {
    char state;
    bool gone;
    if (!ProcessStat(static_cast<uint32_t>(pid), &state, &started_, &gone))
      started_ = 0;
  }
  ProcessIdentity Identity() const override {
    return {static_cast<uint32_t>(pid_ > 0 ? pid_ : 0), started_};
  }

  void WaitAndClose() override {
    if (pid_ <= 0)
      return;
    int status;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = 0;
  }

 private:
  pid_t pid_;
  uint64_t started_ = 0;
};

// How the child starts: in `folder`, with every signal at its default and unblocked (an
// ignored SIGINT or SIGPIPE of ours is no business of E-Run's), and with the held file's
// descriptor open; every other descriptor of ours closes on exec.
struct Spawn {
  Spawn(const std::string& folder, const FileHold& hold) {
    ok_ = posix_spawn_file_actions_init(&actions) == 0 && posix_spawnattr_init(&attributes) == 0;
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    ok_ =
        ok_ && posix_spawnattr_setsigdefault(&attributes, &all) == 0 &&
        posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) == 0;
    if (!folder.empty())
      ok_ = ok_ && posix_spawn_file_actions_addchdir_np(&actions, folder.c_str()) == 0;
    if (hold.held()) {
      int fd = static_cast<int>(hold.handle());
      ok_ = ok_ && fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) & ~FD_CLOEXEC) == 0;
    }
  }
  ~Spawn() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  Spawn(const Spawn&) = delete;
  Spawn& operator=(const Spawn&) = delete;

  bool ready() const { return ok_; }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;

 private:
  bool ok_;
};

class PosixProcessStarter : public ProcessStarter {
 public:
  std::unique_ptr<ChildProcess> Start(const std::string& commandLine, const std::string& folder,
                                      const FileHold& hold) override {
    // The command line is a Windows one (it was made for CreateProcessA), so it is taken
    // apart by Windows' rules; no shell ever sees it.
    SplitCommandLine split = SplitWindowsCommandLine(commandLine);
    if (split.program.empty())
      return nullptr;
    // Resolved against our folder, as CreateProcessA does, before the child changes folder.
    if (split.program.find('/') != std::string::npos && split.program[0] != '/') {
      std::string resolved;
      if (GetFullPath(split.program, &resolved))
        split.program = resolved;
    }
    std::vector<char*> argv;
    argv.push_back(&split.program[0]);
    for (std::string& argument : split.arguments)
      argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    Spawn spawn(folder, hold);
    pid_t pid;
    if (!spawn.ready() || posix_spawnp(&pid, split.program.c_str(), &spawn.actions,
                                       &spawn.attributes, argv.data(), environ) != 0)
      return nullptr;
    return std::unique_ptr<ChildProcess>(new PosixChildProcess(pid));
  }
};

class PosixProcessCheck : public ProcessCheck {
 public:
  ProcessState Look(const ProcessIdentity& process) override {
    char state = 0;
    uint64_t started = 0;
    bool gone = false;
    if (!ProcessStat(process.id, &state, &started, &gone))
      return gone ? ProcessState::kGone : ProcessState::kCannotTell;
    if (process.created == 0)
      return ProcessState::kCannotTell;
    // A later process with the number, or ours ended and not yet waited for.
    if (started != process.created || state == 'Z' || state == 'X')
      return ProcessState::kGone;
    return ProcessState::kRunning;
  }
};

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static PosixProcessStarter starter;
  return starter;
}

ProcessCheck& SystemProcessCheck() {
  static PosixProcessCheck check;
  return check;
}

ProcessIdentity ThisProcess() {
  char state;
  uint64_t started = 0;
  bool gone;
  auto id = static_cast<uint32_t>(getpid());
  if (!ProcessStat(id, &state, &started, &gone))
    started = 0;
  return {id, started};
}
