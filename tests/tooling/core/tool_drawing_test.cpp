#include "tooling/core/tool_drawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>
#include <cmath>
#include <string>
#include <vector>

#include "common/debug_log.h"
#include "mainwin/core/environment.h"
#include "mainwin/core/session.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"
#include "tooling/core/preview_picture.h"

namespace {

TTOOL default_tool(int kind) {
  TTOOL t;
  set_default_TOOL(t);
  t.T_category = kind;
  t.T_number = 5;
  THOLDER h;
  set_default_HOLDER(h);
  make_TOOL_comment_lines(t, h);
  return t;
}

enum class Second { none, plain, tapered, banded };

THOLDER holder_of(const TTOOL& t, Second kind) {
  THOLDER h;
  set_default_HOLDER(h);
  if (kind != Second::none) {
    h.h2_used = 1;
    h.h2_len = kind == Second::banded ? 60 : 20;
    h.h2_tapered = kind == Second::plain ? 0 : 1;
  }
  TTOOL copy = t;
  make_HOLDER_comment(copy, h);
  return h;
}

struct Note {
  std::string routine, text;
  bool operator==(const Note&) const = default;
};

std::vector<Note> notes_of(const TG2_canvas& c) {
  std::vector<Note> out;
  for (const TG2_prim* p : canvas_notes(c)) out.push_back({p->routine, p->text});
  return out;
}

std::string notes_text(const std::vector<Note>& n) {
  std::string s;
  for (const Note& x : n) s += x.routine + " " + x.text + "\n";
  return s;
}

bool has_note(const TG2_canvas& c, const std::string& routine, const std::string& text = "") {
  for (const TG2_prim* p : canvas_notes(c))
    if (p->routine == routine && (text.empty() || p->text == text)) return true;
  return false;
}

const TG2_prim* first_note(const TG2_canvas& c, const std::string& routine,
                           const std::string& text) {
  for (const TG2_prim* p : canvas_notes(c))
    if (p->routine == routine && p->text == text) return p;
  return nullptr;
}

// Segments of a DXF entity text, as "x1,y1-x2,y2".
std::vector<std::string> dxf_segments(const std::string& dxf) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < dxf.size()) {
    const std::size_t e = dxf.find("\r\n", at);
    lines.push_back(dxf.substr(at, e - at));
    at = e + 2;
  }
  std::vector<std::string> out;
  for (std::size_t i = 0; i + 13 < lines.size(); i += 14)
    out.push_back(lines[i + 3] + "," + lines[i + 5] + "-" + lines[i + 9] + "," + lines[i + 11]);
  return out;
}

bool has_segment(const std::vector<std::string>& segs, const std::string& a,
                 const std::string& b) {
  return std::find(segs.begin(), segs.end(), a + "-" + b) != segs.end() ||
         std::find(segs.begin(), segs.end(), b + "-" + a) != segs.end();
}

struct Box {
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
};
// The box of every drawn point, and whether any polyline point is drawn at all.
Box drawn_box(const TG2_canvas& c) {
  Box b;
  auto widen = [&b](TG2_ipoint p) {
    b.x0 = std::min(b.x0, p.x);
    b.y0 = std::min(b.y0, p.y);
    b.x1 = std::max(b.x1, p.x);
    b.y1 = std::max(b.y1, p.y);
  };
  for (const TG2_prim& p : c.prims()) {
    if (p.kind == TG2_prim::Kind::polyline || p.kind == TG2_prim::Kind::polygon)
      for (TG2_ipoint q : p.points) widen(q);
    if (p.kind == TG2_prim::Kind::pixel) widen(p.a);
  }
  return b;
}

}  // namespace

