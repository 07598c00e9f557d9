#include "engine/fetch_worker.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "engine/fetch_session.h"
#include "engine/page_fetcher.h"
#include "platform/clock.h"
#include "platform/thread_priority.h"

namespace quorvex::engine {
namespace {

std::atomic<bool> g_stop{false};

// Never destroyed: a worker may still be ending while the process exits.
struct WorkerCount {
  std::mutex lock;
  std::condition_variable ended;
  size_t running = 0;
};

WorkerCount& Workers() {
  static auto* count = new WorkerCount;
  return *count;
}

void WorkerStarting() {
  std::lock_guard lock(Workers().lock);
  ++Workers().running;
}

void WorkerEnded() {
  WorkerCount& workers = Workers();
  {
    std::lock_guard lock(workers.lock);
    --workers.running;
  }
  workers.ended.notify_all();
}

void Notify(Dispatcher* dispatcher, Notification code, const std::shared_ptr<WDFetchJob>& job) {
  if (!dispatcher) return;
  dispatcher->PostTo(job->Target(), [code, job](FetchTarget& target) { target.OnFetchNotification(code, job); });
}

}  // namespace

void SetStopFlag(bool set) {
  g_stop.store(set);
}

bool IsStopFlagSet() {
  return g_stop.load();
}

int32_t FetchWorker::Run(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher) {
  if (!job) return FetchResultFailed;
  FetchOutcome outcome;
  if (std::shared_ptr<const FetchSession> session = CurrentSession()) {
    FetchHooks hooks;
    // A job given up by the overdue check ends its own fetch too: nobody waits for it any more.
    hooks.stopRequested = [&job] { return IsStopFlagSet() || job->IsGivenUp(); };
    hooks.afterRead = [&job, &dispatcher] {
      if (job->TakeNotify()) Notify(dispatcher.get(), Notification::DataArriving, job);
    };
    outcome = PageFetcher(*session, std::move(hooks)).Fetch(job->Url());
  }
  // Nobody left to tell: the job stays as it is and goes with its last owner.
  if (job->Target().expired()) return FetchResultOk;
  if (!job->Finish(outcome.result, std::move(outcome.text), outcome.cut)) return FetchResultOk;
  Notify(dispatcher.get(), Notification::FetchFinished, job);
  return outcome.result;
}

bool FetchWorker::Start(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher) {
  if (!job || !dispatcher || job->HasWorker()) return false;
  WorkerStarting();
  try {
    std::thread([job = std::shared_ptr<WDFetchJob>(job),
                 dispatcher = std::shared_ptr<Dispatcher>(dispatcher)]() mutable {
      platform::LowerThreadPriority();
      Run(job, dispatcher);
      // Let go of the job and the dispatcher before counting this worker as ended.
      job.reset();
      dispatcher.reset();
      WorkerEnded();
    }).detach();
  } catch (const std::system_error&) {
    WorkerEnded();
    return false;
  }
  job->MarkStarted(platform::Now());
  return true;
}

size_t FetchWorker::RunningCount() {
  std::lock_guard lock(Workers().lock);
  return Workers().running;
}

bool FetchWorker::WaitForAll(std::chrono::milliseconds timeout) {
  WorkerCount& workers = Workers();
  std::unique_lock lock(workers.lock);
  return workers.ended.wait_for(lock, timeout, [&workers] { return workers.running == 0; });
}

}  // namespace quorvex::engine
