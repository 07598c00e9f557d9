// The e-mail action with a document: delivered off the calling thread, its result through the dispatcher.
#include "engine/mail_deliveries.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "engine/qvx_doc.h"
#include "model/alert.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/recording_prompt.h"
#include "support/scripted_smtp_server.h"
#include "support/test_app.h"

namespace quorvex::engine {
namespace {

using namespace std::chrono_literals;

// A relay that says nothing until released is set.
testing::LoopbackServer::Script HeldRelay(std::promise<void>& released) {
  return [future = released.get_future().share()](testing::ServerConnection& c) {
    if (future.wait_for(10s) == std::future_status::ready) testing::SmtpDialogue({})(c);
  };
}

TEST(MailDeliveries, ActionReturnsAtOnceAndTheResultComesThroughTheDispatcher) {
  testing::TestApp app;
  testing::RecordingPrompt prompt;
  WDQvxDoc doc;
  model::WDValPage page("http://shop.example.com/");
  page.AddValue(std::make_unique<model::WDValue>());
  model::WDAlertEmail& mail =
      page.GetValue(0)->GetAlert().AddEvent(std::make_unique<model::WDEventMessager>()).m_actEmail;
  mail.m_bEnabled = 1;
  mail.m_strTo = "ann@example.com";
  app.Settings().m_strEmail = "monitor@example.com";
  app.Settings().m_nTimeOut = 5;
  // Drains the dispatcher until a closure ran or a generous deadline passed.
  const auto runUntilSomethingRan = [&] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (doc.GetDispatcher()->WaitAndRun(100ms) == 0 && std::chrono::steady_clock::now() < deadline) {
    }
  };
  const std::string label = platform::GetString(platform::ids::kEmailLabel) + "ann@example.com\n";

  std::promise<void> released;
  testing::LoopbackServer server(HeldRelay(released));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  // The relay has not even greeted yet: the action does not wait for it.
  EXPECT_TRUE(mail.Fire());
  EXPECT_EQ(doc.PendingMail(), 1u);
  EXPECT_TRUE(prompt.messages.empty());
  released.set_value();
  runUntilSomethingRan();
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], label + platform::GetString(platform::ids::kMsgMailSent));
  EXPECT_EQ(doc.PendingMail(), 0u);
  EXPECT_NE(server.Received().find("RCPT TO: <ann@example.com>"), std::string::npos);

  // A delivery still running at the end is given up with a message.
  std::promise<void> late;
  testing::LoopbackServer lateServer(HeldRelay(late));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(lateServer.Port());
  EXPECT_TRUE(mail.Fire());
  EXPECT_EQ(doc.FinishMail(200ms), 1u);
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[1], label + platform::GetString(platform::ids::kMsgMailGivenUp));
  EXPECT_EQ(prompt.icons[1], platform::PromptIcon::Exclamation);
  EXPECT_EQ(doc.PendingMail(), 0u);
  // The late result of the given-up delivery is told nobody.
  late.set_value();
  lateServer.Received();
  runUntilSomethingRan();
  EXPECT_EQ(prompt.messages.size(), 2u);
}

}  // namespace
}  // namespace quorvex::engine
