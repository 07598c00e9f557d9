#pragma once
// The link tab (tab 7): how its panes find each other and work together. The address strip (14)
// fetches into the page-source pane (15); the pattern pane (16) holds the pattern; the test bar (18)
// runs the pattern over the page and shows the value in the value pane (17), selecting it in the
// source. The panes are found through the frame's views by id each time, never kept. UI thread only.
#include <cstddef>
#include <cstdint>

namespace quorvex::model {
class WDValue;
}

namespace quorvex::gui {

class CMainFrame;
class WDBeaconView;
class WDLEAddress;
class WDLEControl;
class WDPatternEdit;
class WDSourceView;

struct LinkPanes {
  WDLEAddress* address = nullptr;
  WDSourceView* source = nullptr;
  WDPatternEdit* pattern = nullptr;
  WDBeaconView* value = nullptr;
  WDLEControl* control = nullptr;
};

// The panes of the frame's link tab; a pane that does not exist is nullptr.
LinkPanes FindLinkPanes(const CMainFrame& frame);
// The beacon the tabs show (the tree's current item when it is a beacon), else nullptr.
model::WDValue* CurrentBeacon(const CMainFrame& frame);

// The page limit of the fetches (the current session's, else the default).
size_t CurrentPageLimit();

// Whether the test can run: the source shows a page, the pattern pane holds a pattern and the beacon
// is no checksum beacon.
bool CanTestPattern(const CMainFrame& frame);
// Enables the test button by CanTestPattern.
void UpdateTestButton(const CMainFrame& frame);

// The test of the test button: empties the value pane, runs the pattern pane's pattern over the
// source's page as a check would, and on success shows the value and selects its first line in the
// source (which takes the focus); on failure shows the matcher's message. Returns the matcher's
// result, or -1 when the panes are missing.
int32_t RunPatternTest(const CMainFrame& frame);

}  // namespace quorvex::gui