TEST(ToolDrawing, HandComputedFlatEndMill) {
  TTOOL t = default_tool(1);
  ASSERT_FLOAT_EQ(t.dia, 8);
  ASSERT_FLOAT_EQ(t.edge_len, 16);
  ASSERT_FLOAT_EQ(t.protrusion, 20);
  ASSERT_FLOAT_EQ(t.shank_dia, 8);
  THOLDER h = holder_of(t, Second::none);
  ASSERT_FLOAT_EQ(h.dia, 72);
  TDraw_settings ds;  // s 6, g 15, a 3, p 1.5
  TG2 g;
  TG2_canvas c;
  G2_set_canvas(g, 3, 0, 400, 300, 3);
  TG2_capture_scope on(g);
  draw_TOOL_fit(ds, c, g, 3, h, t);
  // x0 = 72 + 0 (Hd / 2 + 3.5 s + g), y0 = 21 (g + s).
  const std::vector<std::string> segs = dxf_segments(g.dxf_text);
  EXPECT_TRUE(has_segment(segs, "68,37", "68,21"));
  EXPECT_TRUE(has_segment(segs, "68,21", "76,21"));
  EXPECT_TRUE(has_segment(segs, "76,21", "76,37"));
  EXPECT_TRUE(has_segment(segs, "76,37", "68,37"));
  EXPECT_TRUE(has_segment(segs, "36,131", "36,41"));
  EXPECT_TRUE(has_segment(segs, "36,41", "108,41"));
  EXPECT_TRUE(has_segment(segs, "108,41", "108,131"));
  EXPECT_TRUE(has_segment(segs, "108,131", "36,131"));
  // The dimensions in drawing order: protrusion, edge length, diameter, shank, holder.
  const std::vector<Note> want = {
      {"G2_draw_dim_linear", "20"}, {"G2_draw_dim_linear", "16"}, {"G2_draw_dim_linear", "@8"},
      {"G2_draw_dim_linear", "@8"}, {"G2_draw_dim_linear", "@72"}};
  EXPECT_EQ(notes_of(c), want) << notes_text(notes_of(c));
  // The capture holds the second pass only: one outline, not two.
  EXPECT_EQ(std::count(segs.begin(), segs.end(), "68,37-68,21"), 1);
}

TEST(ToolDrawing, EveryKindInEveryHolderFitsItsCanvas) {
  const Second holders[] = {Second::none, Second::plain, Second::tapered, Second::banded};
  for (int kind = 1; kind <= 20; ++kind) {
    for (Second sh : holders) {
      for (int mode = 0; mode <= 1; ++mode) {
        SCOPED_TRACE("kind " + std::to_string(kind) + " holder " +
                     std::to_string(static_cast<int>(sh)) + " mode " + std::to_string(mode));
        RecordingDebLog log;
        const TTOOL t = default_tool(kind);
        const THOLDER h = holder_of(t, sh);
        TDraw_settings ds;
        TG2 g;
        TG2_canvas c;
        const int W = 400, H = 300, M = 3;
        G2_set_canvas(g, 3, mode, W, H, M);
        draw_TOOL_fit(ds, c, g, 3, h, t);
        EXPECT_TRUE(log.lines.empty()) << log.lines.front();
        ASSERT_EQ(g.view[3].valid, 1);
        const Box b = drawn_box(c);
        EXPECT_GE(b.x0, 0);
        EXPECT_GE(b.y0, 0);
        EXPECT_LE(b.x1, W);
        EXPECT_LE(b.y1, H);
        // The world is the seen box with the margin m; it fills the canvas less its pixel
        // margin along one axis (within a pixel of rounding).
        const TG2_view& v = g.view[3];
        const float wx = (v.world_xmax - v.world_xmin) * v.scale;
        const float wy = (v.world_ymax - v.world_ymin) * v.scale;
        const bool fills_w = std::fabs(wx - (v.canvas_w - 2 * M)) < 1;
        const bool fills_h = std::fabs(wy - (v.canvas_h - 2 * M)) < 1;
        EXPECT_TRUE(fills_w || fills_h) << wx << " x " << wy;
        // Along the filled axis the drawing reaches to within the margin m of an edge.
        const float mpx = ds.m * v.scale;
        const bool pixel_x = (mode == 0) == fills_w;
        const int free_space = pixel_x ? std::min(b.x0, W - b.x1) : std::min(b.y0, H - b.y1);
        EXPECT_LE(free_space, M + mpx + 2);
        // The holder's diameter closes the dimensions.
        const std::vector<Note> n = notes_of(c);
        ASSERT_FALSE(n.empty());
        EXPECT_EQ(n.back().text, "@72");
      }
    }
  }
}

