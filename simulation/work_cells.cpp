#include "simulation/work_cells.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/ats_func.h"

namespace {

bool alive(const TWORK_DATA& w, std::int32_t p) { return w.grid[p].mark != GRID_MARK_BOTTOM; }

std::int32_t point_index(const TWORK_DATA& w, std::int32_t ix, std::int32_t iy) {
  return (w.nx + 1) * iy + ix;
}

void top(std::vector<TCELL_FACE>& out, const TWORK_DATA& w, std::int32_t a, std::int32_t b,
         std::int32_t c) {
  std::int32_t low = a;
  if (w.grid[b].z < w.grid[low].z) low = b;
  if (w.grid[c].z < w.grid[low].z) low = c;
  out.push_back({TCELL_FACE::Top, a, b, c, low});
}

// A wall under two top points: in the colour of the lower one where they lie below the top.
void wall(std::vector<TCELL_FACE>& out, const TWORK_DATA& w, std::int32_t a, std::int32_t b) {
  const TGRID_POINT& pa = w.grid[a];
  const TGRID_POINT& pb = w.grid[b];
  std::int32_t colour = -1;
  if (pa.z < w.top_z && pb.z < w.top_z) colour = pa.z <= pb.z ? a : b;
  out.push_back({TCELL_FACE::Wall, a, b, b, colour});
}

}  // namespace

TCELL_LATTICE work_cell_lattice(const TWORK_DATA& w, int mesh_mode) {
  TCELL_LATTICE L;
  const bool coarse = mesh_mode == 1 && w.nx > 0 && w.ny > 0 && w.disp_steps_x > 0 &&
                      w.disp_steps_y > 0;
  if (coarse) {
    for (int i = 0; i <= w.disp_steps_x && i <= WORK_DISP_STEP_MAX; ++i)
      L.ix.push_back(std::clamp(w.disp_index_x[i], 0, w.nx));
    for (int j = 0; j <= w.disp_steps_y && j <= WORK_DISP_STEP_MAX; ++j)
      L.iy.push_back(std::clamp(w.disp_index_y[j], 0, w.ny));
  } else {
    for (int i = 0; i <= w.nx; ++i) L.ix.push_back(i);
    for (int j = 0; j <= w.ny; ++j) L.iy.push_back(j);
  }
  return L;
}

int work_cell_quadrant(double a, bool view_order, bool reverse) {
  int q = 0;
  if (view_order) {
    if (a >= 360 || a < 90)
      q = 0;
    else if (a < 180)
      q = 1;
    else if (a < 270)
      q = 2;
    else
      q = 3;
  }
  if (reverse) {
    static const int kRev[4] = {2, 3, 0, 1};
    q = kRev[q];
  }
  return q;
}

int work_cell_code(const TWORK_DATA& w, std::int32_t c1, std::int32_t c2, std::int32_t c3,
                   std::int32_t c4) {
  return (alive(w, c1) ? 1 : 0) | (alive(w, c2) ? 2 : 0) | (alive(w, c3) ? 4 : 0) |
         (alive(w, c4) ? 8 : 0);
}

