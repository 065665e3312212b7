#ifndef TARVO_PLATFORM_WORKER_H_
#define TARVO_PLATFORM_WORKER_H_

#include <functional>
#include <memory>

// A piece of work done on a thread of its own while the program goes on, for a long read
// that two processors do in half the time. One implementation per platform
// (worker-posix.cc, worker-win32.cc): Windows XP has none of what std::thread needs there.

class Worker {
 public:
  /// Starts `work` on a thread of its own, or does it now, before returning, where no
  /// thread can be started: either way it is done once Join has returned.
  explicit Worker(std::function<void()> work);
  /// Joins.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  /// Waits until the work is done.
  void Join();

 private:
  struct Thread;
  std::function<void()> work_;
  std::unique_ptr<Thread> thread_;
};

#endif  // TARVO_PLATFORM_WORKER_H_
