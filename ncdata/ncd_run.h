// The whole-program run, the per-tool statistics, the snapshots and the seeks.
//
// After every load or edit `Run_all_NCD` executes the program once: a count pass, then the
// main pass, which takes a snapshot of the interpreter every 5000 blocks, closes one
// statistics record per tool, samples the path, lists the errors and builds the summary.
// `Goto_NCD_step` restores the nearest snapshot at or before a block and steps forward from
// there, so a seek never executes more than 5000 blocks (plus those of a cycle).
//
// The step routines add cutter radius compensation and the change of the displayed tool
// holder to each block. Three private slots (-1, -2, -3) with save areas A, B and C let the
// drawing code and the compensation look-ahead run ahead and come back. No Qt here.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "ncdata/ncd_comp.h"
#include "ncdata/ncd_exec.h"
#include "platform/core/system.h"

struct NCD_DATA;

// ---- capacities ----------------------------------------------------------------------------
inline constexpr int NCD_SNAP_PRIVATE = 3;       // slots -1, -2, -3 (save areas A, B, C)
// Blocks between two snapshots. The slots are as many as the run's capacity needs (some
// 27,000 for 134 million blocks, 1.5 kB each), so no seek steps more than this.
inline constexpr int NCD_SNAP_BLOCKS = 5000;
inline constexpr int NCD_STAT_MAX = 1024;        // tool statistics records
inline constexpr int NCD_SAMPLE_MAX = 5000;      // path samples
inline constexpr int NCD_SAMPLE_SPREAD = 4995;   // the sample interval is blocks / this
inline constexpr int NCD_ERR_LIST_MAX = 100000;  // error lines listed; one more tells the rest
inline constexpr std::uint32_t NCD_RUN_POLL_MS = 30;  // Escape is asked at most this often

// The displayed tool holder, kept for the main window.
struct NCD_TH_STATE {
  std::int32_t T = -1;        // T of the displayed tool holder; -1 none
  std::int32_t index = -1;    // its entry in the tool-holder list
  bool tool_present = false;  // the data of the displayed tool are present
};

// Totals of the closed statistics records.
struct NCD_TOTALS {
  double rapid_len = 0, cut_len = 0, time = 0;
  float high_z = -10000.0f;
};

// Everything the run keeps per block that a snapshot must bring back.
struct NCD_RUN_STATE {
  TComp_state comp;
  NCD_TOTALS totals;
  std::int32_t stat_index = 0;    // the current tool's statistics record
  std::int32_t tool_first_block = 0;
  std::int32_t tool_line = -1;    // line of the current tool's tool change; -1 none
  // The tool that the last tool change ended: its values, first block and tool line.
  NCD_TOOL_RUN closing;
  std::int32_t closing_first_block = 0;
  std::int32_t closing_line = -1;
};

// One snapshot slot.
struct NCD_SNAPSHOT {
  std::int32_t cur_line = 0, next_line = 0, block_count = 0;
  std::int32_t th_T = -1;
  std::uint32_t serial = 0;       // the run that wrote it; 0 never written
  NCD_EXEC exec;
  NCD_RUN_STATE run;
};
static_assert(std::is_trivially_copyable_v<NCD_SNAPSHOT>, "snapshots are flat copies");

// One statistics record: one tool, or the part before the first tool change (record 0).
struct NCD_TOOL_STAT {
  std::int32_t tool = 0;
  float cut_start_z = 0;
  float high_z = -10000.0f;
  VEC3 first;
  float rapid_len = 0;        // rapid plus shift length (mm)
  float cut_len = 0;          // mm
  float shift_len = 0;        // shifts of G76/G87 (mm)
  float time = 0;             // minutes
  std::int32_t rapid_count = 0;
  float rapid_z_high = 0, rapid_z_low = 0, rapid_xy_z_low = 0;
  std::int32_t pecks = 0;
  float dwell = 0;            // seconds
  std::string desc;           // "( x.. y.. z.. ,cut_st_z=.. ,min_Z=..)" with pitch texts
  std::string tool_text;      // the tool change's line, then the description and "\n"
  NCD_CYCLE cycle;            // the cycle and compensation state at the tool's end
  NCD_COMP_HISTORY comp;
  float pitch = 0;            // F / S of G74, G84
  float feed_rev = 0;         // F / S of the other cycles
  // The D and H code texts in force at the tool's end ("D01", "H01"; empty before the
  // program's first D or H word).
  std::array<std::string, 2> block_text;
  std::int32_t first_block = 0, last_block = 0;
};

