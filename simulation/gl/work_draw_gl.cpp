#include "simulation/gl/work_draw_gl.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QOpenGLContext>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "common/ats_func.h"
#include "common/key_hash.h"
#include "platform/core/input.h"
#include "platform/core/system.h"
#include "simulation/gl/gl_stat.h"
#include "simulation/work_cells.h"

std::uint32_t (*work_draw_clock)() = plat::tick_ms;

namespace {

constexpr std::uint32_t kPollAfterMs = 200;

struct Vtx {
  float p[3];
  float n[3];
  std::uint8_t c[4];
};

std::uint8_t clamp_byte(double v) {
  const int i = float_round_to_int(v, 0);
  return static_cast<std::uint8_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
}

void alpha_of(const Tmat& m, const TWORK_DATA& w, std::uint8_t& a) {
  a = m.blend ? clamp_byte(255.0 * (w.jig ? m.jig_alpha : m.work_alpha)) : 255;
}

// Polls Escape and the mouse once more than 200 ms have passed since the drawing began.
// True when the drawing must stop.
bool poll_abort(Tmat& m, std::uint32_t start) {
  if (work_draw_clock() - start <= kPollAfterMs) return false;
  if (plat::escape_pressed()) {
    m.abort_flag = 1;
    return true;
  }
  if (plat::key_down(plat::Key::LButton) || plat::key_down(plat::Key::RButton)) m.abort_flag = 2;
  return false;
}

}  // namespace

void work_point_colour(const Tmat& m, const TWORK_DATA& w, const TGRID_POINT& p,
                       std::uint8_t out[4]) {
  double f = 1.0;
  if (is_collision_point(p) && m.blink) {
    static const double kPhase[3] = {1.0, 0.6, 0.3};
    f = kPhase[std::clamp(m.blink_phase, 0, 2)];
  }
  for (int i = 0; i < 3; ++i) out[i] = clamp_byte(p.col[i] * f);
  alpha_of(m, w, out[3]);
}

namespace {

// A rectangle of window pixels (origin bottom left), inclusive.
struct Box {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool empty() const { return x1 < x0 || y1 < y0; }
  bool meets(const Box& o) const {
    return !empty() && !o.empty() && x0 <= o.x1 && o.x0 <= x1 && y0 <= o.y1 && o.y0 <= y1;
  }
  bool within(const Box& o) const {
    return !empty() && x0 >= o.x0 && x1 <= o.x1 && y0 >= o.y0 && y1 <= o.y1;
  }
  void add(const Box& o) {
    if (o.empty()) return;
    if (empty()) {
      *this = o;
      return;
    }
    x0 = std::min(x0, o.x0);
    y0 = std::min(y0, o.y0);
    x1 = std::max(x1, o.x1);
    y1 = std::max(y1, o.y1);
  }
};

// A point of the window (origin bottom left); not `ok` when it lies behind the eye.
struct WinPt {
  double x = 0, y = 0;
  bool ok = false;
};

// The matrices and viewport the caller's frame set up, for the screen boxes of tiles.
struct Projector {
  double pm[16] = {}, mv[16] = {};
  double pmv[16] = {};  // pm x mv
  GLint vp[4] = {};
  int w = 0, h = 0;  // the surface
  void load(int width, int height) {
    glGetDoublev(GL_PROJECTION_MATRIX, pm);
    glGetDoublev(GL_MODELVIEW_MATRIX, mv);
    glGetIntegerv(GL_VIEWPORT, vp);
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < 4; ++r) {
        double v = 0;
        for (int k = 0; k < 4; ++k) v += pm[k * 4 + r] * mv[c * 4 + k];
        pmv[c * 4 + r] = v;
      }
    w = width;
    h = height;
  }
  WinPt point(double x, double y, double z) const {
    WinPt o;
    const double cw = pmv[3] * x + pmv[7] * y + pmv[11] * z + pmv[15];
    if (!(cw > 1e-9)) return o;
    const double cx = pmv[0] * x + pmv[4] * y + pmv[8] * z + pmv[12];
    const double cy = pmv[1] * x + pmv[5] * y + pmv[9] * z + pmv[13];
    o.x = vp[0] + (cx / cw + 1) * 0.5 * vp[2];
    o.y = vp[1] + (cy / cw + 1) * 0.5 * vp[3];
    o.ok = std::isfinite(o.x) && std::isfinite(o.y);
    return o;
  }
  Box all() const { return Box{0, 0, w - 1, h - 1}; }
  // The pixels a world box can cover, with a margin; all of them when a corner lies behind
  // the eye.
  Box box(double x0, double x1, double y0, double y1, double z0, double z1) const {
    double lx = HUGE_VAL, ly = HUGE_VAL, hx = -HUGE_VAL, hy = -HUGE_VAL;
    for (int c = 0; c < 8; ++c) {
      const double p[3] = {c & 1 ? x1 : x0, c & 2 ? y1 : y0, c & 4 ? z1 : z0};
      double e[4], q[4];
      for (int r = 0; r < 4; ++r)
        e[r] = mv[r] * p[0] + mv[4 + r] * p[1] + mv[8 + r] * p[2] + mv[12 + r];
      for (int r = 0; r < 4; ++r)
        q[r] = pm[r] * e[0] + pm[4 + r] * e[1] + pm[8 + r] * e[2] + pm[12 + r] * e[3];
      if (!(q[3] > 1e-9)) return all();
      const double wx = vp[0] + (q[0] / q[3] + 1) * 0.5 * vp[2];
      const double wy = vp[1] + (q[1] / q[3] + 1) * 0.5 * vp[3];
      if (!std::isfinite(wx) || !std::isfinite(wy)) return all();
      lx = std::min(lx, wx);
      hx = std::max(hx, wx);
      ly = std::min(ly, wy);
      hy = std::max(hy, wy);
    }
    constexpr double kMargin = 2;
    Box b;
    b.x0 = static_cast<int>(std::max(0.0, std::floor(lx - kMargin)));
    b.y0 = static_cast<int>(std::max(0.0, std::floor(ly - kMargin)));
    b.x1 = static_cast<int>(std::min(w - 1.0, std::ceil(hx + kMargin)));
    b.y1 = static_cast<int>(std::min(h - 1.0, std::ceil(hy + kMargin)));
    return b;
  }
};

// A drawn tile of a work: its cells, the point tiles its cells read (the row and column
// before it too), their newest revision and its screen box.
struct TileInfo {
  TCELL_TILE t{};
  int index = 0;
  int px0 = 0, px1 = -1, py0 = 0, py1 = -1;  // point tiles
  std::uint64_t rev = 0;
  Box box;
};

int tile_index(const TCELL_TILE& t, int tiles_i) {
  return (t.j0 / WORK_TILE) * tiles_i + t.i0 / WORK_TILE;
}
int tiles_across(const TCELL_LATTICE& L) {
  return (static_cast<int>(L.ix.size()) + WORK_TILE - 1) / WORK_TILE;
}

// The tiles of a work in drawing order, with what they read and their screen boxes.
bool whole_cell(const TWORK_DATA& w, const TCELL_LATTICE& L, int i, int j);

// The lowest height a tile draws at when its inner walls are left out: the work's bottom
// where a wall of the tile still goes down to it (the border, cells not whole or next to
// cells not whole), else its lowest point.
float tile_floor(const TWORK_DATA& w, const TCELL_LATTICE& L, const TCELL_TILE& t, float bottom) {
  const int ni = static_cast<int>(L.ix.size()), nj = static_cast<int>(L.iy.size());
  float lo = HUGE_VALF;
  for (int j = t.j0; j <= t.j1; ++j)
    for (int i = t.i0; i <= t.i1; ++i) {
      if (i == 0 || j == 0 || !whole_cell(w, L, i, j)) return bottom;
      if ((j + 1 < nj && !whole_cell(w, L, i, j + 1)) || (i + 1 < ni && !whole_cell(w, L, i + 1, j)))
        return bottom;
      for (int b = j - 1; b <= j; ++b)
        for (int a = i - 1; a <= i; ++a)
          lo = std::min(lo, w.grid[static_cast<std::size_t>(w.nx + 1) * L.iy[static_cast<std::size_t>(b)] +
                                   L.ix[static_cast<std::size_t>(a)]].z);
    }
  return std::isfinite(lo) ? std::max(lo, bottom) : bottom;
}

