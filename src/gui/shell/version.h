#pragma once
// The version the splash screen and the About box show.
#include <QString>

namespace quorvex::gui {

// "Ver 0.1 dated 06 December 2026": the date with the full month name (splash) or the short one (About),
// always in English, whatever the desktop's language.
QString VersionLine(bool shortMonth);

}  // namespace quorvex::gui
