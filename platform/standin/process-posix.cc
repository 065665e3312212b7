#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "platform/standin/process_arguments.h"

extern char** environ;

namespace {

class PosixChildProcess : public ChildProcess {
 public:
  explicit PosixChildProcess(pid_t pid) : pid_(pid) {}

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

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static PosixProcessStarter starter;
  return starter;
}
