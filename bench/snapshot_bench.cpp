// Page snapshots: the diff of two 52 KB pages in both forms, and what storing a snapshot costs the
// UI thread (the hand-over to the writer) against what the writer spends on it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "engine/snapshot_store.h"
#include "text/text_diff.h"

namespace {

// A page of the default limit: a price table whose every step-th row differs by version, and whose
// markup changes with the version too.
std::string Page(int version, int step) {
  std::string page =
      "<html><head><title>Prices</title></head><body class=\"v" + std::to_string(version) + "\">\n<table>\n";
  for (int row = 0; page.size() < 51900; ++row) {
    const int price = 100 + row + (row % step == 0 ? version : 0);
    page += "<tr class=\"r" + std::to_string(row % 2) + "\"><td>Item " + std::to_string(row) +
            "</td><td class=\"price\">" + std::to_string(price) + ",00</td></tr>\n";
  }
  return page + "</table></body></html>\n";
}

void Diff(benchmark::State& state, quorvex::text::DiffForm form) {
  const std::string older = Page(0, static_cast<int>(state.range(0)));
  const std::string newer = Page(1, static_cast<int>(state.range(0)));
  size_t hunks = 0;
  for (auto _ : state) hunks = quorvex::text::DiffTexts(older, newer, form).size();
  state.counters["hunks"] = static_cast<double>(hunks);
  state.counters["lines"] = static_cast<double>(quorvex::text::DiffLines(older, form).size());
}

// Every 20th row changed, and every 2nd.
void BM_DiffTextOnly(benchmark::State& state) {
  Diff(state, quorvex::text::DiffForm::TextOnly);
}
BENCHMARK(BM_DiffTextOnly)->Arg(20)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_DiffRaw(benchmark::State& state) {
  Diff(state, quorvex::text::DiffForm::Raw);
}
BENCHMARK(BM_DiffRaw)->Arg(20)->Arg(2)->Unit(benchmark::kMillisecond);

std::string Folder() {
  return "/tmp/quorvex-snapshot-bench-" + std::to_string(::getpid());
}

// The UI thread's part: copying the page text and handing it over. The writer is drained outside
// the timing, so the queue never fills (a full queue would make Submit cheaper, not dearer).
void BM_SnapshotSubmitOnUiThread(benchmark::State& state) {
  quorvex::engine::SnapshotStore store(Folder());
  const std::string page = Page(0, 20);
  int64_t n = 0;
  for (auto _ : state) {
    const std::string_view converted = page;
    store.Submit("http://bench/" + std::to_string(n % 1000), std::string(converted), n);
    if (++n % 64 == 0) {
      state.PauseTiming();
      store.Flush();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_SnapshotSubmitOnUiThread)->Unit(benchmark::kMicrosecond);

// The writer's part, for comparison: compare with the newest, compress, write, rotate.
void BM_SnapshotWrite(benchmark::State& state) {
  quorvex::engine::SnapshotStore store(Folder());
  int64_t n = 0;
  const std::string page = Page(0, 20);
  for (auto _ : state) {
    store.Submit("http://bench/write", page + std::to_string(n), n);
    ++n;
    store.Flush();
  }
}
BENCHMARK(BM_SnapshotWrite)->Unit(benchmark::kMicrosecond);

// Leaves no files behind.
struct RemoveFolder {
  ~RemoveFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
  }
} g_removeFolder;

}  // namespace
