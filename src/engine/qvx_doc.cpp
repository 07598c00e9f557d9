#include "engine/qvx_doc.h"

#include <arpa/inet.h>
#include <strings.h>

#include <algorithm>
#include <cctype>

#include "engine/fetch_worker.h"
#include "engine/page_errors.h"
#include "engine/page_fetcher.h"
#include "platform/agent_state.h"
#include "platform/paths.h"
#include "platform/read_once_file.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/app_context.h"
#include "text/text_diff.h"
#include "text/url.h"

namespace quorvex::engine {
namespace {

bool SameUrl(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// An address on this machine needs no network, like a local file.
bool IsLoopbackHost(const std::string& server) {
  if (strcasecmp(server.c_str(), "localhost") == 0 || server == "[::1]") return true;
  const size_t dot = server.rfind('.');
  if (dot != std::string::npos && strcasecmp(server.c_str() + dot, ".localhost") == 0) return true;
  unsigned char v4[4];
  return inet_pton(AF_INET, server.c_str(), v4) == 1 && v4[0] == 127;
}

void ReportFileError(const std::string& path, const std::string& reason) {
  std::string text = platform::GetString(platform::ids::kMsgCantOpenFile) + "\n" + path;
  if (!reason.empty()) text += "\n" + reason;
  platform::Prompt().ShowMessage(text, platform::PromptIcon::Exclamation);
}

}  // namespace

// Without another receiver the document takes finished jobs itself.
class WDQvxDoc::OwnReceiver : public FetchTarget {
 public:
  explicit OwnReceiver(WDQvxDoc& doc) : doc_(doc) {}
  void OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>& job) override {
    if (code == Notification::FetchFinished) doc_.FinishJob(job);
  }

 private:
  WDQvxDoc& doc_;
};

WDQvxDoc::WDQvxDoc()
    : dispatcher_(std::make_shared<Dispatcher>()),
      manager_(std::make_unique<WDFetchManager>(dispatcher_)),
      receiver_(std::make_shared<OwnReceiver>(*this)),
      mail_(std::make_unique<MailDeliveries>(dispatcher_)) {
  manager_->SetTarget(receiver_);
  model::SetActiveDocument(this);
  model::SetMailCourier(mail_.get());
}

WDQvxDoc::~WDQvxDoc() {
  if (mail_->Pending() > 0) FinishMail(kMailGrace);
  if (model::ActiveMailCourier() == mail_.get()) model::SetMailCourier(nullptr);
  if (model::ActiveDocument() == this) model::SetActiveDocument(nullptr);
  // Folders only refer to values: take the tree down before the pages destroy the values.
  roots_.clear();
  pages_.clear();
}

bool WDQvxDoc::OnNewDocument(const std::string& path) {
  path_ = path;
  load_failed_ = false;
  pages_.clear();
  roots_.clear();
  m_strNote.clear();
  platform::ReadOnceFile file;
  std::string error;
  switch (file.Read(path, &error, platform::kMaxCatalogFileBytes)) {
    case platform::ReadResult::Missing:
      // A new user: start with an empty catalog.
      Repair();
      modified_ = false;
      return true;
    case platform::ReadResult::Failed:
      load_failed_ = true;
      ReportFileError(path, error);
      Repair();
      return false;
    case platform::ReadResult::Ok:
      break;
  }
  model::CatalogContents contents;
  // The file's memory goes back as the catalog is built from it: a large catalog never needs its
  // file's size in memory on top of itself.
  model::CatalogReadResult result =
      model::ReadCatalog(file.bytes(), contents, [&file](size_t offset) { file.Release(offset); });
  if (!result.ok) {
    load_failed_ = true;
    ReportFileError(path, result.message);
    Repair();
    return false;
  }
  version_ = contents.version;
  pages_ = std::move(contents.pages);
  roots_ = std::move(contents.roots);
  m_strNote = contents.note;
  old_layout_ = result.oldLayout;
  if (settings::WDSettings* s = settings::GetSettings()) s->m_bOldFormat = old_layout_ ? 1 : 0;
  Repair();
  LoadPageErrors(path, pages_);
  // An older file is rewritten in the current layout at the next save.
  modified_ = old_layout_;
  return true;
}

bool WDQvxDoc::Save() {
  if (load_failed_) {
    // Never overwrite a catalog that could not be read: it may still hold the user's data.
    ReportFileError(path_, "");
    return false;
  }
  std::string error;
  const std::string bytes = model::WriteCatalog(version_, pages_, roots_, m_strNote, &error);
  if (bytes.empty()) {
    ReportFileError(path_, error);
    return false;
  }
  // A new user's catalog folder may not exist yet.
  const size_t slash = path_.find_last_of('/');
  if (slash != std::string::npos && slash > 0) platform::MakeFolders(path_.substr(0, slash), nullptr);
  if (!platform::WriteFileAtomically(path_, bytes, &error)) {
    ReportFileError(path_, error);
    return false;
  }
  StorePageErrors(path_, pages_);
  old_layout_ = false;
  if (settings::WDSettings* s = settings::GetSettings()) s->m_bOldFormat = 0;
  modified_ = false;
  return true;
}

bool WDQvxDoc::SaveModified(bool runningHidden) {
  if (!modified_) return true;
  const settings::WDSettings* s = settings::GetSettings();
  if (runningHidden || !s || s->m_bSavePrompt == 0) {
    Save();
    return true;
  }
  if (platform::Prompt().AskYesNo(platform::GetString(platform::ids::kAskSaveCatalog))) Save();
  return true;
}

void WDQvxDoc::Repair() {
  bool rebuild = false;
  if (roots_.empty()) {
    roots_.push_back(std::make_unique<model::WDGroup>("Catalog", "The main beacons' catalog"));
    rebuild = true;
  }
  model::WDGroup* root = roots_.front().get();
  if (root->GetName() == "Beacons") {
    root->Clear(true);
    root->SetName("Catalog");
    rebuild = true;
  }
  const bool was_modified = modified_;
  for (auto& page : pages_) {
    page->LinkValues();
    for (size_t i = 0; i < page->GetValueCount(); ++i) {
      model::WDValue* value = page->GetValue(i);
      if (value->GetPattern().empty()) {
        value->SetKind(model::kKindChecksum);
      } else {
        value->SetKind(value->GetUnit().empty() ? model::kKindText : model::kKindNumber);
      }
      if (rebuild || !root->Contains(value)) root->AddChild(value);
    }
  }
  modified_ = was_modified;
}

model::WDValPage* WDQvxDoc::FindPage(const std::string& url, bool create) {
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) {
    if (SameUrl((*it)->m_strURL, url)) return it->get();
  }
  if (!create) return nullptr;
  pages_.push_back(std::make_unique<model::WDValPage>(url));
  return pages_.back().get();
}

