#pragma once
// Scheduling priority of the calling thread.

namespace quorvex::platform {

// Lowers the calling thread below normal priority, so background work leaves the interface
// responsive. Best effort: a failure leaves the priority as it was.
void LowerThreadPriority();

}  // namespace quorvex::platform
