#pragma once
// The real views of the main window's client area: the factory that the frame hands to
// TVisualFramework, and their first update once the whole layout exists. Ids the factory does not
// make yet get placeholders.
#include "gui/tabframe/visual_framework.h"

namespace quorvex::gui {

class CMainFrame;

// Makes the catalog tree and the views of the tab window; frame outlives them.
ViewFactory CatalogViewFactory(CMainFrame& frame);
// The first update of the views, after the framework built them all (the tree fills itself and
// shows the root, which tells the other views).
void InitialUpdateViews(CMainFrame& frame);

}  // namespace quorvex::gui
