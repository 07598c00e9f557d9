// The SMTP session against scripted servers on loopback, and end to end through a real SMTP server
// (aiosmtpd, run by the system's Python): the bytes it received are compared with what was composed.
#include "mail/smtp_session.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "mail/multipart_message.h"
#include "mail/smtp_reply.h"
#include "support/cli_runner.h"
#include "support/loopback.h"
#include "support/scripted_smtp_server.h"
#include "support/temp_folder.h"

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

TEST(SmtpReply, OneWholeReplyIsFoundAndJudgedByItsLastLine) {
  struct Case {
    std::string bytes;
    bool atEnd;
    bool complete;
    int code;  // and length: checked for complete replies only
    size_t length;
  };
  const Case cases[] = {
      // A one-line reply needs its line end.
      {"", false, false, 0, 0},
      {"25", false, false, 0, 0},
      {"250 ok\r", false, false, 0, 0},
      {"250 ok\r\n354 next", false, true, 250, 8},
      {"221\r\n", false, true, 221, 5},
      {"220 sloppy\n", false, true, 220, 11},
      // Continuation lines run until the last line, whose code counts.
      {"220-first\r\n", false, false, 0, 0},
      {"220-first\r\n220-second\r\n220 la", false, false, 0, 0},
      {"220-first\r\n220-second\r\n220 last\r\nrest", false, true, 220, 33},
      {"250-fine\r\n550 but no\r\n", false, true, 550, 22},
      // Lines without a code end the reply with code 0.
      {"hello there\r\n", false, true, 0, 13},
      {"2x0 odd\r\n", false, true, 0, 9},
      {"\r\n", false, true, 0, 2},
      {"-12 minus\r\n", false, true, 0, 11},
      // A closed connection takes what arrived; a reply that promised more lines and broke off has no code.
      {"", true, true, 0, 0},
      {"221 bye", true, true, 221, 7},
      {"250-more\r\n", true, true, 0, 10},
  };
  for (const Case& c : cases) {
    const SmtpReply reply = ScanSmtpReply(c.bytes, c.atEnd);
    EXPECT_EQ(reply.complete, c.complete) << c.bytes;
    if (!c.complete) continue;
    EXPECT_EQ(reply.code, c.code) << c.bytes;
    EXPECT_EQ(reply.length, c.length) << c.bytes;
  }
}

TEST(SmtpSession, DeliversEnvelopeHeaderAndStuffedBodyThenQuits) {
  LoopbackServer server(SmtpDialogue({}));
  CMultipartMessage message;
  Fill(message, "Ann <ann@example.com>;bob@example.com");
  message.AddRecipientList("carl@example.com", RecipientCc);
  message.AddRecipientList("dora@example.com", RecipientBcc);
  message.m_strBody = "first\r\n.\r\n.\r\n.hidden\r\nlast";
  {
    // The server may name the port, which then wins over the one given.
    CSmtpSession session(" 127.0.0.1:" + std::to_string(server.Port()) + " ", 25);
    ASSERT_TRUE(session.Connect()) << session.GetErrorText();
    EXPECT_TRUE(session.Connect());  // already connected
    ASSERT_TRUE(session.SendMail(message)) << session.GetErrorText();
    EXPECT_EQ(session.GetErrorText(), "OK");
  }
  std::string stuffed = CSmtpSession::StuffBody(message.m_strBody);
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

  // Leading dots are doubled and bare line feeds ended.
  EXPECT_EQ(CSmtpSession::StuffBody(".\r\nx"), "..\r\nx");
  EXPECT_EQ(CSmtpSession::StuffBody("a\r\n.\r\n.\r\nb"), "a\r\n..\r\n..\r\nb");
  EXPECT_EQ(CSmtpSession::StuffBody("a\r\n.b\r\nc.d\r\n"), "a\r\n..b\r\nc.d\r\n");
  EXPECT_EQ(CSmtpSession::StuffBody("a\n.\nb"), "a\r\n..\r\nb");
  EXPECT_EQ(CSmtpSession::StuffBody(""), "");
}

