#include "gui/textview/edit_pane.h"

#include "gui/tabframe/tab_wnd.h"

namespace quorvex::gui {

bool WDEditPane::OnNotify(TabNotify code, const NotifyParam& /*param*/) {
  // An edit in progress is never replaced by a reload.
  return FollowPaneStep(code, IsOnActiveTab(this) && !document()->isModified(),
                        [this](bool save) { return UpdatePane(save); });
}

}  // namespace quorvex::gui
