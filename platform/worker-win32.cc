#include "platform/worker.h"

#include <process.h>
#include <windows.h>

#include <utility>

struct Worker::Thread {
  HANDLE handle;
};

namespace {

unsigned __stdcall Run(void* work) {
  (*static_cast<std::function<void()>*>(work))();
  return 0;
}

}  // namespace

Worker::Worker(std::function<void()> work) : work_(std::move(work)) {
  // _beginthreadex, not CreateThread: the thread uses the C runtime.
  uintptr_t handle = _beginthreadex(nullptr, 0, Run, &work_, 0, nullptr);
  if (handle == 0) {
    work_();
    return;
  }
  thread_ = std::make_unique<Thread>(Thread{reinterpret_cast<HANDLE>(handle)});
}

Worker::~Worker() {
  Join();
}

void Worker::Join() {
  if (!thread_)
    return;
  WaitForSingleObject(thread_->handle, INFINITE);
  CloseHandle(thread_->handle);
  thread_.reset();
}
