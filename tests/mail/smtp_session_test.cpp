#include "mail/smtp_session.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "mail/multipart_message.h"
#include "support/scripted_smtp_server.h"

namespace quorvex::mail {
namespace {

using testing::LoopbackServer;
using testing::SmtpDialogue;
using testing::SmtpScript;

constexpr std::chrono::milliseconds kShort{300};

std::string Helo() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "HELO localhost\r\n";
  return std::string("HELO ") + name + "\r\n";
}

void Fill(CMultipartMessage& message, const std::string& to) {
  message.m_strFrom = "monitor@example.com";
  message.m_strSubject = "Alert";
  message.m_strBody = "Value changed";
  message.SetStampTime(1000000000);
  message.SetTimeZone(0, "UTC");
  message.AddRecipientList(to, RecipientTo);
}

TEST(SmtpSession, DeliversEnvelopeHeaderAndStuffedBodyThenQuits) {
  LoopbackServer server(SmtpDialogue({}));
  CMultipartMessage message;
  Fill(message, "Ann <ann@example.com>;bob@example.com");
  message.AddRecipientList("carl@example.com", RecipientCc);
  message.AddRecipientList("dora@example.com", RecipientBcc);
  message.m_strBody = "first\r\n.\r\n.\r\n.hidden\r\nlast";
  {
    CSmtpSession session("127.0.0.1:" + std::to_string(server.Port()), 25);
    ASSERT_TRUE(session.Connect()) << session.GetErrorText();
    EXPECT_TRUE(session.Connect());  // already connected
    ASSERT_TRUE(session.SendMail(message)) << session.GetErrorText();
    EXPECT_EQ(session.GetErrorText(), "OK");
  }
  std::string body = message.m_strBody;
  std::string stuffed = CSmtpSession::StuffBody(body);
  EXPECT_NE(stuffed.find("first\r\n..\r\n..\r\n..hidden\r\nlast\r\n"), std::string::npos);
  EXPECT_EQ(server.Received(), Helo() +
                                   "MAIL From: <monitor@example.com>\r\n"
                                   "RCPT TO: <ann@example.com>\r\n"
                                   "RCPT TO: <bob@example.com>\r\n"
                                   "RCPT TO: <carl@example.com>\r\n"
                                   "RCPT TO: <dora@example.com>\r\n"
                                   "DATA\r\n" +
                                   message.GetHeader() + stuffed + "\r\n.\r\n" + "QUIT\r\n");
  EXPECT_TRUE(stuffed.size() > 2 && stuffed.compare(stuffed.size() - 2, 2, "\r\n") == 0);
}

TEST(SmtpSession, StuffBodyDoublesLeadingDotsAndEndsBareLineFeeds) {
  EXPECT_EQ(CSmtpSession::StuffBody(".\r\nx"), "..\r\nx");
  EXPECT_EQ(CSmtpSession::StuffBody("a\r\n.\r\n.\r\nb"), "a\r\n..\r\n..\r\nb");
  EXPECT_EQ(CSmtpSession::StuffBody("a\r\n.b\r\nc.d\r\n"), "a\r\n..b\r\nc.d\r\n");
  EXPECT_EQ(CSmtpSession::StuffBody("a\n.\nb"), "a\r\n..\r\nb");
  EXPECT_EQ(CSmtpSession::StuffBody(""), "");
}

TEST(SmtpSession, GreetingOtherThan220FailsConnect) {
  SmtpScript script;
  script.greeting = {"554 no service\r\n"};
  LoopbackServer server(SmtpDialogue(script));
  CSmtpSession session("127.0.0.1", server.Port());
  EXPECT_FALSE(session.Connect());
  EXPECT_EQ(session.GetErrorText(), "Server didn't respond.");
  CMultipartMessage message;
  Fill(message, "ann@example.com");
  EXPECT_FALSE(session.SendMail(message));
  EXPECT_EQ(session.GetErrorText(), "Must be connected");
  EXPECT_TRUE(session.Disconnect());
  EXPECT_EQ(server.Received(), "");  // closed without a word
}

TEST(SmtpSession, RefusedHeloFailsConnectWithCode) {
  SmtpScript script;
  script.helo = "500 go away\r\n";
  LoopbackServer server(SmtpDialogue(script));
  {
    CSmtpSession session("127.0.0.1", server.Port());
    EXPECT_FALSE(session.Connect());
    EXPECT_EQ(session.GetErrorText(), "500:SMTP server error");
  }
  EXPECT_EQ(server.Received(), Helo());
}

TEST(SmtpSession, RefusedRecipientDoesNotStopTheMessage) {
  SmtpScript script;
  script.rcpt["bad@example.com"] = "550 no such user\r\n";
  LoopbackServer server(SmtpDialogue(script));
  {
    CSmtpSession session("127.0.0.1", server.Port());
    ASSERT_TRUE(session.Connect());
    CMultipartMessage message;
    Fill(message, "bad@example.com;good@example.com");
    EXPECT_TRUE(session.SendMail(message));
    EXPECT_EQ(session.GetErrorText(), "550:SMTP server error");
  }
  std::string received = server.Received();
  EXPECT_NE(received.find("RCPT TO: <good@example.com>\r\nDATA\r\n"), std::string::npos);
  EXPECT_NE(received.find("\r\n.\r\nQUIT\r\n"), std::string::npos);
}

TEST(SmtpSession, RefusedDataSendsNoMessage) {
  SmtpScript script;
  script.data = "451 try later\r\n";
  LoopbackServer server(SmtpDialogue(script));
  {
    CSmtpSession session("127.0.0.1", server.Port());
    ASSERT_TRUE(session.Connect());
    CMultipartMessage message;
    Fill(message, "ann@example.com");
    EXPECT_FALSE(session.SendMail(message));
    EXPECT_EQ(session.GetErrorText(), "451:SMTP server not ready for data");
  }
  EXPECT_EQ(server.Received(), Helo() +
                                   "MAIL From: <monitor@example.com>\r\nRCPT TO: <ann@example.com>\r\n"
                                   "DATA\r\nQUIT\r\n");
}

TEST(SmtpSession, MessageWithoutToRecipientIsNotSent) {
  LoopbackServer server(SmtpDialogue({}));
  {
    CSmtpSession session("127.0.0.1", server.Port());
    ASSERT_TRUE(session.Connect());
    CMultipartMessage message;
    Fill(message, "");
    message.AddRecipientList("carl@example.com", RecipientCc);
    EXPECT_FALSE(session.SendMail(message));
    EXPECT_EQ(session.GetErrorText(), "No Recipients");
    EXPECT_TRUE(message.GetHeader().empty());
  }
  EXPECT_EQ(server.Received(), Helo() + "QUIT\r\n");
}

// The error text of a Connect against a server playing script, with a short time-out.
std::string ConnectError(const SmtpScript& script) {
  LoopbackServer server(SmtpDialogue(script));
  CSmtpSession session("127.0.0.1", server.Port(), kShort);
  if (session.Connect()) return "connected";
  return session.GetErrorText();
}

TEST(SmtpSession, ServerClosingAfterGreetingFailsHelo) {
  SmtpScript script;
  script.closeAfterGreeting = true;
  EXPECT_EQ(ConnectError(script), "0:SMTP server error");
}

TEST(SmtpSession, SilentOrSlowServerTimesOut) {
  SmtpScript noGreeting;
  noGreeting.greeting.clear();
  EXPECT_EQ(ConnectError(noGreeting), "Server didn't respond.");
  SmtpScript noHelo;
  noHelo.helo.clear();
  EXPECT_EQ(ConnectError(noHelo), "Socket Error");
  {
    SmtpScript script;
    script.quit.clear();
    LoopbackServer server(SmtpDialogue(script));
    CSmtpSession session("127.0.0.1", server.Port(), kShort);
    ASSERT_TRUE(session.Connect());
    EXPECT_FALSE(session.Disconnect());
    EXPECT_EQ(session.GetErrorText(), "Socket Error");
    EXPECT_TRUE(session.Disconnect());  // closed now
  }
  // A server answering every step just in time: the whole delivery has a limit too.
  SmtpScript slow;
  slow.replyDelayMs = 500;
  LoopbackServer server(SmtpDialogue(slow));
  CMultipartMessage message;
  // HELO, MAIL, six RCPT, DATA and the end: every reply in time, all of them together not.
  Fill(message, "a@example.com;b@example.com;c@example.com;d@example.com;e@example.com;f@example.com");
  const auto start = std::chrono::steady_clock::now();
  {
    CSmtpSession session("127.0.0.1", server.Port(), std::chrono::seconds(1));
    ASSERT_TRUE(session.Connect());
    EXPECT_FALSE(session.SendMail(message));
    EXPECT_EQ(session.GetErrorText(), "Socket Error");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5500));
}

