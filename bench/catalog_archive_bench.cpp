// Loading and saving a whole catalog of 1,000 beacons with 1,000 samples each, through the catalog
// layouts and the object stream, as the document opens and saves it. Goals: loading at 200 MB/s or
// more, and opening the catalog file in the document (file on disk to catalog in memory) with at
// most three times the file size in memory at the peak.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "../tests/support/rich_catalog.h"
#include "engine/qvx_doc.h"
#include "platform/paths.h"

namespace {

namespace model = quorvex::model;
using model::CatalogContents;
using quorvex::testing::AddTestBeacon;
using quorvex::testing::AddTestSamples;

// A catalog of plain size: `beacons` beacons with `samples` samples each, ten beacons to a page;
// every sample is a number followed by suffix.
CatalogContents MakeSizedCatalog(int beacons, int samples, const std::string& suffix = ".50 USD") {
  CatalogContents c;
  auto root = std::make_unique<model::WDGroup>("Catalog", "The main beacons' catalog");
  model::WDGroup* folder = root.get();
  for (int b = 0; b < beacons; ++b) {
    if (b % 10 == 0) {
      c.pages.push_back(std::make_unique<model::WDValPage>("http://example.com/page" + std::to_string(b / 10)));
      folder = static_cast<model::WDGroup*>(root->AddChild(new model::WDGroup("Folder " + std::to_string(b), "")));
    }
    model::WDValue& value =
        AddTestBeacon(*c.pages.back(), "Beacon " + std::to_string(b), model::kKindNumber, "Price:{?}</td>", "USD");
    AddTestSamples(value, samples, 1700000000, suffix);
    folder->AddChild(&value);
  }
  c.roots.push_back(std::move(root));
  return c;
}

constexpr int kBeacons = 1000;
constexpr int kSamples = 1000;

// Samples as short as a price ("1234.50 USD"), and as long as a line of page text.
const std::string kShortSuffix = ".50 USD";
const std::string kLongSuffix = " items left in stock: <b>order now</b> and get it delivered by Friday, 12:00";

const std::string& CatalogBytes(bool long_samples = false) {
  static const std::string short_bytes =
      quorvex::testing::WriteContents(MakeSizedCatalog(kBeacons, kSamples, kShortSuffix));
  if (!long_samples) return short_bytes;
  static const std::string long_bytes =
      quorvex::testing::WriteContents(MakeSizedCatalog(kBeacons, kSamples, kLongSuffix));
  return long_bytes;
}

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS"), or -1.
double StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
      return std::stod(line.substr(length + 1)) * 1024.0;
    }
  }
  return -1;
}

// Lets the high-water mark start again from the present resident size.
bool ResetPeak() {
  std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}

// The catalog as a file on disk, written once; removed at exit.
const std::string& CatalogFile(bool long_samples) {
  static std::string folder;
  if (folder.empty()) {
    char name[] = "/tmp/quorvex-bench-XXXXXX";
    if (!::mkdtemp(name)) std::abort();
    folder = name;
    std::atexit([] {
      std::remove((folder + "/short.dat").c_str());
      std::remove((folder + "/long.dat").c_str());
      ::rmdir(folder.c_str());
    });
  }
  static std::string paths[2];
  std::string& path = paths[long_samples ? 1 : 0];
  if (path.empty()) {
    path = folder + (long_samples ? "/long.dat" : "/short.dat");
    if (!quorvex::platform::WriteFileAtomically(path, CatalogBytes(long_samples))) std::abort();
  }
  return path;
}

// Measured once per benchmark, apart from the timed runs: what load() adds to the resident memory
// at its peak, plus held (bytes the load reads from that were in memory before it started), against
// the file size. load() keeps what it loads until it returns.
void MeasureLoadPeak(benchmark::State& state, double file, double held, const std::function<bool()>& load) {
  for (auto _ : state) {
    malloc_trim(0);
    if (!ResetPeak()) {
      state.SkipWithError("cannot reset the peak of /proc/self/status");
      return;
    }
    const double before = StatusBytes("VmRSS");
    if (!load()) state.SkipWithError("load failed");
    const double peak = StatusBytes("VmHWM");  // a high-water mark: what load() freed at its end still counts
    malloc_trim(0);
    state.counters["file_MB"] = file / 1e6;
    state.counters["load_peak_MB"] = (peak - before + held) / 1e6;
    state.counters["peak_per_file"] = (peak - before + held) / file;
  }
}

// Opening the catalog file in the document, as the program does: the file's bytes are read into the
// process during the load, so they count already. Argument 1: long samples.
void BM_OpenDocumentPeakMemory(benchmark::State& state) {
  const bool long_samples = state.range(0) != 0;
  const std::string& path = CatalogFile(long_samples);
  MeasureLoadPeak(state, static_cast<double>(CatalogBytes(long_samples).size()), 0, [&] {
    quorvex::engine::WDQvxDoc doc;
    return doc.OnNewDocument(path);
  });
}
BENCHMARK(BM_OpenDocumentPeakMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OpenDocument(benchmark::State& state) {
  const std::string& path = CatalogFile(false);
  for (auto _ : state) {
    quorvex::engine::WDQvxDoc doc;
    if (!doc.OnNewDocument(path)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(doc.GetPages().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(CatalogBytes().size()));
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond);

// A load from bytes already in memory (as tests and the fuzz target read): the bytes count in
// full, as they stay in memory for the whole load.
void BM_LoadPeakMemory(benchmark::State& state) {
  const std::string& bytes = CatalogBytes(state.range(0) != 0);
  const double file = static_cast<double>(bytes.size());
  MeasureLoadPeak(state, file, file, [&] {
    CatalogContents catalog;
    return quorvex::model::ReadCatalog(bytes, catalog).ok;
  });
}
BENCHMARK(BM_LoadPeakMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LoadCatalog(benchmark::State& state) {
  const std::string& bytes = CatalogBytes();
  for (auto _ : state) {
    CatalogContents catalog;
    if (!quorvex::model::ReadCatalog(bytes, catalog).ok) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(catalog.pages.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_LoadCatalog)->Unit(benchmark::kMillisecond);

void BM_SaveCatalog(benchmark::State& state) {
  const CatalogContents catalog = MakeSizedCatalog(kBeacons, kSamples);
  size_t size = 0;
  for (auto _ : state) {
    const std::string bytes = quorvex::testing::WriteContents(catalog);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}
BENCHMARK(BM_SaveCatalog)->Unit(benchmark::kMillisecond);

}  // namespace
