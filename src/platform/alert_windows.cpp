#include "platform/alert_windows.h"

namespace quorvex::platform {
namespace {
AlertWindowHost* g_host = nullptr;
}

AlertWindowHost* AlertWindows() {
  return g_host;
}

void SetAlertWindows(AlertWindowHost* host) {
  g_host = host;
}

}  // namespace quorvex::platform
