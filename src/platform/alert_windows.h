#pragma once
// The alert windows that firing events open, provided by the UI (GUI windows; lines on standard
// output for the headless agent). Without a host no window can be made, and the alert falls back
// to a message box.
#include <string>

namespace quorvex::platform {

class AlertWindowHost {
 public:
  virtual ~AlertWindowHost() = default;
  // Creates and shows an alert window without activating it; returns its id (> 0), or 0 when none
  // could be made.
  virtual int CreateAlertWindow(const std::string& description, const std::string& text, const std::string& lastText,
                                const std::string& name) = 0;
  // True while the window is open (the user may have closed it).
  virtual bool IsAlertWindowOpen(int window) const = 0;
  virtual void DestroyAlertWindow(int window) = 0;
  virtual int CountOpenAlertWindows() const = 0;
  // The standard beep of an alert with sound.
  virtual void Beep() = 0;
  // Tells the main frame that an alert arrived (tray notification, bell).
  virtual void AlertArrived() = 0;
};

// The installed host or nullptr. UI thread only.
AlertWindowHost* AlertWindows();
void SetAlertWindows(AlertWindowHost* host);

}  // namespace quorvex::platform
