#include <gtest/gtest.h>

#include <memory>

#include "model/group.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/clock.h"
#include "platform/string_table.h"
#include "support/recording_prompt.h"
#include "support/test_app.h"

namespace quorvex::model {
namespace {

TEST(CatalogTree, GroupOwnsSubGroupsButNotValuesAndBusyValuesStay) {
  WDValPage page("http://example.com/");
  for (int i = 0; i < 3; ++i) page.AddValue(std::make_unique<WDValue>());
  {
    WDGroup root("Catalog", "");
    auto* a = new WDGroup("A", "");
    auto* b = new WDGroup("B", "");
    root.AddChild(a);
    a->AddChild(b);
    b->AddChild(page.GetValue(0));
    root.AddChild(page.GetValue(1));
    EXPECT_EQ(root.AddChild(page.GetValue(1)), page.GetValue(1));
    EXPECT_EQ(root.GetChildCount(), 2u);  // no duplicate
    EXPECT_TRUE(root.Contains(page.GetValue(0)));
    EXPECT_FALSE(root.RemoveChild(page.GetValue(0)));  // nested, not a direct child
    EXPECT_TRUE(root.RemoveChild(page.GetValue(1)));
    EXPECT_FALSE(root.Contains(page.GetValue(1)));
  }
  // The groups are gone; the values still belong to their page (ASan would flag a double free).
  EXPECT_EQ(page.GetValueCount(), 3u);
  EXPECT_EQ(page.GetValue(0)->GetPage(), &page);

  // A busy value refuses removal, from a folder and from its page.
  testing::RecordingPrompt prompt;
  WDValue* value = page.GetValue(2);
  WDGroup root("Catalog", "");
  root.AddChild(value);
  ASSERT_TRUE(value->TryLock());
  EXPECT_FALSE(root.RemoveChild(value));
  EXPECT_FALSE(page.RemoveValue(value));
  EXPECT_EQ(prompt.messages.size(), 2u);
  value->Unlock();
  EXPECT_TRUE(root.RemoveChild(value));
  EXPECT_TRUE(page.RemoveValue(value));
  EXPECT_EQ(page.GetValueCount(), 2u);
}

TEST(MonitoredValue, UnitFollowsKindAndPatternIsScrambled) {
  WDValue value;
  value.SetKind(kKindNumber);
  value.SetUnit("");
  EXPECT_EQ(value.GetUnit(), " ");
  value.SetUnit("kg");
  EXPECT_EQ(value.GetUnit(), "kg");
  value.SetKind(kKindText);
  value.SetUnit("kg");
  EXPECT_EQ(value.GetUnit(), "");

  const std::string pattern = "Price:{?}</td>\n\xE0";
  value.SetPattern(pattern);
  EXPECT_EQ(value.GetPattern(), pattern);
  const std::string& stored = value.GetPatternString().GetStored();
  ASSERT_EQ(stored.size(), pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    auto c = static_cast<uint8_t>(pattern[i]);
    EXPECT_EQ(static_cast<uint8_t>(stored[i]), static_cast<uint8_t>(WDPatternString::kPatternKey - c));
  }
}

TEST(MonitoredValue, RefreshRecordsSamplesAndStates) {
  testing::TestApp app;
  WDValPage page("https://shop.example.com:8443/list?x=1");
  page.AddValue(std::make_unique<WDValue>());
  WDValue* value = page.GetValue(0);
  value->SetPattern("Price:{?}</td>");
  EXPECT_TRUE(value->IsDue());  // no sample yet
  EXPECT_EQ(value->GetState(false), kStateDue);

  std::string text = "<td>Price: 12.5 </td>";
  EXPECT_EQ(page.ProcessText(text.data(), text.size()), 0);
  ASSERT_EQ(value->GetHistory().GetCount(), 1);
  EXPECT_EQ(value->GetLastText(true, 0), "12.5 ");
  EXPECT_EQ(value->GetStatusText(), platform::GetString(61481));

  std::string other = "nothing here";
  page.ProcessText(other.data(), other.size());
  EXPECT_EQ(value->m_nStatus, 1);
  EXPECT_EQ(value->GetHistory().GetCount(), 1);  // earlier samples kept
  EXPECT_EQ(value->GetState(false), kStateError);
  EXPECT_EQ(value->GetState(true), 146);
  EXPECT_EQ(value->GetStatusText(), platform::GetString(61485));
  page.m_nState = 2;
  EXPECT_EQ(value->GetStatusText(), platform::GetString(61482));
  page.m_nState = 1;
  page.SetErrorText("HTTP 503 Service Unavailable");
  EXPECT_EQ(value->GetStatusText(), platform::GetString(61480) + " HTTP 503 Service Unavailable");
  page.m_nState = 2;

  ASSERT_TRUE(value->TryLock());
  EXPECT_EQ(value->Refresh(text), 2);  // busy: nothing recorded
  value->Unlock();
  value->SetEnabled(false);
  EXPECT_EQ(value->GetState(false), kStateDisabled);

  // The raw text gets absolute root links.
  value->GetHistory().AddRecord(WDHistoryRecord(
      "<a href=\"/item/1\">a</a> <a href=\"page.htm\">b</a> <a href=\"http://x.org/\">c</a> <a href=/bare>d</a>"));
  EXPECT_EQ(value->GetLastText(false, 0),
            "<a href=\"http://shop.example.com/item/1\">a</a> <a href=\"page.htm\">b</a> "
            "<a href=\"http://x.org/\">c</a> <a href=http://shop.example.com/bare>d</a>");
}

TEST(MonitoredValue, ScheduleDecidesWhenThePageIsDue) {
  testing::TestApp app;
  WDValPage page("http://example.com/");
  page.AddValue(std::make_unique<WDValue>());
  WDValue* value = page.GetValue(0);
  value->SetPattern("");
  std::string text = "abc";

  // Once per run: one sample taken after start ends it.
  page.m_freq.m_bAtStartOnly = 1;
  EXPECT_TRUE(page.IsDue());
  page.ProcessText(text.data(), text.size());
  EXPECT_EQ(value->GetLastText(true, 0), "#CRC#2105851804");
  EXPECT_FALSE(page.IsDue());

  // Every 2 hours.
  page.m_freq.m_bAtStartOnly = 0;
  page.m_freq.m_nUnit = kUnitHours;
  page.m_freq.m_nCount = 2;
  const int64_t taken = value->GetLastSampleTime();
  platform::SetFixedNow(taken + 2 * 3600 - 1);
  EXPECT_FALSE(page.IsDue());
  platform::SetFixedNow(taken + 2 * 3600);
  EXPECT_TRUE(page.IsDue());
  page.m_nState = kPageOverdue;  // abandoned pages wait for the user
  EXPECT_FALSE(page.IsDue());
  platform::SetFixedNow(-1);

  WDFreshFreq months;
  months.m_nUnit = kUnitMonths;
  months.m_nCount = 2;
  EXPECT_EQ(months.GetSpan(), 60 * 86400);
  months.m_nUnit = 9;
  EXPECT_EQ(months.GetSpan(), 0);
}

}  // namespace
}  // namespace quorvex::model