// A tile's floor as last worked out, with what it was worked out from.
struct TileFloor {
  std::uint64_t rev = 0, shape = 0;
  float z = 0;
};

// With `floors` (walls left out) each tile's box reaches down to its floor only; the floors
// are kept by revision.
std::vector<TileInfo> tile_infos(const TWORK_DATA& w, const TCELL_LATTICE& L, int q,
                                 const Projector& pr, std::vector<TileFloor>* floors = nullptr) {
  std::vector<TileInfo> out;
  const int ti = tiles_across(L);
  const float bottom = std::min(w.bottom_z, w.min.z);
  for (const TCELL_TILE& t : work_cell_tiles(L, q)) {
    TileInfo f;
    f.t = t;
    f.index = tile_index(t, ti);
    const int gx0 = L.ix[static_cast<std::size_t>(std::max(t.i0 - 1, 0))];
    const int gx1 = L.ix[static_cast<std::size_t>(t.i1)];
    const int gy0 = L.iy[static_cast<std::size_t>(std::max(t.j0 - 1, 0))];
    const int gy1 = L.iy[static_cast<std::size_t>(t.j1)];
    float zhi = w.top_z;
    if (w.tiles_x > 0 && w.tiles_y > 0 && w.tile_rev.size() == w.tile_max.size()) {
      f.px0 = std::min(gx0 >> WORK_TILE_SHIFT, w.tiles_x - 1);
      f.px1 = std::min(gx1 >> WORK_TILE_SHIFT, w.tiles_x - 1);
      f.py0 = std::min(gy0 >> WORK_TILE_SHIFT, w.tiles_y - 1);
      f.py1 = std::min(gy1 >> WORK_TILE_SHIFT, w.tiles_y - 1);
      zhi = -HUGE_VALF;
      for (int ty = f.py0; ty <= f.py1; ++ty)
        for (int tx = f.px0; tx <= f.px1; ++tx) {
          const std::size_t k = static_cast<std::size_t>(ty) * w.tiles_x + tx;
          f.rev = std::max(f.rev, w.tile_rev[k]);
          zhi = std::max(zhi, w.tile_max[k]);
        }
      if (!std::isfinite(zhi)) zhi = w.top_z;
      // A tile's inner walls are left out where the next cells across them are whole (see
      // build_tile), so the tile also changes with the row and column of cells beyond it.
      const int ex = std::min(L.ix[static_cast<std::size_t>(std::min<std::size_t>(t.i1 + 1, L.ix.size() - 1))] >> WORK_TILE_SHIFT, w.tiles_x - 1);
      const int ey = std::min(L.iy[static_cast<std::size_t>(std::min<std::size_t>(t.j1 + 1, L.iy.size() - 1))] >> WORK_TILE_SHIFT, w.tiles_y - 1);
      for (int ty = f.py0; ty <= ey; ++ty)
        for (int tx = f.px0; tx <= ex; ++tx)
          if (ty > f.py1 || tx > f.px1)
            f.rev = std::max(f.rev, w.tile_rev[static_cast<std::size_t>(ty) * w.tiles_x + tx]);
    } else {
      f.rev = ~std::uint64_t{0};  // nothing tells what changed: always drawn again
    }
    float zlo = bottom;
    if (floors && f.rev != ~std::uint64_t{0}) {
      const std::size_t at = static_cast<std::size_t>(f.index);
      if (floors->size() <= at) floors->resize(at + 1);
      TileFloor& fl = (*floors)[at];
      const std::uint64_t shape = (static_cast<std::uint64_t>(gx0) << 48) ^
                                  (static_cast<std::uint64_t>(gx1) << 32) ^
                                  (static_cast<std::uint64_t>(gy0) << 16) ^ static_cast<std::uint64_t>(gy1) ^
                                  (static_cast<std::uint64_t>(L.ix.size()) << 56);
      if (fl.rev != f.rev || fl.shape != shape || fl.rev == 0) {
        fl.z = tile_floor(w, L, t, bottom);
        fl.rev = f.rev;
        fl.shape = shape;
      }
      zlo = fl.z;
    }
    f.box = pr.box(w.xs[static_cast<std::size_t>(gx0)], w.xs[static_cast<std::size_t>(gx1)],
                   w.ys[static_cast<std::size_t>(gy0)], w.ys[static_cast<std::size_t>(gy1)], zlo,
                   std::max(zhi, zlo));
    out.push_back(f);
  }
  return out;
}

// Whether cell (i, j) of the lattice has all four corners (its whole top).
bool whole_cell(const TWORK_DATA& w, const TCELL_LATTICE& L, int i, int j) {
  const auto at = [&](int a, int b) {
    return static_cast<std::int32_t>((w.nx + 1) * L.iy[static_cast<std::size_t>(b)] +
                                     L.ix[static_cast<std::size_t>(a)]);
  };
  return work_cell_code(w, at(i, j), at(i - 1, j), at(i, j - 1), at(i - 1, j - 1)) == 15;
}

// Drops the inner walls of cell (i, j) that lie inside the solid: a whole cell's walls go
// down from edges that the next cell across (also whole) covers with its top too, so from
// outside the solid they are always behind a face that is drawn. Only for opaque works
// without clip planes, which would open the solid.
void drop_hidden_walls(const TWORK_DATA& w, const TCELL_LATTICE& L, int i, int j,
                       std::vector<TCELL_FACE>& faces, std::size_t from) {
  const int ni = static_cast<int>(L.ix.size()), nj = static_cast<int>(L.iy.size());
  if (i <= 0 || j <= 0 || !whole_cell(w, L, i, j)) return;
  const bool next_row = j + 1 < nj && whole_cell(w, L, i, j + 1);
  const bool next_col = i + 1 < ni && whole_cell(w, L, i + 1, j);
  if (!next_row && !next_col) return;
  const auto at = [&](int a, int b) {
    return static_cast<std::int32_t>((w.nx + 1) * L.iy[static_cast<std::size_t>(b)] +
                                     L.ix[static_cast<std::size_t>(a)]);
  };
  const std::int32_t c1 = at(i, j), c2 = at(i - 1, j), c3 = at(i, j - 1);
  const auto hidden = [&](const TCELL_FACE& f) {
    if (f.kind != TCELL_FACE::Wall || f.a != c1) return false;
    return (next_row && f.b == c2) || (next_col && f.b == c3);
  };
  faces.erase(std::remove_if(faces.begin() + static_cast<std::ptrdiff_t>(from), faces.end(), hidden),
              faces.end());
}

// Whether the solid is closed as drawn now (no blending, no clip plane), so that its inner
// walls can be left out.
bool inner_walls_hidden() {
  return !glIsEnabled(GL_BLEND) && !glIsEnabled(GL_CLIP_PLANE0) && !glIsEnabled(GL_CLIP_PLANE1);
}

// The vertices of a cell's faces, appended.
void cell_vertices(const Tmat& m, const TWORK_DATA& w, const std::vector<TCELL_FACE>& faces,
                   const std::uint8_t plain[4], std::vector<Vtx>& tops, std::vector<Vtx>& walls) {
  for (const TCELL_FACE& f : faces) {
    const VEC3 a = work_grid_point(w, f.a), b = work_grid_point(w, f.b);
    if (f.kind == TCELL_FACE::Top) {
      const VEC3 c = work_grid_point(w, f.c);
      const VEC3 n = work_face_normal(a, b, c);
      Vtx v{};
      work_point_colour(m, w, w.grid[f.colour], v.c);
      v.n[0] = n.x;
      v.n[1] = n.y;
      v.n[2] = n.z;
      for (const VEC3& p : {a, b, c}) {
        v.p[0] = p.x;
        v.p[1] = p.y;
        v.p[2] = p.z;
        tops.push_back(v);
      }
    } else {
      Vtx v{};
      if (f.colour >= 0)
        work_point_colour(m, w, w.grid[f.colour], v.c);
      else
        std::copy(plain, plain + 4, v.c);
      v.n[1] = -1;
      for (const VEC3& p : {a, b, VEC3{b.x, b.y, w.bottom_z}, VEC3{a.x, a.y, w.bottom_z}}) {
        v.p[0] = p.x;
        v.p[1] = p.y;
        v.p[2] = p.z;
        walls.push_back(v);
      }
    }
  }
}

