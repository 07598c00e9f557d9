#include "platform/user_prompt.h"

#include <cstdio>

namespace quorvex::platform {
namespace {

class StderrPrompt : public UserPrompt {
 public:
  void ShowMessage(const std::string& text, PromptIcon) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool AskYesNo(const std::string& text, PromptIcon) override {
    std::fprintf(stderr, "%s [answered: No]\n", text.c_str());
    return false;
  }
};

StderrPrompt g_default_prompt;
UserPrompt* g_prompt = nullptr;

}  // namespace

UserPrompt& Prompt() {
  return g_prompt ? *g_prompt : g_default_prompt;
}

void SetPrompt(UserPrompt* prompt) {
  g_prompt = prompt;
}

}  // namespace quorvex::platform