model::WDValue* WDQvxDoc::NewBeacon() {
  unplaced_.push_back(std::make_unique<model::WDValue>());
  return unplaced_.back().get();
}

bool WDQvxDoc::MoveBeacon(const std::string& url, model::WDValue& value) {
  model::WDValPage* target = FindPage(url, true);
  model::WDValPage* old_page = value.GetPage();
  if (old_page == target) return true;
  if (old_page) target->m_freq.CopyFrom(old_page->m_freq);

  std::unique_ptr<model::WDValue> owned;
  if (old_page) {
    owned = old_page->DetachValue(&value);
  } else {
    auto it = std::find_if(unplaced_.begin(), unplaced_.end(), [&](const auto& v) { return v.get() == &value; });
    if (it != unplaced_.end()) {
      owned = std::move(*it);
      unplaced_.erase(it);
    }
  }
  if (!owned) return false;
  target->AddValue(std::move(owned));
  modified_ = true;

  if (old_page && old_page->GetValueCount() > 0) {
    if (platform::Prompt().AskYesNo(platform::GetString(platform::ids::kAskMoveOtherBeacons))) {
      while (old_page->GetValueCount() > 0) {
        model::WDValue* next = old_page->GetValue(0);
        if (!next->CanRemove(false)) break;
        target->AddValue(old_page->DetachValue(next));
      }
    }
  }
  if (old_page) RemovePageIfEmpty(old_page);
  return true;
}

void WDQvxDoc::RemovePageIfEmpty(model::WDValPage* page) {
  if (page->GetValueCount() > 0) return;
  auto it = std::find_if(pages_.begin(), pages_.end(), [page](const auto& p) { return p.get() == page; });
  if (it != pages_.end()) pages_.erase(it);
}

