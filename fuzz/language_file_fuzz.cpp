// Language files come from other users: any bytes must read to a result, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/language_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view content(reinterpret_cast<const char*>(data), size);
  quorvex::settings::LanguageFile file;
  file.Parse(content);
  std::string text;
  for (uint16_t id : file.Ids()) file.Lookup(id, text);
  for (const auto* menu : {file.MainMenu(), file.PopupMenu(), file.AlertMenu(), file.TreeMenu()}) {
    if (menu) menu->Commands();
  }
  size_t pos = 0;
  std::string name;
  quorvex::settings::ParseLanguageHeader(
      quorvex::settings::NextLanguageLine(content, pos, quorvex::settings::kMaxHeaderChars), name);
  return 0;
}
