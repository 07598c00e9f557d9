// Samples are parsed on demand and never cached, so the extremes and the export walk every record.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "model/history.h"
#include "text/value_text.h"

namespace {

quorvex::model::WDHistory MakeHistory(int count) {
  quorvex::model::WDHistory history;
  for (int i = 0; i < count; ++i) {
    history.AddRecord(
        quorvex::model::WDHistoryRecord("<b>" + std::to_string(1000 + i % 97) + ",5</b> USD", 1600000000 + 3600 * i));
  }
  return history;
}

void BM_ExtremesOfLongHistory(benchmark::State& state) {
  auto history = MakeHistory(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(history.GetMaximum(0, 2000000000));
    benchmark::DoNotOptimize(history.GetMinimum(0, 2000000000));
  }
}
BENCHMARK(BM_ExtremesOfLongHistory)->Arg(10000);

void BM_ExportOfLongHistory(benchmark::State& state) {
  auto history = MakeHistory(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(history.BuildExportText(false, true, ",", ";", false));
}
BENCHMARK(BM_ExportOfLongHistory)->Arg(10000);

// A full page buffer of distinct tags is the worst case of the stripping loop.
void BM_StripManyDistinctTags(benchmark::State& state) {
  std::string page;
  for (int i = 0; page.size() < 52000; ++i) page += "<t" + std::to_string(i) + ">x";
  for (auto _ : state) benchmark::DoNotOptimize(quorvex::text::CleanText(page, true, 72));
}
BENCHMARK(BM_StripManyDistinctTags);

}  // namespace
