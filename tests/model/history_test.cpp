#include "model/history.h"

#include <gtest/gtest.h>

#include <ctime>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "platform/clock.h"
#include "platform/string_table.h"
#include "support/temp_folder.h"
#include "text/value_text.h"

namespace quorvex::model {
namespace {

// Seconds of a UTC calendar time.
int64_t Utc(int year, int month, int day, int hour, int minute, int second = 0) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  return static_cast<int64_t>(timegm(&parts));
}

// Runs a test in the UTC time zone so that local times are predictable.
struct UtcZone {
  struct Reread {
    ~Reread() { tzset(); }
  } reread;  // destroyed last: takes in the zone put back
  testing::ScopedEnv tz{"TZ", "UTC"};
  UtcZone() { tzset(); }
};

class FixedStrings : public platform::StringSource {
 public:
  explicit FixedStrings(std::string dateTime) : dateTime_(std::move(dateTime)) {}
  bool Lookup(uint16_t id, std::string& out) const override {
    if (id != 32812) return false;
    out = dateTime_;
    return true;
  }

 private:
  std::string dateTime_;
};

void Add(WDHistory& history, const std::string& text, int64_t time) {
  history.AddRecord(WDHistoryRecord(text, time));
}

std::string Texts(const WDHistory& history) {
  std::string out;
  for (const auto& record : history.GetRecords())
    out += record.GetRawText() + "@" + std::to_string(record.GetTime()) + " ";
  return out;
}

// A history of the samples, taken one second apart from time 1 on.
WDHistory Filled(std::initializer_list<const char*> samples) {
  WDHistory history;
  int64_t time = 0;
  for (const char* sample : samples) Add(history, sample, ++time);
  return history;
}

TEST(HistoryRecord, TakesNowAndPreparesText) {
  platform::SetFixedNow(1700000000);
  WDHistoryRecord empty;
  WDHistoryRecord sample("<b>12,5</b> kg<br>x");
  platform::SetFixedNow(-1);
  EXPECT_EQ(empty.GetTime(), 1700000000);
  EXPECT_EQ(empty.GetRawText(), "");
  EXPECT_EQ(sample.GetTime(), 1700000000);
  EXPECT_EQ(sample.GetText(true, 0), "12,5 kg\r\r\nx");  // each "\n" gains a CR, also after one
  EXPECT_EQ(sample.GetText(false, 0), "<b>12,5</b> kg<br>x");
  EXPECT_EQ(WDHistoryRecord("aaaa bbbb", 0).GetText(false, 5), "aaaa \r\nbbbb");
  EXPECT_EQ(sample.GetType(), text::kValueText);
  EXPECT_EQ(WDHistoryRecord("12,5 kg", 0).GetType(), text::kValueNumber);
  EXPECT_DOUBLE_EQ(WDHistoryRecord("12,5 kg", 0).GetNumber(), 12.5);
  EXPECT_EQ(WDHistoryRecord("#CRC#1", 0).GetType(), text::kValueChecksum);
}

TEST(History, RunsOfEqualSamplesKeepTheirFirstAndLatest) {
  EXPECT_TRUE(WDHistory().IsKeepAll());
  EXPECT_EQ(Texts(Filled({"5 USD", "5 USD"})), "5 USD@1 5 USD@2 ");
  EXPECT_EQ(Texts(Filled({"5 USD", "5 USD", "5 USD"})), "5 USD@1 5 USD@3 ");
  EXPECT_EQ(Texts(Filled({"5", "5", "5", "5"})), "5@1 5@4 ");
  EXPECT_EQ(Texts(Filled({"5", "5", "5", "5", "6", "5"})), "5@1 5@4 6@5 5@6 ");
  // The last two differed: kept as the start of a new run.
  EXPECT_EQ(Texts(Filled({"5", "5", "5", "5", "6", "5", "5"})), "5@1 5@4 6@5 5@6 5@7 ");
  EXPECT_EQ(Texts(Filled({"5", "5", "5", "5", "6", "5", "5", "5"})), "5@1 5@4 6@5 5@6 5@8 ");

  // Numbers compare first; equal numbers but a different text from the newest one: a new record.
  EXPECT_EQ(Texts(Filled({"10 USD", "10.00 USD", "10.00 USD"})), "10 USD@1 10.00 USD@3 ");
  EXPECT_EQ(Texts(Filled({"10 USD", "10.00 USD", "10.00 USD", "10 USD"})), "10 USD@1 10.00 USD@3 10 USD@4 ");
  // Tag-stripped texts decide; the kept record keeps its own raw text.
  EXPECT_EQ(Texts(Filled({"<b>sold out</b>", "<i>sold out</i>", "<u>sold out</u>"})),
            "<b>sold out</b>@1 <i>sold out</i>@3 ");
}

TEST(History, KeepTwoModeHoldsPreviousAndCurrent) {
  WDHistory history;
  history.SetKeepAll(0);
  EXPECT_FALSE(history.IsKeepAll());
  for (int i = 1; i <= 5; ++i) Add(history, std::to_string(i), i);
  EXPECT_EQ(Texts(history), "4@4 5@5 ");
  Add(history, "5", 6);  // no run compression: the equal sample replaces the older one
  EXPECT_EQ(Texts(history), "5@5 5@6 ");

  // Records from before the switch stay; only the last two slots turn over.
  WDHistory long_history;
  for (int i = 1; i <= 4; ++i) Add(long_history, std::to_string(i * 10), i);
  long_history.SetKeepAll(0);
  Add(long_history, "50", 5);
  EXPECT_EQ(Texts(long_history), "10@1 20@2 40@4 50@5 ");
}

TEST(History, HasLastChanged) {
  EXPECT_TRUE(Filled({}).HasLastChanged());
  EXPECT_TRUE(Filled({"abc"}).HasLastChanged());
  EXPECT_TRUE(Filled({"abc", "abc "}).HasLastChanged());  // a trailing blank is a change of a text
  EXPECT_FALSE(Filled({"abc", "abc ", "abc "}).HasLastChanged());
  EXPECT_TRUE(Filled({"Open", "open"}).HasLastChanged());
  EXPECT_FALSE(Filled({"<b>Open</b>", "Open"}).HasLastChanged());
  EXPECT_FALSE(Filled({"#CRC#17", "#CRC#17"}).HasLastChanged());
  EXPECT_TRUE(Filled({"#CRC#17", "#CRC#17", "#CRC#18"}).HasLastChanged());
  EXPECT_FALSE(Filled({"10 USD", "10.00 USD"}).HasLastChanged());
  EXPECT_FALSE(Filled({"3 1/2", "3.5"}).HasLastChanged());
  EXPECT_TRUE(Filled({"3 1/2", "3.5", "3.50001"}).HasLastChanged());
  // A number after a text compares numerically: the text counts as 0.
  EXPECT_FALSE(Filled({"n/a", "0"}).HasLastChanged());
  EXPECT_TRUE(Filled({"0", "n/a"}).HasLastChanged());
}

TEST(History, AccessorsDeltasAndSearch) {
  WDHistory history;
  EXPECT_EQ(history.GetAt(0), nullptr);
  EXPECT_EQ(history.GetLast(), nullptr);
  EXPECT_EQ(history.GetDelta(0), 0.0);
  EXPECT_EQ(history.FindFirstAt(100), 0);
  Add(history, "10", 100);
  EXPECT_DOUBLE_EQ(history.GetDelta(0), 10.0);  // the record before the first counts as 0
  Add(history, "7.5", 200);
  Add(history, "text", 300);
  EXPECT_EQ(history.GetAt(-1), nullptr);
  EXPECT_EQ(history.GetAt(3), nullptr);
  EXPECT_EQ(history.GetLast()->GetRawText(), "text");
  EXPECT_DOUBLE_EQ(history.GetDelta(1), -2.5);
  EXPECT_DOUBLE_EQ(history.GetDelta(2), -7.5);
  EXPECT_EQ(history.GetDelta(3), 0.0);
  EXPECT_EQ(history.GetDelta(-1), 0.0);
  // The first record at or after a time; none: one past the newest.
  const std::pair<int64_t, int> first_at[] = {{0, 0}, {100, 0}, {101, 1}, {200, 1}, {300, 2}, {301, 3}};
  for (const auto& [time, index] : first_at) EXPECT_EQ(history.FindFirstAt(time), index) << time;
}

TEST(History, ExtremesOverATimeWindow) {
  WDHistory history;
  EXPECT_EQ(history.GetMaximum(100, 1000), 0.0);
  EXPECT_EQ(history.GetMinimum(0, 1000), 0.0);
  const int64_t t = Utc(2024, 1, 10, 12, 0);
  Add(history, "-5", t);
  Add(history, "-9", t + 10);
  Add(history, "-2", t + 20);
  Add(history, "-7", t + 30);
  // All negative: the first record in the window starts the comparison, not 0.
  EXPECT_DOUBLE_EQ(history.GetMaximum(0, t + 30), -2);
  EXPECT_DOUBLE_EQ(history.GetMinimum(0, t + 30), -9);
  // Both ends of the window count.
  EXPECT_DOUBLE_EQ(history.GetMaximum(10, t + 30), -2);
  EXPECT_DOUBLE_EQ(history.GetMinimum(10, t + 30), -7);
  EXPECT_DOUBLE_EQ(history.GetMinimum(20, t + 30), -9);
  EXPECT_DOUBLE_EQ(history.GetMaximum(5, t + 5), -5);
  EXPECT_EQ(history.GetMaximum(5, t - 1), 0.0);  // nothing in the window
  EXPECT_DOUBLE_EQ(history.GetMinimum(0, t + 15), -9);

  // Without a span the window starts in 1990; text samples count as 0.
  WDHistory old;
  Add(old, "500", Utc(1985, 6, 1, 0, 0));
  Add(old, "3", Utc(1995, 6, 1, 0, 0));
  Add(old, "closed", Utc(1996, 6, 1, 0, 0));
  const int64_t end = Utc(2000, 1, 1, 0, 0);
  EXPECT_DOUBLE_EQ(old.GetMaximum(0, end), 3);
  EXPECT_DOUBLE_EQ(old.GetMinimum(0, end), 0);
  EXPECT_DOUBLE_EQ(old.GetMaximum(end - Utc(1980, 1, 1, 0, 0), end), 500);
}

TEST(History, ExportTextNewestFirst) {
  UtcZone utc;
  WDHistory numbers;
  Add(numbers, "12.5", Utc(2024, 3, 5, 14, 7));
  Add(numbers, "<b>13</b>", Utc(2024, 3, 6, 9, 30));
  // The built-in format is "%d.%m.%y %H:%M".
  EXPECT_EQ(numbers.BuildExportText(false, true, ",", ";", false),
            "06.03.24,09:30,13;\r\n"
            "05.03.24,14:07,12.5;\r\n");
  EXPECT_EQ(numbers.BuildExportText(false, false, ",", ";", false),
            "06.03.24 09:30,13;\r\n"
            "05.03.24 14:07,12.5;\r\n");
  // Date only: the blank after the date stays, the time is left out whatever separateTime says.
  EXPECT_EQ(numbers.BuildExportText(true, true, "\t", "", false),
            "06.03.24 \t13\r\n"
            "05.03.24 \t12.5\r\n");

  WDHistory texts;
  Add(texts, "in <i>stock</i>", Utc(2023, 12, 31, 23, 59, 59));
  EXPECT_EQ(texts.BuildExportText(false, true, ";", "|", true), "31.12.23;23:59;\"in stock\"|\r\n");
  EXPECT_EQ(WDHistory().BuildExportText(false, true, ",", ";", true), "");

  // Formats from the language file: the first 8 characters are the date, leading blanks of the
  // time format are dropped.
  FixedStrings strings("%Y-%m-%d   %H.%M.%S");
  platform::SetStringSource(&strings);
  EXPECT_EQ(texts.BuildExportText(false, true, ",", ";", false), "2023-12-31,23.59.59,in stock;\r\n");
  FixedStrings short_format("%y");
  platform::SetStringSource(&short_format);
  EXPECT_EQ(texts.BuildExportText(false, true, ",", ";", false), "23,,in stock;\r\n");
  FixedStrings broken("%d.%m.%y %");
  platform::SetStringSource(&broken);
  EXPECT_EQ(texts.BuildExportText(false, false, ",", ";", false), "31.12.23 ,in stock;\r\n");
  platform::SetStringSource(nullptr);
}

}  // namespace
}  // namespace quorvex::model
