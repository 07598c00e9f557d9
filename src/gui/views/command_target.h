#pragma once
// Views that take item commands of the menus, tool bar and accelerators. The main frame offers a
// command to the view that has the keyboard focus (or contains the focus widget), and to the
// catalog tree when that view does not take it, the way a document window routes commands to its
// active view first.
#include <cstdint>

namespace quorvex::gui {

struct CommandState {
  bool enabled = false;
  bool checked = false;
};

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  // Whether this view takes command at all (else the frame asks the next target).
  virtual bool TakesCommand(uint16_t command) const = 0;
  virtual CommandState QueryCommand(uint16_t command) = 0;
  // Runs an enabled command; false when it did not run.
  virtual bool RunCommand(uint16_t command) = 0;
};

}  // namespace quorvex::gui
