#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace quorvex::platform {
namespace {

constexpr int kBelowNormal = 5;
constexpr int kLowestNice = 19;

}  // namespace

void LowerThreadPriority() {
  // On Linux the nice value belongs to the thread named by its id, not to the whole process.
  const id_t self = static_cast<id_t>(gettid());
  errno = 0;
  int nice = getpriority(PRIO_PROCESS, self);
  if (nice == -1 && errno != 0) return;
  setpriority(PRIO_PROCESS, self, std::min(nice + kBelowNormal, kLowestNice));
}

}  // namespace quorvex::platform
