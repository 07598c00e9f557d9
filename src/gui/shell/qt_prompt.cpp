#include "gui/shell/qt_prompt.h"

#include <QApplication>
#include <QMessageBox>

#include "gui/shell/gui_text.h"

namespace quorvex::gui {
namespace {

QMessageBox::Icon BoxIcon(platform::PromptIcon icon) {
  switch (icon) {
    case platform::PromptIcon::Information:
      return QMessageBox::Information;
    case platform::PromptIcon::Exclamation:
      return QMessageBox::Warning;
    case platform::PromptIcon::Question:
      return QMessageBox::Question;
    case platform::PromptIcon::Stop:
      return QMessageBox::Critical;
    case platform::PromptIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// The program's current UserPrompt, found without a getter: install returns nothing, so we keep
// what Prompt() answered before installing.
platform::UserPrompt* Install(platform::UserPrompt* prompt) {
  platform::UserPrompt* previous = &platform::Prompt();
  platform::SetPrompt(prompt);
  return previous;
}

}  // namespace

QtPrompt::QtPrompt() : previous_(Install(this)) {}

QtPrompt::~QtPrompt() {
  platform::SetPrompt(previous_ == this ? nullptr : previous_);
}

void QtPrompt::ShowMessage(const std::string& text, platform::PromptIcon icon) {
  QMessageBox box(BoxIcon(icon), QApplication::applicationDisplayName(), FromBytes(text), QMessageBox::Ok,
                  parent_ && parent_->isVisible() ? parent_.data() : nullptr);
  box.exec();
}

bool QtPrompt::AskYesNo(const std::string& text, platform::PromptIcon icon) {
  QMessageBox box(BoxIcon(icon), QApplication::applicationDisplayName(), FromBytes(text),
                  QMessageBox::Yes | QMessageBox::No, parent_ && parent_->isVisible() ? parent_.data() : nullptr);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

ScriptedPrompt::ScriptedPrompt() : previous_(Install(this)) {}

ScriptedPrompt::~ScriptedPrompt() {
  platform::SetPrompt(previous_ == this ? nullptr : previous_);
}

void ScriptedPrompt::ShowMessage(const std::string& text, platform::PromptIcon) {
  messages.push_back(text);
}

bool ScriptedPrompt::AskYesNo(const std::string& text, platform::PromptIcon) {
  questions.push_back(text);
  if (answers_.empty()) return false;
  const bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

}  // namespace quorvex::gui
