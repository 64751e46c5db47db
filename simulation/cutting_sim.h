// Material removal along tool moves: every straight or circular move lowers the height grids
// of the works under the current tool shape and marks collisions with flags:
// 1 cut, 2 no-edge centre zone, 4 deeper than the cutting edge, 8 shank or holder, 16 jig,
// 32 side of a tool that must not cut obliquely, 128 rapid move.
#pragma once
#include <cstdint>

#include "simulation/tool_shape.h"
#include "simulation/work_store.h"

enum : std::uint16_t {
  CUT_FLAG_CUT = 1,
  CUT_FLAG_NO_EDGE = 2,
  CUT_FLAG_EDGE_SHORT = 4,
  CUT_FLAG_SHANK = 8,
  CUT_FLAG_JIG = 16,
  CUT_FLAG_SIDE = 32,
  CUT_FLAG_RAPID = 128,
};

constexpr int CUT_ABORT_COUNT = 500;       // visited cells between abort polls
constexpr std::uint32_t CUT_ABORT_POLL_MS = 30;  // the platform is asked at most this often
constexpr int ARC_CHORD_DIVISION_MAX = 16; // at most this many chords per arc (radius >= 0.03)
// A sweep over at least this many points runs its rows on several threads (at most
// CUT_THREADS_MAX; Tmat::cut_threads 1 keeps it on the calling thread).
constexpr std::uint64_t CUT_PARALLEL_MIN_POINTS = 200000;
constexpr int CUT_THREADS_MAX = 8;

// The point handed to CUT_GRID_POINT.
struct TCUT_POINT_INFO {
  float tip_z = 0;       // height of the tool tip when it touches the point
  float old_z = 0;       // the point's height before the cut
  float new_z = 0;       // the tool surface height at the point
  std::int32_t section = 0;
  std::uint16_t flags = 0;
  std::uint8_t kind = 0; // the height case that gave new_z
};

// Linear moves.
bool CUT_LINE_ALL_WORK(Tmat& m, int nc_line, int move_kind, const VEC3& start, const VEC3& end);
bool CUT_LINE_ONE_WORK(Tmat& m, int work, const VEC3& start, const VEC3& end, bool skip_start);
bool CUT_LINE_SWEEP(Tmat& m, const VEC3& start, const VEC3& end, bool skip_start);
void CUT_GRID_POINT(Tmat& m, std::size_t point, TCUT_POINT_INFO& c);

// Arc moves (dir 0 clockwise, 1 counter-clockwise), in the planes XY, ZX and YZ.
bool CUT_ARC_XY(Tmat& m, int nc_line, int move_kind, const VEC3& centre, const VEC3& start,
                const VEC3& end, double radius, int dir);
bool CUT_ARC_ZX(Tmat& m, int nc_line, int move_kind, const VEC3& centre, const VEC3& start,
                const VEC3& end, double radius, int dir);
bool CUT_ARC_YZ(Tmat& m, int nc_line, int move_kind, const VEC3& centre, const VEC3& start,
                const VEC3& end, double radius, int dir);
bool CUT_ARC_CHORDS_XY(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                       double radius, int dir);
bool CUT_ARC_CHORDS_ZX(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                       double radius, int dir);
bool CUT_ARC_CHORDS_YZ(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                       double radius, int dir);
bool CUT_ARC_SWEEP_XY(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                      double radius, int dir);

// Index boxes of the current work (into m.box); false when the shape misses the work.
bool Point_Box_Index(Tmat& m, const VEC3& c, double r);
bool Segment_Box_Index(Tmat& m, const VEC3& a, const VEC3& b, double r);
bool Arc_Box_Index(Tmat& m, const VEC3& centre, const VEC3& start, const VEC3& end,
                   double radius, double cut_r, int dir);
// The XY box of an arc.
void Arc_Box_2D(int dir, const VEC3& centre, const VEC3& start, const VEC3& end, double radius,
                double& xmin, double& ymin, double& xmax, double& ymax);
void Circle_Box(double x, double y, double r, double& xmin, double& ymin, double& xmax,
                double& ymax);

// Counts one visited cell; every CUT_ABORT_COUNT cells, and when CUT_ABORT_POLL_MS have
// passed since the last poll, Escape sets the abort flag to 1 and a mouse button to 2 (never
// over a 1).
void Check_Cut_Abort(Tmat& m);

// The normal of a triangle for drawing.
VEC3 Calc_Normal(const VEC3& p0, const VEC3& p1, const VEC3& p2);
