#pragma once
// How core code talks to the user: message boxes and Yes/No questions. The GUI shows dialogs;
// the command-line tool prints to stderr and answers questions from its flags.
#include <string>

namespace quorvex::platform {

enum class PromptIcon { None, Information, Exclamation, Question, Stop };

class UserPrompt {
 public:
  virtual ~UserPrompt() = default;
  // A message with an OK button.
  virtual void ShowMessage(const std::string& text, PromptIcon icon) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& text, PromptIcon icon = PromptIcon::Question) = 0;
};

// The prompt that core code uses. Until one is installed, messages go to stderr and every
// question is answered No (the safe answer: nothing is overwritten or deleted).
UserPrompt& Prompt();
// Installs the application's prompt (not owned; must outlive its use). nullptr restores the default.
// Call from the UI thread only.
void SetPrompt(UserPrompt* prompt);

}  // namespace quorvex::platform
