#include "cli/beacon_text.h"

#include <array>
#include <charconv>

#include "platform/string_table.h"
#include "text/display.h"
#include "text/time_format.h"

namespace quorvex::cli {
namespace {
const std::array<const char*, 5> kUnitNames = {"minutes", "hours", "days", "weeks", "months"};
const std::array<const char*, 6> kOperators = {"=", "#", ">", "<", ">=", "<="};

std::string Escaped(std::string_view bytes, bool keepLines) {
  const std::string text = text::DisplayText(std::string(bytes));
  std::string out;
  out.reserve(text.size());
  static const char kHex[] = "0123456789abcdef";
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      // U+0080..U+009F: terminals take some of them (CSI, OSC) as the start of a command.
      const auto c1 = static_cast<unsigned char>(text[++i]);
      out += "\\u00";
      out += kHex[c1 >> 4];
      out += kHex[c1 & 0xF];
    } else if (b == '\r' && keepLines && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;  // a CR LF line end
    } else if ((b == '\n' || b == '\t') && keepLines) {
      out += static_cast<char>(b);
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\t') {
      out += "\\t";
    } else if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

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
  const size_t unitStart = text.find_first_not_of(' ', space);
  if (space == std::string::npos || unitStart == std::string::npos) return false;
  const std::string count = text.substr(0, space);
  const std::string unit = text.substr(unitStart);
  int n = 0;
  const auto [end, failed] = std::from_chars(count.data(), count.data() + count.size(), n);
  if (failed != std::errc() || end != count.data() + count.size() || count.size() > 6 || n < 1) return false;
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

std::string Show(std::string_view bytes) {
  return Escaped(bytes, false);
}

std::string ShowLines(std::string_view bytes) {
  return Escaped(bytes, true);
}

std::string Message(uint16_t id) {
  return ShowLines(platform::GetString(id));
}

}  // namespace quorvex::cli
