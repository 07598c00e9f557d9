#pragma once
// Case folding for the text comparisons of alert conditions.
#include <string>

namespace quorvex::text {

// The text in upper case, as UTF-8: a byte string that is not valid UTF-8 is read as Windows-1251
// first (older catalogs), so Latin and Cyrillic letters compare alike from either source.
std::string UpperCase(const std::string& bytes);

}  // namespace quorvex::text
