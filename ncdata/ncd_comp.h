// Cutter radius compensation G41/G42 in the XY plane.
//
// While G41 (cutter left of the path) or G42 (right of it) is in force, a block is not
// followed along its programmed XY path: the current element and the next one are offset by
// the cutter radius, joined at their corner, and the block is replaced by one or two
// compensated moves. Z is carried along unchanged.
//
// This header holds the geometry (offsets, intersections, corner constructions) and the
// per-block driver `comp_block_step`, which works on plain element descriptions and asks for
// the next element through a callback. The interpreter side (`Tool_radius_comp`, the
// look-ahead over the stored program) wires the driver to the NC data record.
//
// Sign of the radius: positive offsets to the left of the direction of travel (G41), negative
// to the right (G42). A straight element moves by r along its left normal; a G02 arc's radius
// becomes R + r, a G03 arc's R - r. No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "common/ats_func.h"
#include "ncdata/ncd_exec.h"

// Kinds of a path element and of a compensated move.
inline constexpr std::int32_t COMP_LINE = 1;
inline constexpr std::int32_t COMP_G02 = 2;
inline constexpr std::int32_t COMP_G03 = 3;

// Error codes of a failed construction (the interpreter's error table holds their texts).
inline constexpr std::uint16_t COMP_ERR_NONCOMP = 0x9061;   // motion that cannot be compensated
inline constexpr std::uint16_t COMP_ERR_RADIUS = 0x9101;    // offset radius <= 0.001
inline constexpr std::uint16_t COMP_ERR_SMALL_ARC = 0x9102; // offset radius <= 0.2
inline constexpr std::uint16_t COMP_ERR_NO_CROSS = 0x9103;  // offset elements do not meet

inline constexpr float COMP_TOL = 0.001f;       // equal points, present radius, touching
inline constexpr float COMP_MIN_ARC = 0.2f;     // smallest offset arc radius accepted
inline constexpr int COMP_LOOK_AHEAD = 3;       // blocks the look-ahead executes at most

// One compensated move: kind 1 straight, 2 G02, 3 G03; the arc radius is the offset radius.
struct TComp_move {
  std::int32_t kind = 0;
  VEC3 start, end, centre;
  float radius = 0;
};

// One programmed path element: a straight move or an arc with its centre and radius (|R|).
struct TComp_elem {
  std::int32_t kind = COMP_LINE;
  VEC3 start, end, centre;
  float radius = 0;
};

// The result of one corner construction (element A into element B).
struct TComp_corner {
  std::int32_t count = 0;            // moves built, 0..3
  std::array<TComp_move, 3> moves{};
  // points[0]: the compensated corner point, where B's compensated element starts;
  // points[1]: the plain offset end of A.
  std::array<VEC3, 2> points{};
};

// The last failure of a construction.
struct TComp_error {
  std::uint16_t code = 0;
  const char* text = "";
};

// Texts of the failures.
extern const char* const COMP_TEXT_NEGATIVE;   // "... マイナスになりました" (0x9101)
extern const char* const COMP_TEXT_ZERO;       // "... ０以下になりました" (0x9101, line -> G02)
extern const char* const COMP_TEXT_SMALL_ARC;  // "... カッター半径 + 0.2mm ..." (0x9102)
extern const char* const COMP_TEXT_NO_CROSS;   // "... 交点が得られませんでした" (0x9103)

// ---- geometry primitives -----------------------------------------------------------------
// Direction of (dx, dy) in [0, 2pi), in double precision, with the 1e-6 cut-offs of
// Get_Angle_2D.
double get_vector_angle(double dx, double dy);
// Turns (x, y) in place by the angle (radians).
void rotate_xy(float& x, float& y, double angle);
float dist_xy(const VEC3& a, const VEC3& b);
// The start and end of the line offset by r along its left normal (z kept).
bool offset_line(const VEC3& start, const VEC3& end, float r, VEC3& ostart, VEC3& oend);
// The offset radius R' (R + r for G02, R - r for G03) and the points moved onto it along
// their rays from the centre; with R' = 0 the points stay.
float offset_arc(const VEC3& start, const VEC3& end, const VEC3& centre, float r, float R,
                 bool ccw, VEC3& ostart, VEC3& oend);
