#pragma once
// A small HTTP/1.1 server on loopback for tests: canned answers per request target, with delays,
// pauses, stalls and early closes, recording every request it receives. It also serves as a proxy:
// a proxied request names an absolute address ("GET http://host/path HTTP/1.1"), which is simply the
// target its route is registered under.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvex::testing {

// What the server does with a request.
struct HttpRoute {
  std::vector<std::string> parts;  // raw bytes sent in turn: status line, headers, body, as written
  int delayMs = 0;                 // wait before the first part
  int pauseMs = 0;                 // wait between two parts
  // After the last part keep the connection open until the server stops instead of closing it. With
  // no parts, the server never answers.
  bool holdOpen = false;
};

class HttpTestServer {
 public:
  // Binds 127.0.0.1 on a free port and starts serving on a thread of its own. Every connection gets a
  // thread; each answers one request and closes (unless its route holds it open).
  HttpTestServer();
  // Stops: waits and pauses end at once, connections are closed, threads joined.
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  uint16_t Port() const { return m_port; }
  // "http://127.0.0.1:<port>" followed by path.
  std::string Url(const std::string& path) const;

  // Answers requests for target (the request line's target: "/page?x=1", or "http://host/page" for a
  // proxied request). Targets without a route get a 404 page.
  void Route(const std::string& target, HttpRoute route);
  // Answers target with one raw response.
  void Serve(const std::string& target, const std::string& raw);

  // A complete response with Content-Length and "Connection: close"; extraHeaders are lines ending in
  // CRLF each.
  static std::string Response(const std::string& body, const std::string& extraHeaders = "",
                              const std::string& status = "200 OK");

  // The head (request line and header lines, CRLF kept) of every request received, in order.
  std::vector<std::string> Requests() const;
  // How many of them were GET requests for target.
  size_t GetCount(const std::string& target) const;
  size_t ConnectionCount() const;

  void Stop();

 private:
  void AcceptLoop();
  void Handle(int fd);
  // Sleeps ms, or until the server stops (false then); a negative ms waits for the stop.
  bool Wait(int ms);

  int m_listenFd = -1;
  uint16_t m_port = 0;
  mutable std::mutex m_lock;
  std::condition_variable m_stopping;
  bool m_stop = false;
  std::map<std::string, HttpRoute> m_routes;
  std::vector<std::string> m_requests;
  size_t m_connections = 0;
  std::vector<std::thread> m_handlers;
  std::thread m_acceptor;
};

}  // namespace quorvex::testing