bool WDQvxDoc::RequestRefresh(model::WDValue& value) {
  model::WDValPage* page = value.GetPage();
  if (!page) return false;
  if (manager_->IsUrlInProgress(page->m_strURL)) return true;
  return StartPageFetch(page, 1);
}

SnapshotStore& WDQvxDoc::Snapshots() {
  if (!snapshots_) snapshots_ = std::make_unique<SnapshotStore>();
  return *snapshots_;
}

std::vector<model::ChangedLine> WDQvxDoc::NewestChange(const std::string& url) {
  std::vector<model::ChangedLine> lines;
  const auto pair = Snapshots().ReadPair(url);
  if (!pair) return lines;
  for (const text::DiffHunk& hunk : text::DiffTexts(pair->olderText, pair->newerText, text::DiffForm::TextOnly, 0)) {
    for (const text::DiffLine& line : hunk.lines) {
      if (line.kind != text::DiffKind::Same) lines.push_back({line.kind == text::DiffKind::Added, line.text});
    }
  }
  return lines;
}

void WDQvxDoc::SetFetchTarget(std::weak_ptr<FetchTarget> target) {
  manager_->SetTarget(std::move(target));
}

void WDQvxDoc::UseOwnReceiver() {
  manager_->SetTarget(receiver_);
}

int WDQvxDoc::OnTimerTick() {
  const settings::WDSettings* s = settings::GetSettings();
  if (!s || s->m_bAutoFreshing == 0) return 0;
  online_.Invalidate();
  if (IsStopFlagSet()) return 0;
  return RefreshDue();
}

int WDQvxDoc::RefreshDue() {
  // Giving a job up stops every running fetch; fetches started now would only be stopped with them.
  // The pass resumes once the list is empty.
  if (manager_->AbortOverdue(overdue_)) return 0;
  int tried = 0;
  for (size_t i = 0; i < pages_.size(); ++i) {
    model::WDValPage* page = pages_[i].get();
    if (!page->IsDue()) continue;
    StartOrWait(page, 0);
    ++tried;
  }
  return tried;
}

bool WDQvxDoc::StartPageFetch(model::WDValPage* page, int force, StartRefusal* why) {
  auto refuse = [why](StartRefusal reason) {
    if (why) *why = reason;
    return false;
  };
  if (!settings::GetSettings()) return refuse(StartRefusal::NoSettings);
  if (!page) return refuse(StartRefusal::BadAddress);
  if (!page->HasEnabledValue()) return refuse(StartRefusal::NoEnabledBeacon);
  if (manager_->IsUrlInProgress(page->m_strURL)) return refuse(StartRefusal::InProgress);
  // While the running fetches are being stopped, a new one would be stopped at once.
  if (IsStopFlagSet()) return refuse(StartRefusal::Stopping);
  std::string path;
  const bool file = LocalFilePath(page->m_strURL, path);
  text::ParsedUrl parsed;
  if (!file && !text::ParseUrl(page->m_strURL, parsed)) return refuse(StartRefusal::BadAddress);
  const bool local = file || IsLoopbackHost(parsed.server);
  if (!local && force == 0 && online_.IsOnline() == 0) return refuse(StartRefusal::Offline);
  return manager_->StartJob(page, why);
}

bool WDQvxDoc::FinishJob(const std::shared_ptr<WDFetchJob>& job) {
  if (!job) return false;
  // The page is looked up, never taken from the job: it may have been deleted while the job ran.
  model::WDValPage* page = FindPage(job->Url(), false);
  if (page) {
    page->m_nState = job->Result();
    const std::string reason = job->Result() == FetchResultOk ? std::string() : job->ErrorText();
    // A new reason is saved (beside the catalog), so later runs can still say why the page failed.
    if (reason != page->GetErrorText()) modified_ = true;
    page->SetErrorText(reason);
    if (job->Result() == FetchResultOk && job->HasText()) {
      std::string text = job->TakeText();
      page->ProcessText(text.data(), text.size(), [this, page](std::string_view converted) {
        const settings::WDSettings* s = settings::GetSettings();
        if (!s || s->m_nSnapshots <= 0) return;
        Snapshots().SetLimits(SnapshotLimitsFromSettings(*s));
        Snapshots().Submit(page->m_strURL, std::string(converted), page->m_timeFetched);
      });
      // The time of the last check is part of the catalog.
      modified_ = true;
    }
  }
  // Retired in every case: a job left listed would hold the stop flag and the periodic pass forever.
  manager_->RemoveJob(job);
  StartWaiting();
  if (IsBusy() == 0) platform::UpdateAgentState();
  return page != nullptr;
}

