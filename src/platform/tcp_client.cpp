#include "platform/tcp_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quorvex::platform {
namespace {

using Clock = std::chrono::steady_clock;

// Waits for events on fd until deadline; EINTR restarts the wait with the time that is left.
// Returns the revents, 0 on time-out, -1 on error.
int WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd p{fd, events, 0};
    int r = ::poll(&p, 1, static_cast<int>(left > 0x7fffffff ? 0x7fffffff : left));
    if (r > 0) return p.revents;
    if (r == 0) return 0;
    if (errno != EINTR) return -1;
  }
}

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Starts a non-blocking connect to one address and waits for its outcome. Sets socketMade when a
// socket could be created.
int ConnectOne(const addrinfo* ai, Clock::time_point deadline, bool& socketMade, std::string* error) {
  int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
  if (fd < 0) {
    SetError(error, std::strerror(errno));
    return -1;
  }
  socketMade = true;
  if (::connect(fd, ai->ai_addr, ai->ai_addrlen) == 0) return fd;
  if (errno != EINPROGRESS) {
    SetError(error, std::strerror(errno));
    ::close(fd);
    return -1;
  }
  int ev = WaitFor(fd, POLLOUT, deadline);
  if (ev <= 0) {
    SetError(error, ev == 0 ? "connection timed out" : std::strerror(errno));
    ::close(fd);
    return -1;
  }
  int soerr = 0;
  socklen_t len = sizeof soerr;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soerr, &len) != 0 || soerr != 0) {
    SetError(error, std::strerror(soerr ? soerr : errno));
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

TcpClient::~TcpClient() {
  Close();
}

TcpClient::ConnectResult TcpClient::Connect(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                                            std::string* error) {
  Close();
  auto deadline = Clock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* list = nullptr;
  std::string service = std::to_string(port);
  int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
  if (rc != 0) {
    SetError(error, ::gai_strerror(rc));
    return ConnectResult::Unreachable;
  }
  bool socketMade = false;
  for (const addrinfo* ai = list; ai && m_fd < 0; ai = ai->ai_next) {
    m_fd = ConnectOne(ai, deadline, socketMade, error);
  }
  ::freeaddrinfo(list);
  if (m_fd < 0) return socketMade ? ConnectResult::Unreachable : ConnectResult::NoSocket;
  // Commands are short and each waits for its answer: do not let Nagle hold them back.
  int one = 1;
  ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return ConnectResult::Ok;
}

TcpStatus TcpClient::SendAll(std::string_view data, std::chrono::milliseconds timeout) {
  if (m_fd < 0) return TcpStatus::Failed;
  while (!data.empty()) {
    ssize_t n = ::send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (n > 0) {
      data.remove_prefix(static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      int ev = WaitFor(m_fd, POLLOUT, Clock::now() + timeout);
      if (ev == 0) return TcpStatus::TimedOut;
      if (ev < 0) return TcpStatus::Failed;
      continue;
    }
    return TcpStatus::Failed;
  }
  return TcpStatus::Ok;
}

TcpStatus TcpClient::Receive(std::string& out, size_t max, std::chrono::milliseconds timeout) {
  if (m_fd < 0 || max == 0) return TcpStatus::Failed;
  auto deadline = Clock::now() + timeout;
  for (;;) {
    size_t old = out.size();
    out.resize(old + max);
    ssize_t n = ::recv(m_fd, out.data() + old, max, 0);
    out.resize(old + (n > 0 ? static_cast<size_t>(n) : 0));
    if (n > 0) return TcpStatus::Ok;
    if (n == 0) return TcpStatus::Closed;
    if (errno == EINTR) continue;
    // A peer that closes while our last words are still on their way answers them with a reset:
    // whether the close or the reset is seen first is chance, and both mean the peer has gone.
    if (errno == ECONNRESET) return TcpStatus::Closed;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return TcpStatus::Failed;
    int ev = WaitFor(m_fd, POLLIN, deadline);
    if (ev == 0) return TcpStatus::TimedOut;
    if (ev < 0) return TcpStatus::Failed;
  }
}

void TcpClient::Close() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
}

}  // namespace quorvex::platform
