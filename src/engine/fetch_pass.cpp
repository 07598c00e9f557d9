#include "engine/fetch_pass.h"

#include <algorithm>
#include <deque>
#include <utility>

#include "engine/fetch_worker.h"
#include "engine/qvx_doc.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/agent_state.h"

namespace quorvex::engine {

bool PageReport::Failed() const {
  return PageFailed() ||
         std::any_of(beacons.begin(), beacons.end(), [](const BeaconReport& b) { return b.status != 0; });
}

void PassRecorder::OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>& job) {
  if (code != Notification::FetchFinished) return;
  PageReport report;
  report.url = job->Url();
  report.started = true;
  report.result = job->Result();
  report.cut = job->WasCut();
  report.error = job->ErrorText();
  model::WDValPage* page = m_doc.FindPage(job->Url(), false);
  if (page) {
    for (size_t i = 0; i < page->GetValueCount(); ++i) {
      model::WDValue* value = page->GetValue(i);
      if (!value->IsEnabled()) continue;
      BeaconReport beacon;
      beacon.value = value;
      beacon.hadValue = value->GetHistory().GetCount() > 0;
      beacon.before = value->GetLastText(true, 0);
      report.beacons.push_back(std::move(beacon));
    }
  }
  if (m_discardStopped && report.result == FetchResultStopped) {
    m_doc.GetFetchManager().RemoveJob(job);
    if (m_doc.IsBusy() == 0) platform::UpdateAgentState();
    return;
  }
  m_doc.FinishJob(job);
  // The page is still the one looked up: finishing a job never deletes pages.
  if (!report.PageFailed()) {
    for (BeaconReport& beacon : report.beacons) {
      beacon.status = beacon.value->m_nStatus;
      beacon.sampled = beacon.status == 0;
      beacon.after = beacon.value->GetLastText(true, 0);
      beacon.changed = beacon.sampled && (!beacon.hadValue || beacon.after != beacon.before);
    }
  } else {
    report.beacons.clear();
  }
  ++m_finished;
  if (report.Failed()) ++m_failed;
  m_reports.push_back(std::move(report));
}

std::vector<PageReport> PassRecorder::TakeReports() {
  return std::exchange(m_reports, {});
}

namespace {

// Refusals that clear up by themselves once running jobs retire.
bool IsWaitingRefusal(StartRefusal why) {
  return why == StartRefusal::Limit || why == StartRefusal::InProgress || why == StartRefusal::Stopping;
}

}  // namespace

std::vector<PageReport> RunPass(WDQvxDoc& doc, const std::vector<model::WDValPage*>& pages,
                                const PassOptions& options) {
  auto recorder = std::make_shared<PassRecorder>(doc);
  doc.SetFetchTarget(recorder);
  std::deque<model::WDValPage*> pending;
  for (model::WDValPage* page : pages) {
    if (page && page->HasEnabledValue() && std::find(pending.begin(), pending.end(), page) == pending.end()) {
      pending.push_back(page);
    }
  }
  PassProgress progress;
  progress.total = pending.size();
  size_t refused = 0;
  bool stopping = false;
  while (true) {
    if (!stopping && options.stopRequested && options.stopRequested()) {
      stopping = true;
      doc.StopAll();
      pending.clear();
    }
    while (!pending.empty()) {
      StartRefusal why = StartRefusal::None;
      if (doc.StartPageFetch(pending.front(), 1, &why)) {
        pending.pop_front();
        continue;
      }
      if (IsWaitingRefusal(why) && doc.IsBusy() > 0) break;
      PageReport report;
      report.url = pending.front()->m_strURL;
      report.refusal = why;
      recorder->Add(std::move(report));
      ++refused;
      pending.pop_front();
    }
    progress.running = doc.IsBusy();
    progress.done = recorder->Finished() + refused;
    progress.failed = recorder->Failed() + refused;
    if (options.progress) options.progress(progress);
    if (pending.empty() && doc.IsBusy() == 0) break;
    doc.GetFetchManager().AbortOverdue(doc.GetOverdueLimit());
    doc.GetDispatcher()->WaitAndRun(options.round);
  }
  doc.UseOwnReceiver();
  return recorder->TakeReports();
}

}  // namespace quorvex::engine
