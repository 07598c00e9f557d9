#include "cli/beacon_text.h"

#include <array>

#include "text/display.h"
#include "text/time_format.h"

namespace quorvex::cli {
namespace {
const std::array<const char*, 5> kUnitNames = {"minutes", "hours", "days", "weeks", "months"};
const std::array<const char*, 6> kOperators = {"=", "#", ">", "<", ">=", "<="};
}  // namespace

std::string KindName(int kind) {
  switch (kind) {
    case model::kKindText:
      return "text";
    case model::kKindNumber:
      return "number";
    case model::kKindChecksum:
      return "checksum";
    case model::kKindGroup:
      return "folder";
    default:
      return "item";
  }
}

int KindFromName(const std::string& name) {
  if (name == "text") return model::kKindText;
  if (name == "number") return model::kKindNumber;
  if (name == "checksum") return model::kKindChecksum;
  return -1;
}

std::string ScheduleText(const model::WDFreshFreq& freq) {
  if (freq.m_bAtStartOnly) return "once per run (at start)";
  std::string unit = freq.m_nUnit >= 0 && freq.m_nUnit < 5 ? kUnitNames[freq.m_nUnit] : "unknown units";
  return "every " + std::to_string(freq.m_nCount) + " " + unit;
}

bool ParseSchedule(const std::string& text, model::WDFreshFreq& freq) {
  const size_t space = text.find(' ');
  if (space == std::string::npos) return false;
  const std::string count = text.substr(0, space);
  std::string unit = text.substr(text.find_first_not_of(' ', space));
  if (count.empty() || count.size() > 6 || count.find_first_not_of("0123456789") != std::string::npos) return false;
  const int n = std::stoi(count);
  if (n < 1) return false;
  for (size_t i = 0; i < kUnitNames.size(); ++i) {
    const std::string plural = kUnitNames[i];
    if (unit == plural || unit == plural.substr(0, plural.size() - 1)) {
      freq.m_bAtStartOnly = 0;
      freq.m_nUnit = static_cast<int32_t>(i);
      freq.m_nCount = n;
      return true;
    }
  }
  return false;
}

int OperatorFromSymbol(const std::string& symbol) {
  for (size_t i = 0; i < kOperators.size(); ++i) {
    if (symbol == kOperators[i]) return static_cast<int>(i);
  }
  return -1;
}

std::string OperatorSymbol(int op) {
  return op >= 0 && op < 6 ? kOperators[op] : "?";
}

std::string TimeText(int64_t t) {
  return text::FormatLocalTime(t, "%Y-%m-%d %H:%M:%S");
}

std::string Show(const std::string& bytes) {
  return text::DisplayText(bytes);
}

}  // namespace quorvex::cli
