#pragma once
// A real TCP server on 127.0.0.1 for tests: it serves one connection on a thread of its own,
// following a script, and records every byte it receives. Every wait of the server is bounded
// (10 seconds), so a test whose client misbehaves fails instead of hanging.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace quorvex::testing {

// The server's side of the one connection.
class ServerConnection {
 public:
  explicit ServerConnection(int fd) : m_fd(fd) {}
  void Send(const std::string& bytes);
  // Sends each piece on its own, with a short pause between, so that the client reads them apart.
  void SendPieces(const std::vector<std::string>& pieces);
  // The next line with its CR LF; empty when the client closed or stayed silent.
  std::string ReadLine();
  // Everything up to and including terminator; empty when it never came.
  std::string ReadUntil(const std::string& terminator);
  // Returns once the client has closed its end (or after the wait limit).
  void WaitForClose();
  void Close();
  const std::string& Received() const { return m_received; }

 private:
  bool Fill();
  int m_fd;
  std::string m_pending;   // received, not yet returned
  std::string m_received;  // everything received
};

class LoopbackServer {
 public:
  using Script = std::function<void(ServerConnection&)>;
  // Listens on a free port of 127.0.0.1 and runs script on the first connection.
  explicit LoopbackServer(Script script);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  uint16_t Port() const { return m_port; }
  // Waits for the script to end and returns all bytes the server received.
  std::string Received();

 private:
  int m_listen = -1;
  uint16_t m_port = 0;
  std::string m_received;
  std::thread m_thread;
};

// Replies of a scripted SMTP server. An empty reply means the server says nothing at that step.
struct SmtpScript {
  std::vector<std::string> greeting{"220 test.local ready\r\n"};  // sent piece by piece, with pauses
  std::string helo = "250 hello\r\n";
  std::string mail = "250 sender ok\r\n";
  std::map<std::string, std::string> rcpt{};  // reply by address; others get "250 recipient ok"
  std::string data = "354 send it\r\n";
  std::string end = "250 queued\r\n";
  std::string quit = "221 bye\r\n";
  bool closeAfterGreeting = false;
  int replyDelayMs = 0;  // a pause before every reply after the greeting
};

// A script that plays an SMTP server with the given replies.
LoopbackServer::Script SmtpDialogue(SmtpScript script);

}  // namespace quorvex::testing
