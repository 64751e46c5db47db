// The whole road of a loaded program (split and store, tokenise, the whole-program run) for
// generated milling programs of 1,000,000 and 10,000,000 lines, and seeks to random blocks.
// Each phase is reported in lines/s; the memory counters give the bytes per stored line.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "common/text_file.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "bench/ncd_bench_host.h"
#include "tests/support/ncd_program_gen.h"

namespace {

std::map<long, std::string>& programs() {
  static std::map<long, std::string> cache;
  return cache;
}

const std::string& program(long lines) {
  auto& cache = programs();
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
  Parse_NCD_lines(*d, 0, d->line_count);
  return d;
}

// A record with the generated program loaded and run once.
std::unique_ptr<NCD_DATA> run_program(BenchRunHost& host, long lines) {
  auto d = loaded(host, program(lines));
  if (lines > 10000000) programs().erase(lines);  // the text of a very large one goes
  Run_all_NCD(*d, 0);
  return d;
}

// Where the bytes of a stored and run program go, per line.
void held_counters(benchmark::State& st, const NCD_DATA& d) {
  double text = 0, words = 0, recs = 0, text_used = 0, words_used = 0;
  for (int i = 0; i < d.cap.page_slots; ++i) {
    const auto u = static_cast<size_t>(i);
    if (d.line_pages[u]) recs += static_cast<double>(d.lines_per_page) * sizeof(NCD_LINE);
    if (d.text_pages[u]) text += d.cap.text_page_bytes, text_used += d.text_fill[u];
    if (d.word_pages[u]) words += 4.0 * d.cap.word_page_words, words_used += 4.0 * d.word_fill[u];
  }
  const double lines = d.line_count;
  st.counters["held B/line"] = held_bytes(d) / lines;
  st.counters["text pages B/line"] = text / lines;
  st.counters["text used B/line"] = text_used / lines;
  st.counters["word pages B/line"] = words / lines;
  st.counters["word used B/line"] = words_used / lines;
  st.counters["line recs B/line"] = recs / lines;
  st.counters["snapshots B/line"] =
      static_cast<double>(d.run.slots.capacity()) * sizeof(NCD_SNAPSHOT) / lines;
  st.counters["line blocks B/line"] =
      static_cast<double>(d.run.from_top.first.bytes() + d.run.from_line.first.bytes()) / lines;
}

// Arguments: lines, tokenising threads (1: this thread only, 0: one per processor).
void BM_whole_road(benchmark::State& st) {
  const std::string& text = program(st.range(0));
  const int threads = static_cast<int>(st.range(1));
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
    Parse_NCD_lines(*d, 0, d->line_count, threads);
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
  st.counters["split+store ms"] = t_split * 1000 / n;
  st.counters["tokenise ms"] = t_parse * 1000 / n;
  st.counters["run ms"] = t_run * 1000 / n;
  st.counters["road lines/s"] = lines * n / (t_split + t_parse + t_run);
  held_counters(st, *d);
  st.counters["peak RSS B/line"] = peak_rss_bytes() / lines;
  st.SetItemsProcessed(static_cast<std::int64_t>(lines * n));
}
BENCHMARK(BM_whole_road)->Args({1000000, 1})->Args({1000000, 0})->Iterations(5)->Unit(benchmark::kMillisecond);
// Larger programs: 10 million lines of about 21 characters take some 260 MB of text pages.
BENCHMARK(BM_whole_road)->Args({4500000, 0})->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_whole_road)->Args({10000000, 0})->Iterations(1)->Unit(benchmark::kMillisecond);

long status_kb(const char* key) {
  std::ifstream f("/proc/self/status");
  std::string line;
  const std::size_t k = std::strlen(key);
  while (std::getline(f, line))
    if (line.compare(0, k, key) == 0) return std::stol(line.substr(k));
  return 0;
}

// The whole road as a user meets it: the file read from disk piece by piece (as the NC
// file commands read it) and split into a new record, the lines tokenised and the program
// run. The peak counts what the road adds to the process. Arguments: lines, tokenising
// threads.
void BM_whole_road_file(benchmark::State& st) {
  const long lines_wanted = st.range(0);
  const int threads = static_cast<int>(st.range(1));
  const std::string path = "/tmp/vlm_road_bench_" + std::to_string(lines_wanted) + ".nc";
  if (!std::ifstream(path)) {
    std::ofstream(path, std::ios::binary) << program(lines_wanted);
    programs().erase(lines_wanted);
  }
  BenchRunHost host;
  double t_split = 0, t_parse = 0, t_run = 0, peak = 0, lines = 0;
  for (auto _ : st) {
    malloc_trim(0);  // what earlier benchmarks freed goes back first
    std::ofstream("/proc/self/clear_refs") << "5";
    const double base = static_cast<double>(status_kb("VmRSS:")) * 1024.0;
    auto d = std::make_unique<NCD_DATA>();
    d->set_host(&host);
    d->exec_opt.comp_enabled = true;
    Create_NCD(*d);
    auto t0 = std::chrono::steady_clock::now();
    {
      TextFilePieces pieces;
      if (!pieces.open(path, 4u << 20)) st.SkipWithError("cannot read the program");
      std::string_view piece;
      while (pieces.next(piece)) Append_NCD_text(*d, piece.data(), piece.size(), true);
    }
    t_split += seconds_since(t0);
    t0 = std::chrono::steady_clock::now();
    Parse_NCD_lines(*d, 0, d->line_count, threads);
    t_parse += seconds_since(t0);
    t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(Run_all_NCD(*d, 0));
    t_run += seconds_since(t0);
    lines = d->line_count;
    peak = std::max(peak, static_cast<double>(status_kb("VmHWM:")) * 1024.0 - base);
    st.PauseTiming();
    d.reset();
    st.ResumeTiming();
  }
  const double n = static_cast<double>(st.iterations());
  st.counters["lines"] = lines;
  st.counters["read+split+store ms"] = t_split * 1000 / n;
  st.counters["tokenise ms"] = t_parse * 1000 / n;
  st.counters["run ms"] = t_run * 1000 / n;
  st.counters["road ms"] = (t_split + t_parse + t_run) * 1000 / n;
  st.counters["peak B/line"] = peak / lines;
}
BENCHMARK(BM_whole_road_file)->Args({1000000, 1})->Args({1000000, 0})->Iterations(5)->Unit(benchmark::kMillisecond);

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
  auto d = run_program(host, st.range(0));
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
// 20 million lines: past the 15 million blocks that 3000 slots of 5000 blocks would cover.
BENCHMARK(BM_seek)->Arg(1000000)->Arg(20000000)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// The worst place of a seek: the block just before a snapshot, 4999 blocks past the last.
void BM_seek_farthest(benchmark::State& st) {
  BenchRunHost host;
  auto d = run_program(host, st.range(0));
  int k = 0;
  const int slots = d->pos.total_blocks / NCD_SNAP_BLOCKS;
  // From the end backwards: the last slots first.
  for (auto _ : st) {
    Goto_NCD_step(*d, (slots - k++ % slots) * NCD_SNAP_BLOCKS, false);
  }
}
BENCHMARK(BM_seek_farthest)->Arg(1000000)->Arg(20000000)->Iterations(200)->Unit(benchmark::kMicrosecond);

}  // namespace
