#pragma once
// Wall-clock time in whole seconds since 1970 UTC. Tests may fix the time.
#include <cstdint>

namespace quorvex::platform {

int64_t Now();
// Fixes Now() at seconds (tests); a negative value restores the real clock.
void SetFixedNow(int64_t seconds);

}  // namespace quorvex::platform
