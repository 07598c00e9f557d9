#include "engine/dispatcher.h"

namespace quorvex::engine {

void Dispatcher::Post(Task task) {
  std::function<void()> wakeUp;
  {
    std::lock_guard lock(m_lock);
    m_tasks.push_back(std::move(task));
    wakeUp = m_wakeUp;
  }
  m_posted.notify_one();
  if (wakeUp) wakeUp();
}

size_t Dispatcher::RunPending() {
  return RunPendingFor(std::chrono::steady_clock::duration::max());
}

size_t Dispatcher::RunPendingFor(std::chrono::steady_clock::duration budget) {
  const auto start = std::chrono::steady_clock::now();
  std::deque<Task> batch;
  {
    std::lock_guard lock(m_lock);
    batch.swap(m_tasks);
  }
  size_t ran = 0;
  while (!batch.empty()) {
    if (ran > 0 && std::chrono::steady_clock::now() - start >= budget) {
      std::lock_guard lock(m_lock);
      m_tasks.insert(m_tasks.begin(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
      break;
    }
    Task task = std::move(batch.front());
    batch.pop_front();
    task();
    // Free what the closure holds now, before the next one runs.
    task = nullptr;
    ++ran;
  }
  return ran;
}

size_t Dispatcher::WaitAndRun(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(m_lock);
    if (!m_posted.wait_for(lock, timeout, [this] { return !m_tasks.empty(); })) return 0;
  }
  return RunPending();
}

size_t Dispatcher::PendingCount() const {
  std::lock_guard lock(m_lock);
  return m_tasks.size();
}

void Dispatcher::SetWakeUp(std::function<void()> wakeUp) {
  std::lock_guard lock(m_lock);
  m_wakeUp = std::move(wakeUp);
}

}  // namespace quorvex::engine
