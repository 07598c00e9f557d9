#include "gui/views/catalog_views.h"

#include "gui/shell/main_frame.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/control_tab.h"
#include "gui/views/graph_view.h"
#include "gui/views/hist_control.h"
#include "gui/views/screen_tab.h"
#include "gui/views/time_line_view.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"

namespace quorvex::gui {

ViewFactory CatalogViewFactory(CMainFrame& frame) {
  return [&frame](int objectId, QWidget* parent) -> QWidget* {
    switch (objectId) {
      case view_ids::kCatalogTree:
        return new WDTreeView(frame, parent);
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
  if (WDTreeView* tree = CatalogTree(frame)) tree->OnInitialUpdate();
}

}  // namespace quorvex::gui
