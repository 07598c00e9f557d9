#include "model/val_page.h"

#include <algorithm>

#include "model/value.h"
#include "platform/clock.h"
#include "settings/app_context.h"
#include "text/code_page.h"

namespace quorvex::model {

WDValPage::WDValPage() : m_timeFetched(platform::Now()) {}

WDValPage::WDValPage(const std::string& url) : m_strURL(url), m_timeFetched(platform::Now()) {}

WDValPage::~WDValPage() = default;

void WDValPage::AddValue(std::unique_ptr<WDValue> value) {
  value->SetPage(this);
  m_values.push_back(std::move(value));
}

bool WDValPage::RemoveValue(WDValue* value) {
  if (!value || !value->CanRemove(true)) return false;
  return DetachValue(value) != nullptr;
}

std::unique_ptr<WDValue> WDValPage::DetachValue(WDValue* value) {
  auto it = std::find_if(m_values.begin(), m_values.end(), [value](const auto& v) { return v.get() == value; });
  if (it == m_values.end()) return nullptr;
  std::unique_ptr<WDValue> out = std::move(*it);
  m_values.erase(it);
  return out;
}

bool WDValPage::ContainsValue(const WDValue* value) const {
  return std::any_of(m_values.begin(), m_values.end(), [value](const auto& v) { return v.get() == value; });
}

void WDValPage::LinkValues() {
  for (auto& value : m_values) value->SetPage(this);
}

bool WDValPage::HasEnabledValue() const {
  return std::any_of(m_values.begin(), m_values.end(), [](const auto& v) { return v->IsEnabled(); });
}

int WDValPage::ProcessText(char* text, size_t length, const std::function<void(std::string_view)>& converted) {
  if (!text) return 1;
  text::ConvertCodePage(text, m_nCharset);
  m_timeFetched = platform::Now();
  if (converted) converted(std::string_view(text, length));
  for (size_t i = 0; i < m_values.size(); ++i) m_values[i]->Refresh(text, length);
  return m_nState;
}

int64_t WDValPage::GetLatestSampleTime() const {
  int64_t latest = 0;
  for (const auto& value : m_values) latest = std::max(latest, value->GetLastSampleTime());
  return latest;
}

bool WDValPage::IsDue() const {
  const settings::AppContext* app = settings::GetAppContext();
  if (!HasEnabledValue() || !app || m_nState == kPageOverdue) return false;
  if (m_freq.m_bAtStartOnly == 0) return platform::Now() >= GetLatestSampleTime() + m_freq.GetSpan();
  return GetLatestSampleTime() < app->GetStartTime();
}

}  // namespace quorvex::model
