#include "tooling/core/g2_canvas.h"

#include <utility>

void TG2_canvas::push(TG2_prim p) {
  if (keep_) prims_.push_back(std::move(p));
}

void TG2_canvas::set_pen(const TG2_pen& p) {
  if (pen_sent_ && p == pen_) return;
  pen_ = p;
  pen_sent_ = true;
  TG2_prim q;
  q.kind = TG2_prim::Kind::pen;
  q.pen_value = p;
  push(std::move(q));
}

void TG2_canvas::set_brush(std::uint32_t color, bool clear) {
  if (brush_sent_ && color == brush_color_ && clear == brush_clear_) return;
  brush_sent_ = true;
  brush_color_ = color;
  brush_clear_ = clear;
  TG2_prim q;
  q.kind = TG2_prim::Kind::brush;
  q.color = color;
  q.brush_clear = clear;
  push(std::move(q));
}

void TG2_canvas::translate(int x, int y) {
  origin_ = {x, y};
  TG2_prim q;
  q.kind = TG2_prim::Kind::translate;
  q.a = origin_;
  push(std::move(q));
}

void TG2_canvas::polyline(std::vector<TG2_ipoint> pts) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::polyline;
  q.points = std::move(pts);
  push(std::move(q));
}

void TG2_canvas::polygon(std::vector<TG2_ipoint> pts) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::polygon;
  q.points = std::move(pts);
  push(std::move(q));
}

void TG2_canvas::set_pixel(TG2_ipoint p, std::uint32_t color) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::pixel;
  q.a = p;
  q.color = color;
  push(std::move(q));
}

void TG2_canvas::fill_rect(TG2_ipoint a, TG2_ipoint b, std::uint32_t color) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::fill_rect;
  q.a = a;
  q.b = b;
  q.color = color;
  push(std::move(q));
}

void TG2_canvas::text(TG2_ipoint a, TG2_ipoint b, const std::string& cp932, int height,
                      TG2_align align, std::uint32_t color) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::text;
  q.a = a;
  q.b = b;
  q.text = cp932;
  q.height = height;
  q.align = align;
  q.color = color;
  push(std::move(q));
}

void TG2_canvas::picture(TG2_ipoint a, TG2_ipoint b, std::shared_ptr<const TG2_picture> pic) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::picture;
  q.a = a;
  q.b = b;
  q.picture = std::move(pic);
  push(std::move(q));
}

void TG2_canvas::note(const std::string& routine, const std::string& text,
                      std::vector<VEC3> refs) {
  TG2_prim q;
  q.kind = TG2_prim::Kind::note;
  q.routine = routine;
  q.text = text;
  q.refs = std::move(refs);
  push(std::move(q));
}

void TG2_canvas::append_translated(const TG2_canvas& other, int dx, int dy) {
  const TG2_ipoint saved = origin_;
  translate(saved.x + dx, saved.y + dy);
  for (const TG2_prim& p : other.prims()) {
    if (p.kind == TG2_prim::Kind::translate) {
      translate(saved.x + dx + p.a.x, saved.y + dy + p.a.y);
      continue;
    }
    push(p);
  }
  translate(saved.x, saved.y);
  // The other list's last pen and brush are now the current ones.
  pen_ = other.pen_;
  pen_sent_ = other.pen_sent_ || pen_sent_;
  brush_sent_ = other.brush_sent_ || brush_sent_;
  brush_color_ = other.brush_color_;
  brush_clear_ = other.brush_clear_;
}

std::vector<const TG2_prim*> canvas_notes(const TG2_canvas& c) {
  std::vector<const TG2_prim*> out;
  for (const TG2_prim& p : c.prims())
    if (p.kind == TG2_prim::Kind::note) out.push_back(&p);
  return out;
}
