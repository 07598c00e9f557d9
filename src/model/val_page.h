#pragma once
// A page record: one address, its refresh schedule and the values read from it. The document owns
// the pages; a page owns its values. UI thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/archive_registry.h"
#include "model/fresh_freq.h"

namespace quorvex::model {

class WDValue;

// Page states after a fetch: 0 fetched, anything else failed, 5 abandoned as overdue.
constexpr int32_t kPageFetched = 0;
constexpr int32_t kPageOverdue = 5;

class WDValPage : public ArchiveObject {
 public:
  WDValPage();
  explicit WDValPage(const std::string& url);
  ~WDValPage() override;
  WDValPage(const WDValPage&) = delete;
  WDValPage& operator=(const WDValPage&) = delete;

  // Takes ownership of value and links it to this page.
  void AddValue(std::unique_ptr<WDValue> value);
  // Destroys value unless it refuses (busy: message 61470); false then.
  bool RemoveValue(WDValue* value);
  // Hands value over to the caller without destroying it (for moving between pages); nullptr when
  // it is not on this page.
  std::unique_ptr<WDValue> DetachValue(WDValue* value);
  bool ContainsValue(const WDValue* value) const;
  void LinkValues();
  bool HasEnabledValue() const;
  size_t GetValueCount() const { return m_values.size(); }
  WDValue* GetValue(size_t index) const { return index < m_values.size() ? m_values[index].get() : nullptr; }

  // Converts text in place to Windows-1251 by the page's charset, stamps the fetch time, hands the
  // converted text to converted (when given: the text exactly as the values see it) and lets every
  // value extract from it. Returns m_nState; 1 for a missing text.
  int ProcessText(char* text, size_t length, const std::function<void(std::string_view)>& converted = {});
  int64_t GetLatestSampleTime() const;
  bool IsDue() const;
  const std::string& GetURL() const { return m_strURL; }
  // Why the last fetch failed (m_nState not 0): "HTTP 503 Service Unavailable", the network's reason, a
  // time-out; empty when it was read or nobody said. Kept in memory only: the catalog file has no room
  // for it, so a page loaded from the file has none.
  const std::string& GetErrorText() const { return m_strError; }
  void SetErrorText(std::string text) { m_strError = std::move(text); }

  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  int32_t m_nState = kPageFetched;
  int32_t m_nCharset = 0;
  std::string m_strURL;
  std::vector<std::unique_ptr<WDValue>> m_values;
  int64_t m_timeFetched = 0;
  WDFreshFreq m_freq;
  std::string m_strError;  // never stored
};

}  // namespace quorvex::model
