// The lattice walk shared by the linear and the arc sweeps (internal to the simulation).
//
// The plain walk visits every point of the index box. The fast walk visits, per row, only
// the spans that a row range function returns (the swept area widened by a margin), passes
// over tiles whose height bound lies below the lowest possible tool surface, and over points
// that lie below it; none of these could be lowered, so both walks leave identical grids.
#pragma once
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#include "simulation/cutting_sim.h"

// Small helpers of the cutting geometry.
// A value of magnitude below 1e-6 becomes 0, one beyond 1e10 is clamped to 1e10.
double Clamp_1e10(double v);
void Set_VEC4_Clamped(VEC4& v, double x, double y, double z, double w);
inline double Safe_Sqrt(double v) { return v > 0 ? std::sqrt(v) : 0.0; }

// Builds the silhouette segments of a corner-radius section (types 4 and 6) for an oblique
// move of slope k (climb per unit of horizontal travel).
void Make_Tool_silhouette(TTOOL_PARAM& t, double k);
// The along-track offset of the contact point at lateral distance d; false when the section
// has no segments.
bool Get_Tool_contact_offset(const TTOOL_PARAM& t, double d, double& offset);
VEC4 Eval_Bezier_Segment(const TSILHOUETTE_SEG& s, double t);
// Intersection of the line through (x1,y1),(x2,y2) with the line through (x3,y3),(x4,y4).
bool Cross_Lines_2D_Ext(double x1, double y1, double x2, double y2, double x3, double y3,
                        double x4, double y4, double& x, double& y);

