#include "engine/fetch_session.h"

#include <gtest/gtest.h>

#include "platform/string_table.h"
#include "support/recording_prompt.h"

namespace quorvex::engine {
namespace {

class FetchSessionTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseSession(); }
  quorvex::testing::RecordingPrompt prompt;
};

TEST_F(FetchSessionTest, TakesTimeOutRetriesAndAgentFromTheSettings) {
  SessionConfig config;
  config.timeoutSeconds = 10;
  config.retries = 2;
  ASSERT_TRUE(CreateSession(config));
  auto session = CurrentSession();
  ASSERT_TRUE(session);
  EXPECT_EQ(session->Agent(), "Quorvex Agent");
  EXPECT_EQ(session->ConnectTimeoutMs(), 10000);
  EXPECT_EQ(session->BackoffMs(), 1000);
  EXPECT_EQ(session->Retries(), 2);
  EXPECT_FALSE(session->ViaProxy());
  EXPECT_EQ(session->ProxyName(), "");
  EXPECT_EQ(session->PageLimit(), 52000u);
  EXPECT_TRUE(prompt.messages.empty());

  // The proxy's name uses the server text as it is.
  config.viaProxy = true;
  config.proxyServer = "S";
  config.proxyPort = 8080;
  ASSERT_TRUE(CreateSession(config));
  EXPECT_EQ(CurrentSession()->ProxyName(), "http=S:8080");
  config.proxyServer = "http://cache.lan";
  config.proxyPort = 3128;
  ASSERT_TRUE(CreateSession(config));
  EXPECT_EQ(CurrentSession()->ProxyName(), "http=http://cache.lan:3128");
  EXPECT_EQ(CurrentSession()->ProxyServer(), "http://cache.lan");
  EXPECT_EQ(CurrentSession()->ProxyPort(), 3128);
}

TEST_F(FetchSessionTest, OutOfRangeValuesAreBroughtIntoRange) {
  SessionConfig config;
  config.timeoutSeconds = -5;
  config.retries = 0;
  config.pageLimit = 100;
  EXPECT_EQ(FetchSession(config).ConnectTimeoutMs(), 0);
  EXPECT_EQ(FetchSession(config).Retries(), 1);
  EXPECT_EQ(FetchSession(config).PageLimit(), kDefaultPageLimit);
  config.pageLimit = 1u << 30;
  EXPECT_EQ(FetchSession(config).PageLimit(), kMaxPageLimit);
  config.pageLimit = 1000000;
  EXPECT_EQ(FetchSession(config).PageLimit(), 1000000u);
}

TEST_F(FetchSessionTest, RefusedWhileFetchesRunOrWithAnUnusableProxy) {
  ASSERT_TRUE(CreateSession(SessionConfig()));
  auto before = CurrentSession();
  SessionConfig changed;
  changed.timeoutSeconds = 30;
  EXPECT_FALSE(CreateSession(changed, 2));
  EXPECT_EQ(CurrentSession(), before);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], platform::GetString(61498));
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::None);

  // An unusable proxy leaves no session and says why.
  SessionConfig config;
  config.viaProxy = true;
  config.proxyServer = "  ";
  config.proxyPort = 3128;
  EXPECT_FALSE(CreateSession(config));
  EXPECT_FALSE(CurrentSession());
  config.proxyServer = "proxy";
  config.proxyPort = 70000;
  EXPECT_FALSE(CreateSession(config));
  ASSERT_EQ(prompt.messages.size(), 3u);
  EXPECT_EQ(prompt.messages[1], platform::GetString(61453) + "\n" + platform::GetString(61518));
  EXPECT_EQ(prompt.icons[1], platform::PromptIcon::Exclamation);
}

}  // namespace
}  // namespace quorvex::engine
