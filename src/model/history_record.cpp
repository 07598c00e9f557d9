#include "model/history_record.h"

#include "platform/clock.h"
#include "text/value_text.h"

namespace quorvex::model {

WDHistoryRecord::WDHistoryRecord() : m_time(platform::Now()) {}

WDHistoryRecord::WDHistoryRecord(std::string text) : m_strText(std::move(text)), m_time(platform::Now()) {}

WDHistoryRecord::WDHistoryRecord(std::string text, int64_t time) : m_strText(std::move(text)), m_time(time) {}

std::string WDHistoryRecord::GetText(bool stripTags, int wrapWidth) const {
  std::string clean = text::CleanText(m_strText, stripTags, wrapWidth);
  std::string out;
  out.reserve(clean.size() + clean.size() / 16);
  for (char c : clean) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

double WDHistoryRecord::GetNumber() const {
  return text::ParseValueFull(m_strText).number;
}

int WDHistoryRecord::GetType() const {
  return text::ParseValueFull(m_strText).type;
}

}  // namespace quorvex::model
