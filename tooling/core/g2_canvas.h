// The 2D canvas of the tool drawings and the print preview: a list of drawing primitives in
// pixels. The drawing routines fill it; renderers replay it onto a screen panel, an image, a
// printer page or an EMF file, so every output shows the same picture. Dimension calls also
// leave notes (the routine, its text and its points in world millimetres) that renderers
// skip. No Qt here.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/ats_func.h"

struct TG2_ipoint {
  std::int32_t x = 0, y = 0;
  bool operator==(const TG2_ipoint&) const = default;
};

// Pen styles: solid, or one of the four dash styles (always one pixel wide).
enum class TG2_pen_style : std::int8_t { solid, dash, dot, dash_dot, dash_dot_dot };

struct TG2_pen {
  TG2_pen_style style = TG2_pen_style::solid;
  std::int32_t width = 1;
  std::uint32_t color = 0;  // window colour: red in the low byte
  bool operator==(const TG2_pen&) const = default;
};

// A 32-bit picture (0xAARRGGBB per pixel, rows top down), placed by a picture primitive.
struct TG2_picture {
  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
};

enum class TG2_align : std::int8_t { left, right };

struct TG2_prim {
  enum class Kind : std::int8_t {
    pen,        // pen: the pen for the lines that follow
    brush,      // brush_color, brush_clear: the brush for polygons that follow
    translate,  // a: the origin of everything that follows (absolute, in pixels)
    polyline,   // points: an open polyline
    polygon,    // points: a filled polygon in the brush (drawn with the pen)
    pixel,      // a, color: one pixel
    fill_rect,  // a, b, color: the rectangle a (inclusive) to b (exclusive), no outline
    text,       // text, a, b, height, align, color: one line in the rectangle a-b, centred
                // vertically
    picture,    // a, b, picture: the picture stretched into the rectangle a-b
    note,       // routine, text, refs: a dimension's record (not drawn)
  };
  Kind kind = Kind::polyline;
  TG2_pen pen_value;
  std::uint32_t color = 0;
  bool brush_clear = true;
  TG2_ipoint a, b;
  std::vector<TG2_ipoint> points;
  std::string text;  // CP932
  std::int32_t height = 0;
  TG2_align align = TG2_align::left;
  std::shared_ptr<const TG2_picture> picture;
  std::string routine;
  std::vector<VEC3> refs;
};

// The canvas: the current pen and brush and the list. A canvas made with keep = false keeps
// nothing (the scratch pass of a two-pass fit, which only needs the seen box of its slot).
class TG2_canvas {
 public:
  explicit TG2_canvas(bool keep = true) : keep_(keep) {}

  const std::vector<TG2_prim>& prims() const { return prims_; }
  void clear() { prims_.clear(); }

  const TG2_pen& pen() const { return pen_; }
  void set_pen(const TG2_pen& p);
  std::uint32_t brush_color() const { return brush_color_; }
  void set_brush(std::uint32_t color, bool clear);
  void translate(int x, int y);
  void polyline(std::vector<TG2_ipoint> pts);
  void polygon(std::vector<TG2_ipoint> pts);
  void set_pixel(TG2_ipoint p, std::uint32_t color);
  void fill_rect(TG2_ipoint a, TG2_ipoint b, std::uint32_t color);
  void text(TG2_ipoint a, TG2_ipoint b, const std::string& cp932, int height, TG2_align align,
            std::uint32_t color);
  void picture(TG2_ipoint a, TG2_ipoint b, std::shared_ptr<const TG2_picture> pic);
  void note(const std::string& routine, const std::string& text, std::vector<VEC3> refs);
  // Appends another list's primitives moved by (dx, dy): a picture drawn into its own list
  // and placed on this one.
  void append_translated(const TG2_canvas& other, int dx, int dy);

 private:
  void push(TG2_prim p);
  bool keep_;
  TG2_ipoint origin_;
  TG2_pen pen_;
  bool pen_sent_ = false;
  std::uint32_t brush_color_ = 0xFFFFFF;
  bool brush_clear_ = true;
  bool brush_sent_ = false;
  std::vector<TG2_prim> prims_;
};

// The notes of a list, in order.
std::vector<const TG2_prim*> canvas_notes(const TG2_canvas& c);
