#pragma once
// One page fetch: the address, who is told about it, and what came back.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace quorvex::model {
class WDValPage;
}

namespace quorvex::engine {

// Fetch results. 0 also stands for "still running" until the job has finished.
enum FetchResult : int32_t {
  FetchResultOk = 0,
  FetchResultFailed = 1,
  FetchResultStopped = 2,
  FetchResultTimedOut = 5,
};

// The codes of the notifications between fetch workers, the fetch manager and the catalog views.
enum class Notification : int32_t {
  FetchFinished = 1124,
  FetchStarted = 1125,
  DataArriving = 1130,
};

class WDFetchJob;

// Receives the notifications of fetch jobs (the catalog tree view, a property pane). Called on the UI
// thread only, from Dispatcher::RunPending. Targets are held weakly: once a target is destroyed, its
// pending notifications are dropped and the jobs they carried are freed with them.
class FetchTarget {
 public:
  virtual ~FetchTarget() = default;
  virtual void OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>& job) = 0;
};

// A fetch job, shared between the one who started it and its worker thread (std::shared_ptr): a job that
// the fetch manager has given up stays alive until its worker has ended.
//
// Threads: the worker writes result and text once, when it finishes, and only then posts FetchFinished;
// the UI thread reads them after receiving that notification. GiveUp (UI thread) and the worker's finish
// exclude each other: whichever comes first decides the result, and a worker that finds its job given up
// leaves result and text alone and posts nothing.
class WDFetchJob {
 public:
  // page is the page record being fetched, or null for a fetch a view makes for itself; never owned.
  WDFetchJob(std::string url, std::weak_ptr<FetchTarget> target, model::WDValPage* page = nullptr);
  WDFetchJob(const WDFetchJob&) = delete;
  WDFetchJob& operator=(const WDFetchJob&) = delete;
  virtual ~WDFetchJob() = default;

  const std::string& Url() const { return m_strUrl; }
  const std::weak_ptr<FetchTarget>& Target() const { return m_target; }
  model::WDValPage* Page() const { return m_pPage; }

  // The result; 0 while running.
  int32_t Result() const;
  // True once the worker has handed back result and text.
  bool IsFinished() const;
  // True when the job has page text: only after a finish with FetchResultOk (the text may be empty).
  bool HasText() const;
  // The page text (empty without text). Call after FetchFinished.
  const std::string& Text() const { return m_text; }
  // Moves the page text out of the job; the job has no text afterwards.
  std::string TakeText();
  // True when the page text was cut at the session's page limit.
  bool WasCut() const;
  // Why the fetch failed ("HTTP 503 Service Unavailable", libcurl's reason, a time-out); empty after a
  // page was read, and while running. Call after FetchFinished.
  std::string ErrorText() const;

  // Whole seconds since 1970 when the worker was started; 0 before.
  int64_t StartTime() const { return m_startTime.load(); }
  // True once a worker thread has been started for the job.
  bool HasWorker() const { return m_workerStarted.load(); }

  // Asks for one more DataArriving notification after the worker's next read. Set at creation.
  void RequestNotify() { m_notify.store(true); }

  // Gives the job up with the given result (the overdue check: FetchResultTimedOut) and error text,
  // unless the worker has already finished. True when the job was given up now. UI thread.
  bool GiveUp(int32_t result = FetchResultTimedOut, std::string error = {});
  // True when GiveUp took effect.
  bool IsGivenUp() const;

 private:
  friend class FetchWorker;

  // Worker side: hands back result and text (for FetchResultOk) or error text (otherwise). False when the
  // job had been given up (nothing changed).
  bool Finish(int32_t result, std::string text, bool cut = false, std::string error = {});
  // Worker side: true (and the flag cleared) when a DataArriving notification is wanted now.
  bool TakeNotify() { return m_notify.exchange(false); }
  void MarkStarted(int64_t now);

  mutable std::mutex m_lock;  // result, text and the finish/give-up decision
  std::string m_text;
  std::string m_error;
  bool m_hasText = false;
  bool m_cut = false;
  const std::string m_strUrl;
  int32_t m_nResult = FetchResultOk;
  bool m_finished = false;
  bool m_givenUp = false;
  const std::weak_ptr<FetchTarget> m_target;
  std::atomic<bool> m_workerStarted{false};
  model::WDValPage* const m_pPage;
  std::atomic<int64_t> m_startTime{0};
  std::atomic<bool> m_notify{true};
};

}  // namespace quorvex::engine
