#pragma once
// The one catalog document: owns the pages (one per distinct address), the folder tree and the fetch
// manager. Opens and saves the catalog file, repairs the tree after loading, and drives the refresh:
// the periodic pass, the user's refresh commands and the hand-back of finished fetches.
// UI thread only.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/dispatcher.h"
#include "engine/fetch_job.h"
#include "engine/fetch_manager.h"
#include "engine/fetch_session.h"
#include "engine/mail_deliveries.h"
#include "engine/online_check.h"
#include "engine/snapshot_store.h"
#include "model/catalog_archive.h"
#include "model/document_hooks.h"
#include "model/group.h"
#include "model/val_page.h"
#include "model/value.h"

namespace quorvex::engine {

class WDQvxDoc : public model::DocumentHooks {
 public:
  // Installs itself as the model's active document and its mail deliveries as the model's courier.
  WDQvxDoc();
  // Workers still running keep their jobs until they end and what they post is dropped; stop them
  // first (StopAll, FetchWorker::WaitForAll) when the process goes on. Mail still being delivered
  // gets FinishMail(kMailGrace) first.
  ~WDQvxDoc() override;
  WDQvxDoc(const WDQvxDoc&) = delete;
  WDQvxDoc& operator=(const WDQvxDoc&) = delete;

  // Opens the catalog file at path. A missing file starts a new empty catalog (saved on the first
  // save). An unreadable or broken file is reported (61451 and the reason) and false is returned;
  // the document then refuses to save over that file.
  bool OnNewDocument(const std::string& path);
  // Writes the catalog (temporary file + rename). On failure: 61451, nothing written, still modified.
  bool Save();
  // Closing: saves silently when hidden or without SavePrompt, else asks (61454). False: keep open.
  bool SaveModified(bool runningHidden);

  // The root and load fix-up: the "Catalog" root, the rename of an older root, values linked to
  // their pages, kinds re-derived, every value placed in the tree.
  void Repair();

  model::WDGroup* GetRoot() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  const std::vector<std::unique_ptr<model::WDValPage>>& GetPages() const { return pages_; }
  const std::vector<std::unique_ptr<model::WDGroup>>& GetRoots() const { return roots_; }

  // The page of url (letter case ignored, searched from the end); with create, a missing one is made.
  model::WDValPage* FindPage(const std::string& url, bool create);
  // Creates a new value on the page of url and returns it (the caller files it in the tree).
  model::WDValue* NewBeacon();

  // The one walk over the beacons: all values of all pages in page order (folders hold none of their own).
  std::vector<model::WDValue*> AllBeacons() const;

  // Check all alerts: mode 0 for every beacon; when none fired, 61471 (information). Returns the count.
  int CheckAllAlerts();
  bool IsAnyBeaconBusy() const;
  int CountActiveEvents() const;
  // Removes a value from the tree and destroys it; a page left empty is deleted.
  bool DeleteBeacon(model::WDValue* value);

  bool IsModified() const { return modified_; }
  const std::string& GetPath() const { return path_; }
  std::string m_strNote;

  // DocumentHooks
  void SetModifiedFlag(bool modified = true) override { modified_ = modified; }
  bool MoveBeacon(const std::string& url, model::WDValue& value) override;
  // The beacon's page is fetched now, as a command of the user (StartPageFetch with force 1). True
  // when a fetch was started or the page is being fetched already.
  bool RequestRefresh(model::WDValue& value) override;
  // From the page's two newest snapshots, compared as text only.
  std::vector<model::ChangedLine> NewestChange(const std::string& url) override;

  // The page snapshots: FinishJob hands every page text read to them while COMMON.Snapshots is not 0.
  // Made at the first use, in SnapshotFolder() as it is then.
  SnapshotStore& Snapshots();

  // ---- refresh
  // Where workers post; the UI loop drains it (RunPending / WaitAndRun, or a wake-up hook).
  const std::shared_ptr<Dispatcher>& GetDispatcher() const { return dispatcher_; }
  WDFetchManager& GetFetchManager() { return *manager_; }
  // The receiver of fetch notifications (the catalog tree view, a command's progress display); its
  // FetchFinished must call FinishJob. Until one is set, and after UseOwnReceiver, the document
  // receives them itself and calls FinishJob. When the target is destroyed while jobs run, their
  // FetchFinished frees them unread.
  void SetFetchTarget(std::weak_ptr<FetchTarget> target);
  void UseOwnReceiver();
  // The online check asked by the periodic pass (the machine's interfaces unless replaced).
  WDOnlineCheck& OnlineCheck() { return online_; }
  // Seconds after which the periodic pass gives a fetch up (kOverdueSeconds; shorter for tests).
  void SetOverdueLimit(int64_t seconds) { overdue_ = seconds; }
  int64_t GetOverdueLimit() const { return overdue_; }

