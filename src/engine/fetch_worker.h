#pragma once
// Fetch workers: each job runs on a thread of its own and reports back through the dispatcher.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/dispatcher.h"
#include "engine/fetch_job.h"

namespace quorvex::engine {

// The process-wide stop flag: while set, every running fetch ends at its next read (or within about a
// second while it waits) with FetchResultStopped. Set by the stop command and the overdue check,
// cleared when the job list is empty again, and by a view just before it starts a fetch of its own.
// Any thread.
void SetStopFlag(bool set);
bool IsStopFlagSet();

class FetchWorker {
 public:
  // Starts the worker for job on a thread of its own below normal priority (a new one, or one whose
  // fetch ended shortly before and waits for the next) and sets the job's start time. False when the
  // thread could not be made, when job or dispatcher is null, or when the job already had a worker.
  // UI thread.
  //
  // The worker fetches the job's address with the session current when it starts (none: result
  // FetchResultFailed), and posts through the dispatcher, to the job's target:
  //  - Notification::DataArriving after a read, while the job's notify flag is set (the flag is cleared;
  //    the receiver calls RequestNotify for the next one);
  //  - Notification::FetchFinished once, after result and text are set.
  // A job given up (WDFetchJob::GiveUp) ends its fetch as the stop flag would. When the target no
  // longer exists as the fetch ends, or the job was given up, the worker leaves the job as it is and
  // posts nothing. A notification whose target is destroyed
  // before it is delivered is dropped. The thread holds the job and the dispatcher until it ends.
  static bool Start(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher);

  // The worker procedure on the calling thread; returns the fetch result (0 when the job was left as
  // it was). dispatcher may be null: nothing is posted then, the job is still finished.
  static int32_t Run(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher);

  // Fetches started by Start that have not ended yet (threads waiting for a fetch are not counted).
  // Any thread.
  static size_t RunningCount();
  // Waits until every worker has ended or timeout has passed; true when none runs. For shutting down
  // (set the stop flag first) and for tests.
  static bool WaitForAll(std::chrono::milliseconds timeout);
};

// The fetch manager's and the views' way in: FetchWorker::Start.
inline bool StartWorker(const std::shared_ptr<WDFetchJob>& job, const std::shared_ptr<Dispatcher>& dispatcher) {
  return FetchWorker::Start(job, dispatcher);
}

}  // namespace quorvex::engine
