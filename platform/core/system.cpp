#include "platform/core/system.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace plat {

namespace fs = std::filesystem;

std::uint32_t tick_ms() {
  using namespace std::chrono;
  auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

bool parse_meminfo(const std::string& text, MemoryStatus& out) {
  out = MemoryStatus{};
  std::istringstream in(text);
  std::string key;
  std::uint64_t kb = 0;
  std::string unit;
  bool have_total = false, have_avail = false;
  std::uint64_t free_kb = 0;
  bool have_free = false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream ls(line);
    if (!(ls >> key >> kb)) continue;
    std::uint64_t bytes = kb * 1024;
    if (key == "MemTotal:") { out.total_phys = bytes; have_total = true; }
    else if (key == "MemAvailable:") { out.avail_phys = bytes; have_avail = true; }
    else if (key == "MemFree:") { free_kb = bytes; have_free = true; }
    else if (key == "SwapTotal:") out.total_swap = bytes;
    else if (key == "SwapFree:") out.avail_swap = bytes;
  }
  if (!have_avail && have_free) { out.avail_phys = free_kb; have_avail = true; }
  if (!have_total || !have_avail) return false;
  if (out.avail_phys > out.total_phys) out.avail_phys = out.total_phys;
  if (out.total_phys > 0)
    out.load_percent =
        static_cast<int>((out.total_phys - out.avail_phys) * 100 / out.total_phys);
  return true;
}

namespace {
bool (*g_memory_source)(MemoryStatus&) = nullptr;
}  // namespace

void set_memory_status_source(bool (*source)(MemoryStatus& out)) { g_memory_source = source; }

namespace {
std::size_t large_span(std::size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }
}  // namespace

void* large_alloc(std::size_t bytes) {
  if (bytes < kLargeBlock) return ::operator new(bytes);
  const std::size_t span = large_span(bytes);
  if (span < bytes || span + kHugePage < span) throw std::bad_alloc();
  // Map one huge page more and trim both ends, so that the block starts on a huge page.
  void* raw = mmap(nullptr, span + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                   -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto base = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t start = (base + kHugePage - 1) & ~(kHugePage - 1);
  if (start > base) munmap(raw, start - base);
  const std::uintptr_t end = base + span + kHugePage;
  if (end > start + span) munmap(reinterpret_cast<void*>(start + span), end - (start + span));
  void* p = reinterpret_cast<void*>(start);
  madvise(p, span, MADV_HUGEPAGE);  // a hint: without huge pages the block still works
  return p;
}

void prefault(void* p, std::size_t bytes) noexcept {
#ifdef MADV_POPULATE_WRITE
  const std::uintptr_t page = 4096;
  const auto a = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t start = (a + page - 1) & ~(page - 1);
  const std::uintptr_t end = (a + bytes) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)bytes;
#endif
}

void discard_memory(void* p, std::size_t bytes) noexcept {
  const std::uintptr_t page = 4096;
  const auto a = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t start = (a + page - 1) & ~(page - 1);
  const std::uintptr_t end = (a + bytes) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
}

void release_free_memory() noexcept { malloc_trim(0); }

void large_free(void* p, std::size_t bytes) noexcept {
  if (!p) return;
  if (bytes < kLargeBlock) {
    ::operator delete(p);
    return;
  }
  munmap(p, large_span(bytes));
}

bool memory_status(MemoryStatus& out) {
  if (g_memory_source) return g_memory_source(out);
  std::ifstream f("/proc/meminfo");
  if (!f) { out = MemoryStatus{}; return false; }
  std::stringstream ss;
  ss << f.rdbuf();
  return parse_meminfo(ss.str(), out);
}

fs::path executable_folder() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path(ec);
  return p.parent_path();
}

namespace {
std::optional<fs::path> g_data_folder;
std::optional<fs::path> g_desktop_folder;

fs::path home_folder() {
  const char* h = std::getenv("HOME");
  if (h && *h) return fs::path(h);
  return fs::path("/tmp");
}

bool writable_folder(const fs::path& p) {
  return ::access(p.c_str(), W_OK | X_OK) == 0;
}

// XDG_DESKTOP_DIR from the environment, else from ~/.config/user-dirs.dirs.
fs::path xdg_desktop() {
  if (const char* d = std::getenv("XDG_DESKTOP_DIR"); d && *d) return fs::path(d);
  fs::path cfg;
  if (const char* c = std::getenv("XDG_CONFIG_HOME"); c && *c) cfg = c;
  else cfg = home_folder() / ".config";
  std::ifstream f(cfg / "user-dirs.dirs");
  std::string line;
  while (std::getline(f, line)) {
    const std::string key = "XDG_DESKTOP_DIR=";
    if (line.rfind(key, 0) != 0) continue;
    std::string v = line.substr(key.size());
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    const std::string home = "$HOME";
    if (v.rfind(home, 0) == 0) v = home_folder().string() + v.substr(home.size());
    if (!v.empty()) return fs::path(v);
  }
  return home_folder() / "Desktop";
}
}  // namespace

fs::path data_folder() {
  if (g_data_folder) return *g_data_folder;
  fs::path exe = executable_folder();
  if (writable_folder(exe)) return exe;
  fs::path base;
  if (const char* d = std::getenv("XDG_DATA_HOME"); d && *d) base = d;
  else base = home_folder() / ".local" / "share";
  fs::path p = base / "velmor";
  std::error_code ec;
  fs::create_directories(p, ec);
  return p;
}
void set_data_folder(const fs::path& p) { g_data_folder = p; }

fs::path desktop_folder() {
  if (g_desktop_folder) return *g_desktop_folder;
  fs::path d = xdg_desktop();
  std::error_code ec;
  if (fs::is_directory(d, ec)) return d;
  if (fs::create_directories(d, ec) && !ec) return d;
  return home_folder();
}
void set_desktop_folder(const fs::path& p) { g_desktop_folder = p; }

namespace {
Launcher* g_launcher = nullptr;

bool spawn_detached(const std::string& prog, const std::vector<std::string>& args,
                    const fs::path& wd) {
  // Double fork, so the started program is not our child and leaves no zombie.
  pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    if (::fork() != 0) ::_exit(0);
    if (!wd.empty() && ::chdir(wd.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(prog.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execvp(prog.c_str(), argv.data());
    ::_exit(127);
  }
  int st = 0;
  ::waitpid(pid, &st, 0);
  return WIFEXITED(st) && WEXITSTATUS(st) == 0;
}
}  // namespace

Launcher* set_launcher(Launcher* l) {
  Launcher* prev = g_launcher;
  g_launcher = l;
  return prev;
}

bool start_program(const fs::path& program, const std::vector<std::string>& args,
                   const fs::path& working_dir) {
  if (g_launcher) return g_launcher->start(program, args, working_dir);
  std::error_code ec;
  if (!fs::exists(program, ec) && program.has_parent_path()) return false;
  return spawn_detached(program.string(), args, working_dir);
}

bool open_with_desktop(const fs::path& target) {
  if (g_launcher) return g_launcher->open(target);
  return spawn_detached("xdg-open", {target.string()}, {});
}

}  // namespace plat
