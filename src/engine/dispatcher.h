#pragma once
// The hand-over from worker threads to the UI thread: a queue of closures that any thread may post to
// and the UI thread runs.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace quorvex::engine {

// Stands in for messages posted to windows. Closures run on the thread that calls RunPending or
// WaitAndRun (the UI thread; only one thread may drain), in the order they were posted. A closure posted
// while others run waits for the next round, so a closure that posts again cannot starve the loop.
// Closures must not throw. Whatever a closure captures is released on the draining thread, or when the
// dispatcher is destroyed with closures still queued.
// Share it with std::shared_ptr when workers post to it: each worker keeps it alive until it ends.
class Dispatcher {
 public:
  using Task = std::function<void()>;

  Dispatcher() = default;
  Dispatcher(const Dispatcher&) = delete;
  Dispatcher& operator=(const Dispatcher&) = delete;

  // Any thread. Queues task and wakes the draining thread.
  void Post(Task task);

  // Any thread. Queues a call of fn(target) that runs only if target still exists when its turn comes;
  // otherwise the closure is dropped, and what it captured is freed.
  template <class T, class Fn>
  void PostTo(std::weak_ptr<T> target, Fn fn) {
    Post([target = std::move(target), fn = std::move(fn)]() mutable {
      if (std::shared_ptr<T> alive = target.lock()) fn(*alive);
    });
  }

  // UI thread. Runs the closures queued so far; returns how many ran.
  size_t RunPending();
  // UI thread. The same, but stops once budget has passed (after at least one closure) and leaves the
  // rest queued, in order, ahead of later posts: an event loop stays responsive under a burst.
  size_t RunPendingFor(std::chrono::steady_clock::duration budget);
  // UI thread. Waits until a closure is queued or timeout has passed, then runs what is queued.
  // Returns how many ran (0 after a time-out).
  size_t WaitAndRun(std::chrono::milliseconds timeout);

  // Any thread. Number of queued closures.
  size_t PendingCount() const;

  // Called after every Post, on the posting thread, so an event loop (the GUI's) can schedule a
  // RunPending on its own thread. It must be cheap and must not call back into the dispatcher's
  // drain functions. Set it before workers start; an empty function removes it.
  void SetWakeUp(std::function<void()> wakeUp);

 private:
  mutable std::mutex m_lock;
  std::condition_variable m_posted;
  std::deque<Task> m_tasks;
  std::function<void()> m_wakeUp;
};

}  // namespace quorvex::engine
