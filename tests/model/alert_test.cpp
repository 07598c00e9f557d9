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

  testing::TestApp app_;
  testing::RecordingPrompt prompt_;
  RecordingAlertHost host_;
  WDValPage page_;
  WDValue* value_ = nullptr;
};

TEST_F(AlertTest, OperandComparisonsNumericAndText) {
  WDEventCondition condition;
  condition.m_pValue = value_;
  condition.m_strOperand = "100";
  condition.m_nOperator = kOpGreater;
  EXPECT_TRUE(condition.Test("150"));
  EXPECT_FALSE(condition.Test("50"));
  EXPECT_TRUE(condition.Test("Price: 1,234.50 USD"));
  // No number in the sample: greater-than means "does not contain".
  EXPECT_TRUE(condition.Test("sold out"));
  EXPECT_FALSE(condition.Test("over 100 left"));  // 100 is read, and 100 > 100 is false

  condition.m_nOperator = kOpLessEqual;
  EXPECT_TRUE(condition.Test("100.00"));
  condition.m_strOperand = "0";
  condition.m_nOperator = kOpEqual;
  EXPECT_TRUE(condition.Test("0"));  // both numbers read as 0: still a numeric comparison

  condition.m_strOperand = "sold out";
  EXPECT_TRUE(condition.Test("Item SOLD OUT today"));
  condition.m_strOperand = "\xd0\xbd\xd0\xb5\xd1\x82";                            // "нет" in UTF-8
  EXPECT_TRUE(condition.Test("\xcd\xc5\xd2 \xe2 \xed\xe0\xeb\xe8\xf7\xe8\xe8"));  // "НЕТ в наличии", Windows-1251
  condition.m_nOperator = kOpNotEqual;
  EXPECT_TRUE(condition.Test("x"));
  condition.m_strOperand = "";
  condition.m_nOperator = kOpEqual;
  EXPECT_FALSE(condition.Test("anything"));  // empty operand without a previous sample
  condition.m_nOperator = 17;
  condition.m_strOperand = "5";
  EXPECT_FALSE(condition.Test("5"));
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
}

TEST_F(AlertTest, OnceRuleAlarmsOncePerTextAndCondition) {
  AddEvent(kOpGreater, "100", true);
  EXPECT_TRUE(Sample("150"));
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
}

TEST_F(AlertTest, OpenWindowIsNotDuplicatedAndStateStaysActive) {
  AddEvent(kOpEqual, "up");
  // No sample, no value to compare: nothing holds (an empty text would hold for "differs from").
  AddEvent(kOpNotEqual, "up");
  EXPECT_FALSE(value_->CheckAlert(1));
  EXPECT_EQ(value_->CountActiveEvents(), 0);
  value_->GetAlert().RemoveEvent(1);
  EXPECT_TRUE(Sample("up"));
  EXPECT_TRUE(Sample("up again"));
  EXPECT_EQ(host_.created.size(), 1u);  // the first window is still open
  EXPECT_EQ(value_->GetState(false), kStateAlert);
  EXPECT_EQ(value_->CloseAlertWindows(), 1);
  EXPECT_EQ(value_->CloseAlertWindows(), 0);
  value_->GetAlert().SetEnabled(false);
  EXPECT_FALSE(value_->CheckAlert(1));
}

