#include "platform/worker.h"

#include <pthread.h>
#include <sched.h>

#include <utility>

namespace {

struct Start {
  std::function<void()>* work = nullptr;
#if defined(__linux__)
  bool restore = false;
  cpu_set_t processors{};  // the process's, which the thread takes once it runs
#endif
};

void* Run(void* start) {
  auto& begun = *static_cast<Start*>(start);
#if defined(__linux__)
  if (begun.restore)
    pthread_setaffinity_np(pthread_self(), sizeof begun.processors, &begun.processors);
#endif
  (*begun.work)();
  return nullptr;
}

}  // namespace

struct Worker::Thread {
  pthread_t thread{};
  Start start;
};

// Left to itself, Linux starts the thread on the processor of the thread that starts it,
// and the two share that processor for milliseconds until one is moved: about as long as
// the thread's work. So the thread starts on another processor, and may go anywhere after.
Worker::Worker(std::function<void()> work) : work_(std::move(work)), thread_(new Thread) {
  Start& start = thread_->start;
  start.work = &work_;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
#if defined(__linux__)
  int current = sched_getcpu();
  if (current >= 0 && sched_getaffinity(0, sizeof start.processors, &start.processors) == 0) {
    cpu_set_t others = start.processors;
    CPU_CLR(current, &others);
    start.restore = CPU_COUNT(&others) > 0 &&
                    pthread_attr_setaffinity_np(&attributes, sizeof others, &others) == 0;
  }
#endif
  if (pthread_create(&thread_->thread, &attributes, Run, &start) != 0) {
    thread_.reset();
    work_();
  }
  pthread_attr_destroy(&attributes);
}

Worker::~Worker() {
  Join();
}

void Worker::Join() {
  if (!thread_)
    return;
  pthread_join(thread_->thread, nullptr);
  thread_.reset();
}