// The faces of one tile as vertex arrays: top triangles, and walls (drawn two-sided). With
// `cell_at`, where each cell's vertices begin in both arrays (cells in drawing order, then
// the ends).
void build_tile(const Tmat& m, const TWORK_DATA& w, const TCELL_LATTICE& L, const TCELL_TILE& t,
                int q, const std::uint8_t plain[4], bool cull, std::vector<TCELL_FACE>& faces,
                std::vector<Vtx>& tops, std::vector<Vtx>& walls,
                std::vector<std::uint32_t>* cell_at = nullptr) {
  tops.clear();
  walls.clear();
  if (cell_at) cell_at->clear();
  for_each_tile_cell(t, q, [&](int i, int j) {
    if (cell_at) {
      cell_at->push_back(static_cast<std::uint32_t>(tops.size()));
      cell_at->push_back(static_cast<std::uint32_t>(walls.size()));
    }
    faces.clear();
    work_cell_faces(w, L, i, j, faces);
    if (cull) drop_hidden_walls(w, L, i, j, faces, 0);
    cell_vertices(m, w, faces, plain, tops, walls);
  });
  if (cell_at) {
    cell_at->push_back(static_cast<std::uint32_t>(tops.size()));
    cell_at->push_back(static_cast<std::uint32_t>(walls.size()));
  }
}

void set_pointers(const Vtx* base) {
  glVertexPointer(3, GL_FLOAT, sizeof(Vtx), base->p);
  glNormalPointer(GL_FLOAT, sizeof(Vtx), base->n);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vtx), base->c);
}
// The same into the bound buffer object.
void set_buffer_pointers() {
  const auto at = [](std::size_t off) { return reinterpret_cast<const void*>(off); };
  glVertexPointer(3, GL_FLOAT, sizeof(Vtx), at(offsetof(Vtx, p)));
  glNormalPointer(GL_FLOAT, sizeof(Vtx), at(offsetof(Vtx, n)));
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vtx), at(offsetof(Vtx, c)));
}

void draw_walls(GLsizei first, GLsizei count, GLint two_sided) {
  if (count == 0) return;
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glDrawArrays(GL_QUADS, first, count);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, two_sided);
}

// A tile's faces from its arrays.
void draw_tile_arrays(const std::vector<Vtx>& tops, const std::vector<Vtx>& walls,
                      GLint two_sided) {
  if (!tops.empty()) {
    set_pointers(tops.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(tops.size()));
  }
  if (!walls.empty()) {
    set_pointers(walls.data());
    draw_walls(0, static_cast<GLsizei>(walls.size()), two_sided);
  }
}

// The faces of a tile kept in a buffer object while its points and colours stay.
struct TileGeom {
  GLuint vbo = 0;
  GLsizei tops = 0, walls = 0;
  // Where each cell's vertices begin among the tops and among the walls (cells in drawing
  // order, then the ends); empty when they do not fit.
  std::vector<std::uint16_t> cell_at;
  std::uint64_t rev = 0;
  std::uint32_t colour_key = 0;
  std::size_t bytes = 0;
  bool valid = false;
};

// What a slot keeps of one work.
struct WorkKept {
  std::uint64_t geometry_key = 0;      // lattice, order and shape the buffers were made for
  std::vector<Box> boxes;              // each tile's screen box in the kept picture
  std::vector<TileGeom> geom;          // by tile index
  std::vector<std::uint64_t> coll_rev; // by point tile: the revision coll was found at
  std::vector<Box> coll;               // by point tile: grid indices of its collision points
  std::vector<Box> pboxes;             // by point tile: its cells' screen box (point_boxes)
  std::vector<TileFloor> floors;       // by tile index, while the inner walls are left out
};

// What a slot keeps of its frames: the opaque works' picture with its depth, and the tiles'
// buffers.
struct Kept {
  QOpenGLContext* ctx = nullptr;
  int w = 0, h = 0;
  GLuint fbo = 0, col = 0, dep = 0;
  bool valid = false;
  std::uint64_t config = 0;
  std::uint64_t rev_at = 0;
  int phase = 0;
  std::size_t retained = 0;
  WorkKept works[WORK_MAX];

  ~Kept() {
    if (!ctx || QOpenGLContext::currentContext() != ctx) return;  // gone with its context
    free_pictures();
    for (WorkKept& k : works)
      for (TileGeom& g : k.geom)
        if (g.vbo) glDeleteBuffers(1, &g.vbo);
  }
  void free_pictures() {
    if (fbo) glDeleteFramebuffers(1, &fbo);
    if (col) glDeleteRenderbuffers(1, &col);
    if (dep) glDeleteRenderbuffers(1, &dep);
    fbo = col = dep = 0;
    w = h = 0;
    valid = false;
  }
  // A picture of the surface's size and formats; false when it cannot be made. Its depth
  // buffer is its stencil too, as the surface's is, so that both are copied together (see
  // copy_rect).
  bool size_to(int width, int height) {
    if (fbo && w == width && h == height) return true;
    free_pictures();
    if (width <= 0 || height <= 0) return false;
    GLint draw_fbo = 0, read_fbo = 0, rb = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_fbo);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_fbo);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &rb);
    glGenFramebuffers(1, &fbo);
    glGenRenderbuffers(1, &col);
    glGenRenderbuffers(1, &dep);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glBindRenderbuffer(GL_RENDERBUFFER, col);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, col);
    glBindRenderbuffer(GL_RENDERBUFFER, dep);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, dep);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    const bool ok = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(rb));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_fbo));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_fbo));
    w = width;
    h = height;
    if (!ok) free_pictures();
    return ok;
  }
};

// Whether point tile k of the work holds collision points (found again when its points
// changed).
// The grid indices (x, y) of point tile k's collision points, found again when its points
// changed; empty when it holds none.
const Box& tile_collision(WorkKept& k, const TWORK_DATA& w, int tx, int ty) {
  const std::size_t n = w.tile_rev.size();
  if (k.coll_rev.size() != n) {
    k.coll_rev.assign(n, ~std::uint64_t{0});
    k.coll.assign(n, Box{});
  }
  const std::size_t t = static_cast<std::size_t>(ty) * w.tiles_x + tx;
  if (k.coll_rev[t] != w.tile_rev[t]) {
    const int x0 = tx << WORK_TILE_SHIFT, y0 = ty << WORK_TILE_SHIFT;
    const int x1 = std::min(w.nx, x0 + WORK_TILE - 1), y1 = std::min(w.ny, y0 + WORK_TILE - 1);
    Box found;
    for (int iy = y0; iy <= y1; ++iy) {
      const TGRID_POINT* p = &w.grid[static_cast<std::size_t>(w.nx + 1) * iy];
      for (int ix = x0; ix <= x1; ++ix)
        if (is_collision_point(p[ix])) found.add(Box{ix, iy, ix, iy});
    }
    k.coll[t] = found;
    k.coll_rev[t] = w.tile_rev[t];
  }
  return k.coll[t];
}

bool tile_collides(WorkKept& k, const TWORK_DATA& w, int tx, int ty) {
  return !tile_collision(k, w, tx, ty).empty();
}

bool info_collides(WorkKept& k, const TWORK_DATA& w, const TileInfo& f) {
  for (int ty = f.py0; ty <= f.py1; ++ty)
    for (int tx = f.px0; tx <= f.px1; ++tx)
      if (tile_collides(k, w, tx, ty)) return true;
  return false;
}

// Whether the lattice is the whole grid, cell (i, j) having the grid points (i - 1 .. i,
// j - 1 .. j) as corners: then what a changed point can alter is known to the cell.
bool full_lattice(const TWORK_DATA& w, const TCELL_LATTICE& L) {
  if (L.ix.size() != static_cast<std::size_t>(w.nx) + 1 ||
      L.iy.size() != static_cast<std::size_t>(w.ny) + 1)
    return false;
  for (std::size_t i = 0; i < L.ix.size(); ++i)
    if (L.ix[i] != static_cast<std::int32_t>(i)) return false;
  for (std::size_t j = 0; j < L.iy.size(); ++j)
    if (L.iy[j] != static_cast<std::int32_t>(j)) return false;
  return true;
}

