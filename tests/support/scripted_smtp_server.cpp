#include "support/scripted_smtp_server.h"

#include <poll.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/loopback.h"

namespace quorvex::testing {
namespace {
constexpr int kWaitMs = 10000;

bool WaitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, kWaitMs) > 0;
}
}  // namespace

void ServerConnection::Send(const std::string& bytes) {
  SendAll(m_fd, bytes);
}

void ServerConnection::SendPieces(const std::vector<std::string>& pieces) {
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(30));
    Send(pieces[i]);
  }
}

bool ServerConnection::Fill() {
  if (m_fd < 0 || !WaitReadable(m_fd)) return false;
  char buf[4096];
  ssize_t n = ::recv(m_fd, buf, sizeof buf, 0);
  if (n <= 0) return false;
  m_pending.append(buf, static_cast<size_t>(n));
  m_received.append(buf, static_cast<size_t>(n));
  return true;
}

std::string ServerConnection::ReadUntil(const std::string& terminator) {
  size_t at;
  while ((at = m_pending.find(terminator)) == std::string::npos) {
    if (!Fill()) return std::string();
  }
  std::string out = m_pending.substr(0, at + terminator.size());
  m_pending.erase(0, out.size());
  return out;
}

std::string ServerConnection::ReadLine() {
  return ReadUntil("\r\n");
}

void ServerConnection::WaitForClose() {
  while (Fill()) {
  }
}

void ServerConnection::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

LoopbackServer::LoopbackServer(Script script) {
  sockaddr_in addr{};
  m_listen = BindLoopback(addr);
  if (m_listen < 0 || ::listen(m_listen, 4) != 0) throw std::runtime_error("loopback server: cannot listen");
  m_port = ntohs(addr.sin_port);
  m_thread = std::thread([this, script = std::move(script)] {
    if (!WaitReadable(m_listen)) return;
    int fd = ::accept(m_listen, nullptr, nullptr);
    if (fd < 0) return;
    ServerConnection connection(fd);
    script(connection);
    connection.Close();
    m_received = connection.Received();
  });
}

LoopbackServer::~LoopbackServer() {
  if (m_thread.joinable()) m_thread.join();
  if (m_listen >= 0) ::close(m_listen);
}

std::string LoopbackServer::Received() {
  if (m_thread.joinable()) m_thread.join();
  return m_received;
}

LoopbackServer::Script SmtpDialogue(SmtpScript script) {
  return [script = std::move(script)](ServerConnection& c) {
    c.SendPieces(script.greeting);
    if (script.closeAfterGreeting) return;
    for (;;) {
      std::string line = c.ReadLine();
      if (line.empty()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(script.replyDelayMs));
      std::string verb = line.substr(0, 4);
      if (verb == "HELO") {
        c.Send(script.helo);
      } else if (verb == "MAIL") {
        c.Send(script.mail);
      } else if (verb == "RCPT") {
        size_t open = line.find('<'), close = line.find('>');
        std::string address =
            open != std::string::npos && close != std::string::npos ? line.substr(open + 1, close - open - 1) : "";
        auto it = script.rcpt.find(address);
        c.Send(it != script.rcpt.end() ? it->second : "250 recipient ok\r\n");
      } else if (verb == "DATA") {
        c.Send(script.data);
        if (script.data.rfind("354", 0) == 0) {
          if (c.ReadUntil("\r\n.\r\n").empty()) return;
          c.Send(script.end);
        }
      } else if (verb == "QUIT") {
        c.Send(script.quit);
        c.WaitForClose();
        return;
      } else {
        c.Send("500 unknown command\r\n");
      }
    }
  };
}

}  // namespace quorvex::testing
