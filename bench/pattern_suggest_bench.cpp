// Pattern suggestion on a full page buffer (51,999 bytes): a table of alike rows, the value in one row
// near the end, and a value whose anchor is only found far back.
#include <benchmark/benchmark.h>

#include <string>

#include "text/page_text.h"
#include "text/pattern_suggest.h"

namespace {

using quorvex::text::SuggestPattern;

std::string MakePage() {
  const size_t size = quorvex::text::kPageBufferSize - 1;
  const std::string tail = "</table>\n<p>Total: <b>1234.50</b> EUR</p>\n</body></html>\n";
  std::string page = "<html><head><title>Prices</title></head><body><h1>Prices</h1><table class=\"prices\">\n";
  for (int row = 0; page.size() + tail.size() < size - 200; ++row) {
    page += "  <tr>\n    <td class=\"name\">Item " + std::to_string(row) + "</td>\n    <td class=\"state\">" +
            (row % 3 ? "in stock" : "sold out") + "</td>\n    <td class=\"price\">" + std::to_string(row * 7 % 1000) +
            ".99</td>\n  </tr>\n";
  }
  page += tail;
  page.resize(size, ' ');
  return page;
}

void Run(benchmark::State& state, const std::string& value, size_t from_end) {
  const std::string page = MakePage();
  const size_t at = page.rfind(value, page.size() - from_end);
  for (auto _ : state) {
    auto suggestion = SuggestPattern(page, at, value.size());
    if (!suggestion.Ok()) {
      state.SkipWithError("no pattern");
      return;
    }
    benchmark::DoNotOptimize(suggestion.pattern.data());
  }
}

// A value with a label next to it.
void BM_SuggestLabelledValue(benchmark::State& state) {
  Run(state, "1234.50", 0);
}
BENCHMARK(BM_SuggestLabelledValue)->Unit(benchmark::kMillisecond);

// A price in one of about 500 alike rows: the row's name has to be found.
void BM_SuggestTableCell(benchmark::State& state) {
  Run(state, "sold out", 400);
}
BENCHMARK(BM_SuggestTableCell)->Unit(benchmark::kMillisecond);

// A status in the middle of the table.
void BM_SuggestMiddleRow(benchmark::State& state) {
  Run(state, "in stock", 26000);
}
BENCHMARK(BM_SuggestMiddleRow)->Unit(benchmark::kMillisecond);

// The worst case: every row alike, so no pattern exists and every candidate is run.
void BM_SuggestNoPattern(benchmark::State& state) {
  std::string page;
  while (page.size() < quorvex::text::kPageBufferSize - 20) page += "<tr><td>5</td><td>ok</td></tr>\n";
  const size_t at = page.find("ok", page.size() / 2);
  for (auto _ : state) {
    auto suggestion = SuggestPattern(page, at, 2);
    if (suggestion.Ok()) {
      state.SkipWithError("a pattern where none can exist");
      return;
    }
  }
}
BENCHMARK(BM_SuggestNoPattern)->Unit(benchmark::kMillisecond);

}  // namespace
