#pragma once
// The tray menu, rebuilt whenever it opens: refresh and check-alerts, one entry per beacon with its
// current value, show and exit. Entries carry their command id in QAction::data().
#include <QMenu>
#include <cstdint>

namespace quorvex::engine {
class WDQvxDoc;
}

namespace quorvex::gui {

// The entry ids run from cmd::kFirstTrayEntry; the entry of beacon n (walk order, from 0) has id
// kFirstTrayEntry + n. Beacons beyond the last id are not listed one by one: the last item opens the
// main window instead, where every beacon can be reached.
inline constexpr int kMaxTrayEntries = 1001;
// The longest value text an entry shows.
inline constexpr int kTrayValueChars = 15;

// Replaces the contents of menu. False (menu left empty) without a document. The "show" item is the
// menu's default action (shown bold).
bool BuildTrayMenu(QMenu& menu, engine::WDQvxDoc* doc);

// The label of one beacon's entry: its value on one line, cut to kTrayValueChars, a tab, its name.
QString TrayEntryLabel(const std::string& valueText, const std::string& name);

}  // namespace quorvex::gui
