// Drawing the works, jigs and the tool of Tmat into the current OpenGL context, with the
// matrices the caller's frame set-up made. Grids are drawn tile by tile (32 x 32 cells) from
// client vertex arrays: top triangles lit one-sided, walls two-sided.
#pragma once
#include <cstddef>
#include <cstdint>

#include "simulation/work_store.h"

// The clock the drawing polls Escape and the mouse by (tests put in their own).
extern std::uint32_t (*work_draw_clock)();

// Every visible work and jig (opaque ones first, then the see-through ones blended), the
// tool body at tool_pos and the picked point. A transparency of -1 is fully opaque, others
// are taken modulo 101 as percent.
void DRAW_ALL_WORK(Tmat& m, int set_gl_state, const float tool_pos[3], int jig_transparency,
                   int work_transparency);
class Tgl_func;

// What a keyed DRAW_ALL_WORK did with the opaque works.
struct TWORK_FRAME {
  bool from_kept = false;  // they came from the kept picture, with only changed tiles drawn
  int tiles = 0;           // tiles of 32 x 32 cells drawn
  int rects = 0;           // screen rectangles drawn again (from_kept)
};

// DRAW_ALL_WORK into slot `id` of the context table, for a frame whose caller names what it
// drew before the works (the scene, the path, the lights) by view_key; 0 draws all and keeps
// nothing. The opaque works' picture (colour and depth) is kept with the slot. A frame with
// the key of the one before, on the same matrices, viewport and slot size, with the same
// works, switches and mesh mode, takes the opaque works from that picture and draws again,
// under a scissor, only the screen area of the tiles whose points changed since (cuts, store
// operations, the blink of collision points), before and after: the same picture, pixel for
// pixel. See-through works and the tool are drawn whole; a frame stopped by Escape is not
// kept. Within the retained-geometry budget, the tiles' faces stay in buffer objects of the
// slot while their points do not change.
TWORK_FRAME DRAW_ALL_WORK(Tmat& m, int set_gl_state, const float tool_pos[3],
                          int jig_transparency, int work_transparency, Tgl_func& gl, int id,
                          std::uint64_t view_key);
// Bytes of tile geometry a slot keeps in buffer objects at most.
constexpr std::size_t WORK_RETAINED_BUDGET = 256u << 20;

// The current work's surface and walls. Escape stops it with the abort flag 1; a mouse
// button sets 2 and the drawing goes on. Polls happen between tiles, after 200 ms.
void DRAW_WORK_MESH(Tmat& m, int reverse_order);
// The tool sections as solids of revolution at tool_pos.
void DRAW_TOOL_BODY(Tmat& m, const float tool_pos[3]);
// Style 1 solid box, 2 the display grid points at the frame height, 3 stippled box.
void DRAW_WORK_FRAME(Tmat& m, int work, int style);

// The colour bytes a grid point is drawn with (shading of collision points by blink phase,
// alpha from the blend flag and the work or jig alpha).
void work_point_colour(const Tmat& m, const TWORK_DATA& w, const TGRID_POINT& p,
                       std::uint8_t out[4]);
