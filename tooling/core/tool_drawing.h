// Dimensioned side views of a tool in its holder (and optional second holder), drawn through
// a 2D view slot onto a canvas: the tool settings panel, preview pictures, tool-list cards,
// images, printer pages, EMF and DXF files all use these. The records are copied; their
// derived fields are read as they stand (callers run the comment writer first). No Qt.
#pragma once
#include "simulation/tool_records.h"
#include "tooling/core/disp_status.h"
#include "tooling/core/g2_canvas.h"
#include "tooling/core/g2_func.h"

// The drawing settings, in colour codes, line-type codes and world millimetres.
struct TDraw_settings {
  int back_color = 2;   // background
  int dim_color = 63;   // dimensions
  int dim_line = 1;     // line-type code of the dimensions
  int tool_line = 1;    // line-type code of the outlines
  float s = 6.0f;       // dimension text height
  float g = 15.0f;      // dimension line distance
  float a = 3.0f;       // arrow length
  float p = 1.5f;       // gap
  float m = 5.0f;       // drawing margin
};

// The drawing settings of the display record.
TDraw_settings draw_settings_of(const Tdisp_status& d);

// One drawing in the slot's current mapping. Empties the DXF text first; kind 0 draws
// nothing.
void draw_TOOL_HOLDER_ex(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int slot,
                         const THOLDER& holder, const TTOOL& tool);
// The two-pass fit: a scratch drawing through slot 4 finds the box of everything drawn,
// which becomes the slot's world; then the real drawing.
void draw_TOOL_fit(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int slot,
                   const THOLDER& holder, const TTOOL& tool);
// Fills (0, 0)-(width, height) and draws upright in slot 3. With `print`, white background
// and dimensions in code 2 drawn with line-type code 2 (63 with `hide_dims`); with `white`
// the same colours at the usual line type; else the settings' background, and hidden
// dimensions in the background colour. The settings are left as they were.
void draw_TOOL_to_canvas(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int width,
                         bool hide_dims, const THOLDER& holder, const TTOOL& tool, bool print,
                         bool white, int margin, int height);
// The same lying down (slot 3, mode 1), filling one pixel more each way: a tool-list card.
void draw_TOOL_card(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int width, bool hide_dims,
                    const THOLDER& holder, const TTOOL& tool, bool print, bool white,
                    int margin, int height);
// Lying down on the given background, dimensions in code 2. With `fill_rgb` the picture
// is filled with that window colour in place of the background code's colour (the
// control panel draws on its own face colour).
void draw_TOOL_image(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int width,
                     const THOLDER& holder, const TTOOL& tool, int back_color, int margin,
                     int height, const std::uint32_t* fill_rgb = nullptr);
void clear_TOOL_card(TG2_canvas& c, int width, int height);