TEST_F(AlertTest, HideAllMessagesKeepsStateButRunsNoAction) {
  app_.Settings().m_bHideAllMessages = 1;
  AddEvent(kOpEqual, "up");
  EXPECT_TRUE(Sample("up"));
  EXPECT_TRUE(value_->CheckAlert(1));
  EXPECT_TRUE(host_.created.empty());
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

TEST_F(AlertTest, DescribeNamesOperatorAndOperand) {
  auto& event = AddEvent(kOpLess, "");
  Sample("5");
  Sample("7");
  EXPECT_EQ(event.m_condition.Describe(), platform::GetString(1082) + " " + platform::GetString(61465) + " 5");
  value_->SetKind(kKindChecksum);
  EXPECT_EQ(event.m_condition.Describe(), platform::GetString(1082) + " " + platform::GetString(61465) + " -CRC-");
}

TEST_F(AlertTest, TextOperatorsAtLeastAndAtMostMeanContains) {
  WDEventCondition condition;
  condition.m_pValue = value_;
  condition.m_strOperand = "Sold Out";
  for (int32_t op : {kOpEqual, kOpGreaterEqual, kOpLessEqual}) {
    condition.m_nOperator = op;
    EXPECT_TRUE(condition.Test("item sold out today")) << op;
    EXPECT_FALSE(condition.Test("in stock")) << op;
  }
  for (int32_t op : {kOpGreater, kOpLess}) {
    condition.m_nOperator = op;
    EXPECT_FALSE(condition.Test("item SOLD OUT today")) << op;
    EXPECT_TRUE(condition.Test("in stock")) << op;
  }
  condition.m_nOperator = kOpNotEqual;
  EXPECT_TRUE(condition.Test("item sold out today"));  // differs: not a containment test
  EXPECT_FALSE(condition.Test("SOLD OUT"));

  // Cyrillic letters of one encoding in both cases; an empty operand never "contains".
  condition.m_strOperand = "\xd0\xbd\xd0\xb5\xd1\x82";  // "нет"
  condition.m_nOperator = kOpGreaterEqual;
  EXPECT_TRUE(
      condition.Test("\xd0\x9d\xd0\x95\xd0\xa2 \xd0\xb2 \xd0\xbd\xd0\xb0\xd0\xbb\xd0\xb8\xd1\x87\xd0\xb8\xd0\xb8"));
  condition.m_nOperator = kOpLess;
  EXPECT_TRUE(condition.Test("\xd0\xb5\xd1\x81\xd1\x82\xd1\x8c"));  // "есть"
  condition.m_strOperand = "";
  for (int32_t op : {kOpEqual, kOpGreater, kOpLess, kOpGreaterEqual, kOpLessEqual}) {
    condition.m_nOperator = op;
    EXPECT_FALSE(condition.Test("anything")) << op;
  }
}

TEST_F(AlertTest, NumbersCompareByValueWhateverTheirSpelling) {
  WDEventCondition condition;
  condition.m_pValue = value_;
  condition.m_strOperand = "1 000,5";
  condition.m_nOperator = kOpGreaterEqual;
  EXPECT_TRUE(condition.Test("1000.50 RUB"));
  EXPECT_FALSE(condition.Test("999.99"));
  condition.m_nOperator = kOpLessEqual;
  EXPECT_TRUE(condition.Test("1'000.5"));
  condition.m_nOperator = kOpLess;
  EXPECT_TRUE(condition.Test("-3"));
  condition.m_nOperator = kOpEqual;
  EXPECT_FALSE(condition.Test("1000.51"));
}

TEST_F(AlertTest, ChecksumSamplesFireWhenThePageChanged) {
  value_->SetKind(kKindChecksum);
  AddEvent(kOpNotEqual, "");
  EXPECT_TRUE(Sample("#CRC#2105851804"));  // nothing to compare with yet
  host_.CloseAll();
  EXPECT_FALSE(Sample("#CRC#2105851804"));
  EXPECT_TRUE(Sample("#CRC#17"));
  host_.CloseAll();
  EXPECT_TRUE(Sample("#CRC#2105851804"));
  ASSERT_EQ(host_.created.size(), 3u);
  // The window names the condition with "-CRC-", not with the previous checksum.
  EXPECT_EQ(host_.created[2],
            "Price|#CRC#2105851804|" + platform::GetString(1082) + " " + platform::GetString(61463) + " -CRC-");
}

TEST_F(AlertTest, DescribeShowsOperandPreviousSampleOrPlaceholder) {
  WDEventCondition& condition = AddEvent(kOpGreaterEqual, "").m_condition;
  const std::string prefix = platform::GetString(1082) + " ";
  EXPECT_EQ(condition.Describe(), prefix + platform::GetString(61466) + " ");  // no previous sample yet
  value_->SetKind(kKindChecksum);
  EXPECT_EQ(condition.Describe(), prefix + platform::GetString(61466) + " -CRC-");
  condition.m_strOperand = "#CRC#5";
  EXPECT_EQ(condition.Describe(), prefix + platform::GetString(61466) + " #CRC#5");  // a given operand wins
  value_->SetKind(kKindText);
  condition.m_strOperand = "";
  Sample("<b>old</b>");
  Sample("new");
  EXPECT_EQ(condition.Describe(), prefix + platform::GetString(61466) + " old");  // tags stripped
  for (int32_t op = kOpEqual; op <= kOpLessEqual; ++op) {
    condition.m_nOperator = op;
    EXPECT_EQ(condition.Describe(), prefix + platform::GetString(static_cast<uint16_t>(61462 + op)) + " old");
  }
  // An operator outside the six (a damaged file) borrows no other message's text.
  condition.m_nOperator = 17;
  EXPECT_EQ(condition.Describe(), prefix + "? old");
  condition.m_nOperator = -1;
  EXPECT_EQ(condition.Describe(), prefix + "? old");
}

TEST_F(AlertTest, OnceRuleStoresTheChecksumOfTextAndCondition) {
  WDEventMessager& high = AddEvent(kOpGreater, "100", true);
  WDEventMessager& any = AddEvent(kOpNotEqual, "0", true);
  EXPECT_TRUE(Sample("<i>150</i>"));
  const std::string key = "150" + high.m_condition.Describe();
  EXPECT_EQ(high.m_nLastAlarm, text::TextChecksum(key.c_str(), 0));
  EXPECT_NE(any.m_nLastAlarm, high.m_nLastAlarm);  // each event keeps its own
  EXPECT_EQ(host_.created.size(), 2u);

  // While messages are hidden nothing alarms, so nothing is remembered either.
  app_.Settings().m_bHideAllMessages = 1;
  host_.CloseAll();
  const uint32_t before = high.m_nLastAlarm;
  EXPECT_TRUE(Sample("170"));
  EXPECT_EQ(high.m_nLastAlarm, before);
  app_.Settings().m_bHideAllMessages = 0;
  EXPECT_TRUE(Sample("170"));
  EXPECT_EQ(host_.created.size(), 4u);
}

TEST_F(AlertTest, EventsRunLastFirstAndOnlyForEnabledHealthyBeacons) {
  AddEvent(kOpEqual, "up").m_actMessage.m_strText = "first";
  AddEvent(kOpNotEqual, "down").m_actMessage.m_strText = "second";
  EXPECT_TRUE(Sample("up"));
  ASSERT_EQ(host_.created.size(), 2u);
  EXPECT_NE(host_.created[0].find(platform::GetString(61463)), std::string::npos);  // the last event first
  EXPECT_NE(host_.created[1].find(platform::GetString(61462)), std::string::npos);
  EXPECT_EQ(value_->CountActiveEvents(), 2);
  host_.CloseAll();

  value_->SetEnabled(false);
  EXPECT_FALSE(value_->CheckAlert(0));
  EXPECT_EQ(value_->CountActiveEvents(), 0);
  value_->SetEnabled(true);
  value_->m_nStatus = 1;  // the pattern did not match
  EXPECT_FALSE(value_->CheckAlert(0));
  value_->m_nStatus = 0;
  page_.m_nState = 2;  // the page could not be read
  EXPECT_FALSE(value_->CheckAlert(0));
  EXPECT_EQ(host_.created.size(), 2u);
}

TEST_F(AlertTest, MailProblemsAreReportedAfterTheMessageWasShown) {
  WDEventMessager& event = AddEvent(kOpEqual, "up");
  event.m_actEmail.m_bEnabled = 1;
  EXPECT_TRUE(Sample("up"));
  EXPECT_EQ(host_.created.size(), 1u);
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], platform::GetString(platform::ids::kMsgFieldEmpty));

  host_.CloseAll();
  event.m_actEmail.m_strTo = "ann@example.com";
  app_.Settings().m_strSMTPServ = "";
  app_.Settings().m_strEmail = "me@example.com";
  EXPECT_FALSE(event.m_actEmail.Fire());
  ASSERT_EQ(prompt_.messages.size(), 2u);
  EXPECT_EQ(prompt_.messages[1], platform::GetString(platform::ids::kMsgMailNotConfigured));
  event.m_actEmail.m_bEnabled = 0;
  EXPECT_FALSE(event.m_actEmail.Fire());
  EXPECT_EQ(prompt_.messages.size(), 2u);
}

