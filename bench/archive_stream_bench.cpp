// Loading and saving a catalog-sized archive: 1,000 beacons of 1,000 samples each, every sample a
// time and a short text, as the history of a real catalog holds them. Loading should run at
// 200 MB/s or more.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/support/archive_test_classes.h"

namespace {

using quorvex::model::ArchiveGeneration;
using quorvex::model::ArchiveReader;
using quorvex::model::ArchiveRegistry;
using quorvex::model::ArchiveWriter;
using quorvex::testing::TestDocument;
using quorvex::testing::TestLeaf;
using quorvex::testing::TestNode;

TestDocument MakeCatalog() {
  TestDocument doc;
  for (int b = 0; b < 1000; ++b) {
    auto beacon = std::make_unique<TestNode>();
    beacon->name = "Beacon " + std::to_string(b);
    for (int s = 0; s < 1000; ++s) {
      auto sample = std::make_unique<TestLeaf>();
      sample->time = 1700000000 + s * 3600;
      sample->text = std::to_string(1000 + s) + ".50 USD";
      beacon->children.push_back(std::move(sample));
    }
    doc.roots.push_back(std::move(beacon));
  }
  return doc;
}

const ArchiveRegistry& Registry() {
  static ArchiveRegistry* registry = [] {
    auto* r = new ArchiveRegistry;
    quorvex::testing::RegisterTestClasses(*r);
    return r;
  }();
  return *registry;
}

void BM_LoadCatalog(benchmark::State& state) {
  ArchiveWriter out(Registry());
  MakeCatalog().Store(out);
  const std::string bytes = out.TakeBytes();
  for (auto _ : state) {
    TestDocument doc;
    ArchiveReader in(bytes, Registry(), ArchiveGeneration::kCurrent);
    if (!doc.Load(in)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(doc.roots.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadCatalog)->Unit(benchmark::kMillisecond);

void BM_SaveCatalog(benchmark::State& state) {
  const TestDocument doc = MakeCatalog();
  size_t size = 0;
  for (auto _ : state) {
    ArchiveWriter out(Registry());
    doc.Store(out);
    size = out.bytes().size();
    benchmark::DoNotOptimize(out.bytes().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_SaveCatalog)->Unit(benchmark::kMillisecond);

}  // namespace
