#pragma once
// Runs what worker threads post to the core's dispatcher on the Qt event loop.
#include <memory>

#include "engine/dispatcher.h"

namespace quorvex::gui {

// From now on every post schedules a drain on the UI thread. A drain never runs inside another (a
// message box opened by a closure runs a nested loop): posts made meanwhile wait for the outer drain
// to finish, so closures keep their order. Call StopPumping before the dispatcher's users go away.
void StartPumping(const std::shared_ptr<engine::Dispatcher>& dispatcher);
void StopPumping(const std::shared_ptr<engine::Dispatcher>& dispatcher);

}  // namespace quorvex::gui
