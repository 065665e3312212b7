#include "platform/worker.h"

#include <system_error>
#include <thread>
#include <utility>

struct Worker::Thread {
  std::thread thread;
};

Worker::Worker(std::function<void()> work) : work_(std::move(work)) {
  try {
    thread_ = std::make_unique<Thread>(Thread{std::thread(work_)});
  } catch (const std::system_error&) {
    work_();
  }
}

Worker::~Worker() {
  Join();
}

void Worker::Join() {
  if (thread_ && thread_->thread.joinable())
    thread_->thread.join();
}
