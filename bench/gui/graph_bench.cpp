// The history graph of a long history: 100,000 hourly samples (over eleven years), the view scrolled to
// the newest and repainted in full (goal: under 16 ms, one frame).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <cmath>
#include <string>

#include "gui/views/graph_view.h"
#include "model/value.h"
#include "platform/clock.h"

namespace {

using namespace quorvex;

void BM_RepaintLongHistory(benchmark::State& state) {
  model::WDValue value;
  value.SetKind(model::kKindNumber);
  const int64_t now = platform::Now();
  const int count = static_cast<int>(state.range(0));
  for (int i = count; i > 0; --i) {
    const double price = 100 + 20 * std::sin(i / 40.0) + 5 * std::sin(i / 7.0);
    value.GetHistory().AppendLoaded(model::WDHistoryRecord(std::to_string(price), now - int64_t{3600} * i));
  }
  gui::WDGraphView view([&value]() -> model::WDItem* { return &value; });
  view.resize(900, 420);
  view.show();
  QApplication::processEvents();
  view.OnNotify(gui::TabNotify::SelectionApplied, {});
  QPixmap target(view.viewport()->size());
  for (auto _ : state) {
    view.viewport()->render(&target);
    benchmark::DoNotOptimize(target);
  }
}
BENCHMARK(BM_RepaintLongHistory)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
