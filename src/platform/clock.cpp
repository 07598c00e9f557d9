#include "platform/clock.h"

#include <atomic>
#include <ctime>

namespace quorvex::platform {
namespace {
std::atomic<int64_t> g_fixed{-1};
}

int64_t Now() {
  int64_t fixed = g_fixed.load();
  return fixed >= 0 ? fixed : static_cast<int64_t>(std::time(nullptr));
}

void SetFixedNow(int64_t seconds) {
  g_fixed.store(seconds);
}

}  // namespace quorvex::platform
