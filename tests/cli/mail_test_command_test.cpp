#include <gtest/gtest.h>

#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/cli_runner.h"
#include "support/scripted_smtp_server.h"
#include "support/test_app.h"

namespace quorvex::cli {
namespace {

TEST(MailTestCommand, ShowsTheDialogueAndTheResult) {
  testing::TestApp app;
  app.Settings().m_strEmail = "monitor@example.com";
  testing::LoopbackServer server(testing::SmtpDialogue({}));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  auto result = testing::RunCliCommand({"mail-test", "--to", "ann@example.com", "--subject", "Hello"});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_NE(result.out.find(">> MAIL From: <monitor@example.com>"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("<< 354"), std::string::npos);
  EXPECT_NE(result.out.find(platform::GetString(platform::ids::kMsgMailSent)), std::string::npos);
  EXPECT_NE(server.Received().find("Subject: Hello"), std::string::npos);
}

TEST(MailTestCommand, FailuresAndUsage) {
  testing::TestApp app;
  EXPECT_EQ(testing::RunCliCommand({"mail-test"}).status, kExitUsage);
  auto unset = testing::RunCliCommand({"mail-test", "--to", "ann@example.com"});
  EXPECT_EQ(unset.status, kExitFailed);
  EXPECT_NE(unset.err.find(platform::GetString(platform::ids::kMsgMailNotConfigured)), std::string::npos);

  testing::SmtpScript script;
  script.rcpt["ann@example.com"] = "550 no such user\r\n";
  testing::LoopbackServer server(testing::SmtpDialogue(script));
  app.Settings().m_strEmail = "monitor@example.com";
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  auto refused = testing::RunCliCommand({"mail-test", "--to", "ann@example.com"});
  EXPECT_EQ(refused.status, kExitFailed);
  EXPECT_NE(refused.err.find("550"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace quorvex::cli
