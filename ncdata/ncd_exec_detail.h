// The pieces that the interpreter's own files share: the block step with its straight moves
// and subprograms (ncd_exec.cpp), the canned cycles (ncd_cycle.cpp) and the arcs
// (ncd_arc.cpp). Not for callers outside the interpreter. No Qt here.
#pragma once
#include <algorithm>
#include <cstdint>

#include "ncdata/ncd_data.h"

namespace ncd_exec_detail {

inline constexpr double PI = ATS_PI;
inline constexpr double TWO_PI = 2 * PI;
inline constexpr float EPS = 1e-6f;

inline void set_error(NCD_EXEC& e, std::uint16_t code) {
  e.status = code;
  e.flags = 0;
}

inline void extend(NCD_EXEC& e, const VEC3& p) {
  if (!e.ext_set) {
    e.ext_min = e.ext_max = p;
    e.ext_set = true;
    return;
  }
  e.ext_min.x = std::min(e.ext_min.x, p.x);
  e.ext_min.y = std::min(e.ext_min.y, p.y);
  e.ext_min.z = std::min(e.ext_min.z, p.z);
  e.ext_max.x = std::max(e.ext_max.x, p.x);
  e.ext_max.y = std::max(e.ext_max.y, p.y);
  e.ext_max.z = std::max(e.ext_max.z, p.z);
}

inline void note_z(NCD_EXEC& e, double z) {
  e.tool.high_z = std::max(e.tool.high_z, static_cast<float>(z));
  e.prog_high_z = std::max(e.prog_high_z, static_cast<float>(z));
}

inline double& axis(NCD_POINT& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
inline double axis(const NCD_POINT& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }
inline float axis(const VEC3& v, int i) { return i == 0 ? v.x : (i == 1 ? v.y : v.z); }

// ---- canned cycles (ncd_cycle.cpp) ---------------------------------------------------------
// The cycle of the block: all its sub-moves, or one in sub-step mode. 0 done, 1 more to
// come, or an error code.
int run_cycle(NCD_DATA& d, bool sub_step);
// Ends the block's cycle; true when it went on into an error.
bool cycle_result(NCD_DATA& d, int r);
// A cycle block with axis words: its words and levels taken, its sub-moves to come.
void start_cycle(NCD_DATA& d, const NCD_LINE& rec, const NCD_LINE_WORDS& w);
// A cycle code without axis words drills nothing, but its words hold for the next holes.
void keep_cycle_levels(NCD_EXEC& e, const NCD_LINE& rec, const NCD_LINE_WORDS& w);

}  // namespace ncd_exec_detail
