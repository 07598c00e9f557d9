#include "model/value.h"

#include <cmath>
#include <memory>

#include "model/document_hooks.h"
#include "model/val_page.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "text/pattern_matcher.h"
#include "text/url.h"

namespace quorvex::model {
WDValue::WDValue() {
  m_nKind = kKindText;
}

WDValue::WDValue(WDValPage* page) : WDValue() {
  SetPage(page);
}

void WDValue::SetPage(WDValPage* page) {
  m_pPage = page;
  m_alert.SetOwner(this);
}

std::string WDValue::GetURL() const {
  return m_pPage ? m_pPage->m_strURL : std::string();
}

void WDValue::SetUnit(const std::string& text) {
  if (m_nKind == kKindNumber) {
    m_strUnit = text.empty() ? " " : text;
  } else {
    m_strUnit.clear();
  }
}

bool WDValue::SetProperties(const std::string& name, const std::string& url, const std::string& pattern,
                            const std::string& description, const std::string& unit) {
  m_strName = name;
  SetPattern(pattern);
  m_strDescription = description;
  SetUnit(unit);
  return AttachToPage(url);
}

bool WDValue::AttachToPage(const std::string& url) {
  DocumentHooks* document = ActiveDocument();
  return document && document->MoveBeacon(url, *this);
}

bool WDValue::TryLock() {
  if (m_bBusy) return false;
  m_bBusy = 1;
  return true;
}

int WDValue::Refresh(const char* pageText, size_t length) {
  if (!TryLock()) return 2;
  m_nStatus = 0;
  if (IsEnabled()) {
    text::WDPatternMatcher matcher(pageText, length, GetPattern());
    if (matcher.Extract() != 0) {
      m_nStatus = 1;
    } else {
      m_history.AddRecord(WDHistoryRecord(matcher.GetValue()));
      CheckAlert(0);
      MarkDocumentModified();
    }
  }
  Unlock();
  return m_nStatus;
}

std::string WDValue::GetLastText(bool stripTags, int wrapWidth) const {
  const WDHistoryRecord* last = m_history.GetLast();
  if (!last) return std::string();
  std::string text = last->GetText(stripTags, wrapWidth);
  if (stripTags) return text;
  // Root-relative links of the raw page text would point nowhere outside the page.
  size_t pos = 0;
  while (true) {
    size_t href = text.find("href", pos);
    if (href == std::string::npos) break;
    size_t eq = text.find('=', href + 4);
    if (eq == std::string::npos) break;
    size_t link = eq + 1;
    size_t mark = text.find_first_of("\">", link - 1);
    if (mark != std::string::npos && text[mark] == '"') link = mark + 1;
    if (link >= text.size()) break;
    if (text[link] == '/' || text[link] == '\\') {
      text::ParsedUrl url;
      if (!text::ParseUrl(GetURL(), url)) break;
      text.insert(link, "http://" + url.server);
    }
    pos = link + 1;
  }
  return text;
}

int64_t WDValue::GetLastSampleTime() const {
  const WDHistoryRecord* last = m_history.GetLast();
  return last ? last->GetTime() : kNoSampleTime;
}

double WDValue::GetLastDelta() const {
  const int count = m_history.GetCount();
  return count > 0 ? m_history.GetDelta(count - 1) : 0.0;
}

bool WDValue::CheckAlert(int mode) {
  // Without a sample there is no value to compare: an empty text would hold for "greater than".
  if (HasError() || !IsEnabled() || m_history.GetCount() == 0) return false;
  return m_alert.Evaluate(GetLastText(true, 0), mode) > 0;
}

int WDValue::CountActiveEvents() {
  if (HasError() || !IsEnabled() || m_history.GetCount() == 0) return 0;
  return m_alert.Evaluate(GetLastText(true, 0), 1);
}

bool WDValue::CanRemove(bool ask) const {
  if (!m_bBusy) return true;
  if (ask)
    platform::Prompt().ShowMessage(platform::GetString(platform::ids::kMsgBeaconBusy),
                                   platform::PromptIcon::Exclamation);
  return false;
}

bool WDValue::SetFrequency(const WDFreshFreq& freq) {
  if (!m_pPage || !TryLock()) return false;
  m_pPage->m_freq.CopyFrom(freq);
  Unlock();
  return true;
}

bool WDValue::IsDue() const {
  return m_pPage && m_pPage->IsDue();
}

int64_t WDValue::GetFetchTime() const {
  return m_pPage ? m_pPage->m_timeFetched : 0;
}

void WDValue::SetCharset(int32_t charset) {
  if (m_pPage) m_pPage->m_nCharset = charset;
}

int32_t WDValue::GetCharset() const {
  return m_pPage ? m_pPage->m_nCharset : 0;
}

bool WDValue::HasError() const {
  return m_pPage && (m_pPage->m_nState != 0 || m_nStatus != 0);
}

int WDValue::GetState(bool forIcon) {
  int state = kStateNormal;
  if (!IsEnabled()) {
    state = kStateDisabled;
  } else if (HasError()) {
    state = kStateError;
  } else if (CheckAlert(1)) {
    state = kStateAlert;
  } else if (IsDue()) {
    state = kStateDue;
  }
  return forIcon ? StateIcon(state) : state;
}

std::string WDValue::GetStatusText() {
  switch (GetState(false)) {
    case kStateNormal:
      return platform::GetString(platform::ids::kStateOk);
    case kStateDue:
      return platform::GetString(platform::ids::kStateDue);
    case kStateDisabled:
      return platform::GetString(platform::ids::kStateMonitoringOff);
    case kStateAlert:
      return platform::GetString(platform::ids::kStateAlert);
    default:
      break;
  }
  uint16_t id = platform::ids::kStatePatternFailed;
  if (!m_pPage) return std::string();
  switch (m_pPage->m_nState) {
    case 1:
      id = platform::ids::kStatePageFailed;
      break;
    case 2:
      id = platform::ids::kStatePageStopped;
      break;
    case 3:
      id = platform::ids::kStatePageError3;
      break;
    case 4:
      id = platform::ids::kStatePageError4;
      break;
    default:
      break;
  }
  std::string text = platform::GetString(id);
  if (m_pPage->m_nState != kPageFetched && !m_pPage->GetErrorText().empty()) text += " " + m_pPage->GetErrorText();
  return text;
}

bool WDValue::RequestRefresh(bool checkOnly) {
  if (checkOnly || !IsEnabled()) return IsEnabled();
  DocumentHooks* document = ActiveDocument();
  return document && document->RequestRefresh(*this);
}

int StateIcon(int state) {
  switch (state) {
    case kStateDisabled:
      return 144;
    case kStateError:
      return 146;
    case kStateDue:
      return 143;
    default:
      return 145;
  }
}

}  // namespace quorvex::model
