#include "model/alert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/alert_email.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/alert_windows.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/recording_prompt.h"
#include "support/scripted_smtp_server.h"
#include "support/test_app.h"
#include "text/checksum.h"

namespace quorvex::model {
namespace {

// Records the alert windows the events open; windows close when the test says so.
class RecordingAlertHost : public platform::AlertWindowHost {
 public:
  RecordingAlertHost() { platform::SetAlertWindows(this); }
  ~RecordingAlertHost() override { platform::SetAlertWindows(nullptr); }
  int CreateAlertWindow(const std::string& description, const std::string&, const std::string& lastText,
                        const std::string& name) override {
    created.push_back(name + "|" + lastText + "|" + description);
    open.push_back(true);
    return static_cast<int>(open.size());
  }
  bool IsAlertWindowOpen(int window) const override { return window > 0 && open[window - 1]; }
  void DestroyAlertWindow(int window) override { open[window - 1] = false; }
  int CountOpenAlertWindows() const override { return static_cast<int>(std::count(open.begin(), open.end(), true)); }
  void Beep() override { ++beeps; }
  void AlertArrived() override { ++arrived; }
  void CloseAll() { std::fill(open.begin(), open.end(), false); }

  std::vector<std::string> created;
  std::vector<bool> open;
  int beeps = 0;
  int arrived = 0;
};

class AlertTest : public ::testing::Test {
 protected:
  AlertTest() : page_("http://example.com/") {
    page_.AddValue(std::make_unique<WDValue>());
    value_ = page_.GetValue(0);
    value_->SetName("Price");
    value_->SetPattern("");
  }

  WDEventMessager& AddEvent(int32_t op, const std::string& operand, bool once = false) {
    auto event = std::make_unique<WDEventMessager>();
    event->m_condition.m_nOperator = op;
    event->m_condition.m_strOperand = operand;
    event->m_bOnce = once ? 1 : 0;
    return value_->GetAlert().AddEvent(std::move(event));
  }

  // Appends a sample as a refresh would and evaluates the alerts.
  bool Sample(const std::string& text) {
    value_->GetHistory().AddRecord(WDHistoryRecord(text));
    return value_->CheckAlert(0);
  }

  // An event that only mails, to ann@example.com through the server at port.
  WDAlertEmail& MailEvent(uint16_t port) {
    app_.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(port);
    app_.Settings().m_strEmail = "monitor@example.com";
    app_.Settings().m_nTimeOut = 5;
    WDEventMessager& event = AddEvent(kOpGreater, "10");
    event.m_actMessage.m_bEnabled = 0;
    event.m_actEmail.m_bEnabled = 1;
    event.m_actEmail.m_strTo = "ann@example.com";
    return event.m_actEmail;
  }

  // "Event" and the operator's name, as a condition describes itself.
  static std::string Described(int32_t op) {
    return platform::GetString(platform::ids::kEventDescription) + " " +
           platform::GetString(static_cast<uint16_t>(platform::ids::kOperatorEqual + op));
  }

