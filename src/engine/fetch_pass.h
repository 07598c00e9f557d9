#pragma once
// A pass over pages as a command runs it: fetch them within the ThreadsAtTheTime limit, hand each
// finished page to the document on the UI thread, and tell what became of every page and beacon.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/fetch_job.h"
#include "engine/fetch_manager.h"

namespace quorvex::model {
class WDValPage;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::engine {

class WDQvxDoc;

// What a pass did to one beacon of a page.
struct BeaconReport {
  model::WDValue* value = nullptr;  // not owned; valid while the beacon lives
  bool sampled = false;             // its pattern matched and a sample was taken
  bool changed = false;             // sampled, and the newest text differs from the one before
  bool hadValue = false;            // there was a sample before the pass
  std::string before;               // newest text before (tags stripped)
  std::string after;                // newest text after
  int32_t status = 0;               // the beacon's extraction status afterwards (0 found, 1 no match)
};

// What became of one page.
struct PageReport {
  std::string url;
  bool started = false;
  StartRefusal refusal = StartRefusal::None;  // why it was not started
  int32_t result = FetchResultOk;             // the fetch result, when started
  std::string error;                          // why the fetch failed, when it says
  bool cut = false;                           // the page text was cut at the page limit
  std::vector<BeaconReport> beacons;          // enabled beacons, when the page was read

  // Fetch failed or was never started.
  bool PageFailed() const { return !started || result != FetchResultOk; }
  // A failure of the page, or of an enabled beacon's pattern.
  bool Failed() const;
};

// The receiver of fetch notifications while a command runs: hands each finished job to the document
// (FinishJob) and keeps a report of it. UI thread only; install it with WDQvxDoc::SetFetchTarget and
// keep it alive (shared) while jobs run.
class PassRecorder : public FetchTarget {
 public:
  explicit PassRecorder(WDQvxDoc& doc) : m_doc(doc) {}
  void OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>& job) override;

  // While shutting down: a fetch that was stopped is retired without storing result 2 in its page and
  // without a report, so that stopping the program does not mark every page it was reading as failed.
  void SetDiscardStopped(bool discard) { m_discardStopped = discard; }
  // Reports of the jobs finished since the last call, in finishing order.
  std::vector<PageReport> TakeReports();
  // Adds a report of its own (a page that could not be started).
  void Add(PageReport report) { m_reports.push_back(std::move(report)); }
  size_t Finished() const { return m_finished; }
  size_t Failed() const { return m_failed; }

 private:
  WDQvxDoc& m_doc;
  std::vector<PageReport> m_reports;
  size_t m_finished = 0;
  size_t m_failed = 0;
  bool m_discardStopped = false;
};

struct PassProgress {
  size_t done = 0;
  size_t total = 0;
  size_t failed = 0;
  size_t running = 0;
};

struct PassOptions {
  // Called on the UI thread after every round of the loop and once at the end.
  std::function<void(const PassProgress&)> progress;
  // Polled every round; true stops the running fetches and starts no more pages.
  std::function<bool()> stopRequested;
  // How long one round waits for a finished fetch.
  std::chrono::milliseconds round{200};
};

// Fetches pages (user command: no online check; each page once; pages without an enabled beacon are
// skipped) within the ThreadsAtTheTime limit, draining the document's dispatcher on the calling (UI)
// thread until every started job is retired. Overdue jobs are given up by the document's limit. The
// document's fetch target is replaced for the pass and given back to the document afterwards.
// Returns one report per page (unstarted pages included), in finishing order.
std::vector<PageReport> RunPass(WDQvxDoc& doc, const std::vector<model::WDValPage*>& pages,
                                const PassOptions& options = {});

}  // namespace quorvex::engine