// One path sample: the start and end of a feed move.
struct NCD_SAMPLE {
  VEC3 prev, cur;
};

// A save area: the displayed tool holder; the rest lives in its private slot.
struct NCD_SAVE_AREA {
  NCD_TH_STATE th;
};

// The state of the count pass: it follows the program without moving.
struct NCD_COUNT_STATE {
  struct Entry {
    std::int32_t prog = 0, caller_o = 0, caller_line = 0, start_line = 0, left = 0;
  };
  std::int32_t next_line = 0;
  std::uint16_t status = 0;
  std::int32_t o = 0;
  std::int32_t depth = 0;
  std::array<Entry, NCD_SUB_DEPTH + 1> stack{};
};

// The storage of a table with an entry per line. A large table that comes close to filling
// whole huge pages is put on them, so that its first fill takes one page fault per 2 MB
// rather than one per 4 kB; the others come from operator new. The size freed must be the
// size allocated.
void* ncd_line_table_alloc(std::size_t bytes);
void ncd_line_table_free(void* p, std::size_t bytes) noexcept;

template <class T>
using NCD_LINE_TABLE_ALLOCATOR = plat::BlockAllocator<T, ncd_line_table_alloc, ncd_line_table_free>;

// The first block of every line that one run reached, in some 2 bytes a line: each group of
// 64 lines keeps the block at which the run first reached one of them, each line its
// distance from that block; the few lines first reached much later are kept aside.
class NCD_FIRST_BLOCKS {
 public:
  // n lines, none reached.
  void reset(int n);
  int size() const { return static_cast<int>(dist_.size()); }
  bool reached(int n) const { return dist_[static_cast<std::size_t>(n)] != NONE; }
  // Notes block b for line n when the line was not reached before. Blocks come in order.
  void note(int n, std::int32_t b) {
    if (reached(n)) return;
    std::int32_t& base = base_[static_cast<std::size_t>(n) >> SHIFT];
    if (base < 0) base = b;
    const std::int64_t k = static_cast<std::int64_t>(b) - base;
    if (k >= 0 && k < FAR) {
      dist_[static_cast<std::size_t>(n)] = static_cast<std::uint16_t>(k);
    } else {
      dist_[static_cast<std::size_t>(n)] = FAR;
      far_.push_back({n, b});
    }
  }
  // After the run: the lines kept aside sorted for get().
  void finish();
  // The first block of line n, -1 when the run did not reach it.
  std::int32_t get(int n) const;
  std::size_t bytes() const {
    return base_.capacity() * 4 + dist_.capacity() * 2 + far_.capacity() * sizeof(Far);
  }

 private:
  static constexpr int SHIFT = 6;
  static constexpr std::uint16_t NONE = 0xFFFF, FAR = 0xFFFE;
  struct Far {
    std::int32_t line, block;
  };
  std::vector<std::int32_t> base_;
  std::vector<std::uint16_t, NCD_LINE_TABLE_ALLOCATOR<std::uint16_t>> dist_;
  std::vector<Far> far_;
};

// The first block of every line that one run reached, with what that run saw.
struct NCD_LINE_BLOCKS {
  NCD_FIRST_BLOCKS first;
  bool valid = false;
  std::uint32_t changes = 0;     // the record's change count
  NCD_EXEC_OPTIONS opt;
  std::int32_t start = 0;        // the run's start line
  std::uint32_t serial = 0;      // the run's serial: its snapshots are the current ones
  bool ran_off_end = false;      // the run ended past the last line, not at a program end
};

// The program run's part of the NC data record.
struct NCD_RUN {
  NCD_TH_STATE th;
  NCD_RUN_STATE st;

