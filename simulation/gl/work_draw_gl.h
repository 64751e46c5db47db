// Drawing the works, jigs and the tool of Tmat into the current OpenGL context, with the
// matrices the caller's frame set-up made. Grids are drawn tile by tile (32 x 32 cells) from
// client vertex arrays: top triangles lit one-sided, walls two-sided.
#pragma once
#include <cstdint>

#include "simulation/work_store.h"

// The clock the drawing polls Escape and the mouse by (tests put in their own).
extern std::uint32_t (*work_draw_clock)();

// Every visible work and jig (opaque ones first, then the see-through ones blended), the
// tool body at tool_pos and the picked point. A transparency of -1 is fully opaque, others
// are taken modulo 101 as percent.
void DRAW_ALL_WORK(Tmat& m, int set_gl_state, const float tool_pos[3], int jig_transparency,
                   int work_transparency);
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
