// The block interpreter's modal state: what one executed block leaves for cutting, drawing,
// compensation and the program run. Every part of it is a flat value, so the program run can
// copy it into its snapshots as it stands. No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <type_traits>

#include "common/ats_func.h"

struct NCD_DATA;

// A position of the interpreter, in double precision: incremental words add up over millions
// of blocks without drifting. It hands itself out as a VEC3 wherever single precision is
// enough (drawing, statistics, compensation).
struct NCD_POINT {
  double x = 0, y = 0, z = 0;
  constexpr NCD_POINT() = default;
  constexpr NCD_POINT(double px, double py, double pz) : x(px), y(py), z(pz) {}
  constexpr NCD_POINT(const VEC3& v) : x(v.x), y(v.y), z(v.z) {}  // NOLINT: implicit
  constexpr operator VEC3() const {                                // NOLINT: implicit
    return VEC3{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  }
};

// ---- codes of the modal state ------------------------------------------------------------
// Motion group: bits 0-4 of a line's and of the interpreter's status word.
enum NCD_MOTION : std::int32_t {
  NCD_MG_NONE = 0,  // no motion code given yet
  NCD_MG_G01 = 1,   // G01 linear feed
  NCD_MG_G02 = 2,   // G02 arc clockwise
  NCD_MG_G03 = 3,   // G03 arc counter-clockwise
  NCD_MG_G60 = 4,   // G60 single-direction positioning, moved as a rapid
  NCD_MG_G31 = 5,   // G31 skip function, moved as a feed
  NCD_MG_G33 = 6,   // G33 thread cutting, moved as a feed
  NCD_MG_G73 = 7,   // G73 high-speed peck drilling
  NCD_MG_G74 = 8,   // G74 reverse tapping
  NCD_MG_G76 = 9,   // G76 fine boring
  NCD_MG_G81 = 11,  // G81 drilling; G82 .. G89 follow as 12 .. 19
  NCD_MG_G82 = 12,  // G82 drilling with dwell
  NCD_MG_G83 = 13,  // G83 peck drilling
  NCD_MG_G84 = 14,  // G84 tapping
  NCD_MG_G85 = 15,  // G85 boring, feed out
  NCD_MG_G86 = 16,  // G86 boring, spindle stop, rapid out
  NCD_MG_G87 = 17,  // G87 back boring
  NCD_MG_G88 = 18,  // G88 boring, dwell, stop
  NCD_MG_G89 = 19,  // G89 boring with dwell, feed out
  NCD_MG_G00 = 31,  // G00 rapid
};
inline constexpr bool ncd_is_cycle(int g) {
  return (g >= NCD_MG_G73 && g <= NCD_MG_G76) || (g >= NCD_MG_G81 && g <= NCD_MG_G89);
}
inline constexpr bool ncd_is_rapid(int g) { return g == NCD_MG_G00 || g == NCD_MG_G60; }
inline constexpr bool ncd_is_feed(int g) { return g == NCD_MG_G01 || g == NCD_MG_G31 || g == NCD_MG_G33; }
inline constexpr bool ncd_is_arc(int g) { return g == NCD_MG_G02 || g == NCD_MG_G03; }

// The mode word: plane in bits 4-5, work system in bits 0-3.
inline constexpr std::uint32_t NCD_PLANE_MASK = 0x30;
inline constexpr std::uint32_t NCD_PLANE_XY = 0x10;  // G17
inline constexpr std::uint32_t NCD_PLANE_ZX = 0x20;  // G18
inline constexpr std::uint32_t NCD_PLANE_YZ = 0x30;  // G19
inline constexpr std::uint32_t NCD_WS_MASK = 0x0F;
inline constexpr std::uint32_t NCD_WS_G54 = 1;       // G54; G55 .. G59 follow as 2 .. 6
inline constexpr std::uint32_t NCD_WS_G92 = 7;       // G92, the position named
inline constexpr std::uint32_t NCD_MODE_RESET = NCD_PLANE_XY | NCD_WS_G54;  // 17: G17 G54

// Phases of a canned cycle's block: set-up, positioning, the approach to R, then the cycle's
// own sub-moves from NCD_PH_OWN on (their steps numbered by each cycle), the return last.
enum NCD_CYCLE_PHASE : std::int32_t {
  NCD_PH_START = 0,     // the repeats are taken
  NCD_PH_POSITION = 1,  // X/Y at the rapid feed
  NCD_PH_TO_R = 2,      // down to the R level
  NCD_PH_OWN = 3,       // the first own sub-move; the cycle's checks come before it
  NCD_PH_RETURN = 99,   // back to the initial level (G98) or the R level (G99)
};

inline constexpr int NCD_SUB_DEPTH = 4;          // nested subprogram calls
inline constexpr int NCD_REPEAT_MAX = 9999;      // L of a cycle or a subprogram call
inline constexpr int NCD_CYCLE_MOVES_MAX = 100000;  // sub-moves of one cycle block
inline constexpr float NCD_RAPID_FEED = 4000.0f;
inline constexpr float NCD_PECK_RETURN = 0.1f;

// Error codes the interpreter sets beyond those of the tokenizer.
inline constexpr std::uint16_t NCD_ERR_SUB_DEPTH = 0x9011;
inline constexpr std::uint16_t NCD_ERR_SUB_NO_P = 0x9012;
inline constexpr std::uint16_t NCD_ERR_SUB_LOOP = 0x9013;
inline constexpr std::uint16_t NCD_ERR_SUB_MISSING = 0x9014;
inline constexpr std::uint16_t NCD_ERR_REPEATS = 0x9015;
inline constexpr std::uint16_t NCD_ERR_ARC_END = 0x9021;
inline constexpr std::uint16_t NCD_ERR_ARC_NO_RIJ = 0x9024;
inline constexpr std::uint16_t NCD_ERR_PITCH = 0x9031;
inline constexpr std::uint16_t NCD_ERR_G87_G99 = 0x9032;
inline constexpr std::uint16_t NCD_ERR_R_BELOW_Z = 0x9033;
inline constexpr std::uint16_t NCD_ERR_G74_M04 = 0x9034;
inline constexpr std::uint16_t NCD_ERR_NO_Q = 0x9035;
inline constexpr std::uint16_t NCD_ERR_NO_P = 0x9036;
inline constexpr std::uint16_t NCD_ERR_G84_M03 = 0x9037;
inline constexpr std::uint16_t NCD_ERR_CYCLE_MOVES = 0x9038;
inline constexpr std::uint16_t NCD_ERR_ARC_PLANE = 0x9040;

// Kinds of canned-cycle sub-moves (get_cycle_step_text names them).
enum NCD_CYCLE_KIND : std::int32_t {
  NCD_CK_RAPID = 0, NCD_CK_RAPID_I = 1, NCD_CK_FEED = 2, NCD_CK_DWELL = 3, NCD_CK_CW_UP = 4,
  NCD_CK_SHIFT = 5, NCD_CK_SPN_STOP = 6, NCD_CK_SHIFT_BACK = 7, NCD_CK_SPN_SPIN = 8,
  NCD_CK_STOP = 9, NCD_CK_CCW_UP = 11, NCD_CK_BACK = 12, NCD_CK_IN = 13,
  NCD_CK_POSITION = 51, NCD_CK_TO_R = 52, NCD_CK_TO_BOTTOM = 53, NCD_CK_RETURN = 54
};

// A canned cycle: the levels and words that carry over from block to block, and the
// progress of the block in hand.
struct NCD_CYCLE {
  std::int32_t kind = 0;     // kind of the last sub-move
  std::int32_t phase = 0;
  std::int32_t counter = 0;  // sub-moves of the block so far
  std::uint16_t status = 0, flags = 0, mask = 0;  // the block's
  float x = 0, y = 0, z = 0;                      // the block's words
  bool has_x = false, has_y = false, has_z = false, has_r = false;
  float q = -1;                // |Q|; -1 not set
  float r = 0;                 // the R word
  std::int32_t p = -1;         // dwell in ms; -1 not set
  std::int32_t l = -1;         // the block's L; -1 none
  std::int32_t repeats = 0, done = 0;
  double init_z = 0, r_z = 0, bottom_z = 0;
  double depth = 0;            // depth reached by the pecks
  bool active = false;
};

// What the interpreter remembers of the last blocks for cutter radius compensation.
struct NCD_COMP_HISTORY {
  std::array<std::int32_t, 3> code{40, 40, 40};  // before the previous, previous, current
  std::array<std::int32_t, 2> type{0, 0};        // previous, current: 0 none, 1 line, 2, 3
  VEC3 prev_start, prev_end, prev_centre;
  VEC3 cur_start, cur_end, cur_centre;
  std::array<std::int32_t, 2> xy_block{0, 0};    // block numbers of the last two XY moves
  bool moved_xy = false;
};

struct NCD_SUB_ENTRY {
  std::int32_t prog = 0;        // program number called
  std::int32_t caller_o = 0;    // the caller's program number
  std::int32_t caller_line = 0;
  std::int32_t start_line = 0;  // the line of the O word
  std::int32_t left = 0;        // repeats left
  std::int32_t repeats = 0;     // repeats given
  std::array<char, 32> text{};  // shown in the status display
};

// Running statistics of the current tool; the program run closes them at a tool change.
struct NCD_TOOL_RUN {
  VEC3 first;                      // first point of the tool
  float cut_start_z = 0;
  std::int32_t first_flags = 0;    // bit 0 Z, 1 Y, 2 X, 3 cut-start Z
  float high_z = -10000.0f;
  // Sums over the tool's moves, in double precision so that millions of short moves still
  // add up; the statistics records show them in single precision.
  double rapid_len = 0, cut_len = 0, shift_len = 0, time = 0;  // mm, mm, mm, minutes
  std::int32_t rapid_count = 0;
  float rapid_z_high = -10000.0f, rapid_z_low = 10000.0f, rapid_xy_z_low = 10000.0f;
  std::int32_t pecks = 0;          // pecks and shifts
  double dwell = 0;                // seconds
  float pitch = 0;                 // F / S of tapping
  bool pitch_set = false;
  float feed_rev = 0;              // F / S of the other cycles
  bool feed_rev_set = false;
};

struct NCD_EXEC {
  std::uint16_t status = 0;  // motion group and modal bits; 0x8000 end; 0x8000 + code error
  std::uint16_t flags = 0;   // 0x3000 and 0xC000 fields persist; the low 12 bits the line's
  std::uint16_t mask = 0;
  std::uint16_t saved_status = 0, saved_flags = 0;
  NCD_POINT cur, prev, seg_end;
  float arc_i = 0, arc_j = 0, arc_k = 0, arc_r = 0;  // centre offsets from the start, radius
  float arc_err = 0;
  float feed = 100.0f;  // feed used
  std::int32_t t_cur = 0, t_word = 0;
  float a = 0, b = 0, c = 0, q = 0, f = 100.0f;
  std::int32_t o = 0, p = 0, l = 0, n = 0, h = 0, d = 0, s = -1;
  std::uint8_t dh_read = 0;  // bit 0: a D word has been read, bit 1: an H word
  std::int32_t spindle = 0;  // 3 M03, 4 M04, 0 M05, 5 stopped by a cycle
  std::int32_t coolant = 0;  // bit 0 M07, bit 1 M08
  std::uint32_t mode = 17;   // plane in bits 4-5, work system in bits 0-3
  std::array<std::int32_t, 3> m_list{-1, -1, -1};
  std::int32_t colour = 45;  // path colour code
  std::array<std::uint8_t, 4> colour_rgba{};
  float rapid_feed = NCD_RAPID_FEED;
  float peck_d = NCD_PECK_RETURN;
  float max_f = 0;           // largest F of the program
  float prog_high_z = -10000.0f;
  VEC3 ext_min, ext_max;     // extents of the path
  bool ext_set = false;
  std::int32_t tool_changes = 0;
  NCD_CYCLE cyc;
  NCD_COMP_HISTORY comp;
  std::int32_t sub_depth = 0;
  std::array<NCD_SUB_ENTRY, NCD_SUB_DEPTH + 1> sub{};  // entries 1..4
  std::array<char, 32> sub_text{};
  NCD_TOOL_RUN tool;
};
static_assert(std::is_trivially_copyable_v<NCD_EXEC>, "snapshots copy NCD_EXEC as it stands");

// The centre of the arc the last block made: its start plus the centre offsets.
inline VEC3 ncd_arc_centre(const NCD_EXEC& e) {
  return NCD_POINT{e.prev.x + e.arc_i, e.prev.y + e.arc_j, e.prev.z + e.arc_k};
}

// Options of the interpreter, set from the settings.
struct NCD_EXEC_OPTIONS {
  bool comp_enabled = false;  // nc_word_enabled_G4x_flag
  bool block_text = false;    // build the status texts of each block
  float peck_return = NCD_PECK_RETURN;  // nc_word_fixed_d / 1000: the G73/G83 return d
};

// The status texts of the block (built only with NCD_EXEC_OPTIONS::block_text).
struct NCD_BLOCK_TEXTS {
  std::string f, s, h, d, m, cycle;
};

// Sets the initial interpreter state. The program run's state is its own: Reset_NCD_run
// resets both.
void Reset_NCD_exec(NCD_DATA& d);
// Executes the next block; with `sub_step`, one sub-move of an active canned cycle. True
// ("ended") when the block counter reached the total or the next line is past the end.
bool exec_NCD_word(NCD_DATA& d, bool sub_step);
// The next sub-move of the active canned cycle: 0 done, 1 more to come, or an error code.
int gen_cycle_step(NCD_DATA& d);
// One arc of the block in the XY, ZX or YZ plane; false with an error code in the status.
bool arc_G17(NCD_DATA& d, float x, float y, float z, float r, float i, float j, float k);
bool arc_G18(NCD_DATA& d, float x, float y, float z, float r, float i, float j, float k);
bool arc_G19(NCD_DATA& d, float x, float y, float z, float r, float i, float j, float k);
void get_cycle_step_text(const NCD_DATA& d, std::string& out);
void get_cycle_step_text(const NCD_EXEC& e, std::string& out);
void get_NCD_err_msg(std::uint16_t code, std::string& out);
