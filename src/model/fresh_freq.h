#pragma once
// A page's refresh schedule: once per program run, or every so many units.
#include <cstdint>

namespace quorvex::model {

class ArchiveReader;
class ArchiveWriter;

// Schedule units.
constexpr int32_t kUnitMinutes = 0;
constexpr int32_t kUnitHours = 1;
constexpr int32_t kUnitDays = 2;
constexpr int32_t kUnitWeeks = 3;
constexpr int32_t kUnitMonths = 4;

class WDFreshFreq {
 public:
  WDFreshFreq();
  // Copies the three numbers of other (or 0, -1, 0 without one) and stamps now.
  explicit WDFreshFreq(const WDFreshFreq* other);
  virtual ~WDFreshFreq() = default;

  void CopyFrom(const WDFreshFreq& other);
  // The period in seconds; 0 for an unknown unit.
  int64_t GetSpan() const;

  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  int32_t m_bAtStartOnly = 1;
  int32_t m_nUnit = kUnitDays;
  int32_t m_nCount = 1;
  int64_t m_timeSet = 0;
};

}  // namespace quorvex::model
