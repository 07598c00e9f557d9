#pragma once
// The core's message boxes and Yes/No questions as Qt dialogs, and a scripted answerer for tests.
#include <QPointer>
#include <QWidget>
#include <deque>
#include <string>
#include <vector>

#include "platform/user_prompt.h"

namespace quorvex::gui {

// Installs itself as the core's prompt while it lives. Dialogs are modal to the given parent (the
// main window once it exists), titled with the program's name.
class QtPrompt : public platform::UserPrompt {
 public:
  QtPrompt();
  ~QtPrompt() override;
  QtPrompt(const QtPrompt&) = delete;
  QtPrompt& operator=(const QtPrompt&) = delete;

  void SetParent(QWidget* parent) { parent_ = parent; }
  void ShowMessage(const std::string& text, platform::PromptIcon icon) override;
  bool AskYesNo(const std::string& text, platform::PromptIcon icon) override;

 private:
  QPointer<QWidget> parent_;
  platform::UserPrompt* previous_;
};

// For tests: answers questions from a script (No once the script is empty) and records every text.
// Installs itself while it lives.
class ScriptedPrompt : public platform::UserPrompt {
 public:
  ScriptedPrompt();
  ~ScriptedPrompt() override;
  ScriptedPrompt(const ScriptedPrompt&) = delete;
  ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

  void SetNextAnswer(bool yes) { answers_.push_back(yes); }
  void ShowMessage(const std::string& text, platform::PromptIcon icon) override;
  bool AskYesNo(const std::string& text, platform::PromptIcon icon) override;

  std::vector<std::string> messages;
  std::vector<std::string> questions;

 private:
  std::deque<bool> answers_;
  platform::UserPrompt* previous_;
};

}  // namespace quorvex::gui
