#pragma once
// The folder list (object 1, tab 0): a row for each beacon directly inside the tree's current
// folder, with its state icon, value, change, date and address (BcnListModel). Clicking a column
// title sorts the rows through a proxy; the model keeps the folder's order (a third click on the same
// title brings it back).
//
// Notifications: 1226, 1230 and 1232 rebuild the rows; 1224 adds the beacon's row, 1225 drops the
// item's row, 1227 updates only the rows of that address (cheap, so a burst of fetches is too).
// Keys: Enter, Insert and Delete go to the frame as the commands 32776, 32771 and 32783. As a
// CommandTarget it takes the item commands 32776..32786 and 32810 for the selected row's beacon and
// runs them through the tree's DoCommand; 32782, 32783 and 32810 need a selected beacon that is not
// busy. Double click shows the beacon's tab; the right button shows the frame's beacon menu;
// a row dragged onto the tree is moved there by the tree. UI thread only.
#include <QPointer>

#include "gui/views/command_target.h"
#include "gui/views/list_view_ex.h"
#include "gui/views/view_notify.h"

namespace quorvex::model {
class WDItem;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

class BcnListModel;
class BcnSortProxy;
class CMainFrame;

class WDBcnListView : public CListViewEx, public NotifyReceiver, public CommandTarget {
  Q_OBJECT

 public:
  // frame must outlive the view.
  explicit WDBcnListView(CMainFrame& frame, QWidget* parent = nullptr);

  // Columns from the language text (once); then Refresh and the focus to the tree. Runs at the
  // first show by itself.
  void OnInitialUpdate();

  bool OnNotify(TabNotify code, const NotifyParam& param) override;
  // Rebuilds the rows for the tree's current folder (nothing listed for a beacon); false with
  // noRebuild or when no folder is listed.
  bool Refresh(bool noRebuild, const NotifyParam& param) override;

  // A row for a beacon just inserted into the listed folder; its row or -1.
  int InsertRow(model::WDValue* beacon);
  // Drops the item's row; nothing for an item without one.
  void DeleteRow(model::WDItem* item);
  void UpdateRowsForAddress(const std::string& address);

  // The beacon of the selected row, or nullptr.
  model::WDValue* GetSelectedBeacon() const;
  // Selects the row of beacon (false when it has none).
  bool SelectBeacon(model::WDValue* beacon);

  bool TakesCommand(uint16_t command) const override;
  CommandState QueryCommand(uint16_t command) override;
  bool RunCommand(uint16_t command) override;

  BcnListModel* Model() const { return m_pModel; }
  BcnSortProxy* Proxy() const { return m_pProxy; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;

 private:
  void MakeColumns();

  CMainFrame& m_frame;
  BcnListModel* m_pModel;
  BcnSortProxy* m_pProxy;
  bool m_bUpdated = false;  // OnInitialUpdate ran (at the first show)
};

}  // namespace quorvex::gui
