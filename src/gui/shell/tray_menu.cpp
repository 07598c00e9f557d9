#include "gui/shell/tray_menu.h"

#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "model/beacon_row.h"
#include "platform/command_ids.h"
#include "platform/string_ids.h"

namespace quorvex::gui {
namespace {

QAction* AddCommand(QMenu& menu, const QString& label, int command, bool enabled = true) {
  QAction* action = menu.addAction(label);
  action->setData(command);
  action->setEnabled(enabled);
  return action;
}

}  // namespace

QString TrayEntryLabel(const std::string& valueText, const std::string& name) {
  QString value = FromBytes(valueText);
  value.remove(QLatin1Char('\n'));
  value.remove(QLatin1Char('\r'));
  value.replace(QLatin1Char('\t'), QLatin1Char(' '));
  // Cut by characters, never inside a surrogate pair.
  if (value.size() > kTrayValueChars) {
    int cut = kTrayValueChars;
    if (value.at(cut - 1).isHighSurrogate()) --cut;
    value.truncate(cut);
  }
  return value + QLatin1Char('\t') + FromBytes(name);
}

bool BuildTrayMenu(QMenu& menu, engine::WDQvxDoc* doc) {
  menu.clear();
  if (!doc) return false;
  AddCommand(menu, Text(platform::ids::kTrayRefreshAll), platform::cmd::kRefreshAll);
  AddCommand(menu, Text(platform::ids::kTrayCheckAlerts), platform::cmd::kCheckAllAlerts);
  menu.addSeparator();
  const std::vector<model::WDValue*> beacons = doc->AllBeacons();
  int entry = 0;
  for (model::WDValue* beacon : beacons) {
    if (entry == kMaxTrayEntries) break;
    // Only healthy beacons can be chosen: due, off and failing ones are greyed.
    const int icon = beacon->GetState(true);
    const model::BeaconRow row = model::MakeBeaconRow(*beacon);
    AddCommand(menu, TrayEntryLabel(row.value, beacon->GetName()), platform::cmd::kFirstTrayEntry + entry,
               icon == res::kBeaconNormal || icon == res::kBeaconAlert);
    ++entry;
  }
  if (beacons.size() > static_cast<size_t>(kMaxTrayEntries)) {
    AddCommand(menu, Text(platform::ids::kTrayMoreBeacons, {std::to_string(beacons.size() - kMaxTrayEntries)}),
               platform::cmd::kShowWindow);
  }
  menu.addSeparator();
  QAction* show = AddCommand(menu, Text(platform::ids::kTrayShow), platform::cmd::kShowWindow);
  AddCommand(menu, Text(platform::ids::kTrayExit), platform::cmd::kExit, !doc->IsAnyBeaconBusy());
  menu.setDefaultAction(show);
  return true;
}

}  // namespace quorvex::gui