TEST(SmtpSession, RepliesInPiecesAndOfManyLinesStayInStep) {
  LoopbackServer server([](testing::ServerConnection& c) {
    c.SendPieces({"22", "0-test.local\r\n220-", "welcome\r\n", "220 ready\r\n"});
    c.ReadLine();  // HELO
    c.Send("250-test.local\r\n250-SIZE 1000\r\n250 HELP\r\n");
    c.ReadLine();  // MAIL
    c.SendPieces({"25", "0 sender ok\r", "\n"});
    c.ReadLine();  // RCPT
    c.Send("250 ok\r\n");
    c.ReadLine();  // DATA
    c.Send("354 go\r\n");
    c.ReadUntil("\r\n.\r\n");
    c.Send("250 queued\r\n");
    c.ReadLine();  // QUIT
    c.Send("221 bye\r\n");
    c.WaitForClose();
  });
  CSmtpSession session("127.0.0.1", server.Port());
  ASSERT_TRUE(session.Connect()) << session.GetErrorText();
  CMultipartMessage message;
  Fill(message, "ann@example.com");
  EXPECT_TRUE(session.SendMail(message)) << session.GetErrorText();
  EXPECT_EQ(session.GetErrorText(), "OK");
  EXPECT_TRUE(session.Disconnect()) << session.GetErrorText();
}

