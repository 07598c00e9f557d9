#include "gui/shell/first_start.h"

#include "gui/shell/font_dialog.h"
#include "gui/shell/language_page.h"
#include "gui/shell/options_sheet.h"
#include "settings/language_folder.h"
#include "settings/settings.h"

namespace quorvex::gui {

bool RunFirstStart(settings::WDSettings& s) {
  if (s.m_strLangFileName.empty()) {
    if (!SelectLanguage(s)) return false;
    // A file that fails now leaves the language loaded before in place (English or the built-in texts).
    settings::LoadLanguage(s.WorkDirectory(), s.m_strLangFileName);
  }
  EditOptions(s, true);
  EditFonts(s, true);
  return true;
}

}  // namespace quorvex::gui