TEST(ToolDrawing, KindZeroDrawsNothingAndKeepsTheScale) {
  TDraw_settings ds;
  TG2 g;
  TG2_canvas c;
  G2_set_canvas(g, 3, 0, 400, 300, 3);
  draw_TOOL_fit(ds, c, g, 3, holder_of(default_tool(1), Second::none), default_tool(1));
  const float scale = g.view[3].scale;
  TG2_canvas c0;
  {
    TG2_capture_scope on(g);
    draw_TOOL_fit(ds, c0, g, 3, holder_of(default_tool(1), Second::none), default_tool(0));
  }
  EXPECT_TRUE(c0.prims().empty());
  EXPECT_EQ(g.view[3].valid, 0);
  EXPECT_FLOAT_EQ(g.view[3].scale, scale);
  EXPECT_EQ(G2_DXF_file_text(g.dxf_text),
            "0\r\nSECTION\r\n2\r\nENTITIES\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n");
}

TEST(ToolDrawing, KindOutsideTheTableWritesTheDebugLine) {
  TTOOL t = default_tool(1);
  t.T_category = 21;
  RecordingDebLog log;
  TDraw_settings ds;
  TG2 g;
  TG2_canvas c;
  G2_set_canvas(g, 3, 0, 400, 300, 3);
  draw_TOOL_HOLDER_ex(ds, c, g, 3, holder_of(default_tool(1), Second::none), t);
  EXPECT_TRUE(log.contains("(1) Tcutter_set_win.draw_TOOL_HOLDER_ex; t.T_category = 21"));
  t.edge_len = t.protrusion;  // no shank: the kind dispatch meets it
  RecordingDebLog log2;
  draw_TOOL_HOLDER_ex(ds, c, g, 3, holder_of(default_tool(1), Second::none), t);
  EXPECT_TRUE(log2.contains("(2) Tcutter_set_win.draw_TOOL_HOLDER_ex; t.T_category = 21"));
}

TEST(ToolDrawing, EdgeEqualToProtrusion) {
  TTOOL t = default_tool(1);
  t.edge_len = t.protrusion;
  const THOLDER h = holder_of(default_tool(1), Second::none);
  TDraw_settings ds;
  TG2 g;
  TG2_canvas c;
  G2_set_canvas(g, 3, 0, 400, 300, 3);
  G2_set_world(g, 3, 0, 0, 100, 100);
  draw_TOOL_HOLDER_ex(ds, c, g, 3, h, t);
  // Protrusion, diameter, holder: no edge length and no shank.
  const std::vector<Note> want = {{"G2_draw_dim_linear", "20"},
                                  {"G2_draw_dim_linear", "@8"},
                                  {"G2_draw_dim_linear", "@72"}};
  EXPECT_EQ(notes_of(c), want) << notes_text(notes_of(c));
  // The left column is free: the box no longer reaches back to the origin, and it starts
  // well right of a tool with an edge-length dimension.
  EXPECT_GT(g.view[3].seen_xmin + ds.m, 0);
  TG2_canvas c2;
  G2_set_world(g, 3, 0, 0, 100, 100);
  draw_TOOL_HOLDER_ex(ds, c2, g, 3, h, default_tool(1));
  EXPECT_LE(g.view[3].seen_xmin + ds.m, 0);
}

TEST(ToolDrawing, HiddenDimensionsInPrintAreWhiteButCaptured) {
  const TTOOL t = default_tool(1);
  const THOLDER h = holder_of(t, Second::none);
  TDraw_settings ds;
  ds.dim_line = 3;
  TG2 g;
  TG2_canvas c;
  {
    TG2_capture_scope on(g);
    draw_TOOL_to_canvas(ds, c, g, 400, 300, h, t, true, false, 3, 300);
  }
  EXPECT_EQ(ds.dim_line, 3);
  EXPECT_EQ(ds.dim_color, 63);
  ASSERT_EQ(c.prims().front().kind, TG2_prim::Kind::fill_rect);
  EXPECT_EQ(c.prims().front().color, color_code_to_TColor(63));
  // Every pen after the dimension pen is white, width 2; the texts are still in the DXF.
  bool saw_dim_pen = false;
  for (const TG2_prim& p : c.prims())
    if (p.kind == TG2_prim::Kind::pen && p.pen_value.width == 2) {
      saw_dim_pen = true;
      EXPECT_EQ(p.pen_value.color, color_code_to_TColor(63));
    }
  EXPECT_TRUE(saw_dim_pen);
  EXPECT_GT(dxf_segments(g.dxf_text).size(), 40u);
}