// Intersection of the infinite lines a1-a2 and b1-b2; false when they are parallel or a
// line has no length.
bool line_line_cross(const VEC3& a1, const VEC3& a2, const VEC3& b1, const VEC3& b2, VEC3& out);
// The line through p and q against the circle (centre, R): 0, 1 (touching; both outputs
// equal) or 2 points, the first one earlier in the direction p -> q.
int line_circle_cross(const VEC3& p, const VEC3& q, const VEC3& centre, float R, VEC3& out1,
                      VEC3& out2);
// Two circles: 0 (apart, nested or concentric), 1 (touching) or 2 points, the first on the
// left of the line c1 -> c2.
int circle_circle_cross(const VEC3& c1, float R1, const VEC3& c2, float R2, VEC3& out1,
                        VEC3& out2);

// The signed radius: the tool radius for G41, its negative for G42, 0 otherwise.
float comp_radius_sign(int code, float tool_radius);

// Offsets one element by r. For an arc the offset radius is checked: <= 0.001 is 0x9101,
// <= 0.2 is 0x9102 (false, `err` set). `zero_text` selects the 0x9101 text of the
// line -> G02 construction.
bool offset_elem(const TComp_elem& e, float r, TComp_elem& out, TComp_error& err,
                 bool zero_text = false);

// Builds the corner of element A into element B (A's end is B's start) for the signed
// radius r. Count 0 with no error: nothing to build (|r| < 0.001, or a straight element
// without length). Count 0 with `err` set: the construction failed. Otherwise:
//   - tangent continuation: 2 moves meeting at the common offset point;
//   - inside corner (the turn toward the offset side): 2 moves meeting where the offset
//     elements cross (the crossing nearest the corner);
//   - outside corner and reversal: 3 moves, A offset, a corner arc of radius |r| around the
//     programmed corner (G02 for r > 0, G03 for r < 0), B offset.
// The moves carry A's end z.
bool comp_corner(const TComp_elem& a, const TComp_elem& b, float r, TComp_corner& out,
                 TComp_error& err);

// ---- the per-block driver ----------------------------------------------------------------

// The compensation state that lives in the NC data record and goes into its snapshots.
struct TComp_state {
  // Results of the current block.
  std::uint8_t comp_applied = 0;
  std::int32_t comp_move_count = 0;
  std::array<TComp_move, 2> comp_moves{};
  TComp_corner corner_result;
  // The last failure (kept until the next one) and the failure of the current block only.
  TComp_error comp_error;
  std::uint16_t block_error = 0;
  // History: the codes (40, 41, 42) of the block before the previous element and of the
  // previous element, the previous element itself, and where the tool is (the end of the
  // last compensated move, or the programmed end of an uncompensated block).
  std::int32_t code_pp = 40;
  std::int32_t code_p = 40;
  TComp_elem prev;
  bool prev_valid = false;
  VEC3 last_pos;
  bool last_valid = false;
  // The corner the last block built with the element that follows it: where that element's
  // compensated move starts, so the next block need not build the corner again.
  TComp_elem next_elem;
  VEC3 next_start;
  float next_r = 0;  // the signed radius it was built with
  bool next_valid = false;
  // The tool whose radius compensation uses: T, whether the tool table knows it, radius.
  std::int32_t tool_T = -1;
  bool tool_known = false;
  float tool_radius = 0;
};

