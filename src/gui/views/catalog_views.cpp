#include "gui/views/catalog_views.h"

#include "gui/shell/main_frame.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/textview/beacon_view.h"
#include "gui/textview/note_view.h"
#include "gui/textview/pattern_edit.h"
#include "gui/textview/source_view.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/control_tab.h"
#include "gui/views/graph_view.h"
#include "gui/views/hist_control.h"
#include "gui/views/link_address.h"
#include "gui/views/link_control.h"
#include "gui/views/link_tab.h"
#include "gui/views/screen_tab.h"
#include "gui/views/time_line_view.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"

namespace quorvex::gui {

namespace {

// The link tab's test button follows what the page-source pane shows; a value found in another page
// (or the same under another character set) would mislead.
QWidget* MakeLinkSource(CMainFrame& frame, QWidget* parent) {
  auto* source = new WDSourceView(frame, parent);
  QObject::connect(source, &WDSourceView::PageChanged, source, [&frame] {
    if (WDBeaconView* value = FindLinkPanes(frame).value) value->clear();
    UpdateTestButton(frame);
  });
  QObject::connect(source, &WDTextView::KeyReleased, source, [&frame] { UpdateTestButton(frame); });
  return source;
}

}  // namespace

ViewFactory CatalogViewFactory(CMainFrame& frame) {
  return [&frame](int objectId, QWidget* parent) -> QWidget* {
    switch (objectId) {
      case view_ids::kCatalogTree:
        return new WDTreeView(frame, parent);
      case view_ids::kBeaconText:
        return new WDBeaconView(frame, WDBeaconView::Role::BeaconValue, parent);
      case view_ids::kNote:
        return new WDNoteView(frame, parent);
      case view_ids::kHistoryText:
        return new WDBeaconView(frame, WDBeaconView::Role::HistoryValue, parent);
      case view_ids::kLinkAddress:
        return new WDLEAddress(frame, parent);
      case view_ids::kLinkSource:
        return MakeLinkSource(frame, parent);
      case view_ids::kLinkPattern:
        return new WDPatternEdit(frame, parent);
      case view_ids::kLinkValue:
        return new WDBeaconView(frame, WDBeaconView::Role::TestValue, parent);
      case view_ids::kLinkControl:
        return new WDLEControl(frame, parent);
      case view_ids::kFolderList:
        return new WDBcnListView(frame, parent);
      case view_ids::kBeaconScreen:
      case view_ids::kGraphScreen:
        return new WDScreenTab(frame, parent);
      case view_ids::kControl:
        return new WDControlTab(frame, parent);
      case view_ids::kTextHistControl:
      case view_ids::kGraphHistControl:
        return new WDHistControl(frame, parent);
      case view_ids::kTextTimeLine:
      case view_ids::kGraphTimeLine:
        return new WDTimeLineView(frame, parent);
      case view_ids::kBeaconGraph:
      case view_ids::kHistoryGraph:
        return new WDGraphView(
            [&frame]() -> model::WDItem* {
              WDTreeView* tree = CatalogTree(frame);
              return tree ? tree->GetSelectedItem() : nullptr;
            },
            parent);
      default:
        return nullptr;
    }
  };
}

void InitialUpdateViews(CMainFrame& frame) {
  // The text history tab's strip holds the display flags of the sample pane beneath it.
  auto* strip = qobject_cast<WDHistControl*>(frame.Views().GetObject(view_ids::kTextHistControl));
  auto* sample = qobject_cast<WDBeaconView*>(frame.Views().GetObject(view_ids::kHistoryText));
  if (strip && sample) {
    QObject::connect(strip, &WDHistControl::DisplayFlagsChanged, sample, &WDBeaconView::SetDisplayFlags);
  }
  WDTreeView* tree = CatalogTree(frame);
  if (!tree) return;
  QObject::connect(frame.Views().TabWindow(), &TTabWnd::ActiveTabChanged, tree, &WDTreeView::OnActiveTabChanged);
  tree->OnInitialUpdate();
}

}  // namespace quorvex::gui
