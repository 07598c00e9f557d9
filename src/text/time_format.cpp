#include "text/time_format.h"

#include <ctime>

#include "platform/string_table.h"

namespace quorvex::text {

// Local time of t in a strftime format taken from a language file: an empty result, never a crash,
// for a format or time the C library cannot handle.
std::string FormatLocalTime(int64_t t, const std::string& format_text) {
  std::string format = format_text;
  if (format.empty()) return "";
  size_t percents = 0;
  while (percents < format.size() && format[format.size() - 1 - percents] == '%') ++percents;
  if (percents % 2 == 1) format.pop_back();
  std::time_t when = static_cast<std::time_t>(t);
  std::tm parts{};
  if (!localtime_r(&when, &parts)) return "";
  // A marker at the end tells an empty expansion apart from a buffer that is too small.
  format += '\x01';
  std::string buffer(64 + 4 * format.size(), '\0');
  for (int attempt = 0; attempt < 6; ++attempt) {
    size_t written = std::strftime(buffer.data(), buffer.size(), format.c_str(), &parts);
    if (written > 0) {
      buffer.resize(written - 1);
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
  return "";
}

std::string DateTimeFormat() {
  return platform::GetString(32812);
}

std::string DateFormat() {
  return DateTimeFormat().substr(0, 8);
}

}  // namespace quorvex::text
