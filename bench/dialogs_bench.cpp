// The file chooser's listing of a large folder and the NC text search over a large program.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "mainwin/core/file_list.h"
#include "mainwin/core/find_ncd.h"
#include "ncdata/ncd_data.h"
#include "platform/core/system.h"
#include "tests/support/ncd_program_gen.h"

namespace {

namespace fs = std::filesystem;

// A folder of 100,000 empty files "P000000.NCD" .., made once and removed at exit.
const fs::path& big_folder() {
  struct Folder {
    fs::path path;
    Folder() {
      path = fs::temp_directory_path() / ("vlm_bench_files_" + std::to_string(getpid()));
      fs::create_directories(path);
      char name[32];
      for (int i = 0; i < 100000; ++i) {
        std::snprintf(name, sizeof name, "P%06d.NCD", (i * 7919) % 100000);
        const int fd = open((path / name).c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) close(fd);
      }
    }
    ~Folder() {
      std::error_code ec;
      fs::remove_all(path, ec);
    }
  };
  static Folder f;
  return f.path;
}

// Scan, one stat per file, rows and the sort by name.
void BM_List_files_in_dir(benchmark::State& st) {
  const fs::path& dir = big_folder();
  const char* filter = st.range(0) == 0 ? "*.NCD" : "*.nst";
  int files = 0;
  for (auto _ : st) {
    FILE_LIST l = List_files_in_dir(dir, filter, plat::tick_ms);
    files = l.files();
    benchmark::DoNotOptimize(l.rows.data());
  }
  st.counters["files"] = files;
}
BENCHMARK(BM_List_files_in_dir)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A generated program of about 1,000,000 lines, loaded once.
NCD_DATA& big_program() {
  static std::unique_ptr<NCD_DATA> d = [] {
    testing_support::NcGenOptions o;
    o.lines = 1000000;
    const std::string text = testing_support::NcProgramGen(o).make();
    auto p = std::make_unique<NCD_DATA>();
    Create_NCD(*p);
    Append_NCD_text(*p, text.data(), text.size(), true);
    return p;
  }();
  return *d;
}

// One whole scan: a pattern that hits nothing, one that hits some lines, "*" (every line)
// and an include with an exclude.
void BM_find_scan(benchmark::State& st) {
  NCD_DATA& d = big_program();
  FIND_SETTINGS s;
  switch (st.range(0)) {
    case 0: s.search_text = "G99X"; break;
    case 1: s.search_text = "G03"; break;  // about 1 %
    case 2: s.search_text = "*"; break;
    case 3: s.search_text = "G0?"; s.not_text = "Z"; break;
  }
  int hits = 0;
  for (auto _ : st) {
    hits = 0;
    for (int n = 0; n < d.line_count; ++n) hits += find_line_matches(get_NCD_line_view(d, n), s);
    benchmark::DoNotOptimize(hits);
  }
  st.counters["lines"] = d.line_count;
  st.counters["hits"] = hits;
}
BENCHMARK(BM_find_scan)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The forward search from line 0 to a miss at the end: what F3 costs on a large program.
void BM_find_forward_miss(benchmark::State& st) {
  NCD_DATA& d = big_program();
  FIND_SETTINGS s;
  s.search_text = "G99X";
  for (auto _ : st) benchmark::DoNotOptimize(find_NCD_line(d, 0, true, s));
}
BENCHMARK(BM_find_forward_miss)->Unit(benchmark::kMillisecond);

// "List all" with every line a hit: the "%7d : %s" lines for the result window.
void BM_find_list_all(benchmark::State& st) {
  NCD_DATA& d = big_program();
  FIND_SETTINGS s;
  s.search_text = "*";
  std::size_t n = 0;
  for (auto _ : st) {
    std::vector<std::string> lines = find_all_NCD_lines(d, s);
    n = lines.size();
    benchmark::DoNotOptimize(lines.data());
  }
  st.counters["hits"] = static_cast<double>(n);
}
BENCHMARK(BM_find_list_all)->Unit(benchmark::kMillisecond);

}  // namespace
