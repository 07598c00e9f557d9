#pragma once
// The command line's stand-in for the main frame while fetches run: alert windows become lines of
// text, the agent state is not shown. Installs itself as platform::AlertWindows() and
// platform::AgentState() while it lives. UI thread only.
#include <ostream>
#include <string>
#include <vector>

#include "platform/agent_state.h"
#include "platform/alert_windows.h"

namespace quorvex::cli {

class ConsoleFrame : public platform::AlertWindowHost, public platform::AgentStateHost {
 public:
  // printNow: each alert is written to out as it arrives, stamped with the local time (the agent);
  // otherwise alerts are only kept for Alerts() (a command prints them in its summary).
  ConsoleFrame(std::ostream& out, bool printNow);
  ~ConsoleFrame() override;
  ConsoleFrame(const ConsoleFrame&) = delete;
  ConsoleFrame& operator=(const ConsoleFrame&) = delete;

  // One line: name, message text, condition and the value that fired it. A line, once written, is
  // gone like a closed window: the next firing of the same event writes again.
  int CreateAlertWindow(const std::string& description, const std::string& text, const std::string& lastText,
                        const std::string& name) override;
  // The same line, followed by "; added: " and the change when there is one.
  int CreateAlertWindowFor(const platform::AlertWindowContent& content) override;
  bool IsAlertWindowOpen(int) const override { return false; }
  void DestroyAlertWindow(int) override {}
  int CountOpenAlertWindows() const override { return 0; }
  void Beep() override {}
  void AlertArrived() override {}
  void UpdateAgentState() override {}

  // The alert lines so far, without time stamps.
  const std::vector<std::string>& Alerts() const { return alerts_; }

 private:
  std::ostream& out_;
  bool print_now_;
  std::vector<std::string> alerts_;
  platform::AlertWindowHost* previous_alerts_;
  platform::AgentStateHost* previous_state_;
};

}  // namespace quorvex::cli
