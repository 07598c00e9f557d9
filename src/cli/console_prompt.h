#pragma once
// The command line's prompt: messages go to the error stream, questions are answered by the
// --yes flag (No without it, the answer that changes nothing).
#include <ostream>
#include <string>

#include "platform/user_prompt.h"

namespace quorvex::cli {

class ConsolePrompt : public platform::UserPrompt {
 public:
  ConsolePrompt(std::ostream& err, bool answerYes);
  ~ConsolePrompt() override;
  ConsolePrompt(const ConsolePrompt&) = delete;
  ConsolePrompt& operator=(const ConsolePrompt&) = delete;

  void ShowMessage(const std::string& text, platform::PromptIcon icon) override;
  bool AskYesNo(const std::string& text, platform::PromptIcon icon) override;

 private:
  std::ostream& err_;
  bool answer_yes_;
  platform::UserPrompt* previous_;
};

}  // namespace quorvex::cli