// What the block executor knows about one block that was executed without error.
struct TComp_block {
  int motion = 0;          // modal motion group (NCD_MOTION)
  bool moved = false;      // the block applied axis or arc words to its motion
  bool comp_word = false;  // the line itself gives G40, G41 or G42
  int code = 40;           // compensation code in force after the block
  int plane = NCD_PLANE_XY;  // plane value of the mode word
  TComp_elem elem;         // the programmed element (kind 1 for a straight move)
};

// The next element found by the look-ahead.
struct TComp_next {
  enum Result { NOT_FOUND, FOUND, ENDS } result = NOT_FOUND;  // ENDS: end, error, cancel
  int code = 40;
  TComp_elem elem;
};

// True when the element travels in XY (an arc, or a straight move of at least 0.001).
inline bool comp_xy_travel(const TComp_block& b) {
  if (!b.moved) return false;
  if (b.elem.kind == COMP_G02 || b.elem.kind == COMP_G03) return true;
  // The square of the distance settles all but a hair around the tolerance without the
  // root; there dist_xy decides, as it does everywhere else.
  const double dx = static_cast<double>(b.elem.end.x) - b.elem.start.x;
  const double dy = static_cast<double>(b.elem.end.y) - b.elem.start.y;
  const double sq = dx * dx + dy * dy;
  constexpr double kLow = 0.81e-6, kHigh = 1.21e-6;  // 0.0009^2 and 0.0011^2
  static_assert(kLow < static_cast<double>(COMP_TOL) * COMP_TOL &&
                kHigh > static_cast<double>(COMP_TOL) * COMP_TOL);
  if (sq > kHigh) return true;
  if (sq < kLow) return false;
  return dist_xy(b.elem.start, b.elem.end) >= COMP_TOL;
}

// True when the block takes part in the corner chain: XY travel, or a code that changes.
inline bool comp_qualifies(const TComp_state& st, const TComp_block& b) {
  return comp_xy_travel(b) || (b.comp_word && b.code != st.code_p);
}

// Pieces of the driver that comp_block_plain shares with comp_block_step.
namespace comp_detail {

inline void clear_results(TComp_state& st) {
  st.comp_applied = 0;
  st.comp_move_count = 0;
  st.block_error = 0;
}

inline void shift_history(TComp_state& st, const TComp_block& b) {
  if (comp_qualifies(st, b)) {
    st.next_valid = false;
    st.code_pp = st.code_p;
    st.code_p = b.code;
    st.prev = b.elem;
    st.prev_valid = true;
  } else if (b.code == 40) {
    st.code_pp = st.code_p;
    st.code_p = 40;
  }
}

}  // namespace comp_detail

// The state of a block that is not compensated: results cleared, history shifted as the
// driver would, and the tool at the programmed end. Inline: the block step calls it for
// nearly every block.
inline void comp_block_plain(TComp_state& st, const TComp_block& b) {
  comp_detail::clear_results(st);
  comp_detail::shift_history(st, b);
  st.last_pos = b.elem.end;
  st.last_valid = true;
}

// True when the previous or the current code is 41 or 42.
inline bool comp_active(const TComp_state& st, int code) {
  return st.code_p == 41 || st.code_p == 42 || code == 41 || code == 42;
}

// The look-ahead's test of one executed block after `cur`: true (with `nx` filled) when it
// gives the next element: XY travel, or a code other than the current block's. Blocks
// without XY travel are skipped.
bool comp_take_next(const TComp_block& cur, const TComp_block& next, TComp_next& nx);

// One block under compensation. Fills the results of `st`, shifts its history, and returns
// 0, or COMP_ERR_NONCOMP for a motion that cannot be compensated (the block then runs as
// programmed). `look_ahead` is called at most once, only when the next element is needed.
std::uint16_t comp_block_step(TComp_state& st, const TComp_block& b,
                              const std::function<void(TComp_next&)>& look_ahead);
// The position where the block leaves the tool: the end of the last compensated move when
// compensation applied, else the programmed end.
VEC3 comp_block_end(const TComp_state& st, const TComp_block& b);
