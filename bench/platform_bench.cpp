// Conversion speed of the CP932 layer (it sits on every file read that shows text).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/core/cp932.h"

static void BM_cp932_to_utf8(benchmark::State& st) {
  std::string line;
  for (int i = 0; i < 40; ++i) line += "G01X12.345Y-6.789(\x8D\x48\x8B\xEF)";
  for (auto _ : st) benchmark::DoNotOptimize(plat::cp932_to_utf8(line));
  st.SetBytesProcessed(static_cast<int64_t>(st.iterations()) * static_cast<int64_t>(line.size()));
}
BENCHMARK(BM_cp932_to_utf8);
