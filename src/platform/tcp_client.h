#pragma once
// A small blocking TCP client over POSIX sockets. Every wait (connect, send, receive) is bounded by a
// time-out, so a silent or stalled peer never holds the calling thread for longer than asked.
//
// Thread: one thread uses a client from connect to close. Failure: results, never exceptions; the
// client never raises SIGPIPE (sends to a closed peer just fail).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::platform {

enum class TcpStatus {
  Ok,        // bytes were transferred
  Closed,    // the peer closed or reset the connection (receive only)
  TimedOut,  // nothing happened within the time-out
  Failed,    // the socket reported an error, or the client is not connected
};

class TcpClient {
 public:
  TcpClient() = default;
  ~TcpClient();  // closes the connection
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  enum class ConnectResult {
    Ok,
    NoSocket,     // no socket could be created for any address of the host
    Unreachable,  // the name did not resolve, or no address accepted within the time-out
  };
  // Resolves host (a name, a dotted IPv4 or an IPv6 address) and connects to the first of its
  // addresses that accepts within timeout (shared by all addresses). Closes any earlier connection
  // first. Name resolution itself is the system resolver's and is not bounded by timeout.
  // On failure, when error is given, stores a short reason in it.
  ConnectResult Connect(const std::string& host, uint16_t port, std::chrono::milliseconds timeout,
                        std::string* error = nullptr);

  // Sends every byte of data, waiting as needed, at most timeout between two progresses.
  TcpStatus SendAll(std::string_view data, std::chrono::milliseconds timeout);

  // Waits up to timeout for data and appends what one read delivers (at most max bytes) to out.
  TcpStatus Receive(std::string& out, size_t max, std::chrono::milliseconds timeout);

  void Close();
  bool IsOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

}  // namespace quorvex::platform
