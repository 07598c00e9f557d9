#pragma once
// The catalog tree: the left pane of the main window and the hub of the user interface.
//
// It shows the catalog's folders and beacons (CatalogTreeModel) under a filter box, decides which tabs
// of the right-hand tab window are enabled and shown, carries out the item commands on its context
// item, renames by in-place editing, moves items by drag and drop, and receives the engine's fetch
// notifications, which it turns into icon updates and notifications to the views (view_notify.h).
//
// Selection protocol (every change of the selection, by the user or by SelectItem):
//   context item = the new item; Notify 1233 (panes store into the old item); ShowItem(new item);
//   current item = the new item; Notify 1232 (views show the new item).
//
// Tabs (view_ids.h): GetAvailableTabs(item) is the mask of the tabs an item may show:
//   folder: 0 and 3; beacon: 3, 4, 7, plus 1 (text, checksum) or 2 (number), plus 5 or 6 when its
//   history holds at least kMinHistorySamples samples.
// ShowItem(item) sets the tab window's caption, and when the mask changed: keeps the active tab
// when it is allowed (AdjustTab), else shows 0 for a folder and 1 or 2 for a beacon; enables the
// tabs in the order 0, 1, 5, 4, 7, 2, 6.
// AdjustTab(item, tab): a folder keeps 3 and turns any other tab into 0; a beacon maps 1/2 to its
// beacon tab and 5/6 to its history tab, or to its beacon tab (returning false) with too few samples.
//
// Engine notifications (FetchStarted 1125, FetchFinished 1124, DataArriving 1130) arrive through the
// document's fetch target; they update the icons of the beacons of that address only and Notify
// 1227 (with the address), 1234 (failed fetch of the selected beacon's address) and 1235.
// UI thread only.
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/views/command_target.h"
#include "gui/views/view_notify.h"

class QLineEdit;
class QModelIndex;
class QSortFilterProxyModel;
class QTreeView;

namespace quorvex::engine {
class WDFetchJob;
class WDQvxDoc;
enum class Notification : int32_t;
}  // namespace quorvex::engine
namespace quorvex::model {
class WDGroup;
class WDItem;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

class CMainFrame;
class CatalogTreeModel;
class CatalogTreeWidget;
class TreeFetchTarget;

// A history needs this many samples before the history tabs and commands are offered.
inline constexpr int kMinHistorySamples = 3;
// The mime type of a catalog item dragged inside the program; the item itself is DraggedItem().
inline constexpr char kItemMimeType[] = "application/x-quorvex-item";

class WDTreeView : public QWidget, public CommandTarget {
  Q_OBJECT

 public:
  // frame must outlive the view. The view becomes the document's fetch target and fills itself from
  // the catalog root (OnInitialUpdate) at once.
  WDTreeView(CMainFrame& frame, QWidget* parent = nullptr);
  ~WDTreeView() override;

  // Fills the tree from the document's root (after a reload the old tree is dropped first), makes the
  // root current, shows it and expands it.
  void OnInitialUpdate();

  // ---- selection
  // The item selected in the tree (nullptr for none), the item the tabs show, and the item the
  // commands act on (the last selected or right-clicked item).
  model::WDItem* GetSelectedItem() const;
  model::WDItem* GetCurrentItem() const { return m_pCurrent; }
  model::WDItem* GetContextItem() const { return m_pContext; }
  // The folder of the selection: the selected item when it is a folder, else its parent.
  model::WDGroup* GetSelectedFolder() const;
  // Selects item (running the selection protocol); false when it is not in the tree. A filter that
  // hides it is cleared first.
  bool SelectItem(model::WDItem* item);
  // The folder holding item in the tree; nullptr for the root or an unknown item.
  model::WDGroup* ParentOf(const model::WDItem* item) const;

  // ---- tabs
  static uint32_t GetAvailableTabs(model::WDItem* item);
  static bool AdjustTab(model::WDItem* item, int& tab);
  void ShowItem(model::WDItem* item);
  // The user moved to another tab: the panes store what was typed. Tab changes made while an
  // item is being shown are left alone, as a store then could show the previous item again.
  void OnActiveTabChanged();

