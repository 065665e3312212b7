#include "platform/process.h"

#include <windows.h>

#include <vector>

namespace {

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

}  // namespace

ProcessStarter& SystemProcessStarter() {
  static Win32ProcessStarter starter;
  return starter;
}
