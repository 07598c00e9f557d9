#include "engine/fetch_manager.h"

#include <strings.h>

#include <algorithm>
#include <utility>

#include "engine/fetch_worker.h"
#include "model/val_page.h"
#include "platform/agent_state.h"
#include "platform/clock.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "settings/app_context.h"

namespace quorvex::engine {

size_t SimultaneousFetchLimit(int32_t threadsAtTheTime) {
  return threadsAtTheTime > 0 ? static_cast<size_t>(threadsAtTheTime) : kMaxSimultaneousFetches;
}

// Passes notifications on to the target; a job whose target is gone is retired here, since nobody
// else ever would.
class WDFetchManager::Relay : public FetchTarget {
 public:
  explicit Relay(WDFetchManager& manager) : m_manager(manager) {}

  void OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>& job) override {
    if (std::shared_ptr<FetchTarget> target = m_target.lock()) {
      target->OnFetchNotification(code, job);
    } else if (code == Notification::FetchFinished) {
      m_manager.RemoveJob(job);
    }
  }

  WDFetchManager& m_manager;
  std::weak_ptr<FetchTarget> m_target;
};

WDFetchManager::WDFetchManager(std::shared_ptr<Dispatcher> dispatcher)
    : m_dispatcher(std::move(dispatcher)), m_relay(std::make_shared<Relay>(*this)) {}

WDFetchManager::~WDFetchManager() {
  std::vector<std::shared_ptr<WDFetchJob>> jobs;
  {
    std::lock_guard lock(m_mutex);
    jobs.swap(m_jobs);
  }
}

void WDFetchManager::SetTarget(std::weak_ptr<FetchTarget> target) {
  m_relay->m_target = std::move(target);
}

bool WDFetchManager::HasTarget() const {
  return !m_relay->m_target.expired();
}

bool WDFetchManager::StartJob(model::WDValPage* page, StartRefusal* why) {
  auto refuse = [why](StartRefusal reason) {
    if (why) *why = reason;
    return false;
  };
  std::shared_ptr<WDFetchJob> job;
  size_t listed = 0;
  {
    std::lock_guard lock(m_mutex);
    listed = m_jobs.size();
    const settings::WDSettings* settings = settings::GetSettings();
    if (!settings) return refuse(StartRefusal::NoSettings);
    if (!page) return refuse(StartRefusal::BadAddress);
    if (listed >= SimultaneousFetchLimit(settings->m_nThreadsAtTheTime)) return refuse(StartRefusal::Limit);
    if (!HasTarget()) return refuse(StartRefusal::NoTarget);
    job = std::make_shared<WDFetchJob>(page->m_strURL, m_relay, page);
  }
  // A job whose thread could not be made is simply dropped: it was never listed.
  if (!StartWorker(job, m_dispatcher)) return refuse(StartRefusal::NoWorker);
  {
    std::lock_guard lock(m_mutex);
    m_jobs.push_back(job);
  }
  if (listed == 0) platform::UpdateAgentState();
  m_relay->OnFetchNotification(Notification::FetchStarted, job);
  if (why) *why = StartRefusal::None;
  return true;
}

void WDFetchManager::RemoveJob(const std::shared_ptr<WDFetchJob>& job) {
  std::shared_ptr<WDFetchJob> removed;  // freed after the mutex is released
  std::lock_guard lock(m_mutex);
  auto it = std::find(m_jobs.begin(), m_jobs.end(), job);
  if (it == m_jobs.end()) return;
  removed = std::move(*it);
  m_jobs.erase(it);
  if (m_jobs.empty()) SetStopFlag(false);
}

bool WDFetchManager::IsUrlInProgress(const std::string& url) const {
  std::lock_guard lock(m_mutex);
  return std::any_of(m_jobs.begin(), m_jobs.end(),
                     [&url](const auto& job) { return strcasecmp(job->Url().c_str(), url.c_str()) == 0; });
}

bool WDFetchManager::AbortOverdue(int64_t seconds) {
  std::vector<std::shared_ptr<WDFetchJob>> givenUp;
  {
    std::lock_guard lock(m_mutex);
    const int64_t now = platform::Now();
    for (const auto& job : m_jobs) {
      if (!job->HasWorker() || now - job->StartTime() <= seconds) continue;
      if (!job->GiveUp(FetchResultTimedOut,
                       platform::FillPlaceholders(platform::GetString(platform::ids::kFetchTooLong),
                                                  {std::to_string(seconds)}))) {
        continue;
      }
      SetStopFlag(true);
      givenUp.push_back(job);
    }
  }
  for (const auto& job : givenUp) {
    m_dispatcher->PostTo(std::weak_ptr<Relay>(m_relay),
                         [job](Relay& relay) { relay.OnFetchNotification(Notification::FetchFinished, job); });
  }
  return !givenUp.empty();
}

void WDFetchManager::RequestStop() {
  std::lock_guard lock(m_mutex);
  if (!m_jobs.empty()) SetStopFlag(true);
}

size_t WDFetchManager::GetJobCount() const {
  std::lock_guard lock(m_mutex);
  return m_jobs.size();
}

std::vector<std::shared_ptr<WDFetchJob>> WDFetchManager::GetJobs() const {
  std::lock_guard lock(m_mutex);
  return m_jobs;
}

}  // namespace quorvex::engine
