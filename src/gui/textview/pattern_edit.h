#pragma once
// The pattern pane of the link tab (object 16): the search pattern of the tree's current beacon.
//
// Pane protocol (view_notify.h): 1229, 1231, 1233 store; 1230, 1232 load; 1226, 1227, 1234 load while
// the tab is shown, unless the user has changed the text since the last load (a fetch finishing must
// not throw away a pattern being written). Loading shows the pattern; storing sets it with every CR
// removed. A checksum beacon has no pattern: the pane is disabled and says so, and stores nothing.
// Every load, edit and key release updates the test button of the tab. UI thread only.
#include <string>

#include "gui/textview/edit_pane.h"

namespace quorvex::gui {

class WDPatternEdit : public WDEditPane {
  Q_OBJECT

 public:
  explicit WDPatternEdit(CMainFrame& frame, QWidget* parent = nullptr);

  bool UpdatePane(bool save) override;

  // The pane's text as the beacon stores it: bytes with every CR removed.
  std::string StoredPattern() const;
  // True when the pane is enabled and holds text.
  bool HoldsPattern() const { return isEnabled() && HasText(); }
  // Replaces the text as typing would (undoable; stored at the next store).
  void SetPatternText(const std::string& pattern);
};

}  // namespace quorvex::gui
