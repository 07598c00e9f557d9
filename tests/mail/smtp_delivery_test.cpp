// End to end: a message goes through a real SMTP server (aiosmtpd, run by the system's Python) on
// loopback, and the bytes it received are compared with what was composed.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "mail/multipart_message.h"
#include "mail/smtp_session.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quorvex::mail {
namespace {

namespace fs = std::filesystem;

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
bool WaitForFile(const fs::path& path, pid_t server) {
  for (int i = 0; i < 300; ++i) {
    if (fs::exists(path)) return true;
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
