#include "gui/shell/system_tray.h"

#include <QDateTime>

#include "gui/shell/icons.h"

namespace quorvex::gui {

CSystemTray::CSystemTray(QObject* parent) : QObject(parent) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    Q_EMIT AnimationStep(index_);
    if (durationSeconds_ > 0 && QDateTime::currentSecsSinceEpoch() - cycleStart_ >= durationSeconds_) {
      StopCycling();
    } else {
      NextIcon();
    }
  });
}

CSystemTray::~CSystemTray() = default;

bool CSystemTray::CreateTrayIcon(const QString& tip, const QIcon& icon) {
  tip_ = tip;
  current_ = icon;
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  icon_ = std::make_unique<QSystemTrayIcon>();
  connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) Q_EMIT DoubleClicked();
  });
  if (menu_) icon_->setContextMenu(menu_);
  Apply();
  ShowTrayIcon();
  return true;
}

void CSystemTray::HideTrayIcon() {
  visible_ = false;
  if (icon_) icon_->hide();
}

void CSystemTray::ShowTrayIcon() {
  visible_ = true;
  if (icon_) icon_->show();
}

void CSystemTray::ChangeIcon(const QIcon& icon) {
  current_ = icon;
  iconId_ = 0;
  Apply();
}

void CSystemTray::ChangeIcon(int resourceId) {
  current_ = ResourceIcon(resourceId);
  iconId_ = resourceId;
  Apply();
}

void CSystemTray::ChangeTip(const QString& tip) {
  tip_ = tip;
  Apply();
}

bool CSystemTray::LoadIconSequence(int first, int last) {
  if (first > last) return false;
  sequence_.clear();
  for (int id = first; id <= last; ++id) sequence_.append(ResourceIcon(id));
  first_ = first;
  index_ = 0;
  return true;
}

bool CSystemTray::StartCycling(int stepMs, int durationSeconds) {
  if (sequence_.isEmpty() || stepMs <= 0) return false;
  StopCycling();
  restoreIcon_ = current_;
  restoreId_ = iconId_;
  durationSeconds_ = durationSeconds;
  cycleStart_ = QDateTime::currentSecsSinceEpoch();
  index_ = 0;
  timer_.start(stepMs);
  return true;
}

void CSystemTray::NextIcon() {
  if (sequence_.isEmpty()) return;
  index_ = (index_ + 1) % static_cast<int>(sequence_.size());
  current_ = sequence_.at(index_);
  iconId_ = first_ + index_;
  Apply();
}

void CSystemTray::StopCycling() {
  if (!timer_.isActive()) return;
  timer_.stop();
  current_ = restoreIcon_;
  iconId_ = restoreId_;
  Apply();
}

void CSystemTray::SetMenu(QMenu* menu) {
  menu_ = menu;
  if (icon_) icon_->setContextMenu(menu);
}

void CSystemTray::Apply() {
  if (!icon_) return;
  icon_->setIcon(current_);
  icon_->setToolTip(tip_);
}

}  // namespace quorvex::gui