TEST(SmtpSession, EveryRefusalEndsTheStepItHits) {
  const std::string envelope = Helo() + "MAIL From: <monitor@example.com>\r\n";
  CMultipartMessage composed;
  Fill(composed, "bad@example.com;good@example.com");
  composed.AddRecipientList("carl@example.com", RecipientCc);
  composed.Compose();
  const std::string delivered =
      envelope +
      "RCPT TO: <bad@example.com>\r\nRCPT TO: <good@example.com>\r\nRCPT TO: <carl@example.com>\r\n"
      "DATA\r\n" +
      composed.GetHeader() + CSmtpSession::StuffBody(composed.m_strBody) + "\r\n.\r\nQUIT\r\n";

  struct Case {
    SmtpScript script;
    std::string outcome;   // of Connect and SendMail, with the error text
    std::string received;  // by the server
    std::string to = "ann@example.com";
  };
  const Case cases[] = {
      // Closed without a word; a silent server times out.
      {{.greeting = {"554 no service\r\n"}}, "not connected: Server didn't respond.", ""},
      {{.greeting = {}}, "not connected: Server didn't respond.", ""},
      {{.helo = "500 go away\r\n"}, "not connected: 500:SMTP server error", Helo()},
      {{.helo = ""}, "not connected: Socket Error", Helo()},
      {{.closeAfterGreeting = true}, "not connected: 0:SMTP server error", ""},
      // A refused recipient does not stop the message.
      {{.rcpt = {{"bad@example.com", "550 no such user\r\n"}}},
       "sent: 550:SMTP server error",
       delivered,
       "bad@example.com;good@example.com"},
      // Replies in pieces and of many lines stay in step.
      {{.greeting = {"22", "0-test.local\r", "\n220-", "welcome\r\n", "220 ready\r\n"},
        .helo = "250-test.local\r\n250-SIZE 1000\r\n250 HELP\r\n"},
       "sent: OK",
       delivered,
       "bad@example.com;good@example.com"},
      {{.data = "451 try later\r\n"},
       "not sent: 451:SMTP server not ready for data",
       envelope + "RCPT TO: <ann@example.com>\r\nRCPT TO: <carl@example.com>\r\nDATA\r\nQUIT\r\n"},
      // Copies only: no To recipient, no message.
      {{}, "not sent: No Recipients", Helo() + "QUIT\r\n", ""},
  };
  for (const Case& c : cases) {
    LoopbackServer server(SmtpDialogue(c.script));
    {
      CSmtpSession session("127.0.0.1", server.Port(), std::chrono::seconds(1));
      CMultipartMessage message;
      Fill(message, c.to);
      message.AddRecipientList("carl@example.com", RecipientCc);
      const bool connected = session.Connect();
      const std::string connectError = session.GetErrorText();
      const bool sent = session.SendMail(message);
      if (!connected) {
        EXPECT_EQ(session.GetErrorText(), "Must be connected") << c.outcome;
      }
      EXPECT_EQ(
          connected ? (sent ? "sent: " : "not sent: ") + session.GetErrorText() : "not connected: " + connectError,
          c.outcome);
      if (c.to.empty()) {
        EXPECT_EQ(message.GetHeader(), "");
      }
      EXPECT_TRUE(session.Disconnect()) << c.outcome;
    }
    EXPECT_EQ(server.Received(), c.received) << c.outcome;
  }
}

TEST(SmtpSession, SilentOrSlowServerAtTheEndTimesOut) {
  LoopbackServer quitting(SmtpDialogue({.quit = ""}));
  CSmtpSession closing("127.0.0.1", quitting.Port(), kShort);
  ASSERT_TRUE(closing.Connect());
  EXPECT_FALSE(closing.Disconnect());
  EXPECT_EQ(closing.GetErrorText(), "Socket Error");
  EXPECT_TRUE(closing.Disconnect());  // closed now

  // A server answering every step just in time: the whole delivery has a limit too.
  LoopbackServer server(SmtpDialogue({.replyDelayMs = 500}));
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

TEST(SmtpSession, ServerNameMayNameThePort) {
  const std::tuple<std::string, std::string, unsigned> names[] = {
      {"mail.example.com", "mail.example.com", 25}, {"[::1]:2525", "::1", 2525}, {"::1", "::1", 25}};
  for (const auto& [server, name, port] : names) {
    CSmtpSession session(server, 25);
    EXPECT_EQ(session.GetServerName(), name) << server;
    EXPECT_EQ(session.GetPort(), port) << server;
  }
  EXPECT_EQ(CSmtpSession("localhost", 25).GetErrorText(), "OK");
  // Bad names, and a port without a listener.
  const std::string closed = "127.0.0.1:" + std::to_string(testing::ClosedLoopbackPort());
  for (const char* bad :
       {"127.0.0.1:", "127.0.0.1:smtp", "127.0.0.1:0", "127.0.0.1:70000", "", "[::1", closed.c_str()}) {
    CSmtpSession session(bad, 25, kShort);
    EXPECT_FALSE(session.Connect()) << bad;
    EXPECT_EQ(session.GetErrorText(), "Unable to connect to server") << bad;
  }
}

// Debian's interpreter on purpose: python3-aiosmtpd installs for it, not for other Pythons on PATH.
constexpr const char* kPython = "/usr/bin/python3";

constexpr const char* kServerScript = R"(import asyncio, os, sys
from aiosmtpd.smtp import SMTP

out = sys.argv[1]

def publish(name, data):
    with open(os.path.join(out, name + '.tmp'), 'wb') as f:
        f.write(data)
    os.replace(os.path.join(out, name + '.tmp'), os.path.join(out, name))

class Keep:
    async def handle_DATA(self, server, session, envelope):
        lines = ['MAIL ' + envelope.mail_from] + ['RCPT ' + r for r in envelope.rcpt_tos]
        publish('envelope', ('\n'.join(lines) + '\n').encode())
        publish('message', envelope.original_content)
        return '250 Message accepted'

async def main():
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Keep()), '127.0.0.1', 0)
    publish('port', str(server.sockets[0].getsockname()[1]).encode())
    await server.serve_forever()