// The screen box of the cells whose faces a grid point in columns x0..x1 and rows y0..y1 can
// alter (on a full lattice): a cell's faces are made from its corners and, where its inner
// walls are left out, the corners of the cells beyond, so cells (x0 - 1 .. x1 + 1, y0 - 1
// .. y1 + 1). Down to the floors of their tiles (`floors`, by tile index) or the bottom.
Box cells_box(const TWORK_DATA& w, const Projector& pr, int x0, int x1, int y0, int y1,
              const std::vector<TileFloor>* floors) {
  const int ci0 = std::max(x0 - 1, 0), ci1 = std::min(x1 + 1, w.nx);
  const int cj0 = std::max(y0 - 1, 0), cj1 = std::min(y1 + 1, w.ny);
  const int gx0 = std::max(ci0 - 1, 0), gy0 = std::max(cj0 - 1, 0);
  float zhi = -HUGE_VALF;
  for (int ty = gy0 >> WORK_TILE_SHIFT; ty <= std::min(cj1 >> WORK_TILE_SHIFT, w.tiles_y - 1); ++ty)
    for (int tx = gx0 >> WORK_TILE_SHIFT; tx <= std::min(ci1 >> WORK_TILE_SHIFT, w.tiles_x - 1); ++tx)
      zhi = std::max(zhi, w.tile_max[static_cast<std::size_t>(ty) * w.tiles_x + tx]);
  if (!std::isfinite(zhi)) zhi = w.top_z;
  const float bottom = std::min(w.bottom_z, w.min.z);
  float zlo = bottom;
  if (floors) {
    const int ti = (w.nx + WORK_TILE) / WORK_TILE;
    zlo = HUGE_VALF;
    for (int tj = cj0 / WORK_TILE; tj <= cj1 / WORK_TILE; ++tj)
      for (int t = ci0 / WORK_TILE; t <= ci1 / WORK_TILE; ++t) {
        const std::size_t at = static_cast<std::size_t>(tj) * ti + t;
        zlo = std::min(zlo, at < floors->size() && (*floors)[at].rev != 0 ? (*floors)[at].z : bottom);
      }
  }
  return pr.box(w.xs[static_cast<std::size_t>(gx0)], w.xs[static_cast<std::size_t>(ci1)],
                w.ys[static_cast<std::size_t>(gy0)], w.ys[static_cast<std::size_t>(cj1)], zlo,
                std::max(zhi, zlo));
}

// Each point tile's cells_box, by point tile.
std::vector<Box> point_boxes(const TWORK_DATA& w, const Projector& pr,
                             const std::vector<TileFloor>* floors) {
  std::vector<Box> out(static_cast<std::size_t>(w.tiles_x) * w.tiles_y);
  for (int ty = 0; ty < w.tiles_y; ++ty)
    for (int tx = 0; tx < w.tiles_x; ++tx) {
      const int x0 = tx << WORK_TILE_SHIFT, y0 = ty << WORK_TILE_SHIFT;
      out[static_cast<std::size_t>(ty) * w.tiles_x + tx] =
          cells_box(w, pr, x0, std::min(w.nx, x0 + WORK_TILE - 1), y0,
                    std::min(w.ny, y0 + WORK_TILE - 1), floors);
    }
  return out;
}

// Which tiles of the current work a mesh drawing draws and where it keeps their faces.
struct MeshSel {
  const std::vector<char>* draw = nullptr;  // by tile index; null: all
  // With draw: the scissor rectangle the tiles are drawn under, and the projection of the
  // frame. The faces of a buffered tile that cannot reach into it are left out.
  const Box* clip = nullptr;
  const Projector* pr = nullptr;
  Kept* kept = nullptr;                     // buffers of the slot, or null
  const std::vector<TileInfo>* infos = nullptr;  // in drawing order (with kept)
  int tiles = 0;                            // drawn, counted
  int cull = -1;                            // inner walls left out (1) or not (0), -1 ask GL
};

// The colours a tile's faces take beyond its points: the alpha, and the blink phase where
// the tile holds collision points.
std::uint32_t colour_key(const Tmat& m, std::uint8_t alpha, bool collides) {
  std::uint32_t k = alpha;
  if (collides && m.blink) k |= static_cast<std::uint32_t>(m.blink_phase + 1) << 8;
  return k;
}

struct CachedPt {
  WinPt p;
  bool done = false;
};

// Ranges of vertices, the touching ones joined.
struct Ranges {
  std::vector<GLint> first;
  std::vector<GLsizei> count;
  void clear() {
    first.clear();
    count.clear();
  }
  void add(GLint f, GLsizei n) {
    if (n <= 0) return;
    if (!count.empty() && first.back() + count.back() == f)
      count.back() += n;
    else {
      first.push_back(f);
      count.push_back(n);
    }
  }
};

// The vertex ranges of tile t's buffer (cells in the drawing order of quadrant q) whose
// cells can reach into rectangle r on the screen: each cell's window box from its corners,
// at the bottom too where it has walls, with a margin; a cell with a corner behind the eye
// counts as reaching in. Faces left out thus cover no pixel of r, and the ones drawn keep
// their order.
void cells_in(const TWORK_DATA& w, const TCELL_LATTICE& L, const TCELL_TILE& t, int q,
              const TileGeom& g, const Projector& pr, const Box& r, std::vector<CachedPt>& cache,
              Ranges& tops, Ranges& walls) {
  tops.clear();
  walls.clear();
  const int li0 = std::max(0, t.i0 - 1), lj0 = std::max(0, t.j0 - 1);
  const int span = t.i1 - li0 + 1, rows = t.j1 - lj0 + 1;
  // Each lattice point of the tile projected once, on top (0) and at the bottom (1, when a
  // wall needs it).
  cache.assign(static_cast<std::size_t>(span) * rows * 2, CachedPt{});
  const auto at = [&](int li, int lj, int bottom) -> const WinPt& {
    CachedPt& c = cache[(static_cast<std::size_t>(lj - lj0) * span + (li - li0)) * 2 + bottom];
    if (!c.done) {
      c.done = true;
      const std::size_t gx = static_cast<std::size_t>(L.ix[static_cast<std::size_t>(li)]);
      const std::size_t gy = static_cast<std::size_t>(L.iy[static_cast<std::size_t>(lj)]);
      const float z = bottom ? w.bottom_z : w.grid[(static_cast<std::size_t>(w.nx) + 1) * gy + gx].z;
      c.p = pr.point(w.xs[gx], w.ys[gy], z);
    }
    return c.p;
  };
  constexpr double kMargin = 2;
  const double rx0 = r.x0 - kMargin, ry0 = r.y0 - kMargin;
  const double rx1 = r.x1 + 1 + kMargin, ry1 = r.y1 + 1 + kMargin;
  std::size_t c = 0;
  for_each_tile_cell(t, q, [&](int i, int j) {
    const std::uint16_t* a = &g.cell_at[c * 2];
    ++c;
    const int nt = a[2] - a[0], nw = a[3] - a[1];
    if (nt == 0 && nw == 0) return;
    double lx = HUGE_VAL, ly = HUGE_VAL, hx = -HUGE_VAL, hy = -HUGE_VAL;
    bool in = false;
    for (int b = 0; b <= (nw ? 1 : 0) && !in; ++b)
      for (int lj = std::max(j - 1, 0); lj <= j && !in; ++lj)
        for (int li = std::max(i - 1, 0); li <= i; ++li) {
          const WinPt& p = at(li, lj, b);
          if (!p.ok) {
            in = true;
            break;
          }
          lx = std::min(lx, p.x);
          hx = std::max(hx, p.x);
          ly = std::min(ly, p.y);
          hy = std::max(hy, p.y);
        }
    if (!in && (hx < rx0 || lx > rx1 || hy < ry0 || ly > ry1)) return;
    tops.add(a[0], nt);
    walls.add(g.tops + a[1], nw);
  });
}

