#pragma once
// The alert windows that firing events open (AlertBalloon), counted process-wide, with a desktop
// notification beside each where a notification service runs. The right button's alert menu acts on
// the window's own action and beacon; the main frame hears of every new alert and of the last window
// closed.
#include <QMap>
#include <QMenu>
#include <QPointer>
#include <functional>
#include <memory>

#include "platform/alert_windows.h"

namespace quorvex::model {
class WDAlertMessage;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

class AlertBalloon;
class CMainFrame;
class CommandActions;
class DesktopNotifier;

class QtAlertWindows : public platform::AlertWindowHost {
 public:
  // Installs itself as the core's alert host while it lives.
  QtAlertWindows();
  ~QtAlertWindows() override;
  QtAlertWindows(const QtAlertWindows&) = delete;
  QtAlertWindows& operator=(const QtAlertWindows&) = delete;

  // Called on every new alert (the main frame updates the agent state and rings the bell).
  void SetOnAlert(std::function<void()> onAlert) { onAlert_ = std::move(onAlert); }
  // The frame whose document, tree and alert menu the windows use; until then they only close.
  void Attach(CMainFrame* frame);

  int CreateAlertWindowFor(const platform::AlertWindowContent& content) override;
  int CreateAlertWindow(const std::string& description, const std::string& text, const std::string& lastText,
                        const std::string& name) override;
  bool IsAlertWindowOpen(int window) const override;
  void DestroyAlertWindow(int window) override;
  int CountOpenAlertWindows() const override;
  void Beep() override;
  void AlertArrived() override;

  // A command of window's menu (or its click, 32814): close, close all, sound, the item commands.
  void RunCommand(int window, uint16_t command);
  AlertBalloon* Window(int window) const;

 private:
  // The message action that owns window, and its beacon.
  model::WDAlertMessage* FindAction(int window, model::WDValue** beacon) const;
  void UpdateMenu(int window, QMenu& menu);
  void ShowBeacon(model::WDValue* beacon, uint16_t command);

  QMap<int, QPointer<AlertBalloon>> windows_;
  int next_ = 1;
  std::function<void()> onAlert_;
  CMainFrame* frame_ = nullptr;
  std::unique_ptr<DesktopNotifier> notifier_;
  platform::AlertWindowHost* previous_;
};

}  // namespace quorvex::gui