namespace cutwalk {

// The current work of m when it is in use and has a grid.
inline bool current_work(Tmat& m, TWORK_DATA*& w) {
  if (m.cur_work < 0 || m.cur_work >= WORK_MAX) return false;
  w = &m.works[m.cur_work];
  return w->in_use && !w->grid.empty();
}

// A move's point with every coordinate through Clamp_1e10; finite_point tells whether it
// is a number at all.
VEC3 clamp_point(const VEC3& v);
inline bool finite_point(const VEC3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The direction of (x, y) in [0, 2 pi), in single precision as the common angle helper has it.
inline double angle_of(double x, double y) {
  return Get_Angle_2D(static_cast<float>(x), static_cast<float>(y));
}

// Runs `cut` for every work that the move cuts (in use, cutting, a jig only when jigs are
// cut), with that work current and the move's line and kind set.
template <class Cut>
bool each_work(Tmat& m, int nc_line, int move_kind, Cut&& cut) {
  for (int i = 0; i < WORK_MAX; ++i) {
    SET_WORK_NUM(m, i);
    const TWORK_DATA& w = m.works[i];
    if (!w.in_use || !w.cutting || (w.jig && !m.cut_jigs)) continue;
    m.nc_line = nc_line;
    m.move_kind = move_kind;
    cut();
  }
  return true;
}

// A point whose height lies less than this above the lowest possible tool surface is not
// cut (a cut needs a depth of 0.001; the margin covers the rounding of the heights).
constexpr double kSkipDepth = 0.0009;

// The column span [lo, hi] of the points of one row whose X lies in [xl, xr], clamped to
// the index box; false when empty.
inline bool span_of(const TWORK_DATA& w, const std::int32_t box[4], double xl, double xr,
                    int& lo, int& hi) {
  if (!(xl <= xr)) return false;
  double fl = std::floor((xl - w.min.x) / w.step_x);
  double fh = std::ceil((xr - w.min.x) / w.step_x);
  fl = std::max(fl, static_cast<double>(box[0]));
  fh = std::min(fh, static_cast<double>(box[2]));
  if (!(fl <= fh)) return false;
  lo = float_to_int(fl);  // within the box: exact
  hi = float_to_int(fh);
  return true;
}

// The X interval of the points of the row at height y that lie within `r` of the segment
// from (ax, ay) to (bx, by); false when the row misses it.
inline bool capsule_row(double y, double ax, double ay, double bx, double by, double r,
                        double& xl, double& xr) {
  xl = HUGE_VAL;
  xr = -HUGE_VAL;
  const auto disk = [&](double cx, double cy) {
    const double d = y - cy;
    if (std::fabs(d) <= r) {
      const double h = std::sqrt(r * r - d * d);
      xl = std::min(xl, cx - h);
      xr = std::max(xr, cx + h);
    }
  };
  disk(ax, ay);
  disk(bx, by);
  const double dx = bx - ax, dy = by - ay;
  const double len = std::sqrt(dx * dx + dy * dy);
  if (len > 0) {
    const double ux = dx / len, uy = dy / len, py = y - ay;
    // 0 <= (x - ax) ux + py uy <= len
    double l1 = -HUGE_VAL, h1 = HUGE_VAL;
    if (std::fabs(ux) > 1e-12) {
      const double t0 = (0 - py * uy) / ux, t1 = (len - py * uy) / ux;
      l1 = std::min(t0, t1);
      h1 = std::max(t0, t1);
    } else if (!(py * uy >= 0 && py * uy <= len)) {
      return xl <= xr;
    }
    // |py ux - (x - ax) uy| <= r
    double l2 = -HUGE_VAL, h2 = HUGE_VAL;
    if (std::fabs(uy) > 1e-12) {
      const double t0 = (py * ux - r) / uy, t1 = (py * ux + r) / uy;
      l2 = std::min(t0, t1);
      h2 = std::max(t0, t1);
    } else if (!(std::fabs(py * ux) <= r)) {
      return xl <= xr;
    }
    const double lo = std::max(l1, l2), hi = std::min(h1, h2);
    if (lo <= hi) {
      xl = std::min(xl, ax + lo);
      xr = std::max(xr, ax + hi);
    }
  }
  return xl <= xr;
}

// What a sweep adds up over its points: collision flags, removed depth and the largest
// depths per section (kept here, not in Tmat, so that the walk works on its own copies).
struct CutAcc {
  std::uint16_t flags = 0;
  float depth_sum = 0;
  float max_cut[TOOL_SHAPE_MAX] = {};
  float max_excess[TOOL_SHAPE_MAX] = {};
};

// The per-move part of the point update.
struct CutRules {
  std::uint16_t add = 0;      // flags every cut point gets: 1, 16 on a jig, 128 for a rapid
  bool travel = false;        // the move has horizontal travel
  bool clear_centre = false;  // flag 2 is cleared (level travel or climbing)
  int side = 0;               // flag 32 check: 0 none, 1 climbing, 2 descending
  double edge_limit = 0;      // tool edge length + 0.001
  float bottom = 0;
  std::int32_t line = -1;
  std::uint8_t edge[TOOL_SHAPE_MAX] = {};    // the sections' cutting edge bytes
  std::uint32_t color[TOOL_SHAPE_MAX] = {};  // their cut colours
};

inline CutRules rules_of(const Tmat& m, const TWORK_DATA& w) {
  CutRules r;
  r.add = CUT_FLAG_CUT;
  if (w.jig) r.add |= CUT_FLAG_JIG;
  if (m.move_kind == 0) r.add |= CUT_FLAG_RAPID;
  r.travel = m.L != 0;
  const bool restricted = m.tpm[0].oblique_restricted != 0;
  if (r.travel) {
    if (m.dz == 0) {
      r.clear_centre = true;
    } else if (!m.downward) {
      r.clear_centre = true;
      r.side = restricted ? 1 : 0;
    } else {
      r.side = restricted ? 2 : 0;
    }
  }
  r.edge_limit = static_cast<double>(m.tpm[0].tool_edge_len) + 0.001;
  r.bottom = w.bottom_z;
  r.line = m.nc_line;
  for (int i = 0; i < TOOL_SHAPE_MAX; ++i) {
    r.edge[i] = m.tpm[i].cutting_edge;
    TGRID_POINT c;
    std::copy(m.tpm[i].cut_color, m.tpm[i].cut_color + 4, c.col);
    r.color[i] = c.rgba;
  }
  return r;
}

// Puts what a walk added up into the sections.
inline void merge_acc(Tmat& m, const CutAcc& acc) {
  m.tpm[0].cut_flags |= acc.flags;
  m.tpm[0].removed_depth_sum += acc.depth_sum;
  for (int i = 0; i < TOOL_SHAPE_MAX; ++i) {
    m.tpm[i].max_cut_depth = std::max(m.tpm[i].max_cut_depth, acc.max_cut[i]);
    m.tpm[i].max_excess_depth = std::max(m.tpm[i].max_excess_depth, acc.max_excess[i]);
  }
}

// Lowers one point to c.new_z with its flags, colour and mark; false when the depth is
// below 0.001 and nothing changed. The work's bottom stops the cut, and a point that lies
// below it already (a work-data file may hold such heights) keeps its height: a cut never
// raises a point, so the tile bounds stay above every point of their tiles.
inline bool lower_point(const CutRules& r, TGRID_POINT& p, const TCUT_POINT_INFO& c,
                        CutAcc& acc) {
  const double depth = static_cast<double>(p.z) - c.new_z;
  if (!(depth >= 0.001)) return false;
  const int sec = c.section;
  std::uint16_t f = c.flags;
  if (r.clear_centre) f &= static_cast<std::uint16_t>(~CUT_FLAG_NO_EDGE);
  const int kind = c.kind;
  if (r.side == 1 && kind != 1 && kind != 2 && kind != 9 && kind != 14) f |= CUT_FLAG_SIDE;
  if (r.side == 2 && kind != 8 && kind != 13 && kind != 18) f |= CUT_FLAG_SIDE;
  const float fdepth = static_cast<float>(depth);
  if (r.edge[sec]) {
    if (r.travel && static_cast<double>(c.old_z) - c.tip_z > r.edge_limit) {
      f |= CUT_FLAG_EDGE_SHORT;
      if (fdepth > acc.max_excess[sec]) acc.max_excess[sec] = fdepth;
    }
    // Stored only when larger (and the flags only when new), so that one point does not
    // wait for the previous one's store.
    if (fdepth > acc.max_cut[sec]) acc.max_cut[sec] = fdepth;
  } else {
    f |= CUT_FLAG_SHANK;
    if (fdepth > acc.max_excess[sec]) acc.max_excess[sec] = fdepth;
  }
  f |= r.add;
  if ((acc.flags | f) != acc.flags) acc.flags |= f;
  acc.depth_sum += fdepth;
  if (!is_collision_point(p)) {
    std::int32_t mark;
    if (f != CUT_FLAG_CUT) {
      TGRID_POINT e;
      e.col[0] = 255;
      e.col[1] = 1;
      e.col[2] = 1;
      e.col[3] = static_cast<std::uint8_t>(f & 0xFF);
      p.rgba = e.rgba;
      mark = r.line;
    } else {
      p.rgba = r.color[sec];
      mark = GRID_MARK_BOTTOM;
    }
    if (r.bottom >= c.new_z) {
      p.z = std::min(p.z, r.bottom);
    } else {
      p.z = c.new_z;
      mark = r.line;
    }
    p.mark = mark;
  } else {
    p.z = std::min(p.z, std::max(r.bottom, c.new_z));
  }
  return true;
}

// The geometry of a section, copied for a walk.
struct SecGeom {
  int type;
  double ref_z, FR, FR2, BR, BR2, AR, AR2, area_rz, taper_zx, slope_sin, centre_r2;
  std::uint8_t ball_reached;
  const TTOOL_PARAM* src;  // for the silhouette of the corner-radius types
};

inline void copy_sections(const Tmat& m, int n, SecGeom* g) {
  for (int i = 0; i < n; ++i) {
    const TTOOL_PARAM& t = m.tpm[i];
    g[i] = SecGeom{t.type,    t.ref_z,    t.FR,       t.FR2,     t.BR,         t.BR2,
                   t.AR,      t.AR2,      t.area_rz,  t.taper_zx, t.slope_sin, t.centre_r2,
                   t.ball_reached, &t};
  }
}

// The poll of Check_Cut_Abort, after its count-down has run out.
void poll_cut_abort(Tmat& m);

// Recomputes the height bound of a tile.
inline void refresh_tile(TWORK_DATA& w, int tx, int ty) {
  const int x0 = tx << WORK_TILE_SHIFT, y0 = ty << WORK_TILE_SHIFT;
  const int x1 = std::min(w.nx, x0 + WORK_TILE - 1), y1 = std::min(w.ny, y0 + WORK_TILE - 1);
  float m = -HUGE_VALF;
  for (int iy = y0; iy <= y1; ++iy) {
    const TGRID_POINT* p = &w.grid[static_cast<std::size_t>(w.nx + 1) * iy];
    for (int ix = x0; ix <= x1; ++ix) m = std::max(m, p[ix].z);
  }
  const std::size_t t = static_cast<std::size_t>(ty) * w.tiles_x + tx;
  w.tile_max[t] = m;
  w.tile_epoch[t] = 0;
}

// Walks the index box m.box of work w. `rows(iy, Y, lo[2], hi[2])` gives up to two column
// spans of row iy (fast walk only); `visit(ix, Y, point, rules, acc)` handles a point that
// may be cut (Y is the row's coordinate) and returns true when it lowered it, through
// lower_point(rules, p, c, acc). `lowest` is the lowest tool surface height.
//
// The rows are taken in bands of one tile row (32 rows), each with its own sums; the bands'
// sums are added in band order, so the result is the same whether the bands run one after
// the other or, for a large area, on several threads (the bands share no point and no tile).
// Only the calling thread polls for an abort, and a sweep on several threads only once the
// others are done.
template <class Rows, class Visit>
void walk(Tmat& m, TWORK_DATA& w, double lowest, Rows&& rows, Visit&& visit) {
  struct Span {
    int lo[2], hi[2], n;
  };
  const CutRules rules = rules_of(m, w);
  const bool plain = m.cut_walk_plain != 0;
  const double floor_z = lowest;
  const std::uint32_t epoch = m.cut_epoch;
  const std::uint64_t rev = next_WORK_revision();
  const std::size_t row_len = static_cast<std::size_t>(w.nx) + 1;
  const bool tiles = !plain && !w.tile_max.empty();
  // Points below this cannot be cut (rounded down, so that the test never skips too much).
  const float skip_below = std::nextafter(static_cast<float>(floor_z + kSkipDepth), -HUGE_VALF);
  const int y0 = m.box[1], y1 = m.box[3];
  if (y1 < y0) return;
  std::vector<Span> spans(static_cast<std::size_t>(y1 - y0 + 1));
  std::uint64_t total = 0;
  for (int iy = y0; iy <= y1; ++iy) {
    Span& sp = spans[static_cast<std::size_t>(iy - y0)];
    if (plain) {
      sp.n = 1;
      sp.lo[0] = m.box[0];
      sp.hi[0] = m.box[2];
    } else {
      sp.n = rows(iy, static_cast<double>(w.ys[iy]), sp.lo, sp.hi);
    }
    for (int s = 0; s < sp.n; ++s) total += static_cast<std::uint64_t>(sp.hi[s] - sp.lo[s] + 1);
  }
  const int band0 = y0 >> WORK_TILE_SHIFT;
  const int bands = (y1 >> WORK_TILE_SHIFT) - band0 + 1;
  std::vector<CutAcc> accs(static_cast<std::size_t>(bands));
  std::vector<std::uint64_t> visited(static_cast<std::size_t>(bands), 0);

  const auto run_band = [&](int b, bool caller, int& count) {
    CutAcc acc;  // on this thread's stack; stored once the band is done
    std::uint64_t seen = 0;
    // Copies that no other code can reach, so that the grid stores leave them in registers.
    const CutRules rl = rules;
    auto vis = visit;
    const int ty = band0 + b;
    const int r0 = std::max(y0, ty << WORK_TILE_SHIFT);
    const int r1 = std::min(y1, (ty << WORK_TILE_SHIFT) + WORK_TILE - 1);
    std::uint32_t* const row_epoch =
        tiles ? w.tile_epoch.data() + static_cast<std::size_t>(ty) * w.tiles_x : nullptr;
    std::uint64_t* const row_rev =
        w.tile_rev.empty() ? nullptr : w.tile_rev.data() + static_cast<std::size_t>(ty) * w.tiles_x;
    for (int iy = r0; iy <= r1; ++iy) {
      const Span& sp = spans[static_cast<std::size_t>(iy - y0)];
      TGRID_POINT* row = &w.grid[row_len * iy];
      if (iy < y1) {  // the start of the next row, which the hardware does not foresee
        const Span& nx = spans[static_cast<std::size_t>(iy + 1 - y0)];
        if (nx.n > 0) {
          const TGRID_POINT* q = &w.grid[row_len * (iy + 1) + nx.lo[0]];
          const int len = std::min(nx.hi[0] - nx.lo[0] + 1, 48);
          for (int k = 0; k < len; k += 5) __builtin_prefetch(q + k, 1);
        }
      }
      const double Y = w.ys[iy];
      for (int s = 0; s < sp.n; ++s) {
        const int hi = sp.hi[s];
        // In pieces of one tile each: the tile's bound is looked at once per piece.
        for (int x0 = sp.lo[s]; x0 <= hi;) {
          const int tx = x0 >> WORK_TILE_SHIFT;
          const int x1 = std::min(hi, ((tx + 1) << WORK_TILE_SHIFT) - 1);
          if (tiles) {
            if (row_epoch[tx] != 0 && row_epoch[tx] != epoch) refresh_tile(w, tx, ty);
            if (static_cast<double>(w.tile_max[static_cast<std::size_t>(ty) * w.tiles_x + tx]) -
                    floor_z <
                kSkipDepth) {
              x0 = x1 + 1;
              continue;
            }
          }
          seen += static_cast<std::uint64_t>(x1 - x0 + 1);
          if (caller && (count -= x1 - x0 + 1) <= 0) {
            poll_cut_abort(m);
            count = m.abort_count;
          }
          bool lowered = false;
          // The next piece's cache lines (the hardware stops at the ends of pages).
          for (int k = x1 + 1; k <= std::min(hi, x1 + WORK_TILE); k += 5)
            __builtin_prefetch(&row[k], 1);
          for (int ix = x0; ix <= x1; ++ix) {
            TGRID_POINT& p = row[ix];
            if (!plain && p.z < skip_below) continue;
            if (p.mark == GRID_MARK_BOTTOM) continue;
            lowered |= vis(ix, Y, p, rl, acc);
          }
          if (lowered && tiles) row_epoch[tx] = epoch;
          if (lowered && row_rev) row_rev[tx] = rev;
          x0 = x1 + 1;
        }
      }
    }
    accs[static_cast<std::size_t>(b)] = acc;
    visited[static_cast<std::size_t>(b)] = seen;
  };

  // (the processor count is asked once: glibc reads it from /sys on every call)
  static const int processors = static_cast<int>(std::thread::hardware_concurrency());
  int threads = m.cut_threads > 0 ? m.cut_threads : processors;
  threads = std::clamp(threads, 1, std::min(CUT_THREADS_MAX, bands));
  int count = m.abort_count;
  if (threads <= 1 || total < CUT_PARALLEL_MIN_POINTS) {
    for (int b = 0; b < bands; ++b) run_band(b, true, count);
  } else {
    std::atomic<int> next{0};
    const auto worker = [&] {
      int unused = 0;
      for (int b = next++; b < bands; b = next++) run_band(b, false, unused);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
      try {
        pool.emplace_back(worker);
      } catch (const std::system_error&) {
        break;  // fewer threads: the caller takes the remaining bands
      }
    }
    worker();
    for (std::thread& t : pool) t.join();
    // The poll may run the event loop, and drawing there reads the grids: it waits until the
    // other threads are done, and then counts the cells of the whole sweep at once.
    std::uint64_t seen = 0;
    for (const std::uint64_t v : visited) seen += v;
    if (seen >= static_cast<std::uint64_t>(std::max(count, 0))) {
      poll_cut_abort(m);
      count = m.abort_count;
    } else {
      count -= static_cast<int>(seen);
    }
  }
  m.abort_count = count;
  CutAcc sum;
  for (int b = 0; b < bands; ++b) {
    const CutAcc& a = accs[static_cast<std::size_t>(b)];
    sum.flags |= a.flags;
    sum.depth_sum += a.depth_sum;
    for (int i = 0; i < TOOL_SHAPE_MAX; ++i) {
      sum.max_cut[i] = std::max(sum.max_cut[i], a.max_cut[i]);
      sum.max_excess[i] = std::max(sum.max_excess[i], a.max_excess[i]);
    }
    m.cut_visited += visited[static_cast<std::size_t>(b)];
  }
  merge_acc(m, sum);
}

// Starts a sweep: a new epoch for the tile bounds and the abort count-down.
inline void begin_sweep(Tmat& m) {
  if (++m.cut_epoch == 0) m.cut_epoch = 1;
  m.abort_count = CUT_ABORT_COUNT;
  m.tpm[0].removed_depth_sum = 0;
  m.tpm[0].cut_flags = 0;
}

// The active sections of a cut whose lowest tool tip is at `tip_z`: from section 0 up to the
// first that lies at or above the top of the work (only the tool's own sections in mode 1,
// none in mode 0). Returns the count and sets m.tpm_active.
int active_sections(Tmat& m, const TWORK_DATA& w, double tip_z);
// The lowest height above the tip that any active section's surface can have.
double lowest_surface(const Tmat& m, int n);
// Per-move values of the active sections for slope k (0 for level travel).
void prepare_sections(Tmat& m, int n, double k, bool oblique);
// Heights of a level zone: the tool standing at a point (start or end cap: distance squared
// d2 from its axis) or travelling level (side: lateral distance squared q). The case number
// is the start cap's (1, 9, 14, 2) or the side's (1, 10, 15, 3); `end` gives the end cap's.
// T: the section type when the caller knows it (0: read it from the section).
template <int T = 0, class S>
inline double cap_height(const S& t, double z0, double d2, bool end, int& kase) {
  switch (T ? T : t.type) {
    case TPM_BALL:
    case TPM_BALL2:
      kase = end ? 11 : 9;
      return z0 + t.BR - Safe_Sqrt(t.BR2 - d2);
    case TPM_CORNER_R:
    case TPM_CORNER_R2:
      if (d2 > t.FR2) {
        kase = end ? 16 : 14;
        return z0 + t.BR - Safe_Sqrt(t.BR2 - (std::sqrt(d2) - t.FR) * (std::sqrt(d2) - t.FR));
      }
      break;
    case TPM_TAPER:
      if (d2 > t.FR2) {
        kase = end ? 4 : 2;
        return (std::sqrt(d2) - t.FR) * t.taper_zx + z0;
      }
      break;
    default:
      break;
  }
  kase = 1;
  return z0;
}

template <int T = 0, class S>
inline double side_height(const S& t, double z0, double q, int& kase) {
  switch (T ? T : t.type) {
    case TPM_BALL:
    case TPM_BALL2:
      kase = 10;
      return z0 + t.BR - Safe_Sqrt(t.BR2 - q);
    case TPM_CORNER_R:
    case TPM_CORNER_R2:
      if (q > t.FR2) {
        kase = 15;
        return z0 + t.BR - Safe_Sqrt(t.BR2 - (std::sqrt(q) - t.FR) * (std::sqrt(q) - t.FR));
      }
      break;
    case TPM_TAPER:
      if (q > t.FR2) {
        kase = 3;
        return (std::sqrt(q) - t.FR) * t.taper_zx + z0;
      }
      break;
    default:
      break;
  }
  kase = 1;
  return z0;
}

// The jig rectangle branch of the linear and arc sweeps: every active section lowers the
// whole index box that `box(AR)` sets to its flat bottom, with flag 16.
template <class BoxFn>
void jig_rect_walk(Tmat& m, TWORK_DATA& w, int n, double tip_z, BoxFn&& box) {
  for (int i = 0; i < n; ++i) {
    const TTOOL_PARAM& t = m.tpm[i];
    if (!(t.AR >= 0.001)) continue;
    if (!box(t.AR)) continue;
    const double h = t.ref_z + tip_z;
    const auto rows = [&](int, double, int* lo, int* hi) {
      lo[0] = m.box[0];
      hi[0] = m.box[2];
      return 1;
    };
    const auto visit = [&](int, double, TGRID_POINT& p, const CutRules& rules, CutAcc& acc) {
      if (!(p.z > h)) return false;
      TCUT_POINT_INFO c;
      c.tip_z = static_cast<float>(tip_z);
      c.old_z = p.z;
      c.new_z = static_cast<float>(h);
      c.section = i;
      c.flags = CUT_FLAG_JIG;
      c.kind = 1;
      return lower_point(rules, p, c, acc);
    };
    walk(m, w, h, rows, visit);
  }
}

}  // namespace cutwalk
