#include "mail/smtp_session.h"

#include <unistd.h>

#include <algorithm>

#include "mail/mime_text.h"
#include "mail/smtp_reply.h"
#include "text/host_port.h"

namespace quorvex::mail {
namespace {

using Clock = std::chrono::steady_clock;

struct ExpectedReply {
  int code;
  const char* message;
};

constexpr ExpectedReply kExpected[] = {
    {250, "SMTP server error"},
    {220, "SMTP server not available"},
    {354, "SMTP server not ready for data"},
    {221, "SMTP server didn't terminate session"},
};

// A reply longer than this is not a reply of a sane server, and waiting for its end could go on
// forever.
constexpr size_t kMaxReplyBytes = 64 * 1024;
constexpr size_t kReadBytes = 1024;

std::string LocalHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

}  // namespace

CSmtpSession::CSmtpSession(const std::string& server, unsigned port, std::chrono::milliseconds timeout)
    : m_nPort(port), m_timeout(timeout.count() > 0 ? timeout : kDefaultTimeout) {
  text::HostPort address;
  m_bServerValid = text::ParseHostPort(TrimText(server), address);
  m_strServer = address.host;
  if (address.port != 0) m_nPort = address.port;
}

CSmtpSession::~CSmtpSession() {
  Disconnect();
}

std::chrono::milliseconds CSmtpSession::Wait() const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
  return std::clamp(left, std::chrono::milliseconds(0), m_timeout);
}

void CSmtpSession::Send(const std::string& text, bool command) {
  // A failed send shows itself as a failed read of the reply that follows.
  if (m_transcript && command) m_transcript(">> " + text.substr(0, text.find_last_not_of("\r\n") + 1));
  const auto wait = Wait();
  if (wait.count() > 0) m_socket.SendAll(text, wait);
}

void CSmtpSession::CloseSocket() {
  m_socket.Close();
  m_strReply.clear();
}

bool CSmtpSession::ReadReply(int index) {
  // The time-out bounds the whole reply, so a server that trickles bytes cannot hold us either.
  const auto deadline = Clock::now() + Wait();
  SmtpReply reply = ScanSmtpReply(m_strReply, false);
  while (!reply.complete) {
    if (m_strReply.size() > kMaxReplyBytes) {
      m_strError = "Socket Error";
      return false;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    platform::TcpStatus status =
        left.count() > 0 ? m_socket.Receive(m_strReply, kReadBytes, left) : platform::TcpStatus::TimedOut;
    if (status == platform::TcpStatus::TimedOut || status == platform::TcpStatus::Failed) {
      m_strError = "Socket Error";
      return false;
    }
    reply = ScanSmtpReply(m_strReply, status == platform::TcpStatus::Closed);
  }
  m_strReply.erase(0, reply.length);
  if (m_transcript) m_transcript("<< " + std::to_string(reply.code));
  const ExpectedReply& expected = kExpected[index];
  if (reply.code != expected.code) {
    m_strError = std::to_string(reply.code) + ":" + expected.message;
    return false;
  }
  return true;
}

bool CSmtpSession::Connect() {
  if (m_bConnected) return true;
  m_strReply.clear();
  if (!m_bServerValid || m_strServer.empty() || m_nPort == 0 || m_nPort > 65535) {
    m_strError = "Unable to connect to server";
    return false;
  }
  m_deadline = Clock::now() + kOverallTimeouts * m_timeout;
  switch (m_socket.Connect(m_strServer, static_cast<uint16_t>(m_nPort), m_timeout)) {
    case platform::TcpClient::ConnectResult::Ok:
      break;
    case platform::TcpClient::ConnectResult::NoSocket:
      m_strError = "Unable to create the socket.";
      return false;
    case platform::TcpClient::ConnectResult::Unreachable:
      m_strError = "Unable to connect to server";
      return false;
  }
  if (!ReadReply(ReplyGreeting)) {
    m_strError = "Server didn't respond.";
    CloseSocket();
    return false;
  }
  Send("HELO " + LocalHostName() + "\r\n");
  if (!ReadReply(ReplyOk)) {
    CloseSocket();
    return false;
  }
  m_bConnected = true;
  return true;
}

bool CSmtpSession::SendMail(CMailMessage& message) {
  if (!m_bConnected) {
    m_strError = "Must be connected";
    return false;
  }
  if (!PrepareMessage(message)) return false;
  return Transmit(message);
}

bool CSmtpSession::PrepareMessage(CMailMessage& message) {
  if (message.GetRecipientCount(RecipientTo) == 0) {
    m_strError = "No Recipients";
    return false;
  }
  message.Compose();
  return true;
}

bool CSmtpSession::Transmit(CMailMessage& message) {
  if (!m_bConnected) {
    m_strError = "Must be connected";
    return false;
  }
  Send("MAIL From: <" + message.m_strFrom + ">\r\n");
  if (!ReadReply(ReplyOk)) return false;
  for (int kind : {RecipientTo, RecipientCc, RecipientBcc}) {
    std::string address, name;
    for (int i = 0; message.GetRecipient(address, name, i, kind); ++i) {
      Send("RCPT TO: <" + address + ">\r\n");
      ReadReply(ReplyOk);  // a refused recipient leaves its text but does not stop the others
    }
  }
  Send("DATA\r\n");
  if (!ReadReply(ReplyData)) return false;
  Send(message.GetHeader(), false);
  Send(StuffBody(message.m_strBody), false);
  Send("\r\n.\r\n", false);
  return ReadReply(ReplyOk);
}

bool CSmtpSession::Disconnect() {
  if (!m_bConnected) return true;
  Send("QUIT\r\n");
  bool ok = ReadReply(ReplyQuit);
  CloseSocket();
  m_bConnected = false;
  return ok;
}

std::string CSmtpSession::StuffBody(const std::string& body) {
  std::string out;
  out.reserve(body.size() + body.size() / 64 + 8);
  bool lineStart = true;
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (lineStart && c == '.') out += '.';
    if (c == '\n' && (i == 0 || body[i - 1] != '\r')) out += '\r';
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

}  // namespace quorvex::mail
