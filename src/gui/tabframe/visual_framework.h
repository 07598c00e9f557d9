#pragma once
// The view framework of the main window's client area: builds the splitters, the tab window and
// the views (layout and object ids in gui/views/view_ids.h), finds any of them by id and carries
// the catalog tree's notifications (gui/views/view_notify.h) to the views of the tab window.
//
// Views come from a factory, so that a real view replaces a placeholder without a change here:
// the factory is asked for every view id (view_ids::kFirstView..kLastView) and for the catalog tree
// (view_ids::kCatalogTree); for an id it does not make (it returns nullptr) a PlaceholderView
// stands in. Every view gets the property view_ids::kObjectIdProperty, and the objectName
// "view<id>" when the factory left it empty; the view of view_ids::kLinkControl is marked as the
// test bar (MarkLEControl) whatever it is.
//
// All widgets belong to the parent given to Create (Qt ownership); the framework holds only
// guarded pointers, so it may outlive them or die first. UI thread only.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "gui/views/view_notify.h"

namespace quorvex::gui {

class TTabWnd;
class WDSplitterWnd;
struct LayoutNode;

// Width of the catalog tree's column when the settings give none.
inline constexpr int kDefaultSplitterPos = 202;

// Makes the view of objectId as a child of parent, or returns nullptr to get a placeholder.
using ViewFactory = std::function<QWidget*(int objectId, QWidget* parent)>;

class TVisualFramework {
 public:
  explicit TVisualFramework(ViewFactory factory = {});
  TVisualFramework(const TVisualFramework&) = delete;
  TVisualFramework& operator=(const TVisualFramework&) = delete;

  // Builds the layout inside parent (the caller puts the returned main splitter into its layout)
  // with the tree's column leftWidth pixels wide, and sets the tab labels. Only once; a second call
  // returns the existing splitter.
  WDSplitterWnd* Create(QWidget* parent, int leftWidth = kDefaultSplitterPos);

  // The object of id (a view, a splitter or the tab window); nullptr for an unknown id, before
  // Create, or after the object was destroyed.
  QWidget* GetObject(int id) const;
  TTabWnd* TabWindow() const;
  WDSplitterWnd* MainSplitter() const;

  // The tab labels from the language texts: folder list, beacon, beacon, note, control, history,
  // history, link. Called again after the language changed.
  void SetTabLabels();

  // Hands the notification to every view of the tab window that implements NotifyReceiver, tab by
  // tab and row by row (ascending view id), synchronously. Returns how many views acted on it.
  int Notify(TabNotify code, const NotifyParam& param) const;
  // The same for the views with the given ids only, in the order given; ids of destroyed views or
  // of objects that are no receivers are skipped.
  int NotifyObjects(TabNotify code, const NotifyParam& param, const std::vector<int>& ids) const;

 private:
  QWidget* Build(const LayoutNode& node, QWidget* parent);
  QWidget* MakeView(int id, QWidget* parent);
  void Register(int id, QWidget* object);

  ViewFactory m_factory;
  std::map<int, QPointer<QWidget>> m_objects;
  std::vector<int> m_viewIds;  // the tab window's views in delivery order
  QPointer<TTabWnd> m_pTabWnd;
  QPointer<WDSplitterWnd> m_pMainSplitter;
};

}  // namespace quorvex::gui
