#pragma once
// The running fetches of the catalog document: one job per page being fetched, each on a worker of its
// own, listed until the UI thread retires it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/dispatcher.h"
#include "engine/fetch_job.h"

namespace quorvex::model {
class WDValPage;
}

namespace quorvex::engine {

// ThreadsAtTheTime 0 or less means as many fetches at once as serve best: this many. Each running
// fetch holds a thread, a libcurl handle, a socket and its page text (some 50 KB of memory for a small
// page). Slow servers want many at once; thousands at once cost hundreds of megabytes, and sockets
// beyond a 1,024-descriptor limit (where the process cannot raise it) fail to connect. Pages beyond
// the ceiling start as slots free up.
inline constexpr size_t kMaxSimultaneousFetches = 512;

// At most this many fetches at once for a ThreadsAtTheTime setting: the setting when positive, else
// kMaxSimultaneousFetches.
size_t SimultaneousFetchLimit(int32_t threadsAtTheTime);

// Why a fetch was not started.
enum class StartRefusal {
  None,
  NoSettings,       // no application context (no main window)
  NoEnabledBeacon,  // the page has no enabled beacon
  InProgress,       // the address is being fetched already
  Stopping,         // the running fetches are being stopped (the stop flag is set)
  BadAddress,       // the address cannot be split
  Offline,          // the periodic pass found the machine offline
  Limit,            // ThreadsAtTheTime fetches (SimultaneousFetchLimit) run already
  NoTarget,         // nobody would receive the job's notifications
  NoWorker,         // the worker thread could not be made
};

// Owned by the document. Every operation runs on the UI thread; the mutex guards the job list against
// nothing but itself, as it always has, and is never held across a thread start or a notification.
//
// Jobs are shared with their workers: a job given up by AbortOverdue, or retired while its worker is
// still blocked in a read, stays alive until that worker ends, and its late finish is ignored
// (WDFetchJob::GiveUp). Notifications reach the target through the manager: when the target no longer
// exists, a finished job is retired here instead, so it never stays listed.
class WDFetchManager {
 public:
  // dispatcher: where the workers post; the UI thread drains it.
  explicit WDFetchManager(std::shared_ptr<Dispatcher> dispatcher);
  // Drops the list. Workers still running keep their jobs until they end; what they post afterwards is
  // dropped. Stop them first (RequestStop, FetchWorker::WaitForAll) when the process goes on.
  ~WDFetchManager();
  WDFetchManager(const WDFetchManager&) = delete;
  WDFetchManager& operator=(const WDFetchManager&) = delete;

  // The receiver of FetchStarted (called at once, from StartJob) and of DataArriving and FetchFinished
  // (through the dispatcher). Held weakly. Its FetchFinished must retire the job (the document's
  // FinishJob, or RemoveJob).
  void SetTarget(std::weak_ptr<FetchTarget> target);
  bool HasTarget() const;
  const std::shared_ptr<Dispatcher>& GetDispatcher() const { return m_dispatcher; }

  // Makes a job for page (the page's address; page is not owned and never looked at again), starts its
  // worker below normal priority and lists it. Refuses without settings, without a page, at the
  // SimultaneousFetchLimit of ThreadsAtTheTime, without a target, or when no thread could be made
  // (the job is dropped then). why, when given, says why it refused. The first job of an empty list
  // tells the agent state (platform::UpdateAgentState).
  bool StartJob(model::WDValPage* page, StartRefusal* why = nullptr);
  // Unlists job (no effect when it is not listed). The stop flag is cleared when the list becomes empty.
  void RemoveJob(const std::shared_ptr<WDFetchJob>& job);
  // Whether a listed job fetches url, letter case aside.
  bool IsUrlInProgress(const std::string& url) const;
  // Gives up every listed job whose worker started more than seconds ago (whole seconds, strictly
  // more) and has not finished: result FetchResultTimedOut with the error text that names the limit, the stop flag set
  // (so the other running fetches end too), and FetchFinished posted for it. A job is given up once. True when any was.
  bool AbortOverdue(int64_t seconds);
  // Sets the stop flag: every running fetch ends at its next read with FetchResultStopped. Nothing
  // happens with no job listed, so that a stray stop cannot hold back the periodic pass.
  void RequestStop();

  // Number of listed jobs.
  size_t GetJobCount() const;
  // The listed jobs, in start order.
  std::vector<std::shared_ptr<WDFetchJob>> GetJobs() const;

 private:
  class Relay;

  mutable std::mutex m_mutex;
  std::vector<std::shared_ptr<WDFetchJob>> m_jobs;
  std::shared_ptr<Dispatcher> m_dispatcher;
  std::shared_ptr<Relay> m_relay;
};

}  // namespace quorvex::engine
