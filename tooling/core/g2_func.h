// 2D views: world millimetres of a tool drawing mapped onto a canvas through one of five view
// slots, the line, outline, polyline and stroke-figure routines, the arc points and the DXF
// capture of every drawn segment. The record is owned by the session and passed in. No Qt.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "common/ats_func.h"
#include "common/stroke_font.h"
#include "tooling/core/g2_canvas.h"

constexpr int kG2_slots = 5;
constexpr int kG2_max_points = 300;  // points used of a point list

// Slots in use: 2 the tool panel of the tool settings window, 3 pictures off the panel
// (preview, cards, images), 4 the scratch slot of the two-pass fit.
constexpr int kG2_slot_panel = 2;
constexpr int kG2_slot_picture = 3;
constexpr int kG2_slot_scratch = 4;

struct TG2_view {
  std::uint8_t valid = 0;       // 1 after a fit that worked
  std::int32_t axis_mode = 0;   // 0: X right, Y up; 1: world Y right, world X down
  float scale = 0;              // pixels per world unit = fit * zoom
  float fit = 0;
  float zoom = 0;               // 0 becomes 1 at the next fit
  float offset_x = 0, offset_y = 0;
  std::int32_t canvas_w = 0;    // canvas extent along world X (the height in mode 1)
  std::int32_t canvas_h = 0;    // along world Y
  float world_xmin = 0, world_ymin = 0, world_xmax = 0, world_ymax = 0;
  std::int32_t margin = 0;
  // The box of every world point converted through the slot since the world was set; it
  // starts at (0, 0, 0, 0), so it always holds the origin.
  float seen_xmin = 0, seen_xmax = 0, seen_ymin = 0, seen_ymax = 0;
};

struct TG2 {
  TG2_view view[kG2_slots];
  std::string dxf_text;          // LINE entities, CR LF lines
  std::uint8_t dxf_capture = 0;  // while set, every drawn segment is also a LINE entity
};

// Capture switched on for one scope.
class TG2_capture_scope {
 public:
  explicit TG2_capture_scope(TG2& g) : g_(g) { g_.dxf_capture = 1; }
  ~TG2_capture_scope() { g_.dxf_capture = 0; }
  TG2_capture_scope(const TG2_capture_scope&) = delete;
  TG2_capture_scope& operator=(const TG2_capture_scope&) = delete;

 private:
  TG2& g_;
};

// A point list: count, then up to 301 points (only x and y are drawn, at most 300 used).
struct TG2_points {
  std::int32_t count = 0;
  VEC3 p[kG2_max_points + 1] = {};
  // Writes the point at `count` and counts it while fewer than 300 are held.
  void add(float x, float y, float z = 0) {
    p[count] = {x, y, z};
    if (count < kG2_max_points) ++count;
  }
};

// A slot number outside 0..4 selects nothing: the routines then do nothing.
void G2_fit_view(TG2& g, int slot);
void G2_set_canvas(TG2& g, int slot, int axis_mode, int width, int height, int margin);
void G2_set_world(TG2& g, int slot, float xmin, float ymin, float xmax, float ymax);
TG2_ipoint G2_to_pixel(TG2& g, int slot, const VEC3& p);
// Line-type code 0 keeps style and width, -4..-1 dash, dot, dash-dot, dash-dot-dot at width
// 1, any other code a solid pen of that width; colour code -1 or less keeps the colours.
// The brush is always cleared.
void G2_set_pen(TG2_canvas& c, int line_type, int color_code);
void G2_line(TG2& g, TG2_canvas& c, int slot, const VEC3& a, const VEC3& b);
// Closed outline of a list of at least 3 points. The fill flag is kept for its callers, but
// fills nothing: the pen routine always clears the brush.
void G2_polyline(TG2& g, TG2_canvas& c, int slot, bool fill, const TG2_points& pts);
// Open polyline of at least 2 points; its last pixel is set too.
void G2_polyline_pixels(TG2& g, TG2_canvas& c, int slot, const TG2_points& pts);
void G2_draw_figure(TG2& g, TG2_canvas& c, int slot, float dx, float dy,
                    const TStroke_figure& f);
void G2_add_arc_points(TG2& g, int slot, bool ccw, float radius, const VEC3& start,
                       const VEC3& end, const VEC3& centre, TG2_points& pts);
void G2_add_DXF_LINE(TG2& g, const VEC3& a, const VEC3& b);

// Dimensions through the stroke font's figures. Each also leaves a note on the canvas with
// the routine's name, the text as laid out and the reference points.
TDim_text_widths G2_draw_dim_linear(TG2& g, TG2_canvas& c, int slot, bool horizontal, float a,
                                    float offset, float extension, float h, float t,
                                    std::string_view prefix, std::string_view suffix,
                                    const VEC3& p1, const VEC3& p2);
void G2_draw_dim_angle(TG2& g, TG2_canvas& c, int slot, float a, float leader, float h,
                       float side, float value, std::string_view prefix,
                       std::string_view suffix, const VEC3& p1, const VEC3& p2);
void G2_draw_dim_radius(TG2& g, TG2_canvas& c, int slot, float a, float e, float h, float side,
                        float value, std::string_view prefix, std::string_view suffix,
                        const VEC3& centre, const VEC3& p, const VEC3& q);
void G2_draw_dim_diameter2(TG2& g, TG2_canvas& c, int slot, float a, float e, float h,
                           float side, float value, std::string_view prefix,
                           std::string_view suffix, const VEC3& centre, const VEC3& p,
                           const VEC3& q);

// The DXF file of the captured entities: the ENTITIES section and EOF, CR LF lines.
std::string G2_DXF_file_text(const std::string& entities);