void draw_mesh(Tmat& m, int reverse_order, MeshSel* sel) {
  if (m.cur_work < 0 || m.cur_work >= WORK_MAX) return;
  TWORK_DATA& w = m.works[m.cur_work];
  if (!w.in_use || m.mesh_mode == 0) return;
  if (w.grid.size() < w.point_count() || w.xs.size() < static_cast<std::size_t>(w.nx + 1) ||
      w.ys.size() < static_cast<std::size_t>(w.ny + 1))
    return;
  const int q = work_cell_quadrant(m.view_azimuth, m.view_order != 0, reverse_order != 0);
  const TCELL_LATTICE L = work_cell_lattice(w, m.mesh_mode);
  const std::uint32_t start = work_draw_clock();
  std::uint8_t plain[4] = {w.color[0], w.color[1], w.color[2], 255};
  alpha_of(m, w, plain[3]);
  std::vector<TCELL_FACE> faces;
  std::vector<Vtx> tops, walls;
  std::vector<std::uint32_t> cell_at;
  std::vector<CachedPt> cache;
  Ranges top_ranges, wall_ranges;
  glEnable(GL_LIGHTING);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  GLint two_sided = 0;
  glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two_sided);
  const bool cull = plain[3] == 255 && (sel && sel->cull >= 0 ? sel->cull == 1 : inner_walls_hidden());
  Kept* kept = sel ? sel->kept : nullptr;
  WorkKept* wk = kept ? &kept->works[m.cur_work] : nullptr;
  std::vector<TileInfo> own;
  const std::vector<TileInfo>* infos = sel ? sel->infos : nullptr;
  if (kept && !infos) {
    own = tile_infos(w, L, q, Projector{});
    infos = &own;
  }
  if (wk) {
    // The faces depend on the lattice, their order, the bottom and the plain colour too.
    KeyHash gh;
    gh.add(q).add(w.grid.data()).add(w.xs.data()).add(w.ys.data()).add(w.bottom_z);
    gh.add(w.min).add(w.max);
    gh.add(plain[0]).add(plain[1]).add(plain[2]).add(cull);
    for (const std::int32_t v : L.ix) gh.add(v);
    for (const std::int32_t v : L.iy) gh.add(v);
    if (gh.h != wk->geometry_key) {
      for (TileGeom& g : wk->geom) g.valid = false;
      wk->geometry_key = gh.h;
    }
    const std::size_t n = static_cast<std::size_t>(tiles_across(L)) *
                          ((L.iy.size() + WORK_TILE - 1) / WORK_TILE);
    if (wk->geom.size() != n) {
      for (TileGeom& g : wk->geom)
        if (g.vbo) {
          glDeleteBuffers(1, &g.vbo);
          kept->retained -= g.bytes;
        }
      wk->geom.assign(n, TileGeom{});
    }
  }
  const std::vector<TCELL_TILE> order = infos ? std::vector<TCELL_TILE>{} : work_cell_tiles(L, q);
  const std::size_t count = infos ? infos->size() : order.size();
  for (std::size_t k = 0; k < count; ++k) {
    const TCELL_TILE& t = infos ? (*infos)[k].t : order[k];
    if (sel && sel->draw && !(*sel->draw)[static_cast<std::size_t>(tile_index(t, tiles_across(L)))])
      continue;
    if (poll_abort(m, start)) break;
    if (sel) ++sel->tiles;
    if (!wk) {
      build_tile(m, w, L, t, q, plain, cull, faces, tops, walls);
      draw_tile_arrays(tops, walls, two_sided);
      continue;
    }
    const TileInfo& f = (*infos)[k];
    TileGeom& g = wk->geom[static_cast<std::size_t>(f.index)];
    const std::uint32_t ck = colour_key(m, plain[3], m.blink && info_collides(*wk, w, f));
    if (!(g.valid && g.rev == f.rev && g.colour_key == ck)) {
      build_tile(m, w, L, t, q, plain, cull, faces, tops, walls, &cell_at);
      const std::size_t bytes = (tops.size() + walls.size()) * sizeof(Vtx);
      kept->retained -= g.bytes;
      g.bytes = 0;
      g.valid = false;
      if (kept->retained + bytes <= WORK_RETAINED_BUDGET && bytes > 0) {
        if (!g.vbo) glGenBuffers(1, &g.vbo);
        glBindBuffer(GL_ARRAY_BUFFER, g.vbo);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(tops.size() * sizeof(Vtx)),
                        tops.data());
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(tops.size() * sizeof(Vtx)),
                        static_cast<GLsizeiptr>(walls.size() * sizeof(Vtx)), walls.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        g.tops = static_cast<GLsizei>(tops.size());
        g.walls = static_cast<GLsizei>(walls.size());
        g.cell_at.clear();
        if (tops.size() <= 0xFFFF && walls.size() <= 0xFFFF)
          g.cell_at.assign(cell_at.begin(), cell_at.end());
        g.rev = f.rev;
        g.colour_key = ck;
        g.bytes = bytes;
        g.valid = true;
        kept->retained += bytes;
      } else {
        // Beyond the budget (or nothing to draw): drawn from the arrays.
        if (g.vbo) {
          glDeleteBuffers(1, &g.vbo);
          g.vbo = 0;
        }
        draw_tile_arrays(tops, walls, two_sided);
        continue;
      }
    }
    if (sel->clip && sel->pr && !g.cell_at.empty() && !f.box.within(*sel->clip)) {
      // Only the cells that can reach into the scissor rectangle.
      cells_in(w, L, t, q, g, *sel->pr, *sel->clip, cache, top_ranges, wall_ranges);
      if (top_ranges.first.empty() && wall_ranges.first.empty()) {
        --sel->tiles;
        continue;
      }
      glBindBuffer(GL_ARRAY_BUFFER, g.vbo);
      set_buffer_pointers();
      if (!top_ranges.first.empty())
        glMultiDrawArrays(GL_TRIANGLES, top_ranges.first.data(), top_ranges.count.data(),
                          static_cast<GLsizei>(top_ranges.first.size()));
      if (!wall_ranges.first.empty()) {
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        glMultiDrawArrays(GL_QUADS, wall_ranges.first.data(), wall_ranges.count.data(),
                          static_cast<GLsizei>(wall_ranges.first.size()));
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, two_sided);
      }
      glBindBuffer(GL_ARRAY_BUFFER, 0);
      continue;
    }
    glBindBuffer(GL_ARRAY_BUFFER, g.vbo);
    set_buffer_pointers();
    if (g.tops) glDrawArrays(GL_TRIANGLES, 0, g.tops);
    draw_walls(g.tops, g.walls, two_sided);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
}

}  // namespace

void DRAW_WORK_MESH(Tmat& m, int reverse_order) { draw_mesh(m, reverse_order, nullptr); }

// ---- the tool body ------------------------------------------------------------------------

namespace {

struct RZ {
  double r, z;
};

// The profile of a section from its bottom up, without the disc.
std::vector<RZ> section_profile(const TTOOL_PARAM& t) {
  std::vector<RZ> p;
  const double z0 = t.ref_z, e = t.edge_len;
  auto arc = [&](double fr, double br, double r_end) {
    // Corner of radius br about (fr, z0 + br) from the bottom out to radius r_end.
    for (int k = 0; k <= 4; ++k) {
      const double phi = k * ATS_PI / 8;
      double r = fr + br * std::sin(phi);
      if (r > r_end) r = r_end;
      const double s = std::clamp((r - fr) / br, 0.0, 1.0);
      p.push_back({r, z0 + br - br * std::sqrt(1 - s * s)});
      if (r >= r_end) break;
    }
  };
  switch (t.type) {
    case 1:  // flat
      p.push_back({t.FR, z0});
      p.push_back({t.FR, z0 + e});
      break;
    case 2:  // ball
    case 3:  // ball cut off at AR
      if (t.BR > 0) arc(0, t.BR, t.AR);
      p.push_back({t.AR, std::max(p.empty() ? z0 : p.back().z, z0 + e)});
      break;
    case 4:  // corner radius out to AR
    case 6:
      p.push_back({t.FR, z0});
      if (t.BR > 0) arc(t.FR, t.BR, t.AR);
      p.push_back({t.AR, std::max(p.back().z, z0 + e)});
      break;
    case 5:  // cone
      p.push_back({t.FR, z0});
      p.push_back({t.AR, z0 + e});
      break;
    default: break;
  }
  if (!p.empty() && t.effective_len > e) p.push_back({t.AR, z0 + t.effective_len});
  return p;
}

void ring_strip(const RZ& a, const RZ& b) {
  const double dr = b.r - a.r, dz = b.z - a.z;
  const double l = std::sqrt(dr * dr + dz * dz);
  if (!(l > 0)) return;
  const float nr = static_cast<float>(dz / l), nz = static_cast<float>(-dr / l);
  glBegin(GL_QUAD_STRIP);
  for (int k = 0; k <= 16; ++k) {
    const int idx = (k * 16) % 256;
    const float c = SinCos_table[256 + idx], s = SinCos_table[idx];
    glNormal3f(nr * c, nr * s, nz);
    glVertex3f(static_cast<float>(a.r) * c, static_cast<float>(a.r) * s, static_cast<float>(a.z));
    glVertex3f(static_cast<float>(b.r) * c, static_cast<float>(b.r) * s, static_cast<float>(b.z));
  }
  glEnd();
}

void disc(double r, double z) {
  if (!(r >= 1e-6)) return;
  glNormal3f(0, 0, -1);
  glBegin(GL_POLYGON);
  for (int k = 0; k < 16; ++k) {
    const int idx = (256 - k * 16) % 256;
    glVertex3f(static_cast<float>(r) * SinCos_table[256 + idx],
               static_cast<float>(r) * SinCos_table[idx], static_cast<float>(z));
  }
  glEnd();
}

}  // namespace