  testing::TestApp app_;
  testing::RecordingPrompt prompt_;
  RecordingAlertHost host_;
  WDValPage page_;
  WDValue* value_ = nullptr;
};

TEST_F(AlertTest, ConditionsCompareNumbersByValueAndTextsByContaining) {
  // No previous sample: an empty operand has nothing to compare with.
  const std::string no = "\xd0\xbd\xd0\xb5\xd1\x82";  // "нет" in UTF-8
  // "НЕТ в наличии" in UTF-8
  const std::string none_left =
      "\xd0\x9d\xd0\x95\xd0\xa2 \xd0\xb2 \xd0\xbd\xd0\xb0\xd0\xbb\xd0\xb8\xd1\x87\xd0\xb8\xd0\xb8";
  struct Case {
    std::vector<int32_t> ops;
    std::string operand;
    std::string sample;
    bool holds;
  } cases[] = {
      {{kOpGreater}, "100", "150", true},
      {{kOpGreater}, "100", "50", false},
      {{kOpGreater}, "100", "Price: 1,234.50 USD", true},
      {{kOpGreater}, "100", "sold out", true},        // no number in the sample: "does not contain"
      {{kOpGreater}, "100", "over 100 left", false},  // 100 is read, and 100 > 100 is false
      {{kOpLessEqual}, "100", "100.00", true},
      {{kOpEqual}, "0", "0", true},  // both numbers read as 0: still a numeric comparison
      // Numbers compare by value whatever their spelling.
      {{kOpGreaterEqual}, "1 000,5", "1000.50 RUB", true},
      {{kOpGreaterEqual}, "1 000,5", "999.99", false},
      {{kOpLessEqual}, "1 000,5", "1'000.5", true},
      {{kOpLess}, "1 000,5", "-3", true},
      {{kOpEqual}, "1 000,5", "1000.51", false},
      // For texts "at least" and "at most" mean "contains" like "equal", whatever the case.
      {{kOpEqual, kOpGreaterEqual, kOpLessEqual}, "Sold Out", "item sold out today", true},
      {{kOpEqual, kOpGreaterEqual, kOpLessEqual}, "Sold Out", "in stock", false},
      {{kOpGreater, kOpLess}, "Sold Out", "item SOLD OUT today", false},
      {{kOpGreater, kOpLess}, "Sold Out", "in stock", true},
      {{kOpNotEqual}, "Sold Out", "item sold out today", true},  // differs: not a containment test
      {{kOpNotEqual}, "Sold Out", "SOLD OUT", false},
      // Cyrillic letters in both cases, of one encoding or of two.
      {{kOpEqual}, no, "\xcd\xc5\xd2 \xe2 \xed\xe0\xeb\xe8\xf7\xe8\xe8", true},  // "НЕТ в наличии", Windows-1251
      {{kOpGreaterEqual}, no, none_left, true},
      {{kOpLess}, no, "\xd0\xb5\xd1\x81\xd1\x82\xd1\x8c", true},  // "есть"
      {{kOpNotEqual}, no, "x", true},
      // An empty operand never "contains"; an unknown operator never holds.
      {{kOpEqual, kOpGreater, kOpLess, kOpGreaterEqual, kOpLessEqual}, "", "anything", false},
      {{17}, "5", "5", false},
  };
  WDEventCondition condition;
  condition.m_pValue = value_;
  for (const Case& c : cases) {
    for (int32_t op : c.ops) {
      condition.m_nOperator = op;
      condition.m_strOperand = c.operand;
      EXPECT_EQ(condition.Test(c.sample), c.holds) << op << " \"" << c.operand << "\" on \"" << c.sample << "\"";
    }
  }
}

TEST_F(AlertTest, PreviousSampleComparisonFiresOnChangeOnly) {
  AddEvent(kOpNotEqual, "");
  EXPECT_TRUE(Sample("10 USD"));  // no previous sample: differs from the empty operand
  host_.CloseAll();
  EXPECT_FALSE(Sample("10.00 USD"));  // numerically equal
  EXPECT_TRUE(Sample("11 USD"));
  EXPECT_EQ(host_.created.size(), 2u);
  EXPECT_EQ(host_.arrived, 2);
  EXPECT_EQ(host_.beeps, 2);

  // Checksum samples fire when the page changed.
  value_->SetKind(kKindChecksum);
  host_.CloseAll();
  EXPECT_TRUE(Sample("#CRC#2105851804"));
  host_.CloseAll();
  EXPECT_FALSE(Sample("#CRC#2105851804"));
  EXPECT_TRUE(Sample("#CRC#17"));
  host_.CloseAll();
  EXPECT_TRUE(Sample("#CRC#2105851804"));
  ASSERT_EQ(host_.created.size(), 5u);
  // The window names the condition with "-CRC-", not with the previous checksum.
  EXPECT_EQ(host_.created[4], "Price|#CRC#2105851804|" + Described(kOpNotEqual) + " -CRC-");
}

TEST_F(AlertTest, OnceRuleAlarmsOncePerTextAndCondition) {
  WDEventMessager& high = AddEvent(kOpGreater, "100", true);
  EXPECT_TRUE(Sample("<i>150</i>"));
  // What is remembered: the checksum of the text without tags and of the condition.
  const std::string key = "150" + high.m_condition.Describe();
  EXPECT_EQ(high.m_nLastAlarm, text::TextChecksum(key.c_str(), 0));
  host_.CloseAll();
  EXPECT_TRUE(Sample("150"));
  host_.CloseAll();
  EXPECT_TRUE(Sample("150"));
  EXPECT_EQ(host_.created.size(), 1u);  // three equal samples, one alarm
  host_.CloseAll();
  EXPECT_TRUE(Sample("160"));
  EXPECT_EQ(host_.created.size(), 2u);  // a new text alarms again
  host_.CloseAll();
  EXPECT_FALSE(Sample("50"));
  EXPECT_TRUE(Sample("160"));  // back to the same text under the same condition: no new alarm
  EXPECT_EQ(host_.created.size(), 2u);

  // While messages are hidden the events hold but nothing alarms, so nothing is remembered either.
  WDEventMessager& any = AddEvent(kOpNotEqual, "0", true);
  app_.Settings().m_bHideAllMessages = 1;
  const uint32_t before = high.m_nLastAlarm;
  EXPECT_TRUE(Sample("170"));
  EXPECT_EQ(value_->CountActiveEvents(), 2);
  EXPECT_EQ(host_.created.size(), 2u);
  EXPECT_EQ(high.m_nLastAlarm, before);
  app_.Settings().m_bHideAllMessages = 0;
  EXPECT_TRUE(Sample("170"));
  EXPECT_EQ(host_.created.size(), 4u);
  EXPECT_NE(any.m_nLastAlarm, high.m_nLastAlarm);  // each event keeps its own
}

TEST_F(AlertTest, EventsRunLastFirstOnceAWindowAndOnlyForEnabledHealthyBeacons) {
  AddEvent(kOpEqual, "up").m_actMessage.m_strText = "first";
  AddEvent(kOpNotEqual, "down").m_actMessage.m_strText = "second";
  // No sample, no value to compare: nothing holds (an empty text would hold for "differs from").
  EXPECT_FALSE(value_->CheckAlert(1));
  EXPECT_EQ(value_->CountActiveEvents(), 0);
  EXPECT_TRUE(Sample("up"));
  ASSERT_EQ(host_.created.size(), 2u);
  EXPECT_NE(host_.created[0].find(Described(kOpNotEqual)), std::string::npos);  // the last event first
  EXPECT_NE(host_.created[1].find(Described(kOpEqual)), std::string::npos);
  EXPECT_EQ(value_->CountActiveEvents(), 2);
  // Open windows are not opened again; removing an event closes its window.
  EXPECT_TRUE(Sample("up again"));
  EXPECT_EQ(host_.created.size(), 2u);
  EXPECT_EQ(value_->GetState(false), kStateAlert);
  EXPECT_TRUE(value_->GetAlert().RemoveEvent(0));
  EXPECT_EQ(value_->CloseAlertWindows(), 1);
  EXPECT_EQ(value_->CloseAlertWindows(), 0);

  value_->SetEnabled(false);
  EXPECT_FALSE(value_->CheckAlert(0));
  EXPECT_EQ(value_->CountActiveEvents(), 0);
  value_->SetEnabled(true);
  value_->m_nStatus = 1;  // the pattern did not match
  EXPECT_FALSE(value_->CheckAlert(0));
  value_->m_nStatus = 0;
  page_.m_nState = 2;  // the page could not be read
  EXPECT_FALSE(value_->CheckAlert(0));
  page_.m_nState = 0;
  value_->GetAlert().SetEnabled(false);
  EXPECT_FALSE(value_->CheckAlert(1));
  EXPECT_EQ(host_.created.size(), 2u);
}

TEST_F(AlertTest, WithoutAlertWindowsTheMessageBoxTellsEverything) {
  platform::SetAlertWindows(nullptr);
  AddEvent(kOpEqual, "up").m_actMessage.m_strText = "note";
  EXPECT_TRUE(Sample("up and away"));
  ASSERT_EQ(prompt_.messages.size(), 1u);
  const std::string& box = prompt_.messages[0];
  EXPECT_EQ(box.rfind(" - Can't show normal alert window - \n\nPrice\n", 0), 0u) << box;
  EXPECT_NE(box.find("up and away"), std::string::npos);
  EXPECT_EQ(prompt_.icons[0], platform::PromptIcon::Exclamation);
}

TEST_F(AlertTest, DescribeShowsOperandPreviousSampleOrPlaceholder) {
  WDEventCondition& condition = AddEvent(kOpGreaterEqual, "").m_condition;
  EXPECT_EQ(condition.Describe(), Described(kOpGreaterEqual) + " ");  // no previous sample yet
  value_->SetKind(kKindChecksum);
  EXPECT_EQ(condition.Describe(), Described(kOpGreaterEqual) + " -CRC-");
  condition.m_strOperand = "#CRC#5";
  EXPECT_EQ(condition.Describe(), Described(kOpGreaterEqual) + " #CRC#5");  // a given operand wins
  value_->SetKind(kKindText);
  condition.m_strOperand = "";
  Sample("<b>old</b>");
  Sample("new");
  for (int32_t op = kOpEqual; op <= kOpLessEqual; ++op) {
    condition.m_nOperator = op;
    EXPECT_EQ(condition.Describe(), Described(op) + " old");  // tags stripped
  }
  // An operator outside the six (a damaged file) borrows no other message's text.
  for (int32_t op : {17, -1}) {
    condition.m_nOperator = op;
    EXPECT_EQ(condition.Describe(), platform::GetString(platform::ids::kEventDescription) + " ? old") << op;
  }
}

TEST_F(AlertTest, MailProblemsAreReportedAfterTheMessageWasShown) {
  WDEventMessager& event = AddEvent(kOpEqual, "up");
  event.m_actEmail.m_bEnabled = 1;
  EXPECT_TRUE(Sample("up"));
  EXPECT_EQ(host_.created.size(), 1u);
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], platform::GetString(platform::ids::kMsgFieldEmpty));

