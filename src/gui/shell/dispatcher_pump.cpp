#include "gui/shell/dispatcher_pump.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <chrono>
#include <memory>

namespace quorvex::gui {
namespace {

bool g_draining = false;
// Longest run of fetch results in one turn of the event loop: a burst of a thousand finished fetches
// must not freeze the window.
constexpr std::chrono::milliseconds kDrainBudget{15};

struct Pump {
  std::weak_ptr<engine::Dispatcher> dispatcher;
  // One drain queued at a time: a queued drain per post would all run in one turn of the loop.
  std::atomic<bool> scheduled{false};
};

void Schedule(const std::shared_ptr<Pump>& pump);

void Drain(const std::shared_ptr<Pump>& pump) {
  pump->scheduled = false;
  std::shared_ptr<engine::Dispatcher> dispatcher = pump->dispatcher.lock();
  if (!dispatcher || g_draining) return;
  g_draining = true;
  dispatcher->RunPendingFor(kDrainBudget);
  g_draining = false;
  // What is left, and posts that came while we drained (a nested loop skipped their drain), get their
  // turn after the events that waited meanwhile.
  if (dispatcher->PendingCount() > 0) Schedule(pump);
}

void Schedule(const std::shared_ptr<Pump>& pump) {
  if (pump->scheduled.exchange(true)) return;
  // Any thread: the queued call runs on qApp's (the UI) thread.
  QMetaObject::invokeMethod(
      qApp, [pump] { Drain(pump); }, Qt::QueuedConnection);
}

}  // namespace

void StartPumping(const std::shared_ptr<engine::Dispatcher>& dispatcher) {
  auto pump = std::make_shared<Pump>();
  pump->dispatcher = dispatcher;
  dispatcher->SetWakeUp([pump] { Schedule(pump); });
}

void StopPumping(const std::shared_ptr<engine::Dispatcher>& dispatcher) {
  dispatcher->SetWakeUp({});
}

}  // namespace quorvex::gui
