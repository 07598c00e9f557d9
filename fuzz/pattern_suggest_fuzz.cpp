// Any page and any selection: the first four bytes place the selection (offset, length), the rest is
// the page, in a buffer of exactly its size. A suggested pattern must give back the selection.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "text/pattern_matcher.h"
#include "text/pattern_suggest.h"

static void Check(bool condition) {
  if (!condition) std::abort();
}

static bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const size_t offset = static_cast<size_t>(data[0] | data[1] << 8);
  const size_t length = static_cast<size_t>(data[2] | data[3] << 8);
  const size_t page_size = size - 4;
  std::unique_ptr<char[]> page(new char[page_size ? page_size : 1]);
  std::memcpy(page.get(), data + 4, page_size);
  const std::string_view text(page.get(), page_size);

  const auto suggestion = quorvex::text::SuggestPattern(text, offset, length);
  if (!suggestion.Ok()) return 0;
  Check(suggestion.valueLength > 0 && suggestion.valueOffset + suggestion.valueLength <= page_size);
  quorvex::text::WDPatternMatcher matcher(page.get(), page_size, suggestion.pattern);
  Check(matcher.Extract() == quorvex::text::MatchOk);
  std::string_view value = matcher.GetValue();
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  Check(value == text.substr(suggestion.valueOffset, suggestion.valueLength));
  return 0;
}
