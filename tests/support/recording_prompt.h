#pragma once
// A prompt for tests: records every message and question and answers questions as told.
#include <string>
#include <vector>

#include "platform/user_prompt.h"

namespace quorvex::testing {

class RecordingPrompt : public platform::UserPrompt {
 public:
  RecordingPrompt() { platform::SetPrompt(this); }
  ~RecordingPrompt() override { platform::SetPrompt(nullptr); }

  void ShowMessage(const std::string& text, platform::PromptIcon icon) override {
    messages.push_back(text);
    icons.push_back(icon);
  }
  bool AskYesNo(const std::string& text, platform::PromptIcon) override {
    questions.push_back(text);
    return answer;
  }

  std::vector<std::string> messages;
  std::vector<platform::PromptIcon> icons;
  std::vector<std::string> questions;
  bool answer = false;
};

}  // namespace quorvex::testing
