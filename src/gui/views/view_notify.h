#pragma once
// The notifications that pass between the catalog tree and the views of the tab window.
//
// The catalog tree is the hub: whatever happens to the catalog or to its selection, it tells the
// views of the right-hand tab window through TVisualFramework::Notify, which hands the code and
// its parameter synchronously, on the UI thread, to every view that implements NotifyReceiver,
// tab by tab and within a tab row by row (in the order of the view ids, gui/views/view_ids.h).
// A view may also notify chosen views only (TVisualFramework::NotifyObjects): the time-line of a
// history tab tells the panes beside it which sample was chosen.
//
// Codes and their parameter (fields not named are left empty):
//
//   1224 BeaconInserted     item: a beacon just inserted into the folder that is selected
//   1225 ItemDeleting       item: a beacon about to be deleted (still valid during the call)
//   1226 Changed            after a drop, a rename or a duplication in the tree (no parameter);
//                           from a time-line, sender = that time-line (ask it for the chosen
//                           sample); from the history strip's toggles (no parameter)
//   1227 PageFetch          address: a copy of the page address whose fetch started or finished
//   1229 Closing            the program is closing: panes store their controls
//   1230 Reload             the current item changed outside the tree's selection: views load
//                           it again, as after a selection change
//   1231 Store              panes store their controls into the current item now
//   1232 SelectionApplied   the tree's selection changed: views show the new current item
//   1233 SelectionChanging  the selection is about to change: panes store into the old item
//   1234 FetchFailed        result: the non-zero fetch result for the selected beacon's address
//   1235 DataArriving       data is arriving for the selected beacon's address
//
// What the views do with them, as a guide for new views:
//   lists (folder list, time-line): 1226, 1227, 1230, 1232 rebuild; 1224 and 1225 add or drop the
//     folder list's row, 1227 updates the rows of that address; 1231 and 1233 are swallowed;
//   graph: 1226 centres on the sample given (or on now), 1227 rescales, 1230 and 1232 rescale and
//     centre on now; everything else is ignored;
//   property panes: 1226, 1227, 1234 load while the pane's tab is shown (IsOnActiveTab);
//     1229, 1231, 1233 store; 1230, 1232 load; 1224, 1225 nothing.
// The beacon a view shows is always the tree's current item, looked up when a notification comes:
// no view keeps a pointer to it from one notification to the next.
#include <string>

class QObject;

namespace quorvex::model {
class WDItem;
}

namespace quorvex::gui {

enum class TabNotify : int {
  BeaconInserted = 1224,
  ItemDeleting = 1225,
  Changed = 1226,
  PageFetch = 1227,
  Closing = 1229,
  Reload = 1230,
  Store = 1231,
  SelectionApplied = 1232,
  SelectionChanging = 1233,
  FetchFailed = 1234,
  DataArriving = 1235,
};

// The parameter of a notification; which field is set depends on the code (table above). The
// parameter lives only for the call: a receiver that keeps any of it copies it, and never keeps
// the item pointer beyond the call (the item may be deleted right after 1225).
struct NotifyParam {
  model::WDItem* item = nullptr;  // not owned
  std::string address;
  int result = 0;
  QObject* sender = nullptr;  // the view that sent it, when a view did; not owned
};

// What a property pane does with a notification (the guide above): store its fields into the current
// item, load them from it, load them again only while its tab is shown, or nothing.
enum class PaneStep { None, Store, Load, Reload };

inline PaneStep PaneStepOf(TabNotify code) {
  switch (code) {
    case TabNotify::Closing:
    case TabNotify::Store:
    case TabNotify::SelectionChanging:
      return PaneStep::Store;
    case TabNotify::Reload:
    case TabNotify::SelectionApplied:
      return PaneStep::Load;
    case TabNotify::Changed:
    case TabNotify::PageFetch:
    case TabNotify::FetchFailed:
      return PaneStep::Reload;
    default:
      return PaneStep::None;
  }
}

// A pane's answer to a notification: update(true) stores, update(false) loads; a reload loads only
// when mayReload holds. True when the pane acted.
template <class Update>
bool FollowPaneStep(TabNotify code, bool mayReload, Update update) {
  switch (PaneStepOf(code)) {
    case PaneStep::Store:
      return update(true);
    case PaneStep::Load:
      return update(false);
    case PaneStep::Reload:
      return mayReload && update(false);
    default:
      return false;
  }
}

// Implemented by every view of the tab window (next to QWidget) to take part in the protocol.
class NotifyReceiver {
 public:
  virtual ~NotifyReceiver() = default;
  // Called on the UI thread. Returns true when the view acted on the code. A receiver may notify
  // other views from here, and may hide or delete views other than itself; it must not destroy
  // the framework or itself.
  virtual bool OnNotify(TabNotify code, const NotifyParam& param) = 0;
};

}  // namespace quorvex::gui
