#pragma once
// Local dates for the container's first line and the report, in a strftime format that comes
// from a language file (outside input: any format text gives some text, never a crash).
#include <cstdint>
#include <string>

namespace quorvex::exchange {

// seconds since 1970 as local time in format. A lone '%' at the end is written as it is.
std::string FormatLocalTime(const std::string& format, int64_t seconds);

}  // namespace quorvex::exchange