  // ---- items
  // Adds item (a beacon, or a folder with its contents) as the last child of parent's tree item
  // (nullptr: the selected item's folder) and files it in that folder. False without item or folder.
  bool AddItem(model::WDItem* item, model::WDGroup* parent = nullptr);
  // A beacon made elsewhere (import, wizard) enters the tree: AddItem(item, folder).
  bool InsertNewItem(model::WDItem* item, model::WDGroup* folder = nullptr);
  // Empties value's history after asking (kAskClearHistory); the history tabs go with it.
  bool ClearHistory(model::WDValue& value);
  // Deletes item as the delete command does (asks for a beacon; a folder must be empty).
  bool DeleteTreeItem(model::WDItem* item);
  // Moves source into the folder target as a drop does; refuses a drop onto itself, into itself,
  // onto a beacon or into the folder it is already in. True when it moved.
  bool DropItem(model::WDItem* source, model::WDItem* target);
  // Sets the icons of the beacons of url (empty: of every item) from their state and fetching.
  void UpdateIcons(const std::string& url = {});

  // ---- commands (32776..32786, 32810, 32815, 32822)
  // queryOnly: whether the command is enabled (32784: whether it is checked). Otherwise runs it;
  // returns whether it ran. A folder gives false for every command but delete; nullptr for all.
  bool DoCommand(model::WDItem* item, uint16_t command, bool queryOnly);
  // The commands of the tree on its context item: the item commands, new folder and duplicate.
  static bool IsItemCommand(uint16_t command);
  // CommandTarget: the item commands on the context item.
  bool TakesCommand(uint16_t command) const override { return IsItemCommand(command); }
  CommandState QueryCommand(uint16_t command) override;
  bool RunCommand(uint16_t command) override;

  // ---- drag and drop shared with the folder list
  // The item being dragged inside the program, nullptr when no drag runs.
  static model::WDItem* DraggedItem();
  static void SetDraggedItem(model::WDItem* item);

  // ---- notifications to the views of the tab window
  void NotifyTabs(TabNotify code, const NotifyParam& param = {});
  // The tray animation's step n (frames 7, 8, 9 for the fetching beacons).
  void OnAnimationStep(int n);
  // The program closes: panes store their controls (1229).
  void OnClosing();

  // The parts, for tests and the screenshots.
  QTreeView* Tree() const;
  QLineEdit* FilterBox() const { return m_pFilter; }
  CatalogTreeModel* Model() const { return m_pModel; }
  CMainFrame& Frame() const { return m_frame; }
  // Whether the palette is a high-contrast one (no background picture then).
  static bool IsHighContrast(const QPalette& palette);

 private:
  friend class CatalogTreeWidget;
  friend class TreeFetchTarget;
  QModelIndex ViewIndex(model::WDItem* item) const;
  model::WDItem* ItemAt(const QModelIndex& viewIndex) const;
  void OnSelectionChanged(const QModelIndex& current);
  void OnFetch(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job);
  void OnRenamed(model::WDItem* item, const QString& text);
  // The end of an in-place edit, committed or cancelled.
  void OnEndEdit(model::WDItem* item);
  int ImageFor(model::WDItem* item) const;
  void NewFolder();
  bool Duplicate();
  void ExportContainer(model::WDValue* value);
  void ShowContextMenu(const QPoint& pos);
  void ApplyFilter(const QString& text);
  void SetTabCaption(model::WDItem* item);

  CMainFrame& m_frame;
  engine::WDQvxDoc& m_doc;
  CatalogTreeModel* m_pModel;
  QSortFilterProxyModel* m_pProxy;
  QLineEdit* m_pFilter;
  CatalogTreeWidget* m_pTree;
  std::shared_ptr<TreeFetchTarget> m_target;
  uint32_t m_nLastTabMask = 0;
  model::WDItem* m_pCurrent = nullptr;
  model::WDItem* m_pContext = nullptr;
  bool m_bNewFolderPending = false;
  bool m_bFilling = false;
  bool m_bShowingItem = false;
  // The beacons whose page is being fetched, and the animation frame they show.
  QSet<model::WDItem*> m_fetching;
  int m_nFetchFrame = 7;  // state_image::kNormal
};

// The catalog tree of the frame's views; nullptr before the views exist.
WDTreeView* CatalogTree(const CMainFrame& frame);

}  // namespace quorvex::gui
