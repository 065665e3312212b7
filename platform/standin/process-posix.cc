#include "platform/process.h"

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

class PosixProcessStarter : public ProcessStarter {
 public:
  std::unique_ptr<ChildProcess> Start(const std::string& commandLine) override {
    // The command line is a Windows one (it was made for CreateProcessA), so it is taken
    // apart by Windows' rules; no shell ever sees it.
    SplitCommandLine split = SplitWindowsCommandLine(commandLine);
    if (split.program.empty())
      return nullptr;
    std::vector<char*> argv;
    argv.push_back(&split.program[0]);
    for (std::string& argument : split.arguments)
      argv.push_back(&argument[0]);
    argv.push_back(nullptr);

    pid_t pid;
    if (posix_spawnp(&pid, split.program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
      return nullptr;
    return std::unique_ptr<ChildProcess>(new PosixChildProcess(pid));
  }
};

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static PosixProcessStarter starter;
  return starter;
}
