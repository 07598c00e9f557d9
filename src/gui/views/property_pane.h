#pragma once
// The base of the property panes of the tab window (control pane, history strips, screen panes): the
// load-and-store protocol of the tree's notifications (view_notify.h), implemented once.
//
//   1229, 1231, 1233  UpdatePane(true): store the controls into the current item before it changes
//   1230, 1232        UpdatePane(false): load the controls from the (new) current item
//   1226, 1234        UpdatePane(false) while the pane's tab is shown
//   1227              the same, when the address is the current beacon's (or none is given)
//   1224, 1225, 1235  nothing
//
// The item is always the catalog tree's current item, looked up at the time of the call; a pane keeps
// no pointer to it. UI thread only.
#include <QWidget>

#include "gui/views/view_notify.h"

namespace quorvex::model {
class WDItem;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

class CMainFrame;
class WDTreeView;

class PropertyPane : public QWidget, public NotifyReceiver {
  Q_OBJECT

 public:
  // frame must outlive the pane.
  explicit PropertyPane(CMainFrame& frame, QWidget* parent = nullptr);

  // save false: fills the controls from the current item; true: writes them into it. False when there
  // is nothing to load or store (no current item, a folder where a beacon is needed, a refused value).
  virtual bool UpdatePane(bool save, const NotifyParam& param) = 0;

  bool OnNotify(TabNotify code, const NotifyParam& param) override;

  CMainFrame& Frame() const { return m_frame; }

 protected:
  WDTreeView* Tree() const;
  // The tree's current item, or nullptr.
  model::WDItem* CurrentItem() const;
  // The current item when it is a beacon, else nullptr.
  model::WDValue* CurrentBeacon() const;
  // The document changed: marks it modified, updates the beacon's icon and the agent's state.
  void BeaconChanged(model::WDValue& beacon, bool stateChanged);

 private:
  CMainFrame& m_frame;
};

// A language text with its mnemonic marks ("&") taken out, for tool tips.
QString TextWithoutMnemonic(uint16_t id);

}  // namespace quorvex::gui
