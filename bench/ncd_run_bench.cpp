// The whole road of a loaded program (split and store, tokenise, the whole-program run) for
// generated milling programs of 1,000,000 and 10,000,000 lines, and seeks to random blocks.
// Each phase is reported in lines/s; the memory counters give the bytes per stored line.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "bench/ncd_bench_host.h"
#include "tests/support/ncd_program_gen.h"

namespace {

const std::string& program(long lines) {
  static std::map<long, std::string> cache;
  auto it = cache.find(lines);
  if (it != cache.end()) return it->second;
  testing_support::NcGenOptions o;
  o.lines = lines;
  o.seed = 11;
  o.tools = 20;
  return cache[lines] = testing_support::make_nc_program(o);
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Bytes the store and the run hold for the program: pages, line records, snapshots,
// statistics and samples.
double held_bytes(const NCD_DATA& d) {
  double b = 0;
  for (int i = 0; i < d.cap.page_slots; ++i) {
    if (d.line_pages[static_cast<size_t>(i)]) b += static_cast<double>(d.lines_per_page) * sizeof(NCD_LINE);
    if (d.text_pages[static_cast<size_t>(i)]) b += d.cap.text_page_bytes;
    if (d.word_pages[static_cast<size_t>(i)]) b += 4.0 * d.cap.word_page_words;
  }
  b += static_cast<double>(d.run.slots.capacity()) * sizeof(NCD_SNAPSHOT);
  b += static_cast<double>(d.run.stats.capacity()) * sizeof(NCD_TOOL_STAT);
  b += static_cast<double>(d.run.samples.capacity()) * sizeof(NCD_SAMPLE);
  return b;
}

double peak_rss_bytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) * 1024.0;
}

// A record with the text stored and tokenised, compensation on.
std::unique_ptr<NCD_DATA> loaded(BenchRunHost& host, const std::string& text) {
  auto d = std::make_unique<NCD_DATA>();
  d->set_host(&host);
  d->exec_opt.comp_enabled = true;
  Create_NCD(*d);
  Append_NCD_text(*d, text.data(), text.size(), true);
  for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
  return d;
}

// A record with the generated program loaded and run once.
std::unique_ptr<NCD_DATA> run_program(BenchRunHost& host, long lines) {
  auto d = loaded(host, program(lines));
  Run_all_NCD(*d, 0);
  return d;
}

void BM_whole_road(benchmark::State& st) {
  const std::string& text = program(st.range(0));
  BenchRunHost host;
  auto d = std::make_unique<NCD_DATA>();
  d->set_host(&host);
  d->exec_opt.comp_enabled = true;
  Create_NCD(*d);
  double t_split = 0, t_parse = 0, t_run = 0;
  for (auto _ : st) {
    Clear_NCD(*d);
    auto t0 = std::chrono::steady_clock::now();
    Append_NCD_text(*d, text.data(), text.size(), true);
    t_split += seconds_since(t0);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
    t_parse += seconds_since(t0);
    t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Run_all_NCD(*d, 0));
    t_run += seconds_since(t0);
  }
  if (d->buf_full) {
    st.SkipWithError(("the store could not hold the program: " + d->buf_msg).c_str());
    return;
  }
  const double n = static_cast<double>(st.iterations());
  const double lines = d->line_count;
  st.counters["lines"] = lines;
  st.counters["blocks"] = d->pos.total_blocks;
  st.counters["errors"] = static_cast<double>(d->run.err_count);
  st.counters["incomplete"] = d->run.incomplete ? 1 : 0;
  st.counters["split+store lines/s"] = lines * n / t_split;
  st.counters["tokenise lines/s"] = lines * n / t_parse;
  st.counters["run lines/s"] = lines * n / t_run;
  st.counters["road lines/s"] = lines * n / (t_split + t_parse + t_run);
  st.counters["held B/line"] = held_bytes(*d) / lines;
  st.counters["peak RSS B/line"] = peak_rss_bytes() / lines;
  st.SetItemsProcessed(static_cast<std::int64_t>(lines * n));
}
BENCHMARK(BM_whole_road)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);
// Larger programs: 10 million lines of about 21 characters take some 260 MB of text pages.
BENCHMARK(BM_whole_road)->Arg(4500000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_whole_road)->Arg(10000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// A program under G41 from its second line to its last: every block looks ahead.
void BM_run_compensated(benchmark::State& st) {
  const long lines = st.range(0);
  std::string text = "T1 M06\nG90 G01 X0 Y0 Z-1. F1000\nG41 D1 X10. Y0\n";
  text.reserve(static_cast<size_t>(lines) * 20);
  char b[64];
  for (long i = 3; i < lines - 2; ++i) {
    // A zigzag of 20 mm legs: inside and outside corners by turns.
    std::snprintf(b, sizeof b, "X%ld.Y%d.\n", 10 + 20 * ((i + 1) / 2), (i % 2) ? 20 : 0);
    text += b;
  }
  text += "G40 X0 Y-10.\nM30\n";
  BenchRunHost host;
  auto d = loaded(host, text);
  for (auto _ : st) benchmark::DoNotOptimize(Run_all_NCD(*d, 0));
  st.counters["errors"] = static_cast<double>(d->run.err_count);
  st.counters["run lines/s"] =
      benchmark::Counter(static_cast<double>(d->line_count) * static_cast<double>(st.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_run_compensated)->Arg(1000000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_seek(benchmark::State& st) {
  BenchRunHost host;
  auto d = run_program(host, 1000000);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> block(0, d->pos.total_blocks);
  double worst = 0;
  for (auto _ : st) {
    const int n = block(rng);
    const auto t0 = std::chrono::steady_clock::now();
    Goto_NCD_step(*d, n, false);
    worst = std::max(worst, seconds_since(t0));
  }
  st.counters["worst ms"] = worst * 1000;
}
BENCHMARK(BM_seek)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// The worst place of a seek: the block just before a snapshot, 4999 blocks past the last.
void BM_seek_farthest(benchmark::State& st) {
  BenchRunHost host;
  auto d = run_program(host, 1000000);
  int k = 0;
  const int slots = d->pos.total_blocks / NCD_SNAP_BLOCKS;
  for (auto _ : st) {
    Goto_NCD_step(*d, (k++ % slots + 1) * NCD_SNAP_BLOCKS, false);
  }
}
BENCHMARK(BM_seek_farthest)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace
