#include "model/history.h"

#include <ctime>
#include <utility>

#include "platform/string_table.h"
#include "text/time_format.h"
#include "text/value_text.h"

namespace quorvex::model {
namespace {

// Language text holding the date format (its first 8 characters) and the time format.
constexpr uint16_t kDateTimeFormatId = 32812;
constexpr size_t kDateFormatLength = 8;

// 1 January 1990 00:00 local time: where a window without a span starts.
int64_t EarliestWindowStart() {
  std::tm parts{};
  parts.tm_year = 90;
  parts.tm_mday = 1;
  parts.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&parts));
}

}  // namespace

const WDHistoryRecord* WDHistory::GetAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return &m_records[static_cast<size_t>(index)];
}

WDHistoryRecord* WDHistory::GetAt(int index) {
  return const_cast<WDHistoryRecord*>(std::as_const(*this).GetAt(index));
}

const WDHistoryRecord* WDHistory::GetLast() const {
  return m_records.empty() ? nullptr : &m_records.back();
}

WDHistoryRecord* WDHistory::GetLast() {
  return m_records.empty() ? nullptr : &m_records.back();
}

void WDHistory::AddRecord(WDHistoryRecord record) {
  if (IsKeepAll()) {
    if (m_records.size() > 1 && !HasLastChanged() && record.GetText(true, 0) == m_records.back().GetText(true, 0)) {
      m_records.back().SetTime(record.GetTime());
      return;
    }
    m_records.push_back(std::move(record));
    return;
  }
  if (m_records.size() < 2) {
    m_records.push_back(std::move(record));
    return;
  }
  size_t last = m_records.size() - 1;
  m_records[last - 1] = std::move(m_records[last]);
  m_records[last] = std::move(record);
}

bool WDHistory::HasLastChanged() const {
  int count = GetCount();
  if (count < 2) return true;
  const WDHistoryRecord* newest = GetAt(count - 1);
  if (newest->GetType() == text::kValueNumber) return GetDelta(count - 1) != 0.0;
  return newest->GetText(true, 0) != GetAt(count - 2)->GetText(true, 0);
}

double WDHistory::GetDelta(int index) const {
  const WDHistoryRecord* record = GetAt(index);
  if (!record) return 0.0;
  const WDHistoryRecord* previous = GetAt(index - 1);
  return record->GetNumber() - (previous ? previous->GetNumber() : 0.0);
}

double WDHistory::Extreme(int64_t span, int64_t end, bool largest) const {
  int64_t start = span == 0 ? EarliestWindowStart() : end - span;
  bool found = false;
  double best = 0.0;
  for (const WDHistoryRecord& record : m_records) {
    if (record.GetTime() < start || record.GetTime() > end) continue;
    double number = record.GetNumber();
    if (!found || (largest ? number > best : number < best)) best = number;
    found = true;
  }
  return best;
}

double WDHistory::GetMaximum(int64_t span, int64_t end) const {
  return Extreme(span, end, true);
}

double WDHistory::GetMinimum(int64_t span, int64_t end) const {
  return Extreme(span, end, false);
}

int WDHistory::FindFirstAt(int64_t time) const {
  int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (m_records[static_cast<size_t>(i)].GetTime() >= time) return i;
  }
  return count;
}

std::string WDHistory::BuildExportText(bool dateOnly, bool separateTime, const std::string& fieldSep,
                                       const std::string& recordSep, bool quote) const {
  std::string formats = platform::GetString(kDateTimeFormatId);
  std::string dateFormat = formats.substr(0, kDateFormatLength);
  std::string timeFormat;
  if (!dateOnly && formats.size() > kDateFormatLength) {
    size_t from = formats.find_first_not_of(" \t", kDateFormatLength);
    if (from != std::string::npos) timeFormat = formats.substr(from);
  }
  const std::string between = !dateOnly && separateTime ? fieldSep : std::string(" ");
  std::string out;
  for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
    const WDHistoryRecord& record = *it;
    out += text::FormatLocalTime(record.GetTime(), dateFormat);
    out += between;
    if (!dateOnly) out += text::FormatLocalTime(record.GetTime(), timeFormat);
    out += fieldSep;
    if (quote) out += '"';
    out += record.GetText(true, 0);
    if (quote) out += '"';
    out += recordSep;
    out += "\r\n";
  }
  return out;
}

}  // namespace quorvex::model
