#pragma once
// The notification-area icon: its icon, tip, animation and menu. It keeps its state also where the
// desktop has no notification area (IsEnabled false), so the agent logic runs the same everywhere.
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

namespace quorvex::gui {

class CSystemTray : public QObject {
  Q_OBJECT

 public:
  explicit CSystemTray(QObject* parent = nullptr);
  ~CSystemTray() override;

  // Makes the icon with tip and icon and shows it. False when the desktop has no notification area;
  // the object then only keeps its state.
  bool CreateTrayIcon(const QString& tip, const QIcon& icon);
  bool IsEnabled() const { return icon_ != nullptr; }
  bool IsVisible() const { return visible_; }
  void HideTrayIcon();
  // Shows the icon again (added anew at the end of the area, which draws attention to it).
  void ShowTrayIcon();

  void ChangeIcon(const QIcon& icon);
  // The icon of a resource id (icons.h); the id is remembered for CurrentIconId.
  void ChangeIcon(int resourceId);
  int CurrentIconId() const { return iconId_; }
  void ChangeTip(const QString& tip);
  const QString& CurrentTip() const { return tip_; }

  // The animation frames: the icons of the resource ids first..last. False when first > last.
  bool LoadIconSequence(int first, int last);
  int SequenceFirst() const { return first_; }
  int SequenceLast() const { return first_ + static_cast<int>(sequence_.size()) - 1; }
  // Steps through the sequence every stepMs; durationSeconds <= 0 runs until StopCycling. The icon
  // shown before comes back at StopCycling.
  bool StartCycling(int stepMs, int durationSeconds);
  void NextIcon();
  void StopCycling();
  bool IsCycling() const { return timer_.isActive(); }
  int StepMs() const { return timer_.interval(); }
  int CurrentIndex() const { return index_; }

  // The menu that opens on the icon (not owned; must outlive the icon). Its aboutToShow is where
  // the owner rebuilds it.
  void SetMenu(QMenu* menu);

 Q_SIGNALS:
  // One step of the animation, with the frame index shown before the step.
  void AnimationStep(int index);
  void DoubleClicked();

 private:
  void Apply();

  std::unique_ptr<QSystemTrayIcon> icon_;
  QMenu* menu_ = nullptr;
  QIcon current_;
  int iconId_ = 0;
  QString tip_;
  bool visible_ = false;
  QList<QIcon> sequence_;
  int first_ = 0;
  int index_ = 0;
  QTimer timer_;
  qint64 cycleStart_ = 0;
  int durationSeconds_ = 0;
  QIcon restoreIcon_;
  int restoreId_ = 0;
};

}  // namespace quorvex::gui
