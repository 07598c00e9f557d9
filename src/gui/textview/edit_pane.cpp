#include "gui/textview/edit_pane.h"

#include "gui/tabframe/tab_wnd.h"

namespace quorvex::gui {

bool WDEditPane::OnNotify(TabNotify code, const NotifyParam& /*param*/) {
  switch (PaneStepOf(code)) {
    case PaneStep::Store:
      return UpdatePane(true);
    case PaneStep::Load:
      return UpdatePane(false);
    case PaneStep::Reload:
      return IsOnActiveTab(this) && !document()->isModified() && UpdatePane(false);
    default:
      return false;
  }
}

}  // namespace quorvex::gui
