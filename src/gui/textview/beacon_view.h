#pragma once
// The value panes: the newest value text of the tree's current beacon (object 3, beacon tab), the text
// of the sample chosen on a history tab's time-line (object 10), and the value the link tab's test found
// (object 17). Read-only.
//
// Notifications (view_notify.h): 1230 and 1232 load; 1226, 1227 and 1234 load again while the tab is
// shown. The history pane loads the newest sample, and on 1226 from a time-line (a SampleChooser
// sender) the sample chosen there. A pane that becomes visible loads again (samples may have come while
// its tab was hidden). The link tab's value pane is emptied on 1230 and 1232 and otherwise
// shows only what the test puts there (SetValueText). UI thread only.
#include <string>

#include "gui/textview/text_view.h"
#include "gui/views/view_notify.h"

namespace quorvex::gui {

class WDBeaconView : public WDTextView, public NotifyReceiver {
  Q_OBJECT

 public:
  enum class Role { BeaconValue, HistoryValue, TestValue };

  WDBeaconView(CMainFrame& frame, Role role, QWidget* parent = nullptr);

  Role GetRole() const { return m_role; }
  // The display flags of the history strip: HTML tags kept (else taken out), long lines wrapped at the
  // pane's width. Both off by default; a change shows the text again.
  void SetDisplayFlags(bool showTags, bool wrap);

  // Shows a value text (bytes).
  void SetValueText(const std::string& text);

  bool OnNotify(TabNotify code, const NotifyParam& param) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Load(const NotifyParam& param, bool chosen);

  Role m_role;
  bool m_bShowTags = false;
  bool m_bWrap = false;
  int m_nChosen = -1;  // the chosen sample's index in the history, -1 for the newest
};

}  // namespace quorvex::gui
