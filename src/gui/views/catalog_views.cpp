#include "gui/views/catalog_views.h"

#include "gui/shell/main_frame.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"

namespace quorvex::gui {

ViewFactory CatalogViewFactory(CMainFrame& frame) {
  return [&frame](int objectId, QWidget* parent) -> QWidget* {
    switch (objectId) {
      case view_ids::kCatalogTree:
        return new WDTreeView(frame, parent);
      default:
        return nullptr;
    }
  };
}

void InitialUpdateViews(CMainFrame& frame) {
  if (WDTreeView* tree = CatalogTree(frame)) tree->OnInitialUpdate();
}

}  // namespace quorvex::gui
