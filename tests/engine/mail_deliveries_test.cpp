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

class MailDeliveriesTest : public ::testing::Test {
 protected:
  MailDeliveriesTest() : page_("http://shop.example.com/") {
    page_.AddValue(std::make_unique<model::WDValue>());
    auto event = std::make_unique<model::WDEventMessager>();
    mail_ = &page_.GetValue(0)->GetAlert().AddEvent(std::move(event)).m_actEmail;
    mail_->m_bEnabled = 1;
    mail_->m_strTo = "ann@example.com";
    app_.Settings().m_strEmail = "monitor@example.com";
    app_.Settings().m_nTimeOut = 5;
  }

  // A relay that says nothing until the test lets it.
  testing::LoopbackServer::Script HeldRelay() {
    return [this](testing::ServerConnection& c) {
      if (released_.get_future().wait_for(10s) == std::future_status::ready) testing::SmtpDialogue({})(c);
    };
  }

  // Drains the dispatcher until a closure ran or a generous deadline passed.
  void RunUntilSomethingRan() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (doc_.GetDispatcher()->WaitAndRun(100ms) == 0 && std::chrono::steady_clock::now() < deadline) {
    }
  }

  testing::TestApp app_;
  testing::RecordingPrompt prompt_;
  WDQvxDoc doc_;
  model::WDValPage page_;
  model::WDAlertEmail* mail_ = nullptr;
  std::promise<void> released_;
};

TEST_F(MailDeliveriesTest, ActionReturnsAtOnceAndTheResultComesThroughTheDispatcher) {
  testing::LoopbackServer server(HeldRelay());
  app_.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  // The relay has not even greeted yet: the action does not wait for it.
  EXPECT_TRUE(mail_->Fire());
  EXPECT_EQ(doc_.PendingMail(), 1u);
  EXPECT_TRUE(prompt_.messages.empty());

  released_.set_value();
  RunUntilSomethingRan();
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], platform::GetString(platform::ids::kEmailLabel) + "ann@example.com\n" +
                                     platform::GetString(platform::ids::kMsgMailSent));
  EXPECT_EQ(doc_.PendingMail(), 0u);
  EXPECT_NE(server.Received().find("RCPT TO: <ann@example.com>"), std::string::npos);
}

TEST_F(MailDeliveriesTest, DeliveryStillRunningAtTheEndIsGivenUpWithAMessage) {
  testing::LoopbackServer server(HeldRelay());
  app_.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  EXPECT_TRUE(mail_->Fire());
  EXPECT_EQ(doc_.FinishMail(200ms), 1u);
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], platform::GetString(platform::ids::kEmailLabel) + "ann@example.com\n" +
                                     platform::GetString(platform::ids::kMsgMailGivenUp));
  EXPECT_EQ(prompt_.icons[0], platform::PromptIcon::Exclamation);
  EXPECT_EQ(doc_.PendingMail(), 0u);

  // The late result of the given-up delivery is told nobody.
  released_.set_value();
  server.Received();
  RunUntilSomethingRan();
  EXPECT_EQ(prompt_.messages.size(), 1u);
}

}  // namespace
}  // namespace quorvex::engine
