#pragma once
// Local-time formatting with formats that come from language files (outside input).
#include <cstdint>
#include <string>

namespace quorvex::text {

// t (seconds since 1970 UTC) as local time in a strftime format. An empty or unusable format, or a
// time that cannot be represented, gives an empty text, never a crash.
std::string FormatLocalTime(int64_t t, const std::string& format);

// The date-and-time format of the language (string 32812) and its date part (first 8 characters).
std::string DateTimeFormat();
std::string DateFormat();

}  // namespace quorvex::text
