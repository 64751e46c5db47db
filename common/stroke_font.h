// The stroke font and the figures built from it: 3D labels with a leader, the dimension
// figures of the 2D tool drawings and the axis mark. Everything here is a plain point list;
// the OpenGL layer and the 2D canvas draw it (and the canvas writes it as DXF lines).
// No Qt here.
#pragma once
#include <cstdint>
#include <string_view>

#include "common/ats_func.h"

constexpr int kStroke_max_points = 21;  // points of one figure
constexpr int kStroke_max_runs = 24;    // run list bytes, the -1 end mark included
constexpr int kStroke_text_glyphs = 31; // glyph records of a TStroke_text
constexpr int kDim_text_max_chars = 30; // characters kept of a dimension text

// One glyph or one figure part: polylines of consecutive points.
struct TStroke_figure {
  float height = 0.6f;   // cell height (0.6 before scaling)
  float advance = 0.4f;  // horizontal step to the next character
  std::int32_t count = 0;  // points in use, 0..kStroke_max_points
  // Points per polyline in order, ended by -1 ({2, 3, -1}: a line, then a three-point run).
  std::int8_t runs[kStroke_max_runs] = {-1};
  VEC3 points[kStroke_max_points] = {};

  void clear();
  // Appends one polyline; a run that does not fit the record is refused (false).
  bool add_run(const VEC3* p, int n);
  int run_count() const;
};

// A figure's own lines (leader, arrows, dimension line) followed by its text's glyphs.
struct TStroke_text {
  TStroke_figure figure;
  TStroke_figure glyphs[kStroke_text_glyphs];
  std::int32_t count = 0;  // glyphs in use
};

// The glyph of character `c` at cell height `size`: lower left corner at the origin, y up,
// z = 0. Characters without their own strokes get one slanted line.
TStroke_figure stroke_char(char c, float size);
// The glyph moved right by `pen_x` and down by half the size (centred on the base line);
// `pen_x` grows by the glyph's advance.
TStroke_figure place_glyph_centred(char c, float& pen_x, float size);
// The same without the vertical shift.
TStroke_figure place_glyph(char c, float& pen_x, float size);

// A 3D label: a leader of length L from the origin O (leaving a gap g at both ends) and the
// text of cell height h after it. Modes: 1 along +X, 2 along +Y, 3 along -X standing in the
// XZ plane, 4 along the XY diagonal standing up, 11 and 22 the mirrored forms of 1 and 2.
// Any other mode leaves the glyphs at the origin and the leader empty. The text is cut at
// kStroke_text_glyphs characters. The figure's height is h and its advance the text width.
void make_3D_text_strokes(int mode, std::string_view text, TStroke_text& out, float L, float g,
                          float h, const VEC3& O);

// Radius figure: arrow on the arc at the middle direction of the counter-clockwise arc from
// P to Q seen from the centre C, leader of radius + e (pointing in from outside when s < 0),
// text prefix + "r" + value + suffix at height h; s = 0 centres the text on the leader's
// outer end, s < 0 ends it there, s > 0 starts it there. Text lifted 0.8 * |a|.
void make_dim_radius(const VEC3& P, const VEC3& Q, const VEC3& C, float a, float e, float h,
                     float s, float v, std::string_view prefix, std::string_view suffix,
                     TStroke_text& out);
// As the radius figure with the diameter sign ("@") and the leader always from the centre out.
void make_dim_diameter(const VEC3& P, const VEC3& Q, const VEC3& C, float a, float e, float h,
                       float s, float v, std::string_view prefix, std::string_view suffix,
                       TStroke_text& out);
// Angle label on the segment P -> Q: an arrow onto the segment's middle, a leader of length
// `leader` across it, and prefix + value + degree sign + suffix on the leader's top.
void make_dim_angle(const VEC3& P, const VEC3& Q, float a, float leader, float h, float s,
                    float v, std::string_view prefix, std::string_view suffix, TStroke_text& out);

// Widths of a linear dimension's text as laid out, and of the same text with one blank
// before and after (what callers test against the room between the ends).
struct TDim_text_widths {
  float text = 0;
  float padded = 0;
};
// Linear dimension between P1 and P2 measured along X (mode 1) or Y (other modes), showing
// the distance. Dimension line at `offset` from the first point (across the measure; for Y,
// positive to the left), arrows of length a (L/3 when L < 3a), text of height h at position
// t: 0 centred, < 0 ending t before the start, > 0 starting t after the end (the line runs
// on under the text). |t| >= 20000 puts the text 0.1 beyond the start (t < 0) or the end
// when the text or the arrows do not fit between the ends, else centres it; 10000 <= |t| <
// 20000 does the same and then also turns the arrows outward. A non-negative `extension`
// adds two extension lines of that length from the dimension line toward the points. The
// text is turned with the measure (reads upward for Y).
TDim_text_widths make_dim_linear(int mode, const VEC3& P1, const VEC3& P2, float a,
                                 float offset, float extension, float h, float t,
                                 std::string_view prefix, std::string_view suffix,
                                 TStroke_text& out);

// The XYZ axis mark: 18 points in 7 polylines, axes of length size, letters beyond them.
void make_axis_mark(TStroke_figure& out, float size);
