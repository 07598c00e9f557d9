#pragma once
// Loopback sockets for tests. Tests talk to servers on loopback directly: a proxy from the environment
// must not get in between (libcurl honours these variables when no proxy is configured).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace quorvex::testing {

inline void ClearProxyEnvironment() {
  for (const char* name :
       {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    ::unsetenv(name);
  }
}

// A TCP socket bound to a free port of 127.0.0.1, which address receives; -1 on failure.
inline int BindLoopback(sockaddr_in& address) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    return fd;
  }
  if (fd >= 0) ::close(fd);
  return -1;
}

// Sends all of bytes on the socket fd; false when the peer is gone.
inline bool SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// A port of 127.0.0.1 that was free a moment ago and has no listener.
inline uint16_t ClosedLoopbackPort() {
  sockaddr_in address{};
  int fd = BindLoopback(address);
  if (fd >= 0) ::close(fd);
  return ntohs(address.sin_port);
}

}  // namespace quorvex::testing
