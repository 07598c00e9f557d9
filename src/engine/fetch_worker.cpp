#include "engine/fetch_worker.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "engine/fetch_session.h"
#include "engine/page_fetcher.h"
#include "platform/clock.h"
#include "platform/resource_limits.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
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
  outcome.error = platform::GetString(platform::ids::kMsgNoInternetSession);
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
  if (!job->Finish(outcome.result, std::move(outcome.text), outcome.cut, std::move(outcome.error)))
    return FetchResultOk;
  Notify(dispatcher.get(), Notification::FetchFinished, job);
  return outcome.result;
}

namespace {

struct WorkerStart {
  std::shared_ptr<WDFetchJob> job;
  std::shared_ptr<Dispatcher> dispatcher;
};

// Threads whose fetch has ended wait a while for the next one: handing a fetch to a waiting thread
// costs a fraction of starting a thread, which matters when a pass fetches hundreds of pages. Each
// running fetch still has a thread of its own. Never destroyed, like the count.
struct ThreadPark {
  std::mutex lock;
  std::condition_variable handed;
  std::deque<WorkerStart> handOvers;  // never more than waiting threads
  size_t waiting = 0;
};

ThreadPark& Park() {
  static auto* park = new ThreadPark;
  return *park;
}

// How long a thread without a fetch waits for one before it ends.
constexpr std::chrono::seconds kParkTime{10};

void* WorkerMain(void* argument) {
  WorkerStart start = std::move(*std::unique_ptr<WorkerStart>(static_cast<WorkerStart*>(argument)));
  platform::LowerThreadPriority();
  ThreadPark& park = Park();
  while (true) {
    FetchWorker::Run(start.job, start.dispatcher);
    // Let go of the job and the dispatcher before counting this fetch as ended.
    start = WorkerStart();
    WorkerEnded();
    std::unique_lock lock(park.lock);
    ++park.waiting;
    const bool handed = park.handed.wait_for(lock, kParkTime, [&park] { return !park.handOvers.empty(); });
    --park.waiting;
    if (!handed) return nullptr;
    start = std::move(park.handOvers.front());
    park.handOvers.pop_front();
  }
}

// Hands the fetch to a waiting thread; false when none is waiting.
bool HandOver(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher,
              const std::function<void()>& stamp) {
  ThreadPark& park = Park();
  {
    std::lock_guard lock(park.lock);
    if (park.waiting <= park.handOvers.size()) return false;
    WorkerStarting();
    // Stamped before the hand-over: the job is the worker's from here on.
    stamp();
    park.handOvers.push_back(WorkerStart{job, dispatcher});
  }
  park.handed.notify_one();
  return true;
}

// A fetch needs little stack; a small one makes starting and ending a worker cheaper, and a thousand
// workers at once (ThreadsAtTheTime 0) do not reserve gigabytes. Sanitizer builds keep the default,
// as their frames are several times larger.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t kWorkerStack = 0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr size_t kWorkerStack = 0;
#else
constexpr size_t kWorkerStack = size_t{1} << 20;
#endif
#else
constexpr size_t kWorkerStack = size_t{1} << 20;
#endif

}  // namespace

bool FetchWorker::Start(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher) {
  if (!job || !dispatcher || job->HasWorker()) return false;
  platform::RaiseOpenFileLimit();
  if (HandOver(job, dispatcher, [&job] { job->MarkStarted(platform::Now()); })) return true;
  auto start = std::make_unique<WorkerStart>(WorkerStart{job, dispatcher});
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (kWorkerStack > 0) pthread_attr_setstacksize(&attributes, kWorkerStack);
  WorkerStarting();
  pthread_t thread;
  const int rc = pthread_create(&thread, &attributes, WorkerMain, start.get());
  pthread_attr_destroy(&attributes);
  if (rc != 0) {
    WorkerEnded();
    return false;
  }
  start.release();  // the worker owns it now
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