void DRAW_TOOL_BODY(Tmat& m, const float pos[3]) {
  if (m.tool_mode == 0) return;
  if (SinCos_table[256] != 1.0f) Preset_SinCos_table();
  glPushMatrix();
  glTranslatef(pos[0], pos[1], pos[2]);
  if (m.view_order) glRotatef(static_cast<float>(-m.view_azimuth), 0, 0, 1);
  if (m.tool_spin) {
    const long long a = float_to_int64(std::fabs(m.spin_angle) * 1000.0, 0);
    glRotatef(static_cast<float>((a % 22500) * 0.001), 0, 0, 1);
  }
  glLineWidth(1);
  if (m.tool_mode == 2)
    glEnable(GL_LIGHTING);
  else
    glDisable(GL_LIGHTING);
  const int n = std::clamp(m.tpm_count, 0, TOOL_SHAPE_MAX);
  for (int i = 0; i < n; ++i) {
    const TTOOL_PARAM& t = m.tpm[i];
    std::uint8_t c[4] = {t.cut_color[0], t.cut_color[1], t.cut_color[2], 255};
    if (m.blend) c[3] = clamp_byte(255.0 * m.work_alpha);
    glColor4ubv(c);
    const std::vector<RZ> p = section_profile(t);
    if (p.empty()) continue;
    if (t.type == 1 || t.type == 4 || t.type == 5 || t.type == 6) disc(p.front().r, p.front().z);
    for (std::size_t k = 0; k + 1 < p.size(); ++k) ring_strip(p[k], p[k + 1]);
  }
  glDisable(GL_LIGHTING);
  glPopMatrix();
}

// ---- all works ------------------------------------------------------------------------------

namespace {

float alpha_factor(int transparency) {
  if (transparency == -1) return 1.0f;
  const long long v = std::llabs(static_cast<long long>(transparency)) % 101;
  return static_cast<float>(v) * 0.01f;
}

bool drawable(const TWORK_DATA& w) { return w.in_use && w.visible; }

}  // namespace

namespace {

// Alphas, the GL state of the works and the blink phase of the frame.
void begin_works(Tmat& m, int set_gl_state, int jig_transparency, int work_transparency) {
  m.work_alpha = alpha_factor(work_transparency);
  m.jig_alpha = alpha_factor(jig_transparency);
  if (set_gl_state == 1) {
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
  }
  glDisable(GL_ALPHA_TEST);
  m.blend = 0;
  m.blink_phase = m.blink ? (m.blink_phase + 1) % 3 : 0;
}

// Whether work n is drawn in the opaque pass.
bool opaque_work(const Tmat& m, const TWORK_DATA& w) {
  if (!drawable(w)) return false;
  if (w.jig) return m.show_jigs && !w.see_through;
  if (w.nx != 0 && w.ny != 0) return !m.see_through_works && !w.see_through;
  return true;
}

// The opaque pass: each opaque work made current and drawn (sel[n], when given, chooses its
// tiles and keeps their faces).
void opaque_pass(Tmat& m, MeshSel* sel) {
  for (int n = 0; n < WORK_MAX && m.abort_flag != 1; ++n) {
    if (!opaque_work(m, m.works[n])) continue;
    SET_WORK_NUM(m, n);
    draw_mesh(m, 0, sel ? &sel[n] : nullptr);
  }
}

// The tool, the see-through works, the see-through tool and the picked point.
void finish_works(Tmat& m, const float tool_pos[3], Kept* kept) {
  if (m.tpm_count > 0 && !m.see_through_tool) DRAW_TOOL_BODY(m, tool_pos);
  for (int n = 0; n < WORK_MAX && m.abort_flag != 1; ++n) {
    const TWORK_DATA& w = m.works[n];
    if (!drawable(w) || w.nx == 0 || w.ny == 0) continue;
    if (!((m.see_through_works && !w.jig) || w.see_through)) continue;
    if (w.jig && !m.show_jigs) continue;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    m.blend = 1;
    SET_WORK_NUM(m, n);
    MeshSel sel;
    sel.kept = kept;
    draw_mesh(m, 0, kept ? &sel : nullptr);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    m.blend = 0;
  }
  if (m.tpm_count > 0 && m.see_through_tool) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    m.blend = 1;
    DRAW_TOOL_BODY(m, tool_pos);
    glDisable(GL_BLEND);
  }
  m.blend = 0;
  glDisable(GL_ALPHA_TEST);
  if (m.pick_count >= 1) {
    if (tool_pos[0] == m.pick_tool_pos.x && tool_pos[1] == m.pick_tool_pos.y &&
        tool_pos[2] == m.pick_tool_pos.z) {
      GLfloat lw = 1, ps = 1;
      glGetFloatv(GL_LINE_WIDTH, &lw);
      glGetFloatv(GL_POINT_SIZE, &ps);
      glDisable(GL_DEPTH_TEST);
      glDisable(GL_LIGHTING);
      glColor4ub(255, 255, 255, 255);
      glLineWidth(5);
      glBegin(GL_LINES);
      glVertex3f(m.pick_tool_pos.x, m.pick_tool_pos.y, m.pick_tool_pos.z);
      glVertex3f(m.pick_pos.x, m.pick_pos.y, m.pick_pos.z);
      glEnd();
      glPointSize(5);
      glBegin(GL_POINTS);
      glVertex3f(m.pick_pos.x, m.pick_pos.y, m.pick_pos.z);
      glEnd();
      glLineWidth(lw);
      glPointSize(ps);
      glEnable(GL_DEPTH_TEST);
      glEnable(GL_LIGHTING);
    } else {
      m.pick_count = 0;
    }
  }
}

// The kept state of slot id, made on first use; null for a slot without a real surface.
Kept* kept_of(Tgl_func& gl, int id) {
  if (id < 0 || id >= GL_SLOT_COUNT || !gl.slot[id].flag_open) return nullptr;
  GlSlotSurface* s = gl.surface(id);
  plat::GlSurface* real = s ? s->gl_surface() : nullptr;
  if (!real || !real->context() || QOpenGLContext::currentContext() != real->context())
    return nullptr;
  std::shared_ptr<void>& slot = gl.slot[id].work_kept;
  Kept* k = static_cast<Kept*>(slot.get());
  if (!k || k->ctx != real->context()) {
    auto made = std::make_shared<Kept>();
    made->ctx = real->context();
    slot = made;
    k = made.get();
  }
  if (!k->size_to(s->width(), s->height())) return nullptr;
  return k;
}

