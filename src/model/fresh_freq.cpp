#include "model/fresh_freq.h"

#include "platform/clock.h"

namespace quorvex::model {

WDFreshFreq::WDFreshFreq() : m_timeSet(platform::Now()) {}

WDFreshFreq::WDFreshFreq(const WDFreshFreq* other) : m_timeSet(platform::Now()) {
  if (other) {
    CopyFrom(*other);
  } else {
    m_bAtStartOnly = 0;
    m_nUnit = -1;
    m_nCount = 0;
  }
}

void WDFreshFreq::CopyFrom(const WDFreshFreq& other) {
  m_bAtStartOnly = other.m_bAtStartOnly;
  m_nUnit = other.m_nUnit;
  m_nCount = other.m_nCount;
}

int64_t WDFreshFreq::GetSpan() const {
  const int64_t count = m_nCount;
  switch (m_nUnit) {
    case kUnitMinutes:
      return count * 60;
    case kUnitHours:
      return count * 3600;
    case kUnitDays:
      return count * 86400;
    case kUnitWeeks:
      return count * 7 * 86400;
    case kUnitMonths:
      return count * 30 * 86400;
    default:
      return 0;
  }
}

}  // namespace quorvex::model
