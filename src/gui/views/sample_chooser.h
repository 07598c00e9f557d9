#pragma once
// A view that tells which sample of the current beacon the user chose: the time-lines of the history
// tabs, which send 1226 (view_notify.h) with themselves as the sender. The panes beside them ask the
// sender through this interface, so they need not know the time-line's class.
namespace quorvex::model {
class WDHistoryRecord;
}

namespace quorvex::gui {

class SampleChooser {
 public:
  virtual ~SampleChooser() = default;
  // The chosen sample of the tree's current beacon, or nullptr; valid only during the notification.
  virtual const model::WDHistoryRecord* GetSelectedRecord() const = 0;
};

}  // namespace quorvex::gui
