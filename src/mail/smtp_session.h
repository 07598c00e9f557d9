#pragma once
// Delivers composed mail messages to an SMTP relay: plain SMTP (HELO, MAIL, RCPT, DATA, QUIT), no
// extensions, authentication or encryption.
//
// Use: construct, Connect, SendMail, read GetErrorText after a false result; the destructor says
// QUIT. Thread: one thread from construction to destruction. Time: every connect, send and reply waits
// at most the session's time-out, and one delivery (Connect to the end of QUIT) lasts at most the overall
// limit, so a server that answers every step just in time cannot hold the caller for long either; a step
// that finds no time left fails with "Socket Error". Failure: false and an error text; no exception
// leaves the session.
#include <chrono>
#include <functional>
#include <string>

#include "mail/mail_message.h"
#include "platform/tcp_client.h"

namespace quorvex::mail {

class CSmtpSession {
 public:
  static constexpr std::chrono::milliseconds kDefaultTimeout{10000};

  // The overall limit of a delivery, in time-outs.
  static constexpr int kOverallTimeouts = 4;

  // server: a host name, a dotted IPv4 address, an IPv6 address, or any of them followed by
  // ":port" (an IPv6 address then in brackets, "[::1]:2525") to reach a relay that listens
  // elsewhere; port is used when the server names none. A time-out of zero or less means the default;
  // the overall limit is kOverallTimeouts time-outs.
  CSmtpSession(const std::string& server, unsigned port, std::chrono::milliseconds timeout = kDefaultTimeout);
  virtual ~CSmtpSession();
  CSmtpSession(const CSmtpSession&) = delete;
  CSmtpSession& operator=(const CSmtpSession&) = delete;

  // Opens the connection, reads the greeting and says HELO with the local host name. True at once
  // when already connected. On failure the connection is closed again.
  bool Connect();
  // Composes message (once) and runs MAIL, RCPT for every To, Cc and Bcc recipient, and DATA. A
  // refused recipient does not stop the transaction but leaves its error text. False without a
  // connection ("Must be connected") or without a To recipient ("No Recipients").
  bool SendMail(CMailMessage& message);
  std::string GetErrorText() const { return m_strError; }
  // Says QUIT, waits for its answer and closes. True when not connected or when the server
  // answered 221.
  bool Disconnect();

  // Called with each command sent (">> HELO host") and each reply's code ("<< 250"), for users who
  // test their relay. Bodies are not shown.
  void SetTranscript(std::function<void(const std::string&)> transcript) { m_transcript = std::move(transcript); }

  std::string GetServerName() const { return m_strServer; }
  unsigned GetPort() const { return m_nPort; }

  // The body as it goes between DATA and the final dot: every line that begins with "." gets one
  // more in front (the server removes it again), and a bare LF becomes CR LF, so that no line of
  // the text can end the data early.
  static std::string StuffBody(const std::string& body);

  // Rows of the expected-reply table.
  static constexpr int ReplyOk = 0;
  static constexpr int ReplyGreeting = 1;
  static constexpr int ReplyData = 2;
  static constexpr int ReplyQuit = 3;

 protected:
  virtual bool PrepareMessage(CMailMessage& message);
  virtual bool Transmit(CMailMessage& message);

 private:
  bool ReadReply(int index);
  // What a wait may take now: the time-out, or less when the delivery's deadline is nearer.
  std::chrono::milliseconds Wait() const;
  void Send(const std::string& text, bool command = true);
  void CloseSocket();

  std::string m_strError = "OK";
  bool m_bConnected = false;
  unsigned m_nPort;
  std::string m_strServer;
  bool m_bServerValid = true;
  std::chrono::milliseconds m_timeout;
  std::chrono::steady_clock::time_point m_deadline;  // of the delivery, set by Connect
  platform::TcpClient m_socket;
  std::string m_strReply;  // bytes received and not yet taken as a reply
  std::function<void(const std::string&)> m_transcript;
};

}  // namespace quorvex::mail
