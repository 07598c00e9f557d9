// Sample texts come from web pages: reading, displaying and wrapping them must hold up on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/value_text.h"

namespace {

std::string WithoutNewlines(std::string s) {
  std::string out;
  for (char c : s) {
    if (c != '\n') out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvex::text;
  if (size == 0) return 0;
  const int wrap = data[0] % 40;
  const bool strip = (data[0] & 0x80) != 0;
  const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

  ParsedValue value = ParseValueFull(input);
  if (value.type != kValueText && value.type != kValueNumber && value.type != kValueChecksum) std::abort();
  if (value.type != kValueNumber && value.number != 0.0) std::abort();
  if (FormatNumber(value.number, wrap % 8).empty()) std::abort();

  std::string clean = CleanText(input, strip, wrap);
  // Wrapping only ever adds line breaks.
  if (WithoutNewlines(clean) != WithoutNewlines(CleanText(input, strip, 0))) std::abort();
  if (CleanText(input, false, 0) != input) std::abort();

  std::string shortened = Shorten(input, wrap);
  if (shortened != input && shortened.size() > input.size() + 3) std::abort();
  return 0;
}
