#include "text/time_format.h"

#include <ctime>
#include <vector>

#include "platform/string_table.h"

namespace quorvex::text {

std::string FormatLocalTime(int64_t t, const std::string& format) {
  if (format.empty()) return std::string();
  const std::time_t when = static_cast<std::time_t>(t);
  std::tm parts{};
  if (!localtime_r(&when, &parts)) return std::string();
  // strftime gives 0 both for "too small" and for an empty result: grow a few times, then give up.
  for (size_t size = 64 + format.size() * 4; size <= 65536; size *= 4) {
    std::vector<char> buffer(size);
    const size_t written = std::strftime(buffer.data(), buffer.size(), format.c_str(), &parts);
    if (written > 0) return std::string(buffer.data(), written);
  }
  return std::string();
}

std::string DateTimeFormat() {
  return platform::GetString(32812);
}

std::string DateFormat() {
  return DateTimeFormat().substr(0, 8);
}

}  // namespace quorvex::text
