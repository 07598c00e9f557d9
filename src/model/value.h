#pragma once
// A beacon: one value located on one page by a search pattern. Its page record owns it; it owns its
// history, its alert definition and its pattern. UI thread only.
#include <cstdint>
#include <string>

#include "model/alert.h"
#include "model/history.h"
#include "model/item.h"
#include "model/pattern_string.h"

namespace quorvex::model {

class WDValPage;
class WDFreshFreq;

// States of GetState, and the icon resources the tree shows for them.
constexpr int kStateNormal = 0;
constexpr int kStateDue = 1;
constexpr int kStateDisabled = 2;
constexpr int kStateAlert = 3;
constexpr int kStateError = 4;

// 1 January 1984 00:00:00 UTC: the sample time of a value without samples, older than any schedule.
constexpr int64_t kNoSampleTime = 441763200;

class WDValue : public WDItem {
 public:
  WDValue();
  explicit WDValue(WDValPage* page);
  ~WDValue() override = default;

  void SetPage(WDValPage* page);
  WDValPage* GetPage() const { return m_pPage; }
  std::string GetURL() const;

  std::string GetPattern() const { return m_pattern.GetPattern(); }
  void SetPattern(const std::string& text) { m_pattern.SetPattern(text); }
  const std::string& GetUnit() const { return m_strUnit; }
  // A number value always has a unit (" " when none is given); other kinds have none.
  void SetUnit(const std::string& text);

  // Sets name, pattern, description and unit, then attaches to the page of url.
  bool SetProperties(const std::string& name, const std::string& url, const std::string& pattern,
                     const std::string& description, const std::string& unit);
  // Asks the document to move this value to the page of url (created when needed).
  bool AttachToPage(const std::string& url);

  // Extracts from the page text and records a sample: 0 found, 1 no match, 2 busy (nothing done).
  int Refresh(const char* pageText, size_t length);
  int Refresh(const std::string& pageText) { return Refresh(pageText.c_str(), pageText.size()); }

  // The newest sample's text; raw (stripTags false) with root-relative links made absolute.
  std::string GetLastText(bool stripTags, int wrapWidth) const;
  // Newest sample time, or 1 January 1984 without samples (so a new value is due at once).
  int64_t GetLastSampleTime() const;
  double GetLastDelta() const;
  // mode 0: after a new sample (may fire actions); mode 1: only whether an event is active.
  bool CheckAlert(int mode);
  bool CanRemove(bool ask) const;
  bool SetFrequency(const WDFreshFreq& freq);
  bool IsDue() const;
  int64_t GetFetchTime() const;
  void SetCharset(int32_t charset);
  int32_t GetCharset() const;
  bool HasError() const;
  int GetState(bool forIcon);
  // The state in words; a failed page adds why it failed when that is known (WDValPage::GetErrorText).
  std::string GetStatusText();
  bool RequestRefresh(bool checkOnly);
  int CloseAlertWindows() { return m_alert.CloseAlertWindows(); }
  // The number of this value's events that hold for its newest sample.
  int CountActiveEvents();

  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  bool TryLock();
  void Unlock() { m_bBusy = 0; }
  bool IsBusy() const { return m_bBusy != 0; }

  WDAlert& GetAlert() { return m_alert; }
  const WDAlert& GetAlert() const { return m_alert; }
  WDHistory& GetHistory() { return m_history; }
  const WDHistory& GetHistory() const { return m_history; }
  WDPatternString& GetPatternString() { return m_pattern; }
  const WDPatternString& GetPatternString() const { return m_pattern; }

  int32_t m_nStatus = 0;
  WDValPage* m_pPage = nullptr;  // not owned: the page owns this value
  std::string m_strUnit;
  int32_t m_bBusy = 0;
  WDAlert m_alert;
  WDPatternString m_pattern;
  WDHistory m_history;
};

// The icon resource for a state (143 due, 144 disabled, 145 normal or alert, 146 error).
int StateIcon(int state);

}  // namespace quorvex::model
