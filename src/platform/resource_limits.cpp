#include "platform/resource_limits.h"

#include <sys/resource.h>

#include <mutex>

namespace quorvex::platform {

void RaiseOpenFileLimit() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
  });
}

}  // namespace quorvex::platform
