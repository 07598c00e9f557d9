#include "gui/shell/dispatcher_pump.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace quorvex::gui {
namespace {

bool g_draining = false;

void Drain(const std::weak_ptr<engine::Dispatcher>& weak) {
  std::shared_ptr<engine::Dispatcher> dispatcher = weak.lock();
  if (!dispatcher || g_draining) return;
  g_draining = true;
  dispatcher->RunPending();
  g_draining = false;
  // Posts that came while we drained (their wake-ups were skipped above) get their turn now.
  if (dispatcher->PendingCount() > 0) {
    QMetaObject::invokeMethod(
        qApp, [weak] { Drain(weak); }, Qt::QueuedConnection);
  }
}

}  // namespace

void StartPumping(const std::shared_ptr<engine::Dispatcher>& dispatcher) {
  std::weak_ptr<engine::Dispatcher> weak = dispatcher;
  dispatcher->SetWakeUp([weak] {
    // Any thread: the queued call runs on qApp's (the UI) thread.
    QMetaObject::invokeMethod(
        qApp, [weak] { Drain(weak); }, Qt::QueuedConnection);
  });
}

void StopPumping(const std::shared_ptr<engine::Dispatcher>& dispatcher) {
  dispatcher->SetWakeUp({});
}

}  // namespace quorvex::gui
