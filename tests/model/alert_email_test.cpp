#include "model/alert_email.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/alert.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/recording_prompt.h"
#include "support/scripted_smtp_server.h"
#include "support/test_app.h"

namespace quorvex::model {
namespace {

class AlertEmailTest : public ::testing::Test {
 protected:
  AlertEmailTest() : page_("http://shop.example.com/") {
    page_.AddValue(std::make_unique<WDValue>());
    value_ = page_.GetValue(0);
    value_->SetName("Price");
    value_->SetKind(kKindNumber);
    value_->SetPattern("x{?}y");
    auto event = std::make_unique<WDEventMessager>();
    event->m_condition.m_nOperator = kOpGreater;
    event->m_condition.m_strOperand = "100";
    event->m_actMessage.m_bEnabled = 0;
    event_ = &value_->GetAlert().AddEvent(std::move(event));
    mail_ = &event_->m_actEmail;
    mail_->m_bEnabled = 1;
    mail_->m_strSubject = "Price alert";
    mail_->m_strText = "Look:";
    app_.Settings().m_strEmail = "monitor@example.com";
    app_.Settings().m_nTimeOut = 2;
  }

  void UseServer(uint16_t port) { app_.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(port); }

  testing::TestApp app_;
  testing::RecordingPrompt prompt_;
  WDValPage page_;
  WDValue* value_ = nullptr;
  WDEventMessager* event_ = nullptr;
  WDAlertEmail* mail_ = nullptr;
};

TEST_F(AlertEmailTest, ServerRefusalShowsTheSessionError) {
  testing::SmtpScript script;
  script.greeting = {"554 go away\r\n"};
  testing::LoopbackServer server(testing::SmtpDialogue(script));
  UseServer(server.Port());
  mail_->m_strTo = "ann@example.com";
  EXPECT_FALSE(mail_->Fire());
  server.Received();
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.icons[0], platform::PromptIcon::Exclamation);
  EXPECT_NE(prompt_.messages[0].find("Server didn't respond."), std::string::npos) << prompt_.messages[0];
}

TEST_F(AlertEmailTest, CyrillicSubjectAndBodyAreConvertedToTheChosenCharset) {
  testing::LoopbackServer server(testing::SmtpDialogue({}));
  UseServer(server.Port());
  mail_->m_strTo = "ann@example.com";
  mail_->m_strSubject = "\xc0\xe1";  // "Аб" in Windows-1251
  mail_->m_nCharset = 1;             // KOI8-R
  ASSERT_TRUE(mail_->Fire());
  EXPECT_NE(server.Received().find("Subject: \xe1\xc2"), std::string::npos);
}

}  // namespace
}  // namespace quorvex::model