int WDQvxDoc::RefreshAll() {
  int started = 0;
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (StartOrWait(pages_[i].get(), 1)) ++started;
  }
  return started;
}

namespace {

std::string Lowered(std::string url) {
  std::transform(url.begin(), url.end(), url.begin(), [](unsigned char c) { return std::tolower(c); });
  return url;
}

}  // namespace

bool WDQvxDoc::StartOrWait(model::WDValPage* page, int force) {
  StartRefusal why = StartRefusal::None;
  if (StartPageFetch(page, force, &why)) return true;
  const settings::WDSettings* settings = settings::GetSettings();
  // A positive limit is the user's: what it refuses is left to the periodic pass, as it always was.
  if (why == StartRefusal::Limit && settings && settings->m_nThreadsAtTheTime <= 0 &&
      waitingUrls_.insert(Lowered(page->m_strURL)).second) {
    waiting_.push_back(Waiting{page->m_strURL, force});
  }
  return false;
}

void WDQvxDoc::StartWaiting() {
  while (!waiting_.empty()) {
    const Waiting next = waiting_.front();
    model::WDValPage* page = FindPage(next.url, false);
    StartRefusal why = StartRefusal::None;
    if (page && !StartPageFetch(page, next.force, &why) &&
        (why == StartRefusal::Limit || why == StartRefusal::Stopping)) {
      return;  // still no slot; the next finished fetch tries again
    }
    waiting_.pop_front();
    waitingUrls_.erase(Lowered(next.url));
  }
}

bool WDQvxDoc::StopAll() {
  waiting_.clear();
  waitingUrls_.clear();
  if (IsBusy() == 0) return false;
  manager_->RequestStop();
  return true;
}

size_t WDQvxDoc::FinishMail(std::chrono::milliseconds grace) {
  return mail_->Finish(grace);
}

std::vector<model::WDValue*> WDQvxDoc::AllBeacons() const {
  std::vector<model::WDValue*> out;
  for (const auto& page : pages_) {
    for (size_t i = 0; i < page->GetValueCount(); ++i) out.push_back(page->GetValue(i));
  }
  return out;
}

int WDQvxDoc::CheckAllAlerts() {
  int fired = 0;
  for (model::WDValue* value : AllBeacons()) {
    if (!value->IsEnabled() || value->HasError()) continue;
    if (value->CheckAlert(0)) ++fired;
  }
  if (fired == 0) {
    platform::Prompt().ShowMessage(platform::GetString(platform::ids::kMsgNoAlertFired),
                                   platform::PromptIcon::Information);
  }
  return fired;
}

bool WDQvxDoc::IsAnyBeaconBusy() const {
  for (model::WDValue* value : AllBeacons()) {
    if (value->IsBusy()) return true;
  }
  return false;
}

int WDQvxDoc::CountActiveEvents() const {
  int count = 0;
  for (model::WDValue* value : AllBeacons()) count += value->CountActiveEvents();
  return count;
}

namespace {
model::WDGroup* FindParent(model::WDGroup* group, const model::WDItem* item) {
  for (size_t i = 0; i < group->GetChildCount(); ++i) {
    model::WDItem* child = group->GetChild(i);
    if (child == item) return group;
    if (child->IsGroup()) {
      if (model::WDGroup* found = FindParent(static_cast<model::WDGroup*>(child), item)) return found;
    }
  }
  return nullptr;
}
}  // namespace

bool WDQvxDoc::DeleteBeacon(model::WDValue* value) {
  if (!value || !value->CanRemove(true)) return false;
  for (auto& root : roots_) {
    while (model::WDGroup* parent = FindParent(root.get(), value)) {
      if (!parent->RemoveChild(value)) return false;
    }
  }
  model::WDValPage* page = value->GetPage();
  if (!page || !page->RemoveValue(value)) return false;
  RemovePageIfEmpty(page);
  modified_ = true;
  return true;
}

}  // namespace quorvex::engine