TEST(ToolDrawing, WrapperColours) {
  struct Case {
    const char* what;
    bool hide, print, white;
    int want_back, want_dim, want_dim_width;
  };
  const Case cases[] = {
      {"plain", false, false, false, 2, 63, 1},
      {"hidden on screen: background colour", true, false, false, 2, 2, 1},
      {"white", false, false, true, 63, 2, 1},
      {"print", false, true, false, 63, 2, 2},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TDraw_settings ds;  // background 2, dimensions 63, line type 1
    const TTOOL t = default_tool(1);
    TG2 g;
    TG2_canvas c;
    draw_TOOL_to_canvas(ds, c, g, 400, k.hide, holder_of(t, Second::none), t, k.print, k.white,
                        3, 300);
    EXPECT_EQ(c.prims().front().color, color_code_to_TColor(k.want_back));
    // The first pen is the protrusion dimension's.
    for (const TG2_prim& p : c.prims())
      if (p.kind == TG2_prim::Kind::pen) {
        EXPECT_EQ(p.pen_value.color, color_code_to_TColor(k.want_dim));
        EXPECT_EQ(p.pen_value.width, k.want_dim_width);
        break;
      }
  }
}

TEST(ToolDrawing, TaperLengthIsCutToOneDecimal) {
  struct Case {
    float Lt;
    const char* want;
  };
  const Case cases[] = {{12.39f, "(12.3)"}, {2.3f, "(2.3)"}, {15.0f, "(15)"}};
  for (const Case& k : cases) {
    const TTOOL t = default_tool(1);
    THOLDER h = holder_of(t, Second::tapered);
    h.taper_len = k.Lt;
    TDraw_settings ds;
    TG2 g;
    TG2_canvas c;
    G2_set_canvas(g, 3, 0, 400, 300, 3);
    draw_TOOL_fit(ds, c, g, 3, h, t);
    EXPECT_TRUE(has_note(c, "G2_draw_dim_linear", k.want)) << k.Lt << "\n" << notes_text(notes_of(c));
  }
}

TEST(ToolDrawing, BandedSecondHolderOnlyForDrills) {
  for (int kind : {1, 7, 8, 9}) {
    const TTOOL t = default_tool(kind);
    const THOLDER h = holder_of(t, Second::banded);
    ASSERT_GT(h.h2_len, 3 * h.taper_len);
    TDraw_settings ds;
    TG2 g;
    TG2_canvas c;
    G2_set_canvas(g, 3, 0, 400, 300, 3);
    draw_TOOL_fit(ds, c, g, 3, h, t);
    int ten = 0, six = 0;
    for (const TG2_prim& p : c.prims()) {
      if (p.kind != TG2_prim::Kind::polyline) continue;
      ten += p.points.size() == 11;
      six += p.points.size() == 7;
    }
    const bool banded = kind == 7 || kind == 8;
    EXPECT_EQ(ten, banded ? 1 : 0) << kind;
    EXPECT_GE(six, banded ? 0 : 1) << kind;
  }
}

