// Reading a body into page text, per byte of body: a page of the default limit, and a large page
// under the highest limit, fed in pieces as libcurl hands them over.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "engine/page_buffer.h"

namespace {

std::string Body(size_t size) {
  std::string line = "<tr><td class=\"price\">1 234,56</td><td>USD</td></tr>\r\n";
  std::string body;
  while (body.size() < size) body += line;
  body.resize(size);
  return body;
}

void ReadBody(benchmark::State& state, size_t limit, size_t size) {
  const std::string body = Body(size);
  constexpr size_t kPiece = 16 * 1024;
  for (auto _ : state) {
    quorvex::engine::PageBuffer buffer(limit);
    for (size_t at = 0; at < body.size() && !buffer.IsComplete(); at += kPiece) {
      buffer.Append(body.data() + at, std::min(kPiece, body.size() - at));
    }
    benchmark::DoNotOptimize(buffer.Text().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}

void BM_DefaultLimitPage(benchmark::State& state) {
  ReadBody(state, quorvex::engine::kDefaultPageLimit, 60000);
}
BENCHMARK(BM_DefaultLimitPage);

void BM_LargePage(benchmark::State& state) {
  ReadBody(state, quorvex::engine::kMaxPageLimit, 8 * 1024 * 1024);
}
BENCHMARK(BM_LargePage);

}  // namespace