  // Snapshots: slots -3 .. -1 first, then 0 .. NCD_snap_slots - 1, taken as the run
  // reaches them.
  std::array<NCD_SNAPSHOT, NCD_SNAP_PRIVATE> priv{};
  std::vector<NCD_SNAPSHOT> slots;
  std::uint32_t serial = 0;        // counts the resets; a slot of an earlier one is stale
  std::uint32_t valid_serial = 0;  // the last run that succeeded
  std::array<NCD_SAVE_AREA, 3> areas{};

  std::vector<NCD_TOOL_STAT> stats;  // closed records, at most NCD_STAT_MAX
  std::vector<NCD_SAMPLE> samples;   // at most NCD_SAMPLE_MAX
  std::vector<std::string> err_list; // "%8d : ERR(%.4x) %s", then the count of the rest
  std::int64_t err_count = 0;        // error blocks of the run, listed or not
  // The last run ended early, by Escape or at the run's capacity: the statistics, the
  // snapshots and the total blocks cover the blocks up to there.
  bool incomplete = false;

  // The first block of every line that the last run from line 0 reached, and the same for
  // the last run from a later line (a program after a program end): while the program and
  // the options are still those of the run, a seek to a line needs no run of its own.
  NCD_LINE_BLOCKS from_top;
  NCD_LINE_BLOCKS from_line;

  std::string summary;             // "総切削長:...mm, 早送り:...mm, 総加工時間:...分 ..."
  std::string sum_cut, sum_rapid, sum_time;  // "%.0f mm", "%.0f mm", "%d 分"
};

// ---- routines -----------------------------------------------------------------------------
// Resets the interpreter (Reset_NCD_exec), then the run's own state: displayed tool none,
// compensation, totals, error list and statistics cleared, earlier snapshots stale.
void Reset_NCD_run(NCD_DATA& d);
// The whole-program run from `start_line`; true when the program was run.
bool Run_all_NCD(NCD_DATA& d, int start_line);
// One step of the count pass.
void Count_NCD_blocks(NCD_DATA& d, NCD_COUNT_STATE& c);
// Closes the statistics record of tool t from the current tool's values.
void tool_statistics(NCD_DATA& d, int t);
// One block with compensation; true ("ended") as exec_NCD_word.
bool exec_NCD_block(NCD_DATA& d, bool sub_step);
// exec_NCD_block, then change_TH_zu when the current tool is not the displayed one.
bool STEP_NCD(NCD_DATA& d, bool sub_step);
// As STEP_NCD, but also "ended" when the block set an error code.
bool STEP_NCD_stop_on_err(NCD_DATA& d, bool sub_step);
// Selects the holder of the current tool for display.
void change_TH_zu(NCD_DATA& d);
// Snapshot slots of the record: one every cap.snap_blocks blocks of its run capacity.
int NCD_snap_slots(const NCD_DATA& d);
// Stores or restores slot -3 .. NCD_snap_slots - 1; other slots are refused (false). Only slots written
// since the last successful run are restored.
bool Save_NCD_snapshot(NCD_DATA& d, int slot);
bool Load_NCD_snapshot(NCD_DATA& d, int slot);
// Seeks to block n (after n - 1 blocks), then with `one_more` executes one block more; a
// negative n restores private slot n.
void Goto_NCD_step(NCD_DATA& d, int n, bool one_more);
// Runs again and seeks to the first block of line n.
void Goto_NCD_line(NCD_DATA& d, int n);
void Save_NCD_pos_A(NCD_DATA& d);
void Load_NCD_pos_A(NCD_DATA& d);
void Save_NCD_pos_B(NCD_DATA& d);
void Load_NCD_pos_B(NCD_DATA& d);
void Save_NCD_pos_C(NCD_DATA& d);
void Load_NCD_pos_C(NCD_DATA& d);
// Cutter radius compensation of the block just executed (exec_NCD_block calls it).
void Tool_radius_comp(NCD_DATA& d);
// The next element after the current block, found by executing at most 3 blocks ahead and
// coming back to a copy of the interpreter state.
void comp_look_ahead(NCD_DATA& d, TComp_next& nx);
