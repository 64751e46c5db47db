// Clock, memory status, folders and the start of other programs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>
#include <filesystem>
#include <string>
#include <vector>

namespace plat {

// Milliseconds of a steady clock (in place of timeGetTime / GetTickCount); wraps like them.
std::uint32_t tick_ms();

struct MemoryStatus {
  std::uint64_t total_phys = 0;   // bytes
  std::uint64_t avail_phys = 0;   // bytes
  std::uint64_t total_swap = 0;
  std::uint64_t avail_swap = 0;
  int load_percent = 0;           // 0..100, share of physical memory in use
};
// Reads /proc/meminfo; false (and zeros) when it cannot be read.
bool memory_status(MemoryStatus& out);
// Parses the text of /proc/meminfo (for tests).
bool parse_meminfo(const std::string& text, MemoryStatus& out);
// Tests give memory_status() a figure of their own (null: /proc/meminfo again); the source
// returns false for a figure that cannot be read.
void set_memory_status_source(bool (*source)(MemoryStatus& out));

// Large blocks (the height grids of works): blocks of 4 MiB and more are aligned to 2 MiB
// and asked to be backed by huge pages, which cuts the page faults of a first fill of a
// few hundred megabytes from some hundred thousand to a few hundred. Smaller blocks come
// from operator new. large_free must get the size the block was asked with. large_alloc
// throws std::bad_alloc when memory is short.
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;
inline constexpr std::size_t kLargeBlock = std::size_t{4} << 20;  // from this size on huge pages
void* large_alloc(std::size_t bytes);
void large_free(void* p, std::size_t bytes) noexcept;

// Maps the memory of a block just allocated in one go, where the system can, so that its
// first fill takes no page fault per 4 kB page. A hint only: the block works either way.
void prefault(void* p, std::size_t bytes) noexcept;

// Gives back the memory of the system pages that lie wholly inside the range, which stays
// usable: it reads as zeros when next touched.
void discard_memory(void* p, std::size_t bytes) noexcept;

// Gives the memory that was freed back to the system, where the allocator keeps it (as it
// does for blocks freed by other threads).
void release_free_memory() noexcept;

// A standard allocator for std::vector over a pair of block functions (the size freed is
// the size allocated).
template <class T, void* (*Alloc)(std::size_t), void (*Free)(void*, std::size_t) noexcept>
struct BlockAllocator {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = BlockAllocator<U, Alloc, Free>;
  };
  BlockAllocator() = default;
  template <class U>
  BlockAllocator(const BlockAllocator<U, Alloc, Free>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(Alloc(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { Free(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const BlockAllocator<U, Alloc, Free>&) const noexcept { return true; }
  template <class U>
  bool operator!=(const BlockAllocator<U, Alloc, Free>&) const noexcept { return false; }
};

// A standard allocator over large_alloc, for std::vector.
template <class T>
using LargeAllocator = BlockAllocator<T, large_alloc, large_free>;

// The folder of the running executable.
std::filesystem::path executable_folder();

// The data folder both programs share: the executable's folder when it is writable, else
// the per-user data folder ($XDG_DATA_HOME/velmor or ~/.local/share/velmor), created when
// missing. set_data_folder() overrides it (tests, portable set-ups).
std::filesystem::path data_folder();
void set_data_folder(const std::filesystem::path& p);

// The user's desktop folder (XDG_DESKTOP_DIR, else ~/Desktop), created when missing; the
// home folder when it cannot be created. set_desktop_folder() overrides it (tests).
std::filesystem::path desktop_folder();
void set_desktop_folder(const std::filesystem::path& p);

// Starting other programs and opening files with the desktop. The GUI installs a Qt
// implementation; tests install a recording one. Programs get an argument list, never a
// shell command line.
class Launcher {
 public:
  virtual ~Launcher() = default;
  virtual bool start(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::filesystem::path& working_dir) = 0;
  // Opens a file or folder with the desktop's default application.
  virtual bool open(const std::filesystem::path& target) = 0;
};
Launcher* set_launcher(Launcher* l);
// Through the installed launcher; without one, a detached fork/exec (xdg-open for opening).
bool start_program(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const std::filesystem::path& working_dir = {});
bool open_with_desktop(const std::filesystem::path& target);

class RecordingLauncher : public Launcher {
 public:
  struct Call {
    std::filesystem::path program;
    std::vector<std::string> args;
    std::filesystem::path working_dir;
    bool open = false;
  };
  RecordingLauncher() { prev_ = set_launcher(this); }
  ~RecordingLauncher() override { set_launcher(prev_); }
  RecordingLauncher(const RecordingLauncher&) = delete;
  RecordingLauncher& operator=(const RecordingLauncher&) = delete;
  bool start(const std::filesystem::path& program, const std::vector<std::string>& args,
             const std::filesystem::path& working_dir) override {
    calls.push_back({program, args, working_dir, false});
    return result;
  }
  bool open(const std::filesystem::path& target) override {
    calls.push_back({target, {}, {}, true});
    return result;
  }
  std::vector<Call> calls;
  bool result = true;

 private:
  Launcher* prev_ = nullptr;
};

}  // namespace plat