  event.m_actEmail.m_strTo = "ann@example.com";
  app_.Settings().m_strSMTPServ = "";
  app_.Settings().m_strEmail = "me@example.com";
  EXPECT_FALSE(event.m_actEmail.Fire());
  ASSERT_EQ(prompt_.messages.size(), 2u);
  EXPECT_EQ(prompt_.messages[1], platform::GetString(platform::ids::kMsgMailNotConfigured));

  // A relay that refuses the session.
  testing::SmtpScript script;
  script.greeting = {"554 go away\r\n"};
  testing::LoopbackServer server(testing::SmtpDialogue(script));
  WDAlertEmail& refused = MailEvent(server.Port());
  EXPECT_FALSE(refused.Fire());
  server.Received();
  ASSERT_EQ(prompt_.messages.size(), 3u);
  EXPECT_EQ(prompt_.icons[2], platform::PromptIcon::Exclamation);
  EXPECT_NE(prompt_.messages[2].find("Server didn't respond."), std::string::npos) << prompt_.messages[2];
  refused.m_bEnabled = 0;
  EXPECT_FALSE(refused.Fire());
  EXPECT_EQ(prompt_.messages.size(), 3u);
}

TEST_F(AlertTest, MailActionSendsThroughTheRelay) {
  testing::LoopbackServer server(testing::SmtpDialogue({}));
  WDAlertEmail& mail = MailEvent(server.Port());
  value_->SetKind(kKindNumber);
  value_->GetHistory().AddRecord(WDHistoryRecord("10"));
  mail.m_strTo = "ann@example.com;bob@example.com";
  mail.m_strCc = "carl@example.com";
  mail.m_strSubject = "Price alert \xc0\xe1";  // "Аб" in Windows-1251, sent in KOI8-R
  mail.m_nCharset = 1;
  mail.m_strText = "Look:";
  EXPECT_TRUE(Sample("12.5"));
  const std::string received = server.Received();
  EXPECT_NE(received.find("MAIL From: <monitor@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("RCPT TO: <ann@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("RCPT TO: <bob@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("RCPT TO: <carl@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("Subject: Price alert \xe1\xc2"), std::string::npos);
  // Lines of the body end in LF and are joined with CR LF on the way; the text part may wrap the
  // description, so only its start is looked for.
  const std::string body = "- " + platform::GetString(platform::ids::kProgramTitle) +
                           " message -\r\nLook:\r\n Price : 12.5(+2.5) \r\n-------\r\n" +
                           platform::GetString(platform::ids::kEventDescription);
  EXPECT_NE(received.find(body), std::string::npos) << received;
  EXPECT_EQ(mail.m_strTo, "ann@example.com;bob@example.com");
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], platform::GetString(platform::ids::kEmailLabel) + "ann@example.com;bob@example...\n" +
                                     platform::GetString(platform::ids::kMsgMailSent));
  EXPECT_EQ(prompt_.icons[0], platform::PromptIcon::Information);
}

}  // namespace
}  // namespace quorvex::model
