// The faces of a work's height grid as the 3D view draws them, cell by cell and tile by
// tile, and what is found on them: the picked grid cell and the cut face under the mouse.
//
// A cell (i, j) of the drawn lattice (all points, or the coarse display steps) has the
// corners c1 (i, j), c2 (i - 1, j), c3 (i, j - 1) and c4 (i - 1, j - 1). Its code is the sum
// of 1, 2, 4 and 8 for those corners that are not cut through; the code decides the top
// triangles and the walls down to the work's bottom. Border cells (i = 0 or j = 0) draw the
// outer walls of the front row and the left column. One walker feeds the drawing, the pick
// and the tests. No Qt and no GL here.
#pragma once
#include <cstdint>
#include <vector>

#include "simulation/gl_view.h"
#include "simulation/work_store.h"

// One face: a top triangle (a, b, c) or a wall under the top points a and b, all grid point
// indices. `colour` is the point whose colour and mark the face takes (-1: a plain wall in
// the work's own colour).
struct TCELL_FACE {
  enum Kind : std::uint8_t { Top = 0, Wall = 1 };
  Kind kind = Top;
  std::int32_t a = 0, b = 0, c = 0;
  std::int32_t colour = -1;
};

// The drawn lattice lines of a work: all points in full-grid mode, else the display steps.
struct TCELL_LATTICE {
  std::vector<std::int32_t> ix, iy;  // grid indices of the lattice lines
};
TCELL_LATTICE work_cell_lattice(const TWORK_DATA& w, int mesh_mode);

// Quadrant of the traversal for the view azimuth (degrees), as the view orders its drawing.
int work_cell_quadrant(double azimuth, bool view_order, bool reverse);

// The corner code of a cell and the faces it gives, in the order they are drawn.
int work_cell_code(const TWORK_DATA& w, std::int32_t c1, std::int32_t c2, std::int32_t c3,
                   std::int32_t c4);
// Appends the faces of cell (i, j) of the lattice.
void work_cell_faces(const TWORK_DATA& w, const TCELL_LATTICE& L, int i, int j,
                     std::vector<TCELL_FACE>& out);

// Cells of the lattice are grouped in tiles of WORK_TILE x WORK_TILE cells. A tile's cells
// in quadrant order; tiles likewise.
struct TCELL_TILE {
  int i0, i1, j0, j1;  // cell index ranges, inclusive
};
std::vector<TCELL_TILE> work_cell_tiles(const TCELL_LATTICE& L, int q);
template <class F>
void for_each_tile_cell(const TCELL_TILE& t, int q, F f) {
  const bool i_up = q == 2 || q == 3, j_up = q == 1 || q == 2;
  for (int jj = 0; jj <= t.j1 - t.j0; ++jj) {
    const int j = j_up ? t.j0 + jj : t.j1 - jj;
    for (int ii = 0; ii <= t.i1 - t.i0; ++ii) f(i_up ? t.i0 + ii : t.i1 - ii, j);
  }
}

// The unit normal of a top triangle, facing up; (0, 0, 1) for one without area.
VEC3 work_face_normal(const VEC3& a, const VEC3& b, const VEC3& c);
VEC3 work_grid_point(const TWORK_DATA& w, std::int32_t index);

// The cut faces (top triangles and walls whose colour point is cut) of the visible works
// that meet the 8 x 8 pixel square about the window point (x, y, origin bottom left), nearest
// first. Returns grid index x 2 + 1 of the face's colour point and sets `work`, or -1.
// The tiles are searched nearest first and the search ends where no tile can hold a nearer
// face; `all_tiles` searches every tile in order instead (the same answer: tests compare).
int pick_work_face(const Tmat& m, const TGL_VIEW& v, double x, double y, int& work,
                   bool all_tiles = false);

// The grid cell of the picked work under (X, Y); false when none is picked or it lies
// outside the grid.
bool PICK_WORK_POINT(Tmat& m, float X, float Y);
// Moves the picked cell by whole cells, clamped to the grid.
bool MOVE_PICK_POINT(Tmat& m, int dx, int dy);
