#include "model/alert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "model/val_page.h"
#include "model/value.h"
#include "platform/alert_windows.h"
#include "platform/string_table.h"
#include "support/recording_prompt.h"
#include "support/test_app.h"

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
    value_->GetHistory().AddRecord(std::make_unique<WDHistoryRecord>(text));
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

}  // namespace
}  // namespace quorvex::model