void work_cell_faces(const TWORK_DATA& w, const TCELL_LATTICE& L, int i, int j,
                     std::vector<TCELL_FACE>& out) {
  const int ni = static_cast<int>(L.ix.size()), nj = static_cast<int>(L.iy.size());
  if (i < 0 || j < 0 || i >= ni || j >= nj) return;
  if (i == 0 && j == 0) return;
  if (j == 0 || i == 0) {
    // The outer wall of the front row or the left column.
    const std::int32_t a = point_index(w, L.ix[i], L.iy[j]);
    const std::int32_t b = j == 0 ? point_index(w, L.ix[i - 1], L.iy[0])
                                  : point_index(w, L.ix[0], L.iy[j - 1]);
    if (alive(w, a) && alive(w, b)) wall(out, w, a, b);
    return;
  }
  const std::int32_t c1 = point_index(w, L.ix[i], L.iy[j]);
  const std::int32_t c2 = point_index(w, L.ix[i - 1], L.iy[j]);
  const std::int32_t c3 = point_index(w, L.ix[i], L.iy[j - 1]);
  const std::int32_t c4 = point_index(w, L.ix[i - 1], L.iy[j - 1]);
  switch (work_cell_code(w, c1, c2, c3, c4)) {
    case 3: wall(out, w, c1, c2); break;
    case 5: wall(out, w, c1, c3); break;
    case 6: wall(out, w, c2, c3); break;
    case 9: wall(out, w, c1, c4); break;
    case 7:
      wall(out, w, c2, c3);
      wall(out, w, c1, c2);
      wall(out, w, c1, c3);
      top(out, w, c1, c2, c3);
      break;
    case 11:
      wall(out, w, c1, c4);
      wall(out, w, c1, c2);
      top(out, w, c1, c2, c4);
      break;
    case 13:
      wall(out, w, c1, c4);
      wall(out, w, c1, c3);
      top(out, w, c1, c3, c4);
      break;
    case 14:
      wall(out, w, c2, c3);
      top(out, w, c2, c3, c4);
      break;
    case 15: {
      const double z1 = w.grid[c1].z, z2 = w.grid[c2].z, z3 = w.grid[c3].z, z4 = w.grid[c4].z;
      const double A = std::min(std::fabs(z1 - z2) + std::fabs(z1 - z3),
                                std::fabs(z4 - z2) + std::fabs(z4 - z3));
      const double B = std::min(std::fabs(z2 - z1) + std::fabs(z2 - z4),
                                std::fabs(z3 - z1) + std::fabs(z3 - z4));
      if (B <= A) {
        top(out, w, c1, c2, c4);
        top(out, w, c1, c3, c4);
      } else {
        top(out, w, c1, c2, c3);
        top(out, w, c2, c3, c4);
      }
      wall(out, w, c1, c2);
      wall(out, w, c1, c3);
      break;
    }
    default: break;  // 0, 1, 2, 4, 8, 10, 12: nothing
  }
}

std::vector<TCELL_TILE> work_cell_tiles(const TCELL_LATTICE& L, int q) {
  std::vector<TCELL_TILE> tiles;
  const int ni = static_cast<int>(L.ix.size()), nj = static_cast<int>(L.iy.size());
  if (ni == 0 || nj == 0) return tiles;
  const int ti = (ni + WORK_TILE - 1) / WORK_TILE, tj = (nj + WORK_TILE - 1) / WORK_TILE;
  const bool i_up = q == 2 || q == 3, j_up = q == 1 || q == 2;
  for (int b = 0; b < tj; ++b) {
    const int tyi = j_up ? b : tj - 1 - b;
    for (int a = 0; a < ti; ++a) {
      const int txi = i_up ? a : ti - 1 - a;
      tiles.push_back({txi * WORK_TILE, std::min(ni - 1, txi * WORK_TILE + WORK_TILE - 1),
                       tyi * WORK_TILE, std::min(nj - 1, tyi * WORK_TILE + WORK_TILE - 1)});
    }
  }
  return tiles;
}

VEC3 work_face_normal(const VEC3& a, const VEC3& b, const VEC3& c) {
  const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
  const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
  double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const double l = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(l > 0) || !std::isfinite(l)) return VEC3{0, 0, 1};
  if (nz < 0) {
    nx = -nx;
    ny = -ny;
    nz = -nz;
  }
  return VEC3{static_cast<float>(nx / l), static_cast<float>(ny / l), static_cast<float>(nz / l)};
}

VEC3 work_grid_point(const TWORK_DATA& w, std::int32_t index) {
  const int ix = index % (w.nx + 1), iy = index / (w.nx + 1);
  return VEC3{w.xs[ix], w.ys[iy], w.grid[index].z};
}

// ---- the CPU pick -------------------------------------------------------------------------