TEST(SmtpSession, ServerNameMayNameThePort) {
  LoopbackServer server(SmtpDialogue({}));
  CSmtpSession session(" 127.0.0.1:" + std::to_string(server.Port()) + " ", 25);
  EXPECT_EQ(session.GetServerName(), "127.0.0.1");
  EXPECT_EQ(session.GetPort(), server.Port());
  EXPECT_TRUE(session.Connect()) << session.GetErrorText();
  EXPECT_TRUE(session.Disconnect());

  CSmtpSession plain("mail.example.com", 25);
  EXPECT_EQ(plain.GetServerName(), "mail.example.com");
  EXPECT_EQ(plain.GetPort(), 25u);
  CSmtpSession v6("[::1]:2525", 25);
  EXPECT_EQ(v6.GetServerName(), "::1");
  EXPECT_EQ(v6.GetPort(), 2525u);
  CSmtpSession bareV6("::1", 25);
  EXPECT_EQ(bareV6.GetServerName(), "::1");
  EXPECT_EQ(bareV6.GetPort(), 25u);
  for (const char* bad : {"127.0.0.1:", "127.0.0.1:smtp", "127.0.0.1:0", "127.0.0.1:70000", "", "[::1"}) {
    CSmtpSession session(bad, 25, kShort);
    EXPECT_FALSE(session.Connect()) << bad;
    EXPECT_EQ(session.GetErrorText(), "Unable to connect to server") << bad;
  }
}

TEST(SmtpSession, NoListenerMeansUnableToConnect) {
  // A port that was just free and has no listener.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
  ::close(fd);
  CSmtpSession session("127.0.0.1", ntohs(addr.sin_port), kShort);
  EXPECT_FALSE(session.Connect());
  EXPECT_EQ(session.GetErrorText(), "Unable to connect to server");
  EXPECT_EQ(CSmtpSession("localhost", 25).GetErrorText(), "OK");
}

}  // namespace
}  // namespace quorvex::mail
