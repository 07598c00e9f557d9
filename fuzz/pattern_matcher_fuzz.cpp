// Any pattern over any text: the input up to its first NUL is the pattern, the rest the page. The
// page is handed over in a buffer of exactly its size, so any read past it is caught. Results are
// checked against a plain byte-by-byte search on small pages.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "../tests/support/naive_matcher.h"
#include "text/checksum.h"
#include "text/code_page.h"
#include "text/display.h"
#include "text/pattern_matcher.h"

using quorvex::text::WDPatternMatcher;

static void Check(bool condition) {
  if (!condition) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  const void* nul = std::memchr(bytes, 0, size);
  size_t pattern_size = nul ? static_cast<const char*>(nul) - bytes : size;
  std::string pattern(bytes, pattern_size);
  size_t text_size = nul ? size - pattern_size - 1 : 0;
  std::unique_ptr<char[]> text(new char[text_size ? text_size : 1]);
  std::memcpy(text.get(), bytes + size - text_size, text_size);

  WDPatternMatcher bounded(text.get(), text_size, pattern);
  int32_t result = bounded.Extract();
  const std::string& value = bounded.GetValue();
  std::string_view page(text.get(), text_size);
  page = page.substr(0, page.find('\0'));

  auto position = bounded.GetValuePosition();
  Check(position.line >= 0 && position.column >= 0 && position.column <= static_cast<int32_t>(page.size()));
  if (result == quorvex::text::MatchOk && !value.empty() && !pattern.empty()) {
    // The value sits in the page at its reported position.
    size_t offset = 0;
    for (int32_t line = 0; line < position.line; ++line) {
      offset = page.find('\n', offset);
      Check(offset != std::string_view::npos);
      ++offset;
    }
    offset += position.column;
    Check(page.substr(offset, value.size()) == value);
  }
  if (result != quorvex::text::MatchOk) Check(value.empty());
  if (pattern.empty()) Check(value == quorvex::text::FormatChecksumValue(quorvex::text::TextChecksum(page, 0)));

  // The same text NUL-terminated gives the same answer.
  std::string terminated(page);
  WDPatternMatcher plain(terminated.c_str(), pattern);
  Check(plain.Extract() == result && plain.GetValue() == value);

  if (!pattern.empty() && result != quorvex::text::PatternMalformed && page.size() <= 4096) {
    quorvex::testing::NaiveOutcome naive = quorvex::testing::NaiveExtract(page, bounded.GetPieces());
    Check(naive.result == result && naive.value == value);
  }

  std::string converted(page);
  quorvex::text::ConvertCodePage(converted, static_cast<int32_t>(pattern_size % 5));
  Check(converted.size() == page.size());
  Check(!quorvex::text::DisplayText(converted).empty() || converted.empty());
  return 0;
}
