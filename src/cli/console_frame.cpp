#include "cli/console_frame.h"

#include "cli/beacon_text.h"
#include "platform/clock.h"

namespace quorvex::cli {

ConsoleFrame::ConsoleFrame(std::ostream& out, bool printNow)
    : out_(out),
      print_now_(printNow),
      previous_alerts_(platform::AlertWindows()),
      previous_state_(platform::AgentState()) {
  platform::SetAlertWindows(this);
  platform::SetAgentState(this);
}

ConsoleFrame::~ConsoleFrame() {
  platform::SetAlertWindows(previous_alerts_);
  platform::SetAgentState(previous_state_);
}

int ConsoleFrame::CreateAlertWindow(const std::string& description, const std::string& text,
                                    const std::string& lastText, const std::string& name) {
  return CreateAlertWindowFor({description, text, lastText, name, {}});
}

int ConsoleFrame::CreateAlertWindowFor(const platform::AlertWindowContent& content) {
  std::string line = Show(content.name) + ": ";
  if (!content.text.empty()) line += Show(content.text) + " (";
  line += Show(content.description) + "; value " + Show(content.lastText);
  if (!content.change.empty()) line += "; added: " + Show(content.change);
  if (!content.text.empty()) line += ")";
  alerts_.push_back(line);
  if (print_now_) out_ << TimeText(platform::Now()) << "  alert  " << line << std::endl;
  return static_cast<int>(alerts_.size());
}

}  // namespace quorvex::cli
