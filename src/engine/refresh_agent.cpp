#include "engine/refresh_agent.h"

#include <algorithm>

#include "engine/catalog_lock.h"
#include "engine/qvx_doc.h"

namespace quorvex::engine {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kLongestWait{250};
// How long the agent waits for its fetches before it lets a command have the catalog.
constexpr std::chrono::milliseconds kReleaseWait{3000};

}  // namespace

RefreshAgent::RefreshAgent(WDQvxDoc& doc, AgentOptions options)
    : m_doc(doc), m_options(options), m_recorder(std::make_shared<PassRecorder>(doc)) {
  m_options.intervalSeconds = std::max<int64_t>(m_options.intervalSeconds, 1);
  m_doc.SetFetchTarget(m_recorder);
}

RefreshAgent::~RefreshAgent() {
  m_doc.UseOwnReceiver();
}

bool RefreshAgent::EndPass(const PassCallback& onPass) {
  std::vector<PageReport> reports = m_recorder->TakeReports();
  if (!reports.empty() && onPass) onPass(reports);
  // Saved only after a pass: a catalog that cannot be written is reported once per pass, not in a loop.
  if (reports.empty() || !m_doc.IsModified()) return true;
  return m_doc.Save();
}

void RefreshAgent::Run(const std::function<bool()>& stopRequested, const PassCallback& onPass) {
  const auto interval = std::chrono::seconds(m_options.intervalSeconds);
  auto next = Clock::now();
  while (!(stopRequested && stopRequested())) {
    if (ServeOwner(onPass)) {
      m_doc.GetDispatcher()->WaitAndRun(std::chrono::milliseconds(20));
      continue;
    }
    const bool ticksDone = m_options.maxTicks > 0 && m_ticks >= m_options.maxTicks;
    if (ticksDone && m_doc.IsBusy() == 0) break;
    auto now = Clock::now();
    if (!ticksDone && now >= next) {
      // Fetches that never all end at once must not keep the catalog from being saved.
      EndPass(onPass);
      m_doc.OnTimerTick();
      ++m_ticks;
      next = now + interval;
      // The last tick started nothing: there is nothing to wait for.
      if (m_options.maxTicks > 0 && m_ticks >= m_options.maxTicks && m_doc.IsBusy() == 0) continue;
    }
    now = Clock::now();
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - now);
    m_doc.GetDispatcher()->WaitAndRun(std::clamp(wait, std::chrono::milliseconds(1), kLongestWait));
    if (m_doc.IsBusy() == 0) EndPass(onPass);
  }
}

void RefreshAgent::StopFetches(std::chrono::milliseconds wait, const std::function<bool()>& abandon) {
  m_doc.StopAll();
  const auto deadline = Clock::now() + wait;
  while (m_doc.IsBusy() > 0 && Clock::now() < deadline && !(abandon && abandon())) {
    m_doc.GetDispatcher()->WaitAndRun(std::chrono::milliseconds(100));
  }
}

bool RefreshAgent::ServeOwner(const PassCallback& onPass) {
  if (!m_owner) return false;
  CatalogOwner::Hooks hooks;
  hooks.release = [&](std::string& error) {
    // Fetches stopped to let a command in are not failures worth a report.
    m_recorder->SetDiscardStopped(true);
    StopFetches(kReleaseWait, {});
    m_recorder->SetDiscardStopped(false);
    if (m_doc.IsBusy() > 0) {
      error = "its fetches did not end in time";
      return false;
    }
    EndPass(onPass);
    if (m_doc.IsModified() && !m_doc.Save()) {
      error = "the catalog could not be saved";
      return false;
    }
    return true;
  };
  hooks.reload = [&] { m_doc.OnNewDocument(m_doc.GetPath()); };
  m_owner->Serve(hooks);
  return m_owner->IsReleased();
}

bool RefreshAgent::Shutdown(std::chrono::milliseconds wait, const std::function<bool()>& abandon,
                            const PassCallback& onPass) {
  m_recorder->SetDiscardStopped(true);
  StopFetches(wait, abandon);
  // A command has the catalog: it is saved already, and what the command writes must not be overwritten.
  if (m_owner && m_owner->IsReleased()) return true;
  std::vector<PageReport> reports = m_recorder->TakeReports();
  if (!reports.empty() && onPass) onPass(reports);
  m_doc.FinishMail(abandon && abandon() ? std::chrono::milliseconds(0) : kMailGrace);
  return !m_doc.IsModified() || m_doc.Save();
}

}  // namespace quorvex::engine