  // The refresh tick (every minute): with AutoFreshing on, forgets the online answer and, unless the
  // stop flag is set, runs RefreshDue. Returns what RefreshDue returned, 0 when it did not run.
  int OnTimerTick();
  // The periodic pass: gives up jobs running longer than the overdue limit; when it gave one up, that
  // stops every running fetch and nothing is started (the pass resumes once the list is empty).
  // Otherwise tries StartPageFetch(page, 0) for every due page. Returns the number of pages tried.
  // With ThreadsAtTheTime 0, due pages beyond kMaxSimultaneousFetches wait and start as fetches finish.
  int RefreshDue();
  // Starts a fetch of page. force 1: a command of the user (no online check); 0: the periodic pass,
  // which fetches network addresses only while online (local files and addresses on this machine,
  // localhost and 127.x.x.x, always). Refused while the stop flag is set. why says why it refused.
  bool StartPageFetch(model::WDValPage* page, int force, StartRefusal* why = nullptr);
  // Hands a finished job to its page, found by address (letter case aside): stores the result as the
  // page's state, with the job's error text (cleared after a read), and, for a page read, submits the
  // converted text as a snapshot (before the alerts, which may tell the change) and lets every beacon
  // extract its value and check its alerts. The job is always retired, also when its page was deleted meanwhile or it
  // came back without text. True when a page took the result.
  bool FinishJob(const std::shared_ptr<WDFetchJob>& job);
  // Number of listed jobs.
  size_t IsBusy() const { return manager_->GetJobCount(); }
  // Refresh all (command 32775): StartPageFetch(page, 1) for every page. Returns the number started;
  // pages beyond a positive ThreadsAtTheTime limit are not started (the periodic pass takes them later);
  // with 0 (as many as possible) those beyond kMaxSimultaneousFetches wait and start as fetches finish.
  int RefreshAll();
  // Pages waiting for a free slot (ThreadsAtTheTime 0).
  size_t WaitingCount() const { return waiting_.size(); }
  // Stop (command 32809), enabled only while busy: every running fetch ends and no waiting page starts.
  // False when not busy.
  bool StopAll();

  // ---- alert mail
  // The e-mail actions' messages go out on threads of their own; each result comes back through the
  // dispatcher and is shown then. At the end: waits up to grace for deliveries still running and gives
  // up the rest, each with its message (kMsgMailGivenUp). Returns how many were given up.
  size_t FinishMail(std::chrono::milliseconds grace = kMailGrace);
  // Deliveries whose result has not been shown yet.
  size_t PendingMail() const { return mail_->Pending(); }

 private:
  class OwnReceiver;
  void RemovePageIfEmpty(model::WDValPage* page);
  // StartPageFetch; a page refused only for kMaxSimultaneousFetches (ThreadsAtTheTime 0) waits instead.
  bool StartOrWait(model::WDValPage* page, int force);
  // Starts waiting pages while slots are free.
  void StartWaiting();

  std::vector<std::unique_ptr<model::WDValPage>> pages_;
  std::vector<std::unique_ptr<model::WDGroup>> roots_;
  // Values made by NewBeacon wait here until MoveBeacon gives them a page.
  std::vector<std::unique_ptr<model::WDValue>> unplaced_;
  int32_t version_ = 1;
  bool modified_ = false;
  bool old_layout_ = false;
  bool load_failed_ = false;
  std::string path_;
  std::shared_ptr<Dispatcher> dispatcher_;
  std::unique_ptr<WDFetchManager> manager_;
  std::shared_ptr<OwnReceiver> receiver_;
  std::unique_ptr<MailDeliveries> mail_;
  std::unique_ptr<SnapshotStore> snapshots_;
  WDOnlineCheck online_;
  int64_t overdue_ = kOverdueSeconds;
  // Pages refused for kMaxSimultaneousFetches, by address (a page may be deleted while it waits), with
  // the force of their pass; waitingUrls_ holds the same addresses in lower case.
  struct Waiting {
    std::string url;
    int force = 0;
  };
  std::deque<Waiting> waiting_;
  std::unordered_set<std::string> waitingUrls_;
};

}  // namespace quorvex::engine
