#pragma once
// The real views of the main window's client area: the factory that the frame hands to
// TVisualFramework. Ids it does not make yet get placeholders.
#include "gui/tabframe/visual_framework.h"

namespace quorvex::gui {

class CMainFrame;

// Makes the catalog tree, the folder list, the time-lines and the other views; frame outlives them.
ViewFactory CatalogViewFactory(CMainFrame& frame);

}  // namespace quorvex::gui
