#pragma once
// A text pane whose text the user writes and the current item stores (the note, the pattern): the
// pane protocol of view_notify.h with one rule of its own, that a reload while the tab is shown leaves
// an edit in progress alone (a refresh finishing must not throw away what is being written).
#include "gui/textview/text_view.h"
#include "gui/views/view_notify.h"

namespace quorvex::gui {

class WDEditPane : public WDTextView, public NotifyReceiver {
 public:
  using WDTextView::WDTextView;

  // Load (save false) or store (save true) for the current item; false without one.
  virtual bool UpdatePane(bool save) = 0;
  bool OnNotify(TabNotify code, const NotifyParam& param) override;
};

}  // namespace quorvex::gui
