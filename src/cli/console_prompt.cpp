#include "cli/console_prompt.h"

#include "cli/beacon_text.h"

namespace quorvex::cli {

ConsolePrompt::ConsolePrompt(std::ostream& err, bool answerYes)
    : err_(err), answer_yes_(answerYes), previous_(&platform::Prompt()) {
  platform::SetPrompt(this);
}

ConsolePrompt::~ConsolePrompt() {
  platform::SetPrompt(previous_);
}

void ConsolePrompt::ShowMessage(const std::string& text, platform::PromptIcon) {
  err_ << ShowLines(text) << "\n";
}

bool ConsolePrompt::AskYesNo(const std::string& text, platform::PromptIcon) {
  err_ << ShowLines(text) << (answer_yes_ ? " [yes]" : " [no: give --yes to answer yes]") << "\n";
  return answer_yes_;
}

}  // namespace quorvex::cli
