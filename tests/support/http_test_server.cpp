#include "support/http_test_server.h"

#include <poll.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

#include "support/loopback.h"

namespace quorvex::testing {
namespace {

constexpr int kPollMs = 50;
constexpr size_t kMaxHead = 64 * 1024;

// The target of a request line "GET /x HTTP/1.1".
std::string RequestTarget(const std::string& head) {
  size_t first = head.find(' ');
  if (first == std::string::npos) return std::string();
  size_t second = head.find(' ', first + 1);
  return head.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

}  // namespace

HttpTestServer::HttpTestServer() {
  sockaddr_in address{};
  m_listenFd = BindLoopback(address);
  if (m_listenFd < 0 || listen(m_listenFd, 16) != 0) throw std::runtime_error("test server: cannot listen on loopback");
  m_port = ntohs(address.sin_port);
  m_acceptor = std::thread([this] { AcceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
  Stop();
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void HttpTestServer::Route(const std::string& target, HttpRoute route) {
  std::lock_guard lock(m_lock);
  m_routes[target] = std::move(route);
}

void HttpTestServer::Serve(const std::string& target, const std::string& raw) {
  HttpRoute route;
  route.parts.push_back(raw);
  Route(target, std::move(route));
}

std::string HttpTestServer::Response(const std::string& body, const std::string& extraHeaders,
                                     const std::string& status) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n" +
         extraHeaders + "\r\n" + body;
}

std::vector<std::string> HttpTestServer::Requests() const {
  std::lock_guard lock(m_lock);
  return m_requests;
}

size_t HttpTestServer::GetCount(const std::string& target) const {
  std::lock_guard lock(m_lock);
  return std::count_if(m_requests.begin(), m_requests.end(),
                       [&](const std::string& head) { return head.rfind("GET " + target + " ", 0) == 0; });
}

size_t HttpTestServer::ConnectionCount() const {
  std::lock_guard lock(m_lock);
  return m_connections;
}

void HttpTestServer::Stop() {
  {
    std::lock_guard lock(m_lock);
    if (m_stop) return;
    m_stop = true;
  }
  m_stopping.notify_all();
  if (m_acceptor.joinable()) m_acceptor.join();
  // The acceptor has ended, so no handler is added any more.
  for (std::thread& handler : m_handlers) handler.join();
  if (m_listenFd >= 0) close(m_listenFd);
  m_listenFd = -1;
}

bool HttpTestServer::Wait(int ms) {
  std::unique_lock lock(m_lock);
  auto stopping = [this] { return m_stop; };
  if (ms < 0) {
    m_stopping.wait(lock, stopping);
    return false;
  }
  return !m_stopping.wait_for(lock, std::chrono::milliseconds(ms), stopping);
}

void HttpTestServer::AcceptLoop() {
  while (true) {
    {
      std::lock_guard lock(m_lock);
      if (m_stop) return;
    }
    pollfd waiting{m_listenFd, POLLIN, 0};
    if (poll(&waiting, 1, kPollMs) <= 0) continue;
    int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(m_lock);
    ++m_connections;
    m_handlers.emplace_back([this, fd] { Handle(fd); });
  }
}

void HttpTestServer::Handle(int fd) {
  std::string head;
  char chunk[4096];
  while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHead) {
    pollfd waiting{fd, POLLIN, 0};
    int ready = poll(&waiting, 1, kPollMs);
    if (!Wait(0)) break;
    if (ready <= 0) continue;
    ssize_t n = recv(fd, chunk, sizeof(chunk), 0);
    if (n <= 0) break;
    head.append(chunk, static_cast<size_t>(n));
    // Not a request line (a TLS hello, say): hang up as a plain server would.
    if (!std::isupper(static_cast<unsigned char>(head[0]))) break;
  }
  size_t end = head.find("\r\n\r\n");
  if (end == std::string::npos) {
    close(fd);
    return;
  }
  head.resize(end + 4);
  HttpRoute route;
  {
    std::lock_guard lock(m_lock);
    m_requests.push_back(head);
    auto found = m_routes.find(RequestTarget(head));
    if (found != m_routes.end()) {
      route = found->second;
    } else {
      route.parts.push_back(Response("Not found\n", "", "404 Not Found"));
    }
  }
  bool alive = route.delayMs == 0 || Wait(route.delayMs);
  for (size_t i = 0; alive && i < route.parts.size(); ++i) {
    if (i > 0 && route.pauseMs != 0) alive = Wait(route.pauseMs);
    alive = alive && SendAll(fd, route.parts[i]);
  }
  if (alive && route.holdOpen) Wait(-1);
  shutdown(fd, SHUT_RDWR);
  close(fd);
}

}  // namespace quorvex::testing