asyncio.run(main())
)";

// Waits for a file that the server publishes; false when it does not come or the server died.
bool WaitForFile(const std::filesystem::path& path, pid_t server) {
  for (int i = 0; i < 300; ++i) {
    if (std::filesystem::exists(path)) return true;
    if (::waitpid(server, nullptr, WNOHANG) == server) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

class SmtpDelivery : public ::testing::Test {
 protected:
  void TearDown() override {
    if (m_server > 0) {
      ::kill(m_server, SIGTERM);
      testing::WaitExit(m_server);
    }
  }
  testing::TempFolder m_dir;
  pid_t m_server = -1;
};

TEST_F(SmtpDelivery, RealServerReceivesTheComposedMessageByteForByte) {
  pid_t probe = testing::SpawnProcess({kPython, "-c", "import aiosmtpd"}, m_dir / "probe.log");
  ASSERT_TRUE(probe > 0 && testing::WaitExit(probe) == 0)
      << kPython << " cannot import aiosmtpd; install the Debian package python3-aiosmtpd. "
      << testing::ReadFileBytes(m_dir / "probe.log");

  m_server =
      testing::SpawnProcess({kPython, m_dir.Write("server.py", kServerScript), m_dir.Path()}, m_dir / "server.log");
  ASSERT_GT(m_server, 0);
  ASSERT_TRUE(WaitForFile(m_dir / "port", m_server))
      << "SMTP server did not start: " << testing::ReadFileBytes(m_dir / "server.log");
  std::string port = testing::ReadFileBytes(m_dir / "port");

  CMultipartMessage message;
  message.m_strFrom = "monitor@example.com";
  message.m_strSubject = "Quorvex alert: price";
  ASSERT_TRUE(message.AddRecipientList("Ann Lee <ann@example.com>; bob@example.com;", RecipientTo));
  ASSERT_TRUE(message.AddRecipientList("carl@example.com", RecipientCc));
  ASSERT_TRUE(message.AddRecipientList("dora@example.com", RecipientBcc));
  message.m_strBody =
      "- Quorvex message -\nPrice watch\n Shop : 12.50 USD(+0.25) \n-------\n.\n.hidden line\r\n"
      "A long line of words that the mail wrapping has to break somewhere before the end of it, twice over "
      "when it goes on and on and on.";
  message.SetStampTime(1000000000);
  message.SetTimeZone(0, "UTC");
  {
    CSmtpSession session("127.0.0.1:" + port, 25, std::chrono::seconds(10));
    ASSERT_TRUE(session.Connect()) << session.GetErrorText();
    ASSERT_TRUE(session.SendMail(message)) << session.GetErrorText();
    EXPECT_TRUE(session.Disconnect()) << session.GetErrorText();
  }
  ASSERT_TRUE(WaitForFile(m_dir / "message", m_server)) << testing::ReadFileBytes(m_dir / "server.log");
  EXPECT_EQ(testing::ReadFileBytes(m_dir / "envelope"),
            "MAIL monitor@example.com\nRCPT ann@example.com\nRCPT bob@example.com\n"
            "RCPT carl@example.com\nRCPT dora@example.com\n");
  std::string received = testing::ReadFileBytes(m_dir / "message");
  // The data ends with the closing boundary and an empty line; the final dot is the server's.
  EXPECT_EQ(received, message.GetHeader() + WithCrLf(message.m_strBody) + "\r\n");
  EXPECT_NE(received.find("To: Ann Lee <ann@example.com>,<bob@example.com>\r\n"), std::string::npos);
  // Lines that begin with a dot arrive whole (bare LFs do not restart the wrap count, hence the break).
  EXPECT_NE(received.find("\r\n.\r\n.hidden\r\nline\r\n"), std::string::npos) << received;
  EXPECT_NE(received.find("\r\n--ZQ_MAIL_PaRt_BoUnDaRy_05151998--\r\n\r\n"), std::string::npos);
}

}  // namespace
}  // namespace quorvex::mail
