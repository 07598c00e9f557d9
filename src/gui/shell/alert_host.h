#pragma once
// The alert windows that firing events open. For now a plain window per alert: the description, the
// value texts and the beacon's name; a click closes it. The main frame hears of every new alert.
#include <QMap>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/alert_windows.h"

namespace quorvex::gui {

class QtAlertWindows : public platform::AlertWindowHost {
 public:
  // Installs itself as the core's alert host while it lives.
  QtAlertWindows();
  ~QtAlertWindows() override;
  QtAlertWindows(const QtAlertWindows&) = delete;
  QtAlertWindows& operator=(const QtAlertWindows&) = delete;

  // Called on every new alert (the main frame updates the agent state and rings the bell).
  void SetOnAlert(std::function<void()> onAlert) { onAlert_ = std::move(onAlert); }

  int CreateAlertWindow(const std::string& description, const std::string& text, const std::string& lastText,
                        const std::string& name) override;
  bool IsAlertWindowOpen(int window) const override;
  void DestroyAlertWindow(int window) override;
  int CountOpenAlertWindows() const override;
  void Beep() override;
  void AlertArrived() override;

 private:
  QMap<int, QPointer<QWidget>> windows_;
  int next_ = 1;
  std::function<void()> onAlert_;
  platform::AlertWindowHost* previous_;
};

}  // namespace quorvex::gui
