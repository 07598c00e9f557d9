#pragma once
// A node of the catalog tree: a folder (WDGroup) or a watched value (WDValue).
#include <cstdint>
#include <string>

#include "model/archive_registry.h"

namespace quorvex::model {

// Item kinds; the same numbers are the container format's "ValType=".
constexpr uint16_t kKindPlain = 0;
constexpr uint16_t kKindGroup = 1;
constexpr uint16_t kKindText = 2;
constexpr uint16_t kKindNumber = 3;
constexpr uint16_t kKindChecksum = 4;

class WDItem : public ArchiveObject {
 public:
  WDItem() = default;
  ~WDItem() override = default;
  WDItem(const WDItem&) = delete;
  WDItem& operator=(const WDItem&) = delete;

  std::string GetName() const { return m_strName; }
  void SetName(const std::string& name) { m_strName = name; }
  bool IsEnabled() const { return m_bEnabled != 0; }
  void SetEnabled(bool enabled) { m_bEnabled = enabled ? 1 : 0; }
  const std::string& GetDescription() const { return m_strDescription; }
  void SetDescription(const std::string& description) { m_strDescription = description; }
  uint16_t GetKind() const { return m_nKind; }
  void SetKind(uint16_t kind) { m_nKind = kind; }
  bool IsGroup() const { return m_nKind == kKindGroup; }

  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  // Stored with the item and otherwise left alone; a loaded value is written back unchanged.
  uint16_t m_wReserved = 0;
  std::string m_strName;
  int32_t m_bEnabled = 1;
  std::string m_strDescription;
  uint16_t m_nKind = kKindPlain;
  uint16_t m_wFlag = 1;
};

}  // namespace quorvex::model
