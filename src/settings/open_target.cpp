#include "settings/open_target.h"

#include <cstdint>

#include "platform/process.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/app_context.h"

namespace quorvex::settings {
namespace {

bool IsWebTarget(const std::string& target) {
  return target.find("http://") != std::string::npos || target.find("https://") != std::string::npos ||
         target.find(".htm") != std::string::npos;
}

}  // namespace

bool OpenTarget(const std::string& target) {
  if (target.empty()) return false;
  const WDSettings* s = GetSettings();
  std::string browser = s ? s->m_strBrowser : std::string();
  if (browser == kUnsetBrowser) browser.clear();
  if (IsWebTarget(target) && !browser.empty()) {
    if (platform::StartProgram({browser, target}) == 0) return true;
    platform::Prompt().ShowMessage(platform::GetString(platform::ids::kMsgFileNotFound) + "\n" + browser,
                                   platform::PromptIcon::Exclamation);
    return false;
  }
  return platform::StartProgram({"xdg-open", target}) == 0;
}

}  // namespace quorvex::settings