TEST_F(AlertTest, MailActionSendsThroughTheRelay) {
  testing::LoopbackServer server(testing::SmtpDialogue({}));
  app_.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  app_.Settings().m_strEmail = "monitor@example.com";
  app_.Settings().m_nTimeOut = 5;
  value_->SetKind(kKindNumber);
  value_->GetHistory().AddRecord(WDHistoryRecord("10"));
  WDEventMessager& event = AddEvent(kOpGreater, "10");
  event.m_actMessage.m_bEnabled = 0;
  WDAlertEmail& mail = event.m_actEmail;
  mail.m_bEnabled = 1;
  mail.m_strTo = "ann@example.com;bob@example.com";
  mail.m_strCc = "carl@example.com";
  mail.m_strSubject = "Price alert";
  mail.m_strText = "Look:";
  EXPECT_TRUE(Sample("12.5"));
  const std::string received = server.Received();
  EXPECT_NE(received.find("MAIL From: <monitor@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("RCPT TO: <ann@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("RCPT TO: <bob@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("RCPT TO: <carl@example.com>"), std::string::npos) << received;
  EXPECT_NE(received.find("Price alert"), std::string::npos);
  // Lines of the body end in LF and are joined with CR LF on the way; the text part may wrap the
  // description, so only its start is looked for.
  const std::string body = "- " + platform::GetString(platform::ids::kProgramTitle) +
                           " message -\r\nLook:\r\n Price : 12.5(+2.5) \r\n-------\r\n" + platform::GetString(1082);
  EXPECT_NE(received.find(body), std::string::npos) << received;
  EXPECT_EQ(mail.m_strTo, "ann@example.com;bob@example.com");
  ASSERT_EQ(prompt_.messages.size(), 1u);
  EXPECT_EQ(prompt_.messages[0], platform::GetString(platform::ids::kEmailLabel) + "ann@example.com;bob@example...\n" +
                                     platform::GetString(platform::ids::kMsgMailSent));
  EXPECT_EQ(prompt_.icons[0], platform::PromptIcon::Information);
}

}  // namespace
}  // namespace quorvex::model