// Everything besides the tiles' points that the opaque picture depends on.
std::uint64_t frame_config(const Tmat& m, std::uint64_t key, const Projector& pr,
                           int set_gl_state) {
  KeyHash h;
  h.add(key).add(set_gl_state).add(pr.w).add(pr.h);
  for (double v : pr.pm) h.add(v);
  for (double v : pr.mv) h.add(v);
  for (GLint v : pr.vp) h.add(v);
  GLdouble range[2] = {0, 0};
  glGetDoublev(GL_DEPTH_RANGE, range);
  h.add(range[0]).add(range[1]);
  h.add(m.mesh_mode).add(work_cell_quadrant(m.view_azimuth, m.view_order != 0, false));
  h.add(m.see_through_works).add(m.show_jigs).add(m.blink);
  for (const TWORK_DATA& w : m.works) {
    h.add(w.in_use).add(w.visible).add(w.jig).add(w.see_through);
    if (!w.in_use) continue;
    h.add(w.nx).add(w.ny).add(w.top_z).add(w.bottom_z).add(w.min).add(w.max);
    h.add(w.color[0]).add(w.color[1]).add(w.color[2]).add(w.color[3]);
    h.add(w.grid.data()).add(w.xs.data()).add(w.ys.data());
    h.add(w.disp_steps_x).add(w.disp_steps_y);
    for (int i = 0; i <= WORK_DISP_STEP_MAX; ++i) h.add(w.disp_index_x[i]).add(w.disp_index_y[i]);
  }
  return h.h;
}

// The framebuffer the caller draws into, with its read and draw buffers, and the scissor.
struct Target {
  GLint draw_fbo = 0, read_fbo = 0, read_buf = 0, draw_buf = 0;
  GLboolean scissor = GL_FALSE;
  GLint scissor_box[4] = {0, 0, 0, 0};
  GLboolean depth_mask = GL_TRUE;
  void save() {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_fbo);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_fbo);
    glGetIntegerv(GL_READ_BUFFER, &read_buf);
    glGetIntegerv(GL_DRAW_BUFFER0, &draw_buf);
    scissor = glIsEnabled(GL_SCISSOR_TEST);
    glGetIntegerv(GL_SCISSOR_BOX, scissor_box);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth_mask);
  }
  void restore() const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(draw_fbo));
    glReadBuffer(static_cast<GLenum>(read_buf));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_fbo));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_fbo));
    if (scissor)
      glEnable(GL_SCISSOR_TEST);
    else
      glDisable(GL_SCISSOR_TEST);
    glScissor(scissor_box[0], scissor_box[1], scissor_box[2], scissor_box[3]);
    glDepthMask(depth_mask);
  }
};

// Copies colour, depth and stencil of rectangle r (0 = target, else the kept picture's
// framebuffer). Nothing draws with the stencil; it goes along because depth and stencil of
// one buffer copied together are a plain copy of its memory, its depth alone is drawn.
void copy_rect(const Target& t, GLuint from, GLuint to, const Box& r) {
  if (r.empty()) return;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, from ? from : static_cast<GLuint>(t.draw_fbo));
  if (!from) glReadBuffer(static_cast<GLenum>(t.draw_buf));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to ? to : static_cast<GLuint>(t.draw_fbo));
  glBlitFramebuffer(r.x0, r.y0, r.x1 + 1, r.y1 + 1, r.x0, r.y0, r.x1 + 1, r.y1 + 1,
                    GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT, GL_NEAREST);
}

// The parts of `whole` that none of the rectangles `rs` covers, as disjoint rectangles: the
// rows cut into bands at the rectangles' edges, the gaps between the rectangles across each
// band, and a band's gaps joined to the ones of the band below when they span the same
// columns.
std::vector<Box> outside(const Box& whole, const std::vector<Box>& rs) {
  std::vector<Box> in;
  std::vector<int> ys{whole.y0, whole.y1 + 1};
  for (const Box& r : rs) {
    const Box c{std::max(r.x0, whole.x0), std::max(r.y0, whole.y0), std::min(r.x1, whole.x1),
                std::min(r.y1, whole.y1)};
    if (c.empty()) continue;
    in.push_back(c);
    ys.push_back(c.y0);
    ys.push_back(c.y1 + 1);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::sort(in.begin(), in.end(), [](const Box& a, const Box& b) { return a.x0 < b.x0; });
  std::vector<Box> out;
  std::size_t below = 0, below_end = 0;  // the gaps of the band below, in out
  for (std::size_t b = 0; b + 1 < ys.size(); ++b) {
    const int y0 = ys[b], y1 = ys[b + 1] - 1;
    if (y0 < whole.y0 || y1 > whole.y1) continue;
    std::vector<Box> gaps;
    int x = whole.x0;
    for (const Box& r : in) {
      if (r.y0 > y0 || r.y1 < y1) continue;  // a rectangle lies across a band whole or not at all
      if (r.x0 > x) gaps.push_back(Box{x, y0, r.x0 - 1, y1});
      x = std::max(x, r.x1 + 1);
    }
    if (x <= whole.x1) gaps.push_back(Box{x, y0, whole.x1, y1});
    bool same = below_end - below == gaps.size() && below_end == out.size();
    for (std::size_t i = 0; same && i < gaps.size(); ++i)
      same = out[below + i].x0 == gaps[i].x0 && out[below + i].x1 == gaps[i].x1 &&
             out[below + i].y1 + 1 == y0;
    if (same && !gaps.empty()) {
      for (std::size_t i = 0; i < gaps.size(); ++i) out[below + i].y1 = y1;
      continue;
    }
    below = out.size();
    out.insert(out.end(), gaps.begin(), gaps.end());
    below_end = out.size();
  }
  return out;
}

// Disjoint rectangles covering the given ones (overlapping ones merged; many become one).
std::vector<Box> merge_rects(std::vector<Box> r) {
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < r.size() && !merged; ++i)
      for (std::size_t j = i + 1; j < r.size(); ++j)
        if (r[i].meets(r[j])) {
          r[i].add(r[j]);
          r.erase(r.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
          break;
        }
  }
  constexpr std::size_t kMaxRects = 24;
  if (r.size() > kMaxRects) {
    Box all;
    for (const Box& b : r) all.add(b);
    r.assign(1, all);
  }
  return r;
}

}  // namespace

void DRAW_ALL_WORK(Tmat& m, int set_gl_state, const float tool_pos[3], int jig_transparency,
                   int work_transparency) {
  begin_works(m, set_gl_state, jig_transparency, work_transparency);
  opaque_pass(m, nullptr);
  finish_works(m, tool_pos, nullptr);
}

