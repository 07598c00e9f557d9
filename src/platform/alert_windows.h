#pragma once
// The alert windows that firing events open, provided by the UI (GUI windows; lines on standard
// output for the headless agent). Without a host no window can be made, and the alert falls back
// to a message box.
#include <string>

namespace quorvex::platform {

// What an alert window shows.
struct AlertWindowContent {
  std::string description;  // the condition that held
  std::string text;         // the user's message
  std::string lastText;     // the beacon's newest value
  std::string name;         // the beacon's name
  // The first line that the page's newest change added, when the user asked alerts to tell changes
  // (EMAIL.IncludeChanges); empty otherwise or when none is known.
  std::string change;
};

class AlertWindowHost {
 public:
  virtual ~AlertWindowHost() = default;
  // Creates and shows the alert window of content; returns its id as below. The alerts call this one.
  // By default the change is left out and the four texts go to CreateAlertWindow below; a host that
  // shows the change overrides it.
  virtual int CreateAlertWindowFor(const AlertWindowContent& content) {
    return CreateAlertWindow(content.description, content.text, content.lastText, content.name);
  }
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
