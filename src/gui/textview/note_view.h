#pragma once
// The note pane (object 6): the free description of the tree's current item, folder or beacon,
// written by the user.
//
// Pane protocol (view_notify.h): 1229, 1231, 1233 store; 1230, 1232 load; 1226, 1227, 1234 load while
// the tab is shown, unless the note was changed since the last load (a refresh finishing must not
// throw away what is being written). UI thread only.
#include "gui/textview/edit_pane.h"

namespace quorvex::gui {

class WDNoteView : public WDEditPane {
  Q_OBJECT

 public:
  explicit WDNoteView(CMainFrame& frame, QWidget* parent = nullptr);

  bool UpdatePane(bool save) override;
};

}  // namespace quorvex::gui