namespace {

struct WinPt {
  double x, y, z;
};

// A polygon of a face clipped to the pick square: a face's 4 corners and one more per side
// of the square (its projection is convex); room for more all the same.
struct WinPoly {
  std::array<WinPt, 16> v;
  int n = 0;
  void add(const WinPt& p) {
    if (n < static_cast<int>(v.size())) v[static_cast<std::size_t>(n++)] = p;
  }
};

// Clips a polygon in window space to the square; depth is interpolated linearly, which is
// exact for a plane face.
WinPoly clip_to_square(WinPoly poly, double x0, double y0, double x1, double y1) {
  auto clip = [&](auto inside, auto cross) {
    WinPoly out;
    for (int i = 0; i < poly.n; ++i) {
      const WinPt& a = poly.v[static_cast<std::size_t>(i)];
      const WinPt& b = poly.v[static_cast<std::size_t>((i + 1) % poly.n)];
      const bool ia = inside(a), ib = inside(b);
      if (ia) out.add(a);
      if (ia != ib) out.add(cross(a, b));
    }
    poly = out;
  };
  auto lerp = [](const WinPt& a, const WinPt& b, double t) {
    return WinPt{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
  };
  clip([&](const WinPt& p) { return p.x >= x0; },
       [&](const WinPt& a, const WinPt& b) { return lerp(a, b, (x0 - a.x) / (b.x - a.x)); });
  if (poly.n == 0) return poly;
  clip([&](const WinPt& p) { return p.x <= x1; },
       [&](const WinPt& a, const WinPt& b) { return lerp(a, b, (x1 - a.x) / (b.x - a.x)); });
  if (poly.n == 0) return poly;
  clip([&](const WinPt& p) { return p.y >= y0; },
       [&](const WinPt& a, const WinPt& b) { return lerp(a, b, (y0 - a.y) / (b.y - a.y)); });
  if (poly.n == 0) return poly;
  clip([&](const WinPt& p) { return p.y <= y1; },
       [&](const WinPt& a, const WinPt& b) { return lerp(a, b, (y1 - a.y) / (b.y - a.y)); });
  return poly;
}

// The view's projection, its matrices multiplied once.
struct Projector {
  explicit Projector(const TGL_VIEW& v) : pm(gl_mat_mul(v.proj, v.model)), vp(v.kept_viewport) {}
  bool operator()(const VEC3& p, WinPt& out) const {
    return gl_project_pm(p.x, p.y, p.z, pm, vp, out.x, out.y, out.z);
  }
  GLMAT4 pm;
  const std::int32_t* vp;
};

}  // namespace

int pick_work_face(const Tmat& m, const TGL_VIEW& v, double x, double y, int& work,
                   bool all_tiles) {
  work = -1;
  const double x0 = x - 4, x1 = x + 4, y0 = y - 4, y1 = y + 4;
  // The nearest depth met in the square, and where its face stands in the order of works,
  // tiles and faces: of equally near faces the first in that order is named.
  double best = HUGE_VAL;
  std::uint64_t best_at = ~0ull;
  int name = -1;
  std::vector<TCELL_FACE> faces;
  struct Cached {
    WinPt p{};
    std::uint8_t state = 0;  // 0 not yet, 1 projected, 2 not projectable
  };
  std::vector<Cached> cache;
  const Projector project(v);
  struct Lattice {
    TCELL_LATTICE L;
    std::vector<int> lat_x, lat_y;  // the lattice line of each grid line, -1 if not drawn
  };
  std::vector<Lattice> lattices(WORK_MAX);
  // The tiles whose screen box meets the square, with the nearest depth of that box (a
  // bound on any depth of their faces; minus infinity when a corner does not project).
  struct Candidate {
    double near;
    int work;
    std::uint32_t order;
    TCELL_TILE t;
  };
  std::vector<Candidate> cand;
  for (int wn = 0; wn < WORK_MAX; ++wn) {
    const TWORK_DATA& w = m.works[wn];
    if (!w.in_use || !w.visible || w.nx <= 0 || w.ny <= 0) continue;
    if (w.grid.size() < w.point_count() || w.xs.size() < static_cast<std::size_t>(w.nx + 1) ||
        w.ys.size() < static_cast<std::size_t>(w.ny + 1))
      continue;
    Lattice& lw = lattices[static_cast<std::size_t>(wn)];
    lw.L = work_cell_lattice(w, m.mesh_mode);
    const TCELL_LATTICE& L = lw.L;
    lw.lat_x.assign(static_cast<std::size_t>(w.nx + 1), -1);
    lw.lat_y.assign(static_cast<std::size_t>(w.ny + 1), -1);
    for (std::size_t k = 0; k < L.ix.size(); ++k) lw.lat_x[static_cast<std::size_t>(L.ix[k])] = static_cast<int>(k);
    for (std::size_t k = 0; k < L.iy.size(); ++k) lw.lat_y[static_cast<std::size_t>(L.iy[k])] = static_cast<int>(k);
    std::uint32_t order = 0;
    for (const TCELL_TILE& t : work_cell_tiles(L, 0)) {
      ++order;
      // The tile's box on the screen.
      const float bx[2] = {w.xs[L.ix[std::max(0, t.i0 - 1)]], w.xs[L.ix[t.i1]]};
      const float by[2] = {w.ys[L.iy[std::max(0, t.j0 - 1)]], w.ys[L.iy[t.j1]]};
      const float bz[2] = {std::min(w.bottom_z, w.top_z), std::max(w.top_z, w.bottom_z)};
      double sx0 = HUGE_VAL, sx1 = -HUGE_VAL, sy0 = HUGE_VAL, sy1 = -HUGE_VAL, sz0 = HUGE_VAL;
      bool all = true;
      for (int k = 0; k < 8; ++k) {
        WinPt p;
        if (!project(VEC3{bx[k & 1], by[(k >> 1) & 1], bz[(k >> 2) & 1]}, p)) {
          all = false;
          break;
        }
        sx0 = std::min(sx0, p.x);
        sx1 = std::max(sx1, p.x);
        sy0 = std::min(sy0, p.y);
        sy1 = std::max(sy1, p.y);
        sz0 = std::min(sz0, p.z);
      }
      if (all && (sx1 < x0 || sx0 > x1 || sy1 < y0 || sy0 > y1)) continue;
      cand.push_back({all ? sz0 : -HUGE_VAL, wn, order - 1, t});
    }
  }
  // Nearest boxes first: once a face is met nearer than a box can be, no later tile can
  // hold a nearer one. (The window depth is monotonic in the eye depth, which is affine in
  // the world, so a box's nearest depth is that of a corner.)
  if (!all_tiles)
    std::stable_sort(cand.begin(), cand.end(),
                     [](const Candidate& a, const Candidate& b) { return a.near < b.near; });
  for (const Candidate& c : cand) {
    if (!all_tiles && c.near > best) break;
    const int wn = c.work;
    const TWORK_DATA& w = m.works[wn];
    const Lattice& lw = lattices[static_cast<std::size_t>(wn)];
    const TCELL_LATTICE& L = lw.L;
    const TCELL_TILE& t = c.t;
    faces.clear();
    for_each_tile_cell(t, 0, [&](int i, int j) { work_cell_faces(w, L, i, j, faces); });
    // Each point of the tile is projected once, on top and at the bottom: a point is a
    // corner of up to six triangles and four walls.
    const int li0 = std::max(0, t.i0 - 1), lj0 = std::max(0, t.j0 - 1);
    const int span = t.i1 - li0 + 1;
    cache.assign(static_cast<std::size_t>(span) * static_cast<std::size_t>(t.j1 - lj0 + 1) * 2,
                 Cached{});
    auto point = [&](std::int32_t g, bool bottom, WinPt& out) {
      const int gx = g % (w.nx + 1), gy = g / (w.nx + 1);
      const int li = lw.lat_x[static_cast<std::size_t>(gx)] - li0;
      const int lj = lw.lat_y[static_cast<std::size_t>(gy)] - lj0;
      const VEC3 p{w.xs[gx], w.ys[gy], bottom ? w.bottom_z : w.grid[g].z};
      if (li < 0 || li >= span || lj < 0 || lj > t.j1 - lj0) return project(p, out);
      Cached& ch = cache[(static_cast<std::size_t>(lj) * span + li) * 2 + bottom];
      if (ch.state == 0) ch.state = project(p, ch.p) ? 1 : 2;
      out = ch.p;
      return ch.state == 1;
    };
    const std::uint64_t tile_at = (static_cast<std::uint64_t>(wn) << 56) |
                                  (static_cast<std::uint64_t>(c.order) << 28);
    std::uint64_t face_no = 0;
    for (const TCELL_FACE& f : faces) {
      const std::uint64_t at = tile_at | face_no++;
      if (f.colour < 0 || w.grid[f.colour].mark < 0) continue;  // only cut faces
      std::array<WinPt, 4> corner;
      int n = 0;
      bool ok = true;
      auto put = [&](std::int32_t g, bool bottom) {
        ok = ok && point(g, bottom, corner[static_cast<std::size_t>(n)]);
        ++n;
      };
      if (f.kind == TCELL_FACE::Top) {
        put(f.a, false);
        put(f.b, false);
        put(f.c, false);
      } else {
        put(f.a, false);
        put(f.b, false);
        put(f.b, true);
        put(f.a, true);
      }
      if (!ok) continue;
      // Most faces lie wholly beside the square: no clipping for them.
      double fx0 = HUGE_VAL, fx1 = -HUGE_VAL, fy0 = HUGE_VAL, fy1 = -HUGE_VAL;
      for (int k = 0; k < n; ++k) {
        fx0 = std::min(fx0, corner[static_cast<std::size_t>(k)].x);
        fx1 = std::max(fx1, corner[static_cast<std::size_t>(k)].x);
        fy0 = std::min(fy0, corner[static_cast<std::size_t>(k)].y);
        fy1 = std::max(fy1, corner[static_cast<std::size_t>(k)].y);
      }
      if (fx1 < x0 || fx0 > x1 || fy1 < y0 || fy0 > y1) continue;
      WinPoly poly;
      for (int k = 0; k < n; ++k) poly.v[static_cast<std::size_t>(k)] = corner[static_cast<std::size_t>(k)];
      poly.n = n;
      const WinPoly in = clip_to_square(poly, x0, y0, x1, y1);
      for (int k = 0; k < in.n; ++k) {
        const WinPt& p = in.v[static_cast<std::size_t>(k)];
        if (p.z < 0 || p.z > 1) continue;
        if (p.z < best || (p.z == best && at < best_at)) {
          best = p.z;
          best_at = at;
          name = f.colour * 2 + 1;
          work = wn;
        }
      }
    }
  }
  return name;
}

// ---- the picked grid cell -----------------------------------------------------------------

namespace {

bool fit_axis(const std::vector<float>& c, int n, float step, float pos, std::int32_t& idx) {
  if (n < 0 || c.size() < static_cast<std::size_t>(n + 1) || !std::isfinite(pos) || !(step > 0))
    return false;
  const int est = std::clamp(float_round_to_int((static_cast<double>(pos) - c[0]) / step, -1000000),
                             -1000000, 1000000);
  if (est >= -2 && est <= 0 && std::fabs(pos - c[0]) <= step / 2.0f) {
    idx = 0;
    return true;
  }
  bool found = false;
  for (int k = est - 1; k <= est + 1; ++k) {
    if (k < 0 || k > n) continue;
    if (std::fabs(c[k] - pos) <= step / 2.0f + 1e-6f) {
      idx = k;
      found = true;
    }
  }
  return found;
}

void refresh_pick(Tmat& m) {
  TPICK_CELL& p = m.pick;
  const TWORK_DATA& w = m.works[p.work];
  const TGRID_POINT& g = w.grid[point_index(w, p.ix, p.iy)];
  p.x = w.xs[p.ix];
  p.y = w.ys[p.iy];
  p.z = g.z;
  p.mark = g.mark;
  std::copy(g.col, g.col + 4, p.col);
  p.top = w.top_z;
  p.damage = is_collision_point(g) ? g.col[3] : 0;
}

bool pick_work_ok(const Tmat& m, int wn) {
  if (wn < 0 || wn >= WORK_MAX) return false;
  const TWORK_DATA& w = m.works[wn];
  return w.in_use && w.grid.size() >= w.point_count() &&
         w.xs.size() >= static_cast<std::size_t>(w.nx + 1) &&
         w.ys.size() >= static_cast<std::size_t>(w.ny + 1);
}

}  // namespace

bool PICK_WORK_POINT(Tmat& m, float X, float Y) {
  if (!pick_work_ok(m, m.pick.work)) return false;
  const TWORK_DATA& w = m.works[m.pick.work];
  std::int32_t ix = m.pick.ix, iy = m.pick.iy;
  if (!fit_axis(w.xs, w.nx, w.step_x, X, ix) || !fit_axis(w.ys, w.ny, w.step_y, Y, iy))
    return false;
  m.pick.ix = std::clamp(ix, 0, w.nx);
  m.pick.iy = std::clamp(iy, 0, w.ny);
  refresh_pick(m);
  return true;
}

bool MOVE_PICK_POINT(Tmat& m, int dx, int dy) {
  if (!pick_work_ok(m, m.pick.work)) return false;
  const TWORK_DATA& w = m.works[m.pick.work];
  const long long ix = static_cast<long long>(m.pick.ix) + dx;
  const long long iy = static_cast<long long>(m.pick.iy) + dy;
  m.pick.ix = static_cast<std::int32_t>(std::clamp<long long>(ix, 0, w.nx));
  m.pick.iy = static_cast<std::int32_t>(std::clamp<long long>(iy, 0, w.ny));
  refresh_pick(m);
  return true;
}
