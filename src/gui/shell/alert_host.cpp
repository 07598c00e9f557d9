#include "gui/shell/alert_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>

#include "engine/qvx_doc.h"
#include "gui/shell/desktop_notifier.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/menu_builder.h"
#include "gui/views/alert_window.h"
#include "gui/views/tree_view.h"
#include "model/alert.h"
#include "platform/command_ids.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;

// Each further window opens this much up and left of the one before.
constexpr int kCascadeStep = 24;
constexpr int kScreenMargin = 8;

}  // namespace

QtAlertWindows::QtAlertWindows() : previous_(platform::AlertWindows()) {
  platform::SetAlertWindows(this);
}

QtAlertWindows::~QtAlertWindows() {
  for (const QPointer<AlertBalloon>& window : windows_) delete window.data();
  platform::SetAlertWindows(previous_);
}

void QtAlertWindows::Attach(CMainFrame* frame) {
  frame_ = frame;
  for (const QPointer<AlertBalloon>& window : windows_) {
    if (window) window->m_pMenu = frame ? &frame->ContextMenu(ContextMenuKind::Alert) : nullptr;
  }
  notifier_ = std::make_unique<DesktopNotifier>([this](const std::string& name) {
    if (!frame_) return;
    for (model::WDValue* beacon : frame_->Document().AllBeacons()) {
      if (beacon->GetName() == name) return ShowBeacon(beacon, kShowBeacon);
    }
  });
}

int QtAlertWindows::CreateAlertWindow(const std::string& description, const std::string& text,
                                      const std::string& lastText, const std::string& name) {
  return CreateAlertWindowFor({description, text, lastText, name, {}});
}

int QtAlertWindows::CreateAlertWindowFor(const platform::AlertWindowContent& content) {
  auto* window = new AlertBalloon(content);
  const int id = next_++;
  windows_.insert(id, window);
  window->m_onCommand = [this, id](uint16_t command) { RunCommand(id, command); };
  if (frame_) {
    window->m_pMenu = &frame_->ContextMenu(ContextMenuKind::Alert);
    window->m_onMenuShow = [this, id](QMenu& menu) { UpdateMenu(id, menu); };
  }
  // Cascade up and left from the bottom-right corner of the available area.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    const int step = kCascadeStep * (CountOpenAlertWindows() - 1);
    window->move(area.right() - window->width() - kScreenMargin - step,
                 area.bottom() - window->height() - kScreenMargin - step);
  }
  window->show();
  if (notifier_) notifier_->Notify(content);
  return id;
}

AlertBalloon* QtAlertWindows::Window(int window) const {
  return windows_.value(window).data();
}

bool QtAlertWindows::IsAlertWindowOpen(int window) const {
  auto it = windows_.constFind(window);
  return it != windows_.constEnd() && !it->isNull();
}

void QtAlertWindows::DestroyAlertWindow(int window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  // The window may be the one whose click asked for this: it goes once its event is done.
  if (AlertBalloon* balloon = it->data()) {
    balloon->hide();
    balloon->deleteLater();
  }
  windows_.erase(it);
  if (CountOpenAlertWindows() == 0 && frame_) frame_->UpdateAgentState();
}

int QtAlertWindows::CountOpenAlertWindows() const {
  int open = 0;
  for (const QPointer<AlertBalloon>& window : windows_) open += window.isNull() ? 0 : 1;
  return open;
}

void QtAlertWindows::Beep() {
  QApplication::beep();
}

void QtAlertWindows::AlertArrived() {
  if (onAlert_) onAlert_();
}

model::WDAlertMessage* QtAlertWindows::FindAction(int window, model::WDValue** beacon) const {
  if (!frame_) return nullptr;
  for (model::WDValue* value : frame_->Document().AllBeacons()) {
    model::WDAlert& alert = value->GetAlert();
    for (size_t i = 0; i < alert.GetEventCount(); ++i) {
      model::WDAlertMessage& action = alert.GetEvent(i).m_actMessage;
      if (action.m_pWindow != window) continue;
      if (beacon) *beacon = value;
      return &action;
    }
  }
  return nullptr;
}

void QtAlertWindows::UpdateMenu(int window, QMenu& menu) {
  model::WDValue* beacon = nullptr;
  model::WDAlertMessage* action = FindAction(window, &beacon);
  WDTreeView* tree = frame_ ? CatalogTree(*frame_) : nullptr;
  for (QAction* item : menu.actions()) {
    const uint16_t command = CommandOf(item);
    if (command == 0) continue;
    if (command == kAlertSound) {
      item->setCheckable(true);
      item->setChecked(action && action->m_bSound == 0);
      item->setEnabled(action != nullptr);
    } else if (command == kCloseAlert || command == kNewFolder) {
      item->setEnabled(true);
    } else {
      item->setEnabled(tree && beacon && tree->DoCommand(beacon, command, true));
    }
  }
}

void QtAlertWindows::ShowBeacon(model::WDValue* beacon, uint16_t command) {
  WDTreeView* tree = frame_ ? CatalogTree(*frame_) : nullptr;
  if (!tree) return;
  frame_->ShowAndActivate();
  tree->DoCommand(beacon, command, false);
}

void QtAlertWindows::RunCommand(int window, uint16_t command) {
  model::WDValue* beacon = nullptr;
  model::WDAlertMessage* action = FindAction(window, &beacon);
  switch (command) {
    case kCloseAlert:
      // Through its action, which forgets it; a window whose event is gone just closes.
      if (!action || !action->CloseWindow()) DestroyAlertWindow(window);
      return;
    case kNewFolder:  // in an alert window: close all
      if (frame_) {
        for (model::WDValue* value : frame_->Document().AllBeacons()) value->CloseAlertWindows();
      }
      for (int id : windows_.keys()) DestroyAlertWindow(id);
      return;
    case kAlertSound:
      if (!action) return;
      action->m_bSound = action->m_bSound ? 0 : 1;
      model::MarkDocumentModified();
      return;
    default:
      break;
  }
  if (!beacon) return;
  if (command >= kShowBeacon && command <= kShowLink) {
    ShowBeacon(beacon, command);
  } else if (WDTreeView* tree = frame_ ? CatalogTree(*frame_) : nullptr) {
    tree->DoCommand(beacon, command, false);
  }
}

}  // namespace quorvex::gui
