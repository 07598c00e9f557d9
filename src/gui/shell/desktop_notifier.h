#pragma once
// Desktop notifications through the freedesktop notification service (D-Bus), beside the alert
// windows: the beacon's name, the condition and the value, with an action that shows the beacon.
// Without a session bus or a running service nothing is sent and nothing is reported.
#include <QHash>
#include <QObject>
#include <functional>
#include <string>

#include "platform/alert_windows.h"

namespace quorvex::gui {

class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  // show is called with the beacon's name when the user picks a notification's action.
  explicit DesktopNotifier(std::function<void(const std::string& name)> show, QObject* parent = nullptr);

  // Sends a notification for content when the service runs; returns at once (the call is asynchronous).
  void Notify(const platform::AlertWindowContent& content);
  // Whether a notification service answers on the session bus.
  static bool ServiceRunning();

 private Q_SLOTS:
  void OnActionInvoked(uint id, const QString& key);

 private:
  std::function<void(const std::string&)> m_show;
  QHash<uint, std::string> m_beacons;  // notification id -> beacon name
  bool m_bListening = false;
  int m_nMarkup = -1;  // whether the service reads markup in the body; -1 not asked yet
};

}  // namespace quorvex::gui