TEST(ToolDrawing, RadiusAndAngleDimensionsByShape) {
  struct Case {
    const char* what;
    int kind;
    float radius, edge;
    const char* routine;
    bool want;
  };
  const Case cases[] = {
      {"O-ring, R 0", 16, 0, 0, "G2_draw_dim_radius", false},
      {"O-ring, R 0.5", 16, 0.5f, 0, "G2_draw_dim_radius", true},
      {"inner R, D = R", 18, 5, 5, "G2_draw_dim_angle", false},
      {"inner R, D > R", 18, 5, 8, "G2_draw_dim_angle", true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTOOL t;
    set_default_TOOL(t);
    t.T_category = k.kind;
    t.dia = 20;
    t.noedge_dia = 8;
    t.radius = k.radius;
    if (k.edge > 0) t.edge_len = k.edge;
    THOLDER h;
    set_default_HOLDER(h);
    make_TOOL_comment_lines(t, h);
    ASSERT_FLOAT_EQ(t.radius, k.radius);
    if (k.edge > 0) {
      ASSERT_FLOAT_EQ(t.edge_len, k.edge);
    }
    TDraw_settings ds;
    TG2 g;
    TG2_canvas c;
    G2_set_canvas(g, 3, 0, 400, 300, 3);
    draw_TOOL_fit(ds, c, g, 3, h, t);
    EXPECT_EQ(has_note(c, k.routine), k.want) << notes_text(notes_of(c));
  }
}

TEST(ToolDrawing, ShankDimensionWithSecondHolder) {
  // A shank as wide as the second holder's tip has no shank dimension.
  TTOOL t = default_tool(1);
  THOLDER h = holder_of(t, Second::plain);
  h.h2_tip_dia = t.shank_dia;
  TDraw_settings ds;
  TG2 g;
  TG2_canvas c;
  G2_set_canvas(g, 3, 0, 400, 300, 3);
  draw_TOOL_fit(ds, c, g, 3, h, t);
  int shank_texts = 0;
  for (const Note& n : notes_of(c)) shank_texts += n.text == "@8";
  EXPECT_EQ(shank_texts, 2) << notes_text(notes_of(c));  // the tip diameter and the second holder's

  // A shank text wider than the shank goes left of its dimension and pushes the axis right.
  TTOOL thin;
  set_default_TOOL(thin);
  thin.T_category = 1;
  thin.dia = 1;
  thin.shank_dia = 1;
  thin.edge_len = 2;
  thin.protrusion = 40;
  THOLDER hh;
  set_default_HOLDER(hh);
  hh.dia = 4;
  hh.h2_used = 1;
  hh.h2_tip_dia = 6;
  hh.h2_len = 20;
  make_TOOL_comment_lines(thin, hh);
  ASSERT_FLOAT_EQ(thin.shank_dia, 1);
  TG2_canvas c2;
  TG2 g2;
  G2_set_canvas(g2, 3, 0, 400, 300, 3);
  G2_set_world(g2, 3, 0, 0, 100, 100);
  draw_TOOL_HOLDER_ex(ds, c2, g2, 3, hh, thin);
  const TG2_prim* holder = first_note(c2, "G2_draw_dim_linear", "@" + float_to_str3(hh.dia));
  ASSERT_NE(holder, nullptr) << notes_text(notes_of(c2));
  const float x0 = (holder->refs[0].x + holder->refs[1].x) / 2;
  const float xl = 3.5f * ds.s + ds.g;
  EXPECT_GT(x0, hh.dia / 2 + xl + 1);
  // The shank dimension's figure starts at least p right of the left column.
  const TG2_prim* shank = first_note(c2, "G2_draw_dim_linear", "@1");
  ASSERT_NE(shank, nullptr);
}

TEST(ToolDrawing, SettingsOfTheDisplayRecord) {
  // The settings file's defaults give the drawing and preview defaults.
  testing_support::TempDir d;
  TSession s;
  s.env.path = d / "Velmor.DAT";
  ASSERT_TRUE(make_default_environment(s.env.path));
  read_environment(s, 0);
  const TDraw_settings ds = draw_settings_of(s.disp);
  const TDraw_settings want;
  EXPECT_EQ(ds.back_color, want.back_color);
  EXPECT_EQ(ds.dim_color, want.dim_color);
  EXPECT_EQ(ds.dim_line, want.dim_line);
  EXPECT_EQ(ds.tool_line, want.tool_line);
  EXPECT_FLOAT_EQ(ds.s, want.s);
  EXPECT_FLOAT_EQ(ds.g, want.g);
  EXPECT_FLOAT_EQ(ds.a, want.a);
  EXPECT_FLOAT_EQ(ds.p, want.p);
  EXPECT_FLOAT_EQ(ds.m, want.m);

  TPreview_settings p = preview_settings_of(s.disp, true);
  const TPreview_settings pw;
  EXPECT_EQ(p.white, pw.white);
  EXPECT_EQ(p.jpeg_step, pw.jpeg_step);
  EXPECT_EQ(p.width, pw.width);
  EXPECT_EQ(p.height, pw.height);
  EXPECT_EQ(p.print_at_data, pw.print_at_data);
  // And back: every field lands on its own key.
  p.gray_scale = true;
  p.progressive = true;
  p.rotate = true;
  p.white = false;
  p.jpeg_step = 4;
  p.width = 640;
  p.height = 480;
  p.high_quality = true;
  p.print_at_data = false;
  store_preview_settings(p, s.disp);
  const TPreview_settings back = preview_settings_of(s.disp, false);
  EXPECT_TRUE(back.gray_scale && back.progressive && back.rotate && back.high_quality);
  EXPECT_FALSE(back.white || back.print_at_data || back.left_margin);
  EXPECT_EQ(back.jpeg_step, 4);
  EXPECT_EQ(back.width, 640);
  EXPECT_EQ(back.height, 480);
}

TEST(ToolDrawing, KindRoutinesAndTheirOutlines) {
  // The arc and angle dimensions each kind makes, and one outline corner of each kind in
  // the tool's own terms (x0 the axis, y0 = g + s the tip).
  struct Case {
    int kind;
    int radius, angle, diameter2;
    float cx, cy;  // corner = (x0 + cx * C + jx * J + dx * Dc, y0 + cy * D)
    float jx, dx = 0;
  };
  const Case cases[] = {
      {1, 0, 0, 0, -0.5f, 0, 0},  {2, 1, 0, 0, -0.5f, 1, 0},  {3, 1, 0, 0, -0.5f, 1, 0},
      {4, 0, 1, 0, -0.5f, 0, 0},  {5, 1, 1, 0, 0, 1, 0, -0.5f}, {6, 1, 1, 0, 0, 1, 0, 0.5f},
      {7, 0, 0, 0, 0, 0, 0},      {8, 0, 0, 0, 0, 0, 0},      {9, 0, 0, 0, 0, 0, -0.5f},
      {10, 0, 0, 0, 0.5f, 0, 0},  {11, 0, 0, 0, 0.5f, 0, 0},  {12, 0, 0, 0, 0.5f, 1, 0},
      {13, 0, 0, 1, -0.5f, 1, 0}, {14, 0, 0, 0, 0.5f, 1, 0},  {15, 0, 0, 0, 0.5f, 0, 0},
      {16, 1, 0, 0, -0.5f, 1, 0}, {17, 0, 1, 0, 0.5f, 0, 0},  {18, 0, 1, 0, 0, 0, 0.5f},
      {19, 0, 0, 0, 0.5f, 0, 0},  {20, 0, 0, 0, 0.5f, 1, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE("kind " + std::to_string(k.kind));
    const TTOOL t = default_tool(k.kind);
    const THOLDER h = holder_of(t, Second::none);
    TDraw_settings ds;
    TG2 g;
    TG2_canvas c;
    G2_set_canvas(g, 3, 0, 400, 300, 3);
    TG2_capture_scope on(g);
    draw_TOOL_fit(ds, c, g, 3, h, t);
    int radius = 0, angle = 0, diameter2 = 0;
    for (const Note& n : notes_of(c)) {
      radius += n.routine == "G2_draw_dim_radius";
      angle += n.routine == "G2_draw_dim_angle";
      diameter2 += n.routine == "G2_draw_dim_diameter2";
    }
    EXPECT_EQ(radius, k.radius);
    EXPECT_EQ(angle, k.angle);
    EXPECT_EQ(diameter2, k.diameter2);
    const TG2_prim* holder = first_note(c, "G2_draw_dim_linear", "@72");
    ASSERT_NE(holder, nullptr);
    const float x0 = (holder->refs[0].x + holder->refs[1].x) / 2, y0 = ds.g + ds.s;
    const float want_x = x0 + k.cx * t.dia + k.jx * t.noedge_dia + k.dx * t.cut_dia;
    const float want_y = y0 + k.cy * t.edge_len;
    bool found = false;
    for (const std::string& seg : dxf_segments(g.dxf_text)) {
      float x1, y1, x2, y2;
      if (std::sscanf(seg.c_str(), "%f,%f-%f,%f", &x1, &y1, &x2, &y2) != 4) continue;
      for (auto [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}})
        if (std::fabs(x - want_x) < 0.002f && std::fabs(y - want_y) < 0.002f) found = true;
    }
    EXPECT_TRUE(found) << want_x << "," << want_y;
  }
}
