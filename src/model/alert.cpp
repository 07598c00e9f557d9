#include "model/alert.h"

#include "model/history.h"
#include "model/val_page.h"
#include "model/value.h"
#include "platform/alert_windows.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/app_context.h"
#include "settings/open_target.h"
#include "text/checksum.h"
#include "text/text_case.h"
#include "text/value_text.h"

namespace quorvex::model {
namespace {

bool CompareNumbers(double a, double b, int32_t op) {
  switch (op) {
    case kOpEqual:
      return a == b;
    case kOpNotEqual:
      return a != b;
    case kOpGreater:
      return a > b;
    case kOpLess:
      return a < b;
    case kOpGreaterEqual:
      return a >= b;
    case kOpLessEqual:
      return a <= b;
    default:
      return false;
  }
}

bool CompareTexts(const std::string& text, const std::string& operand, int32_t op) {
  const std::string a = text::UpperCase(text);
  const std::string b = text::UpperCase(operand);
  if (op == kOpNotEqual) return a != b;
  if (b.empty()) return false;
  const bool contains = a.find(b) != std::string::npos;
  if (op == kOpEqual || op == kOpGreaterEqual || op == kOpLessEqual) return contains;
  if (op == kOpGreater || op == kOpLess) return !contains;
  return false;
}

bool HideAllMessages() {
  const settings::WDSettings* s = settings::GetSettings();
  return s && s->m_bHideAllMessages != 0;
}

bool SoundEnabled() {
  const settings::WDSettings* s = settings::GetSettings();
  return !s || s->m_bSoundEnable != 0;
}

}  // namespace

std::vector<ChangedLine> AlertChanges(const WDValue* value) {
  const settings::WDSettings* s = settings::GetSettings();
  DocumentHooks* document = ActiveDocument();
  if (!s || s->m_bIncludeChanges == 0 || !document || !value || !value->GetPage()) return {};
  return document->NewestChange(value->GetPage()->GetURL());
}

// ---- condition

const WDHistoryRecord* WDEventCondition::GetPreviousRecord() const {
  if (!m_pValue) return nullptr;
  const WDHistory& history = m_pValue->GetHistory();
  if (history.GetCount() < 2) return nullptr;
  return history.GetAt(history.GetCount() - 2);
}

bool WDEventCondition::Test(const std::string& text) const {
  std::string operand = m_strOperand;
  if (operand.empty()) {
    if (const WDHistoryRecord* previous = GetPreviousRecord()) operand = previous->GetText(true, 0);
  }
  const double a = text::ParseValue(text, false);
  const double b = text::ParseValue(operand, false);
  if (a != 0 && b != 0) return CompareNumbers(a, b, m_nOperator);
  if (text::ParseValue(text, true) == text::kValueNumber && text::ParseValue(operand, true) == text::kValueNumber) {
    return CompareNumbers(a, b, m_nOperator);
  }
  return CompareTexts(text, operand, m_nOperator);
}

std::string WDEventCondition::Describe() const {
  // An operator from a damaged file must not borrow the text of whatever message follows the six.
  const bool known = m_nOperator >= kOpEqual && m_nOperator <= kOpLessEqual;
  std::string op =
      known ? platform::GetString(static_cast<uint16_t>(platform::ids::kOperatorEqual + m_nOperator)) : "?";
  std::string operand = m_strOperand;
  if (operand.empty()) {
    if (m_pValue && m_pValue->GetKind() == kKindChecksum) {
      operand = "-CRC-";
    } else if (const WDHistoryRecord* previous = GetPreviousRecord()) {
      operand = previous->GetText(true, 0);
    }
  }
  return platform::GetString(platform::ids::kEventDescription) + " " + op + " " + operand;
}

// ---- actions

WDAlertMessage::WDAlertMessage(WDEventCondition* condition) : WDAction(condition) {
  m_bEnabled = 1;
}

bool WDAlertMessage::HasOpenWindow() const {
  const platform::AlertWindowHost* host = platform::AlertWindows();
  return m_pWindow != 0 && host && host->IsAlertWindowOpen(m_pWindow);
}

bool WDAlertMessage::CloseWindow() {
  if (!HasOpenWindow()) {
    m_pWindow = 0;
    return false;
  }
  platform::AlertWindows()->DestroyAlertWindow(m_pWindow);
  m_pWindow = 0;
  return true;
}

bool WDAlertMessage::Fire() {
  if (!m_bEnabled) return false;
  if (HasOpenWindow()) return true;
  m_pWindow = 0;
  const std::string description = m_pCondition ? m_pCondition->Describe() : std::string();
  WDValue* value = Value();
  if (!value) return false;
  const std::string last = value->GetLastText(true, 0);
  platform::AlertWindowHost* host = platform::AlertWindows();
  if (host) {
    platform::AlertWindowContent content{description, m_strText, last, value->GetName(), {}};
    for (const ChangedLine& line : AlertChanges(value)) {
      if (line.added) {
        content.change = line.text;
        break;
      }
    }
    m_pWindow = host->CreateAlertWindowFor(content);
  }
  if (m_pWindow != 0) {
    if (m_bSound && SoundEnabled()) host->Beep();
    host->AlertArrived();
    return true;
  }
  platform::Prompt().ShowMessage(" - Can't show normal alert window - \n\n" + value->GetName() + "\n" +
                                     platform::GetString(platform::ids::kAlertCurrentValue) + text::Shorten(last, 30) +
                                     "\n\n" + description,
                                 platform::PromptIcon::Exclamation);
  if (host) host->AlertArrived();
  return true;
}

bool WDAlertExec::Fire() {
  if (!m_bEnabled) return false;
  for (int slot = 0; slot < kSlots; ++slot) {
    const std::string& target = m_strings[slot * kStringsPerSlot + kTargetString];
    if (!target.empty()) settings::OpenTarget(target);
  }
  if (m_bOpenPage && Value()) settings::OpenTarget(Value()->GetURL());
  return true;
}

// ---- event

WDEventMessager::WDEventMessager() : m_actMessage(&m_condition), m_actEmail(&m_condition), m_actExec(&m_condition) {}

bool WDEventMessager::Evaluate(const std::string& text, int mode) {
  const bool holds = m_condition.Test(text);
  if (holds && mode == 0 && !HideAllMessages()) Fire();
  return holds;
}

void WDEventMessager::Fire() {
  if (m_bOnce) {
    std::string key = m_condition.m_pValue ? m_condition.m_pValue->GetLastText(true, 0) : std::string();
    key += m_condition.Describe();
    const uint32_t checksum = text::TextChecksum(key.c_str(), 0);
    if (checksum == m_nLastAlarm) return;
    m_nLastAlarm = checksum;
  }
  m_actExec.Fire();
  m_actMessage.Fire();
  m_actEmail.Fire();
}

// ---- alert

void WDAlert::SetOwner(WDValue* value) {
  m_pValue = value;
  for (auto& event : m_events) event->m_condition.m_pValue = value;
}

int WDAlert::Evaluate(const std::string& text, int mode) {
  if (!m_bEnabled) return 0;
  int count = 0;
  for (size_t i = m_events.size(); i-- > 0;) {
    if (m_events[i]->Evaluate(text, mode)) ++count;
  }
  return count;
}

int WDAlert::CloseAlertWindows() {
  int count = 0;
  for (size_t i = m_events.size(); i-- > 0;) {
    if (m_events[i]->m_actMessage.CloseWindow()) ++count;
  }
  return count;
}

WDEventMessager& WDAlert::AddEvent(std::unique_ptr<WDEventMessager> event) {
  event->m_condition.m_pValue = m_pValue;
  m_events.push_back(std::move(event));
  return *m_events.back();
}

bool WDAlert::RemoveEvent(size_t index) {
  if (index >= m_events.size()) return false;
  m_events[index]->m_actMessage.CloseWindow();
  m_events.erase(m_events.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

}  // namespace quorvex::model
