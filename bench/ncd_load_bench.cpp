// Loading a large NC program: splitting and storing its text, tokenising every line, and
// executing it block by block.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "ncdata/ncd_data.h"

namespace {

constexpr int LINES = 1000000;

// Three-axis finishing moves with a sprinkling of G, M, F, S and T words.
const std::string& program() {
  static const std::string text = [] {
    std::string t;
    t.reserve(static_cast<std::size_t>(LINES) * 24);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-99999, 99999);
    auto num = [&](char letter) {
      const int v = coord(rng);
      char b[24];
      std::snprintf(b, sizeof b, "%c%s%d.%03d", letter, v < 0 ? "-" : "", std::abs(v) / 1000,
                    std::abs(v) % 1000);
      t += b;
    };
    t += "%\r\nO1000\r\n(VLM ORIGN X0Y0Z100.)\r\n";
    for (int i = 3; i < LINES; ++i) {
      if (i % 5000 == 0) {
        t += "T" + std::to_string(i / 5000 % 40 + 1) + "M06\r\nG90G54G00X0Y0S8000M03\r\n";
        i += 1;
        continue;
      }
      if (i % 97 == 0) t += "G01";
      if (i % 211 == 0) t += "G00";
      num('X');
      num('Y');
      if (i % 3 == 0) num('Z');
      if (i % 101 == 0) t += "F1200.";
      t += "\r\n";
    }
    t += "M30\r\n";
    return t;
  }();
  return text;
}

void fill_counters(benchmark::State& st, const NCD_DATA& d) {
  std::int64_t text = 0, words = 0;
  for (int i = 0; i < d.cap.page_slots; ++i) {
    if (d.text_fill[i] > 0) text += d.text_fill[i];
    if (d.word_fill[i] > 0) words += d.word_fill[i];
  }
  const double lines = d.line_count;
  st.counters["lines"] = lines;
  st.counters["bytes/line"] = (static_cast<double>(text + words * 4) + lines * sizeof(NCD_LINE)) / lines;
  st.counters["text B/line"] = static_cast<double>(text) / lines;
  st.counters["word B/line"] = static_cast<double>(words * 4) / lines;
}

void BM_split_store(benchmark::State& st) {
  const std::string& t = program();
  auto d = std::make_unique<NCD_DATA>();
  Create_NCD(*d);
  for (auto _ : st) {
    Clear_NCD(*d);
    benchmark::DoNotOptimize(Append_NCD_text(*d, t.data(), t.size(), true));
  }
  st.SetItemsProcessed(st.iterations() * d->line_count);
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_split_store)->Unit(benchmark::kMillisecond);

void BM_tokenise(benchmark::State& st) {
  const std::string& t = program();
  auto d = std::make_unique<NCD_DATA>();
  Create_NCD(*d);
  for (auto _ : st) {
    st.PauseTiming();
    Clear_NCD(*d);
    Append_NCD_text(*d, t.data(), t.size(), true);
    st.ResumeTiming();
    for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
  }
  st.SetItemsProcessed(st.iterations() * d->line_count);
  fill_counters(st, *d);
}
BENCHMARK(BM_tokenise)->Unit(benchmark::kMillisecond);

// The same lines tokenised together on the given number of threads (0: one per processor).
void BM_tokenise_lines(benchmark::State& st) {
  const std::string& t = program();
  auto d = std::make_unique<NCD_DATA>();
  Create_NCD(*d);
  for (auto _ : st) {
    st.PauseTiming();
    Clear_NCD(*d);
    Append_NCD_text(*d, t.data(), t.size(), true);
    st.ResumeTiming();
    Parse_NCD_lines(*d, 0, d->line_count, static_cast<int>(st.range(0)));
  }
  st.SetItemsProcessed(st.iterations() * d->line_count);
  fill_counters(st, *d);
}
BENCHMARK(BM_tokenise_lines)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_load(benchmark::State& st) {
  const std::string& t = program();
  auto d = std::make_unique<NCD_DATA>();
  Create_NCD(*d);
  for (auto _ : st) {
    Clear_NCD(*d);
    Append_NCD_text(*d, t.data(), t.size(), true);
    Parse_NCD_lines(*d, 0, d->line_count);
  }
  st.SetItemsProcessed(st.iterations() * d->line_count);
  fill_counters(st, *d);
}
BENCHMARK(BM_load)->Unit(benchmark::kMillisecond);

// Executing every block of the loaded program once, as the whole-program run's passes do.
void BM_exec(benchmark::State& st) {
  const std::string& t = program();
  auto d = std::make_unique<NCD_DATA>();
  Create_NCD(*d);
  Append_NCD_text(*d, t.data(), t.size(), true);
  for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
  std::int64_t blocks = 0;
  for (auto _ : st) {
    Reset_NCD_exec(*d);
    while (!exec_NCD_word(*d, false) && d->exec.status != NCD_ST_ERROR) {
    }
    blocks += d->pos.block_count;
  }
  st.SetItemsProcessed(blocks);
}
BENCHMARK(BM_exec)->Unit(benchmark::kMillisecond);

}  // namespace
