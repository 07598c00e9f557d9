#pragma once
// Tests talk to servers on loopback directly: a proxy from the environment must not get in between
// (libcurl honours these variables when no proxy is configured).
#include <cstdlib>

namespace quorvex::testing {

inline void ClearProxyEnvironment() {
  for (const char* name :
       {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    ::unsetenv(name);
  }
}

}  // namespace quorvex::testing
