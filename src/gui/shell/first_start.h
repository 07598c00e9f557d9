#pragma once
// The first start: when the settings hold no fonts yet, the user picks the language, goes through the
// Options sheet (without its Language page) and the font dialog, in that order, before the main
// window shows.
namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::gui {

// Runs the first-start dialogs on s. The language is asked only while none is chosen; the chosen one
// is installed at once, so the dialogs after it speak it. False when the language selection was
// cancelled or found nothing to choose: the program's start ends.
bool RunFirstStart(settings::WDSettings& s);

}  // namespace quorvex::gui
