// Speed of the number text and the pattern reader: generated NC text writes every coordinate
// through float_to_str, and every NC word and control comment is read by the pattern reader.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "common/ats_func.h"

static std::vector<float> coordinates() {
  std::vector<float> v;
  for (int i = 0; i < 1024; ++i) v.push_back((i - 512) * 1.2345f + i * 0.0005f);
  return v;
}

static void BM_float_to_str3(benchmark::State& st) {
  const auto v = coordinates();
  std::size_t i = 0;
  for (auto _ : st) benchmark::DoNotOptimize(float_to_str3(v[i++ & 1023]));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()));
}
BENCHMARK(BM_float_to_str3);

static void BM_float_to_str_fixed(benchmark::State& st) {
  const auto v = coordinates();
  std::size_t i = 0;
  for (auto _ : st) benchmark::DoNotOptimize(float_to_str_fixed(v[i++ & 1023], 9, 3));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()));
}
BENCHMARK(BM_float_to_str_fixed);

static void BM_numbers_for_routine(benchmark::State& st) {
  const std::string line = "N0120G01X-123.456Y78.9Z-5.F1200.T12M06(VLM ORIGN X1)";
  for (auto _ : st) benchmark::DoNotOptimize(_numbers_for_routine("T#", line));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()));
}
BENCHMARK(BM_numbers_for_routine);

static void BM_wildcard_match(benchmark::State& st) {
  const std::string name = "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAB.NCD";
  for (auto _ : st) benchmark::DoNotOptimize(wildcard_match(name, "A*A*A*B.NC"));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations()));
}
BENCHMARK(BM_wildcard_match);

static void BM_numbers_for_routine_short(benchmark::State& st) {
  const std::string line = "T12";
  for (auto _ : st) benchmark::DoNotOptimize(_numbers_for_routine("T#", line));
}
BENCHMARK(BM_numbers_for_routine_short);
