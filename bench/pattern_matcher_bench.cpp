// Extraction over a full page buffer (51,999 bytes) whose unique literal sits near the end, so the
// searches cross the whole page. Bytes processed = page bytes per extraction.
#include <benchmark/benchmark.h>

#include <string>

#include "text/page_text.h"
#include "text/pattern_matcher.h"

namespace {

using quorvex::text::WDPatternMatcher;

std::string MakePage() {
  const size_t size = quorvex::text::kPageBufferSize - 1;
  const std::string tail = "<tr><td id=\"total\">Total:</td><td class=\"price\"> 1234.50 </td></tr>\n</table>\n";
  std::string page = "<html><head><title>Prices</title></head><body><h1>Prices</h1><h1>Today</h1><table>\n";
  for (int row = 0; page.size() + tail.size() < size - 80; ++row) {
    page += "<tr><td class=\"name\">Item " + std::to_string(row) + "</td><td class=\"price\">" +
            std::to_string(row * 7 % 1000) + ".99</td></tr>\n";
  }
  page += tail;
  page.resize(size, ' ');
  return page;
}

void Run(benchmark::State& state, const std::string& pattern, const std::string& expected) {
  const std::string page = MakePage();
  for (auto _ : state) {
    WDPatternMatcher matcher(page.data(), page.size(), pattern);
    if (matcher.Extract() != 0 || matcher.GetValue() != expected) {
      state.SkipWithError("pattern did not match");
      return;
    }
    benchmark::DoNotOptimize(matcher.GetValue().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

// The first literal is the unique one: one forward search over the page, a second to the end.
void BM_ExtractPivotFirst(benchmark::State& state) {
  Run(state, "<td id=\"total\">Total:</td><td class=\"price\">{?}</td>", "1234.50 ");
}
BENCHMARK(BM_ExtractPivotFirst);

// The first literals repeat in every row; the unique one comes last and the walk goes back over them.
void BM_ExtractWalkBack(benchmark::State& state) {
  Run(state, "<td class=\"price\">{?}</td>{}</table>", "1234.50 ");
}
BENCHMARK(BM_ExtractWalkBack);

// The literals before the unique one occur only at the top: the walk back crosses the whole page.
void BM_ExtractLongWalkBack(benchmark::State& state) {
  Run(state, "<h1>{?}</h1>{}</table>", "Today");
}
BENCHMARK(BM_ExtractLongWalkBack);

// Checksum mode touches every byte.
void BM_Checksum(benchmark::State& state) {
  const std::string page = MakePage();
  for (auto _ : state) {
    WDPatternMatcher matcher(page.data(), page.size(), "");
    matcher.Extract();
    benchmark::DoNotOptimize(matcher.GetValue().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Checksum);

}  // namespace
