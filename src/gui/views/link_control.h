#pragma once
// The test bar at the bottom of the link tab (object 18): one button (1003) that runs the pattern
// test (link_tab.h). The button is enabled by UpdateTestButton; the bar itself acts on no
// notification. UI thread only.
#include <QWidget>

#include "gui/views/view_notify.h"

class QPushButton;

namespace quorvex::gui {

class CMainFrame;

inline constexpr int kIdTestButton = 1003;

class WDLEControl : public QWidget, public NotifyReceiver {
  Q_OBJECT

 public:
  // frame must outlive the bar. Child objectName: "testButton".
  explicit WDLEControl(CMainFrame& frame, QWidget* parent = nullptr);

  QPushButton* TestButton() const { return m_pTest; }
  bool OnNotify(TabNotify code, const NotifyParam& param) override;

 private:
  CMainFrame& m_frame;
  QPushButton* m_pTest;
};

}  // namespace quorvex::gui
