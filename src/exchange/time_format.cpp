#include "exchange/time_format.h"

#include <ctime>
#include <vector>

namespace quorvex::exchange {

std::string FormatLocalTime(const std::string& format, int64_t seconds) {
  std::string safe = format;
  // An odd run of '%' at the end would leave strftime a conversion without its letter.
  size_t percents = 0;
  while (percents < safe.size() && safe[safe.size() - 1 - percents] == '%') ++percents;
  if (percents % 2 == 1) safe += '%';
  // The trailing blank tells an empty result from a buffer that was too small.
  safe += ' ';

  std::time_t when = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (localtime_r(&when, &local) == nullptr) return std::string();
  std::vector<char> buffer(safe.size() * 4 + 64);
  for (int attempt = 0; attempt < 8; ++attempt) {
    size_t written = std::strftime(buffer.data(), buffer.size(), safe.c_str(), &local);
    if (written > 0) return std::string(buffer.data(), written - 1);
    buffer.resize(buffer.size() * 4);
  }
  return std::string();
}

}  // namespace quorvex::exchange