TWORK_FRAME DRAW_ALL_WORK(Tmat& m, int set_gl_state, const float tool_pos[3],
                          int jig_transparency, int work_transparency, Tgl_func& gl, int id,
                          std::uint64_t view_key) {
  TWORK_FRAME out;
  begin_works(m, set_gl_state, jig_transparency, work_transparency);
  Kept* k = kept_of(gl, id);
  if (!k) {
    opaque_pass(m, nullptr);
    finish_works(m, tool_pos, nullptr);
    return out;
  }
  Projector pr;
  pr.load(k->w, k->h);
  const std::uint64_t config = frame_config(m, view_key, pr, set_gl_state);
  const std::uint64_t now = current_WORK_revision();
  const int q = work_cell_quadrant(m.view_azimuth, m.view_order != 0, false);
  // The opaque works' tiles as they stand. Their boxes and their drawing agree on whether
  // the inner walls are left out.
  const int cull = inner_walls_hidden() ? 1 : 0;
  std::vector<std::vector<TileInfo>> infos(WORK_MAX);
  // On a full lattice the screen areas that change are found by point tile, which is finer.
  std::vector<std::vector<Box>> pnow(WORK_MAX);
  for (int n = 0; n < WORK_MAX; ++n) {
    const TWORK_DATA& w = m.works[n];
    if (!opaque_work(m, w) || m.mesh_mode == 0 || w.grid.size() < w.point_count() ||
        w.xs.size() < static_cast<std::size_t>(w.nx + 1) ||
        w.ys.size() < static_cast<std::size_t>(w.ny + 1))
      continue;
    const TCELL_LATTICE L = work_cell_lattice(w, m.mesh_mode);
    infos[static_cast<std::size_t>(n)] = tile_infos(w, L, q, pr, cull ? &k->works[n].floors : nullptr);
    if (full_lattice(w, L) && w.tiles_x > 0 && w.tiles_y > 0 &&
        w.tile_rev.size() == w.tile_max.size() &&
        w.tile_rev.size() == static_cast<std::size_t>(w.tiles_x) * w.tiles_y)
      pnow[static_cast<std::size_t>(n)] = point_boxes(w, pr, cull ? &k->works[n].floors : nullptr);
  }
  bool from_kept = view_key != 0 && k->valid && k->config == config;
  // The screen area of the changed tiles, before and after.
  std::vector<Box> rects;
  for (int n = 0; n < WORK_MAX && from_kept; ++n) {
    const std::vector<TileInfo>& fi = infos[static_cast<std::size_t>(n)];
    WorkKept& wk = k->works[n];
    if (fi.empty()) continue;
    const std::vector<Box>& pb = pnow[static_cast<std::size_t>(n)];
    const TWORK_DATA& w = m.works[n];
    if (!pb.empty() && wk.pboxes.size() == pb.size()) {
      // The cells a changed point tile alters, where they were and where they are; the
      // blink alters the cells coloured by collision points.
      const bool blinks = m.blink && m.blink_phase != k->phase;
      for (int ty = 0; ty < w.tiles_y; ++ty)
        for (int tx = 0; tx < w.tiles_x; ++tx) {
          const std::size_t at = static_cast<std::size_t>(ty) * w.tiles_x + tx;
          if (w.tile_rev[at] > k->rev_at) {
            Box b = wk.pboxes[at];
            b.add(pb[at]);
            rects.push_back(b);
          } else if (blinks) {
            const Box& c = tile_collision(wk, w, tx, ty);
            if (!c.empty())
              rects.push_back(cells_box(w, pr, c.x0, c.x1, c.y0, c.y1, cull ? &wk.floors : nullptr));
          }
        }
      for (const TileInfo& f : fi)
        if (static_cast<std::size_t>(f.index) >= wk.boxes.size()) from_kept = false;
      continue;
    }
    for (const TileInfo& f : fi) {
      const std::size_t at = static_cast<std::size_t>(f.index);
      if (at >= wk.boxes.size()) {
        from_kept = false;
        break;
      }
      const bool blinks = m.blink && m.blink_phase != k->phase && info_collides(wk, w, f);
      if (f.rev > k->rev_at || blinks) {
        Box b = wk.boxes[at];
        b.add(f.box);
        rects.push_back(b);
      }
    }
  }
  Target t;
  t.save();
  glDepthMask(GL_TRUE);
  std::vector<MeshSel> sel(WORK_MAX);
  for (int n = 0; n < WORK_MAX; ++n) {
    sel[static_cast<std::size_t>(n)].kept = k;
    sel[static_cast<std::size_t>(n)].cull = cull;
    if (!infos[static_cast<std::size_t>(n)].empty()) sel[static_cast<std::size_t>(n)].infos = &infos[static_cast<std::size_t>(n)];
  }
  const Box whole{0, 0, k->w - 1, k->h - 1};
  if (from_kept) {
    rects = merge_rects(std::move(rects));
    glDisable(GL_SCISSOR_TEST);
    // The kept picture around the (disjoint) rectangles; in them what the caller drew stays,
    // and the tiles over them are drawn again.
    for (const Box& r : outside(whole, rects)) copy_rect(t, k->fbo, 0, r);
    std::size_t done = 0;
    for (const Box& r : rects) {
      ++done;
      glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(t.draw_fbo));
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(t.draw_fbo));
      glEnable(GL_SCISSOR_TEST);
      glScissor(r.x0, r.y0, r.x1 - r.x0 + 1, r.y1 - r.y0 + 1);
      // Which tiles of each work meet the rectangle.
      std::vector<std::vector<char>> per(WORK_MAX);
      for (int n = 0; n < WORK_MAX; ++n) {
        MeshSel& s = sel[static_cast<std::size_t>(n)];
        if (!s.infos) continue;
        std::vector<char>& d = per[static_cast<std::size_t>(n)];
        d.assign(k->works[n].boxes.size(), 0);
        for (const TileInfo& f : *s.infos)
          if (f.box.meets(r)) d[static_cast<std::size_t>(f.index)] = 1;
        s.draw = &d;
      }
      for (MeshSel& s : sel) {
        s.clip = &r;
        s.pr = &pr;
      }
      opaque_pass(m, sel.data());
      glDisable(GL_SCISSOR_TEST);
      for (MeshSel& s : sel) {
        s.draw = nullptr;
        s.clip = nullptr;
      }
      if (m.abort_flag == 1) break;
    }
    out.from_kept = true;
    out.rects = static_cast<int>(rects.size());
    if (rects.empty()) {
      // Nothing changed: the works are made current as a full pass would.
      for (int n = 0; n < WORK_MAX; ++n)
        if (opaque_work(m, m.works[n])) SET_WORK_NUM(m, n);
    }
    if (m.abort_flag != 1) {
      for (const Box& r : rects) copy_rect(t, 0, k->fbo, r);
    } else {
      // Stopped: the rectangles not reached show the kept picture as it was.
      for (std::size_t i = done; i < rects.size(); ++i) copy_rect(t, k->fbo, 0, rects[i]);
    }
  } else {
    opaque_pass(m, sel.data());
    if (view_key != 0 && m.abort_flag != 1) copy_rect(t, 0, k->fbo, whole);
  }
  for (const MeshSel& s : sel) out.tiles += s.tiles;
  t.restore();
  // What the kept picture now holds.
  k->valid = view_key != 0 && m.abort_flag != 1;
  if (k->valid) {
    k->config = config;
    k->rev_at = now;
    k->phase = m.blink_phase;
    for (int n = 0; n < WORK_MAX; ++n) {
      WorkKept& wk = k->works[n];
      const std::vector<TileInfo>& fi = infos[static_cast<std::size_t>(n)];
      std::size_t count = 0;
      for (const TileInfo& f : fi) count = std::max(count, static_cast<std::size_t>(f.index) + 1);
      if (!from_kept || wk.boxes.size() != count) wk.boxes.assign(count, Box{});
      for (const TileInfo& f : fi) wk.boxes[static_cast<std::size_t>(f.index)] = f.box;
      wk.pboxes = std::move(pnow[static_cast<std::size_t>(n)]);
    }
  }
  finish_works(m, tool_pos, k);
  return out;
}

// ---- work frame ---------------------------------------------------------------------------

void DRAW_WORK_FRAME(Tmat& m, int work, int style) {
  if (work < 0 || work >= WORK_MAX || style == 0) return;
  const TWORK_DATA& w = m.works[work];
  if (!w.in_use) return;
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_LIGHTING);
  glColor4ubv(m.frame_color);
  glEnable(GL_DEPTH_TEST);
  if (style == 1 || style == 3) {
    glLineWidth(4);
    if (style == 3) {
      glLineStipple(4, 0xCCCC);
      glEnable(GL_LINE_STIPPLE);
    }
    const VEC3 lo = w.min, hi = w.max;
    for (float z : {hi.z, lo.z}) {
      glBegin(GL_LINE_LOOP);
      glVertex3f(lo.x, lo.y, z);
      glVertex3f(hi.x, lo.y, z);
      glVertex3f(hi.x, hi.y, z);
      glVertex3f(lo.x, hi.y, z);
      glEnd();
    }
    glBegin(GL_LINES);
    for (const VEC3& c : {VEC3{lo.x, lo.y, 0}, VEC3{hi.x, lo.y, 0}, VEC3{hi.x, hi.y, 0},
                          VEC3{lo.x, hi.y, 0}}) {
      glVertex3f(c.x, c.y, lo.z);
      glVertex3f(c.x, c.y, hi.z);
    }
    glEnd();
    if (style == 3) glDisable(GL_LINE_STIPPLE);
  } else if (style == 2) {
    glLineWidth(1);
    glPointSize(2);
    const TCELL_LATTICE L = work_cell_lattice(w, 1);
    glBegin(GL_POINTS);
    for (std::int32_t iy : L.iy)
      for (std::int32_t ix : L.ix)
        if (static_cast<std::size_t>(ix) < w.xs.size() && static_cast<std::size_t>(iy) < w.ys.size())
          glVertex3f(w.xs[ix], w.ys[iy], m.frame_height);
    glEnd();
    glPointSize(1);
  }
}
