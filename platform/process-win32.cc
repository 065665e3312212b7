#include "platform/process.h"

#include <windows.h>

#include <vector>

namespace {

uint64_t Count(const FILETIME& time) {
  return static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// When the process was created; 0 when the system does not say.
uint64_t CreationTime(HANDLE process) {
  FILETIME created, exited, kernel, user;
  return GetProcessTimes(process, &created, &exited, &kernel, &user) ? Count(created) : 0;
}

class Win32ChildProcess : public ChildProcess {
 public:
  explicit Win32ChildProcess(const PROCESS_INFORMATION& info) : info_(info) {}
  ~Win32ChildProcess() override { Close(); }
  Win32ChildProcess(const Win32ChildProcess&) = delete;
  Win32ChildProcess& operator=(const Win32ChildProcess&) = delete;

  void WaitAndClose() override {
    if (open_)
      WaitForSingleObject(info_.hProcess, INFINITE);
    Close();
  }
  ProcessIdentity Identity() const override {
    return {info_.dwProcessId, open_ ? CreationTime(info_.hProcess) : 0};
  }

 private:
  void Close() {
    if (!open_)
      return;
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    open_ = false;
  }

  PROCESS_INFORMATION info_;
  bool open_ = true;
};

class Win32ProcessStarter : public ProcessStarter {
 public:
  std::unique_ptr<ChildProcess> Start(const std::string& commandLine, const std::string& folder,
                                      const FileHold& hold) override {
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    // The hold is the one handle of ours that is inheritable: E-Run keeps the script held
    // when this run ends first, killed or with its console closed.
    HANDLE held = reinterpret_cast<HANDLE>(hold.handle());
    if (hold.held())
      SetHandleInformation(held, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    BOOL started = CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, hold.held(), 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &startup, &info);
    if (hold.held())
      SetHandleInformation(held, HANDLE_FLAG_INHERIT, 0);
    if (!started)
      return nullptr;
    return std::unique_ptr<ChildProcess>(new Win32ChildProcess(info));
  }
};

// Only what Windows XP has: OpenProcess with PROCESS_QUERY_INFORMATION, not the limited
// right or QueryFullProcessImageName, which came with Vista.
class Win32ProcessCheck : public ProcessCheck {
 public:
  ProcessState Look(const ProcessIdentity& process) override {
    HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, process.id);
    if (handle == nullptr)
      return GetLastError() == ERROR_INVALID_PARAMETER ? ProcessState::kGone
                                                       : ProcessState::kCannotTell;
    ProcessState state = ProcessState::kCannotTell;
    uint64_t created = CreationTime(handle);
    DWORD code = 0;
    if (process.created == 0 || created == 0) {
      state = ProcessState::kCannotTell;
    } else if (created != process.created) {
      state = ProcessState::kGone;  // a later process has the number
    } else if (GetExitCodeProcess(handle, &code)) {
      // An exit code that happens to be STILL_ACTIVE's: the wait tells.
      bool exited = code != STILL_ACTIVE || WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
      state = exited ? ProcessState::kGone : ProcessState::kRunning;
    }
    CloseHandle(handle);
    return state;
  }
};

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static Win32ProcessStarter starter;
  return starter;
}

ProcessCheck& SystemProcessCheck() {
  static Win32ProcessCheck check;
  return check;
}

ProcessIdentity ThisProcess() {
  return {GetCurrentProcessId(), CreationTime(GetCurrentProcess())};
}
