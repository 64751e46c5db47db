#include "tooling/core/tool_drawing.h"

#include <cmath>
#include <initializer_list>
#include <string_view>

#include "common/debug_log.h"

namespace {

const double kTan30 = std::tan(30.0 * 3.14159265358979323846 / 180.0);
const double kTan5 = std::tan(5.0 * 3.14159265358979323846 / 180.0);
const double kTan22_5 = std::tan(22.5 * 3.14159265358979323846 / 180.0);
const double kCos30 = std::cos(30.0 * 3.14159265358979323846 / 180.0);

struct Pt {
  float x, y;
};

// One drawing: the records, the layout frame and the canvas it goes to.
class Drawing {
 public:
  Drawing(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int slot, const THOLDER& h,
          const TTOOL& t)
      : ds_(ds), c_(c), g_(g), slot_(slot), h_(h), t_(t) {}

  void run();

 private:
  // ---- pens and primitives ----
  void pen_edge() { G2_set_pen(c_, ds_.tool_line, t_.edge_color); }
  void pen_shank() { G2_set_pen(c_, ds_.tool_line, t_.shank_color); }
  void pen_dim() { G2_set_pen(c_, ds_.dim_line, ds_.dim_color); }
  VEC3 at(float x, float y) const { return {x, y, 0}; }
  void closed(const TG2_points& pts) { G2_polyline(g_, c_, slot_, false, pts); }
  void closed(std::initializer_list<Pt> pts) { closed(list(pts)); }
  void open(const TG2_points& pts) { G2_polyline_pixels(g_, c_, slot_, pts); }
  void open(std::initializer_list<Pt> pts) { open(list(pts)); }
  void line(Pt a, Pt b) { G2_line(g_, c_, slot_, at(a.x, a.y), at(b.x, b.y)); }
  static TG2_points list(std::initializer_list<Pt> pts) {
    TG2_points l;
    for (const Pt& q : pts) l.add(q.x, q.y);
    return l;
  }
  void arc(TG2_points& l, bool ccw, float r, Pt from, Pt to, Pt centre) {
    G2_add_arc_points(g_, slot_, ccw, r, at(from.x, from.y), at(to.x, to.y),
                      at(centre.x, centre.y), l);
  }
  // A linear dimension: horizontal measures (diameters) set the flag.
  void dim(bool horizontal, Pt p1, Pt p2, float a, float off, float ext, float t,
           std::string_view prefix = {}, std::string_view suffix = {}) {
    G2_draw_dim_linear(g_, c_, slot_, horizontal, a, off, ext, ds_.s, t, prefix, suffix,
                       at(p1.x, p1.y), at(p2.x, p2.y));
  }
  void dim_angle(Pt p1, Pt p2, float a, float leader, float side, float value) {
    G2_draw_dim_angle(g_, c_, slot_, a, leader, ds_.s, side, value, {}, {}, at(p1.x, p1.y),
                      at(p2.x, p2.y));
  }
  void dim_radius(Pt centre, Pt p, Pt q, float a, float e, float side, float value,
                  std::string_view prefix = {}) {
    G2_draw_dim_radius(g_, c_, slot_, a, e, ds_.s, side, value, prefix, {},
                       at(centre.x, centre.y), at(p.x, p.y), at(q.x, q.y));
  }

  // ---- the common dimensions of the kind routines ----
  void edge_length_dim() {
    if (D_ < F_) dim(false, {xl_, y0_}, {xl_, y0_ + D_}, a_, g_d_, p_, 0);
  }
  void tip_diameter_dim(float off) {
    dim(true, {x0_ - C_ / 2, y0_}, {x0_ + C_ / 2, y0_}, a_, off, p_, -10000, "@");
  }
  void kind1_dims() {
    pen_dim();
    edge_length_dim();
    tip_diameter_dim(-(g_d_ + s_));
  }

  // ---- steps ----
  // The trial layout of a diameter text across the axis; moves the axis when `may_move`.
  TDim_text_widths trial(float d, float off, float pos, bool may_move) {
    TStroke_text st;
    const TDim_text_widths w = make_dim_linear(1, VEC3{-d / 2, 0, 0}, VEC3{d / 2, 0, 0}, a_,
                                               off, p_, s_, pos, "@", "", st);
    if (may_move) {
      const float first_x = st.figure.count > 0 ? st.figure.points[0].x : 0.0f;
      const float xc = xl_ + p_ - first_x;
      if (x0_ < xc) x0_ = xc;
    }
    return w;
  }
  void place_texts();
  bool draw_shank();
  void draw_second_holder();
  void draw_holder();
  bool draw_kind();
  void remaining_dims();

  void kind_straight(std::initializer_list<Pt> pts, bool edge_dim);
  void kind_ball();
  void kind_corner_radius();
  void kind_taper(float angle);
  void kind_taper_ball();
  void kind_taper_radius();
  void kind_boring_bar();
  void kind_round_insert();
  void kind_square_insert();
  void kind_t_slot();
  void kind_o_ring();
  void kind_inner_radius();

  const TDraw_settings& ds_;
  TG2_canvas& c_;
  TG2& g_;
  int slot_;
  THOLDER h_;
  TTOOL t_;

  float s_ = 0, g_d_ = 0, a_ = 0, p_ = 0;
  float C_ = 0, D_ = 0, F_ = 0, G_ = 0, R_ = 0, I_ = 0, J_ = 0, Dc_ = 0, h1_ = 0, h2_ = 0;
  float Hd_ = 0, L2_ = 0, d2_ = 0, D2_ = 0, A2_ = 0, Lt_ = 0;
  bool second_ = false, tapered_ = false, left_free_ = false;
  float xl_ = 0, x0_ = 0, y0_ = 0, yF_ = 0, ytop_ = 0;
  float t2_ = 0, e2_ = 0, w2_ = 0, ts_ = 0, ys_ = 0;
};

void Drawing::run() {
  g_.dxf_text.clear();
  const int kind = t_.T_category;
  if (kind == 0) return;
  s_ = ds_.s;
  g_d_ = ds_.g;
  a_ = ds_.a;
  p_ = ds_.p;
  C_ = t_.dia;
  D_ = t_.edge_len;
  F_ = t_.protrusion;
  G_ = t_.shank_dia;
  R_ = t_.radius;
  I_ = t_.half_angle;
  J_ = t_.noedge_dia;
  Dc_ = t_.cut_dia;
  h1_ = t_.derived1;
  h2_ = t_.derived2;
  Hd_ = h_.dia;
  second_ = h_.h2_used != 0;
  tapered_ = second_ && h_.h2_tapered != 0;
  L2_ = h_.h2_len;
  d2_ = h_.h2_tip_dia;
  D2_ = h_.h2_max_dia;
  A2_ = h_.h2_half_angle;
  Lt_ = h_.taper_len;

  xl_ = 3.5f * s_ + g_d_;
  x0_ = Hd_ / 2 + xl_;
  y0_ = g_d_ + s_;
  yF_ = y0_ + F_;
  ytop_ = second_ ? yF_ + L2_ : yF_;

  // No edge-length dimension in the left column: the picture needs less room there.
  left_free_ = kind == 10 || (D_ == F_ && !tapered_);
  if (left_free_ && slot_ >= 0 && slot_ < kG2_slots) g_.view[slot_].seen_xmin += 3 * s_ + g_d_;

  place_texts();

  pen_dim();
  if (left_free_)
    dim(false, {xl_, y0_}, {xl_, yF_}, a_, g_d_, p_, 0);
  else
    dim(false, {xl_, y0_}, {xl_, yF_}, a_, xl_ - s_, g_d_ + 2 * s_, 0);

  if (D_ < F_ && !draw_shank()) {
    deb_logf("◆◆◆ ERR : (1) Tcutter_set_win.draw_TOOL_HOLDER_ex; t.T_category = %d", kind);
    return;
  }
  if (second_) draw_second_holder();
  draw_holder();
  if (!draw_kind()) {
    deb_logf("◆◆◆ ERR : (2) Tcutter_set_win.draw_TOOL_HOLDER_ex; t.T_category = %d", kind);
    return;
  }
  remaining_dims();

  if (slot_ >= 0 && slot_ < kG2_slots) {
    TG2_view& v = g_.view[slot_];
    v.seen_xmin -= ds_.m;
    v.seen_ymin -= ds_.m;
    v.seen_xmax += ds_.m;
    v.seen_ymax += ds_.m;
  }
}

void Drawing::place_texts() {
  t2_ = 0;
  e2_ = g_d_;
  w2_ = 0;
  ts_ = 0;
  const float arrow_room = 1.6f * std::fabs(a_) + s_;
  if (tapered_) {
    e2_ = Lt_ / 2;
    const TDim_text_widths w = trial(d2_, g_d_, 0, false);
    w2_ = 0.6f * w.text;
    if (1.2f * w.text > d2_) t2_ = -((D2_ - d2_) / 2 + 2 * p_);
    trial(d2_, e2_, t2_, true);
    ys_ = (F_ - D_) / 2;
    if (y0_ + D_ + ys_ > yF_ - arrow_room) {
      if (yF_ + e2_ - arrow_room < y0_ + D_ + ys_) {
        ys_ = -1;
      } else {
        trial(G_, 0, 0, false);
        ts_ = -((D2_ - G_) / 2 + 2 * p_);
        trial(G_, 0, ts_, true);
      }
    } else {
      const TDim_text_widths ws = trial(G_, 0, 0, false);
      if (ws.padded > G_) {
        ts_ = -((D2_ - G_) / 2 + 2 * p_);
        trial(G_, 0, ts_, true);
      } else {
        ts_ = 0;
      }
    }
    return;
  }
  ys_ = (F_ - D_) / 4;
  if (y0_ + D_ + ys_ > yF_ - arrow_room) {
    ys_ = -1;
    return;
  }
  const TDim_text_widths ws = trial(G_, 0, 0, false);
  if (ws.padded > G_) {
    ts_ = -(G_ / 2 + 2 * p_);
    trial(G_, 0, ts_, true);
  } else {
    ts_ = 0;
  }
}

bool Drawing::draw_shank() {
  const int kind = t_.T_category;
  pen_shank();
  const float x0 = x0_, y0 = y0_, yF = yF_, G = G_;
  switch (kind) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 11:
    case 13: case 14: case 17: case 19: case 20: {
      const float Dc = Dc_;
      if (G - Dc >= 0.001f) {
        const float t = static_cast<float>(((G - Dc) / 2) / kTan30);
        const float yn = y0 + D_ + t + 0.5f;
        open({{x0 - G / 2, yF}, {x0 - G / 2, yn}, {x0 - Dc / 2, y0 + D_ + 0.5f},
              {x0 - Dc / 2, y0 + D_}});
        open({{x0 + G / 2, yF}, {x0 + G / 2, yn}, {x0 + Dc / 2, y0 + D_ + 0.5f},
              {x0 + Dc / 2, y0 + D_}});
        line({x0 - G / 2, yn}, {x0 + G / 2, yn});
      } else {
        line({x0 - G / 2, yF}, {x0 - G / 2, y0 + D_});
        line({x0 + G / 2, yF}, {x0 + G / 2, y0 + D_});
      }
      return true;
    }
    case 10: case 12: case 15: {
      const float Ls = kind == 12 ? 2 * D_ : D_;
      const float W = kind == 10 ? C_ - 2 * h1_ / 3 : kind == 12 ? C_ - 2 * D_ : J_ - 1;
      if (G - W >= 0.001f) {
        const float t = static_cast<float>(((G - W) / 2) / kTan30);
        open({{x0 - G / 2, yF}, {x0 - G / 2, y0 + Ls + t}, {x0 - W / 2, y0 + Ls}});
        open({{x0 + G / 2, yF}, {x0 + G / 2, y0 + Ls + t}, {x0 + W / 2, y0 + Ls}});
        line({x0 - G / 2, y0 + Ls + t}, {x0 + G / 2, y0 + Ls + t});
      } else {
        open({{x0 - G / 2, yF}, {x0 - G / 2, y0 + Ls}, {x0 + G / 2, y0 + Ls},
              {x0 + G / 2, yF}});
      }
      return true;
    }
    case 16: case 18: {
      const float Ls = kind == 16 ? D_ : 2 * D_;
      const float C = C_;
      if (G - C >= 0.001f) {
        const float t = static_cast<float>(((G - C) / 2) / kTan30);
        const float yn = y0 + Ls + t + 2;
        open({{x0 - G / 2, yF}, {x0 - G / 2, yn}, {x0 - C / 2, y0 + Ls + 2}, {x0 - C / 2, y0 + Ls}});
        open({{x0 + G / 2, yF}, {x0 + G / 2, yn}, {x0 + C / 2, y0 + Ls + 2}, {x0 + C / 2, y0 + Ls}});
        line({x0 - G / 2, yn}, {x0 + G / 2, yn});
        line({x0 - C / 2, y0 + Ls + 2}, {x0 + C / 2, y0 + Ls + 2});
      } else {
        open({{x0 - G / 2, yF}, {x0 - G / 2, y0 + Ls + 2}, {x0 - C / 2, y0 + Ls + 2},
              {x0 - C / 2, y0 + Ls}});
        open({{x0 + G / 2, yF}, {x0 + G / 2, y0 + Ls + 2}, {x0 + C / 2, y0 + Ls + 2},
              {x0 + C / 2, y0 + Ls}});
        line({x0 - G / 2, y0 + Ls + 2}, {x0 + G / 2, y0 + Ls + 2});
      }
      return true;
    }
    default:
      return false;
  }
}

void Drawing::draw_second_holder() {
  G2_set_pen(c_, ds_.tool_line, h_.h2_color);
  const float x0 = x0_, yF = yF_, yt = ytop_, d2 = d2_, D2 = D2_, Lt = Lt_;
  if (!tapered_) {
    closed({{x0 - d2 / 2, yt}, {x0 - d2 / 2, yF}, {x0 + d2 / 2, yF}, {x0 + d2 / 2, yt}});
    return;
  }
  const int kind = t_.T_category;
  if ((kind == 7 || kind == 8) && L2_ > 3 * Lt) {
    const float yb = yF + 2.5f * Lt;
    const float yn = yb + (D2 - d2) / 2;
    line({x0 - d2 / 2, yn}, {x0 + d2 / 2, yn});
    line({x0 - D2 / 2, yb}, {x0 + D2 / 2, yb});
    closed({{x0 - d2 / 2, yt}, {x0 - d2 / 2, yn}, {x0 - D2 / 2, yb}, {x0 - D2 / 2, yF + Lt},
            {x0 - d2 / 2, yF}, {x0 + d2 / 2, yF}, {x0 + D2 / 2, yF + Lt}, {x0 + D2 / 2, yb},
            {x0 + d2 / 2, yn}, {x0 + d2 / 2, yt}});
  } else {
    closed({{x0 - D2 / 2, yt}, {x0 - D2 / 2, yF + Lt}, {x0 - d2 / 2, yF}, {x0 + d2 / 2, yF},
            {x0 + D2 / 2, yF + Lt}, {x0 + D2 / 2, yt}});
  }
  // The end of the cone, leaving room for the tip diameter's text when it stands there.
  if (t2_ == 0 && 2 * s_ + e2_ > Lt) {
    line({x0 - D2 / 2, yF + Lt}, {x0 - w2_, yF + Lt});
    line({x0 + D2 / 2, yF + Lt}, {x0 + w2_, yF + Lt});
  } else {
    line({x0 - D2 / 2, yF + Lt}, {x0 + D2 / 2, yF + Lt});
  }
}

void Drawing::draw_holder() {
  G2_set_pen(c_, ds_.tool_line, h_.color);
  const float top = ytop_ + 1.25f * Hd_;
  closed({{x0_ - Hd_ / 2, top}, {x0_ - Hd_ / 2, ytop_}, {x0_ + Hd_ / 2, ytop_},
          {x0_ + Hd_ / 2, top}});
}

void Drawing::remaining_dims() {
  pen_dim();
  const float x0 = x0_, yF = yF_, yt = ytop_, a = a_, g = g_d_, p = p_, s = s_;
  if (D_ < F_) {
    if (second_) {
      if (ys_ >= 0 && G_ != d2_)
        dim(true, {x0 - G_ / 2, y0_ + D_}, {x0 + G_ / 2, y0_ + D_}, a, ys_, -p, ts_, "@");
    } else {
      dim(true, {x0 - G_ / 2, yF}, {x0 + G_ / 2, yF}, a, g, p, 0, "@");
    }
  }
  if (tapered_) {
    const VEC3 mid = mid_point_2D(at(x0 + d2_ / 2, yF), at(x0 + D2_ / 2, yF + Lt_));
    dim_angle({mid.x, mid.y}, {x0 + D2_ / 2, yF + Lt_}, a, g, 1.0f, A2_);
    dim(true, {x0 - d2_ / 2, yF}, {x0 + d2_ / 2, yF}, a, e2_, p, t2_, "@");
    dim(true, {x0 - D2_ / 2, yt}, {x0 + D2_ / 2, yt}, a, g, p, 0, "@");
    // Cut to one decimal; the small bias keeps a float just below a tenth (2.3) whole.
    const int k = float_to_int(10.0 * static_cast<double>(Lt_) + 1e-4);
    dim(false, {xl_, yF}, {xl_, yF + static_cast<float>(k) / 10}, a, g, p, 20000, "(", ")");
    dim(false, {xl_, yF}, {xl_, yt}, a, xl_ - s, g + 2 * s, 20000);
  } else if (second_) {
    dim(true, {x0 - d2_ / 2, yt}, {x0 + d2_ / 2, yt}, a, g, p, 0, "@");
    if (left_free_)
      dim(false, {xl_, yF}, {xl_, yt}, a, g, p, 20000);
    else
      dim(false, {xl_, yF}, {xl_, yt}, a, xl_ - s, g + 2 * s, 20000);
  }
  const float top = yt + 1.25f * Hd_;
  dim(true, {x0 - Hd_ / 2, top}, {x0 + Hd_ / 2, top}, a, g, p, 0, "@");
}

bool Drawing::draw_kind() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, G = G_, J = J_, h1 = h1_, h2 = h2_;
  switch (t_.T_category) {
    case 1: case 19: case 20:
      kind_straight({{x0 - C / 2, y0 + D}, {x0 - C / 2, y0}, {x0 + C / 2, y0}, {x0 + C / 2, y0 + D}},
                    true);
      return true;
    case 11:
      kind_straight({{x0 - C / 2, y0 + D}, {x0 - C / 2, y0}, {x0 + C / 2, y0}, {x0 + C / 2, y0 + D}},
                    false);
      return true;
    case 2: kind_ball(); return true;
    case 3: kind_corner_radius(); return true;
    case 4: kind_taper(I_); return true;
    case 17: kind_taper(-I_); return true;
    case 5: kind_taper_ball(); return true;
    case 6: kind_taper_radius(); return true;
    case 7:
      kind_straight({{x0 - G / 2, y0 + D}, {x0 - C / 2, y0 + h2}, {x0 - C / 2, y0 + h1}, {x0, y0},
                     {x0 + C / 2, y0 + h1}, {x0 + C / 2, y0 + h2}, {x0 + G / 2, y0 + D}},
                    true);
      return true;
    case 8:
      kind_straight({{x0 - C / 2, y0 + D}, {x0 - C / 2, y0 + h1}, {x0, y0}, {x0 + C / 2, y0 + h1},
                     {x0 + C / 2, y0 + D}},
                    true);
      return true;
    case 9:
      kind_straight({{x0 - J / 2, y0 + D}, {x0 - C / 2, y0 + h2}, {x0 - C / 2, y0 + h1},
                     {x0 - J / 2, y0}, {x0 + J / 2, y0}, {x0 + C / 2, y0 + h1},
                     {x0 + C / 2, y0 + h2}, {x0 + J / 2, y0 + D}},
                    true);
      return true;
    case 10: kind_boring_bar(); return true;
    case 12:
      kind_straight({{x0 - C / 2 + D, y0 + 2 * D}, {x0 - C / 2, y0 + D}, {x0 - C / 2, y0},
                     {x0 + C / 2, y0}, {x0 + C / 2, y0 + D}, {x0 + C / 2 - D, y0 + 2 * D}},
                    true);
      return true;
    case 13: kind_round_insert(); return true;
    case 14: kind_square_insert(); return true;
    case 15: kind_t_slot(); return true;
    case 16: kind_o_ring(); return true;
    case 18: kind_inner_radius(); return true;
    default:
      return false;
  }
}

// One closed outline of straight segments and the dimensions of the flat end mill (only the
// diameter without `edge_dim`).
void Drawing::kind_straight(std::initializer_list<Pt> pts, bool edge_dim) {
  pen_edge();
  closed(pts);
  pen_dim();
  if (edge_dim) edge_length_dim();
  tip_diameter_dim(-(g_d_ + s_));
}

void Drawing::kind_ball() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, R = R_, h2 = h2_;
  pen_edge();
  TG2_points l;
  l.add(x0 - C / 2, y0 + D);
  arc(l, true, R, {x0 - C / 2, y0 + h2}, {x0 + C / 2, y0 + h2}, {x0, y0 + R});
  l.add(x0 + C / 2, y0 + D);
  closed(l);
  pen_dim();
  edge_length_dim();
  dim_radius({x0, y0 + R}, {x0 + C / 2, y0 + h2}, {x0, y0}, a_, g_d_ + s_, 1.0f, R, "   ");
  if (2 * R - 0.01f > C) tip_diameter_dim(-(2.5f * g_d_ + s_));
}

void Drawing::kind_corner_radius() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, R = R_;
  pen_edge();
  TG2_points l;
  l.add(x0 - C / 2, y0 + D);
  arc(l, true, R, {x0 - C / 2, y0 + R}, {x0 - C / 2 + R, y0}, {x0 - C / 2 + R, y0 + R});
  arc(l, true, R, {x0 + C / 2 - R, y0}, {x0 + C / 2, y0 + R}, {x0 + C / 2 - R, y0 + R});
  l.add(x0 + C / 2, y0 + D);
  closed(l);
  pen_dim();
  edge_length_dim();
  tip_diameter_dim(-(g_d_ + s_));
  dim_radius({x0 + C / 2 - R, y0 + R}, {x0 + C / 2, y0 + R}, {x0 + C / 2 - R, y0}, a_,
             g_d_ + s_, 1.0f, R);
}

void Drawing::kind_taper(float angle) {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, Dc = Dc_;
  pen_edge();
  closed({{x0 - Dc / 2, y0 + D}, {x0 - C / 2, y0}, {x0 + C / 2, y0}, {x0 + Dc / 2, y0 + D}});
  pen_dim();
  edge_length_dim();
  tip_diameter_dim(-(g_d_ + s_));
  dim_angle({x0 + C / 2, y0}, {x0 + Dc / 2, y0 + D}, a_, g_d_ + s_, 1.0f, angle);
}

void Drawing::kind_taper_ball() {
  const float x0 = x0_, y0 = y0_, D = D_, Dc = Dc_, R = R_, h1 = h1_, h2 = h2_;
  pen_edge();
  TG2_points l;
  l.add(x0 - Dc / 2, y0 + D);
  arc(l, true, R, {x0 - h1, y0 + h2}, {x0 + h1, y0 + h2}, {x0, y0 + R});
  l.add(x0 + Dc / 2, y0 + D);
  closed(l);
  pen_dim();
  edge_length_dim();
  dim_radius({x0, y0 + R}, {x0 + h1, y0 + h2}, {x0, y0}, a_, 2 * s_ + g_d_, 1.0f, R);
  dim_angle({x0 + h1, y0 + h2}, {x0 + Dc / 2, y0 + D}, a_, g_d_ + s_, 1.0f, I_);
}

void Drawing::kind_taper_radius() {
  const float x0 = x0_, y0 = y0_, D = D_, Dc = Dc_, R = R_, J = J_, h1 = h1_, h2 = h2_;
  pen_edge();
  TG2_points l;
  l.add(x0 - Dc / 2, y0 + D);
  arc(l, true, R, {x0 - h1, y0 + h2}, {x0 - J / 2, y0}, {x0 - J / 2, y0 + R});
  arc(l, true, R, {x0 + J / 2, y0}, {x0 + h1, y0 + h2}, {x0 + J / 2, y0 + R});
  l.add(x0 + Dc / 2, y0 + D);
  closed(l);
  pen_dim();
  edge_length_dim();
  tip_diameter_dim(-(g_d_ + s_));
  dim_radius({x0 + J / 2, y0 + R}, {x0 + h1, y0 + h2}, {x0 + J / 2, y0}, a_, 2 * g_d_ + s_,
             1.0f, R);
  dim_angle({x0 + h1, y0 + h2}, {x0 + Dc / 2, y0 + D}, a_, g_d_ + s_, 1.0f, I_);
}

void Drawing::kind_boring_bar() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, J = J_, h1 = h1_;
  const float w = (C - J) / 2, b = 2 * w / 3;
  pen_edge();
  open({{x0 - (C - b) / 2, y0 + D}, {x0 - (C - b) / 2, y0 + b / 2}, {x0 + C / 2 - 2 * w, y0 + b / 2},
        {x0 + (C - b) / 2, y0 + 2 * w}, {x0 + (C - b) / 2, y0 + D}, {x0 - (C - b) / 2, y0 + D}});
  open({{x0 + C / 2 - h1 - b, y0 + b}, {x0 + C / 2 - h1, y0}, {x0 + C / 2, y0},
        {x0 + C / 2, y0 + h1}, {x0 + C / 2 - b, y0 + h1 + b}});
  open({{x0 + C / 2 - 4 * h1 / 3, y0 + h1 / 3}, {x0 + C / 2 - h1 / 3, y0 + 4 * h1 / 3}});
  pen_dim();
  dim(true, {x0 - J / 2, y0}, {x0 + J / 2, y0}, a_, -(g_d_ + s_), p_, -10000, "@");
  dim(true, {x0 - C / 2, y0}, {x0 + C / 2, y0}, a_, -2 * (g_d_ + s_), p_, -10000, "@");
}

void Drawing::kind_round_insert() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, H = R_;
  const float r = H / 2, c = static_cast<float>(r * kCos30), t = r * 0.5f;
  pen_edge();
  TG2_points ring;
  arc(ring, true, r, {x0 + C / 2 - H, y0 + r}, {x0 + C / 2 - H, y0 + r}, {x0 + C / 2 - r, y0 + r});
  closed(ring);
  TG2_points left;
  arc(left, true, r, {x0 - C / 2 + r - t, y0 + r + c}, {x0 - C / 2 + r + c, y0 + r - t},
      {x0 - C / 2 + r, y0 + r});
  open(left);
  pen_shank();
  TG2_points body;
  body.add(x0 - C / 2, y0 + D);
  body.add(x0 - C / 2 + r - t, y0 + r + c);
  arc(body, true, t, {x0 - C / 2 + r - t, y0 + r}, {x0 - C / 2 + r, y0 + r - t},
      {x0 - C / 2 + r, y0 + r});
  body.add(x0 + C / 2 - r - c, y0 + r - t);
  open(body);
  open({{x0 + C / 2 - r + t, y0 + r + c}, {x0 + C / 2, y0 + D}, {x0 - C / 2, y0 + D}});
  open({{x0, y0 + r - t}, {x0, y0 + 1.1f * H}, {x0 + C / 2, y0 + D}});
  pen_dim();
  tip_diameter_dim(-(g_d_ + s_));
  G2_draw_dim_diameter2(g_, c_, slot_, a_, g_d_ + s_, s_, 1.0f, H, {}, {},
                        at(x0 + C / 2 - r, y0 + r), at(x0 + C / 2, y0 + r),
                        at(x0 + C / 2 - r, y0));
}

void Drawing::kind_square_insert() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, H = R_;
  const float w = H / 2, q = static_cast<float>(w * kTan22_5);
  const float xr = x0 + C / 2 - w, xq = x0 - C / 2 + w, yc = y0 + w;
  const float wq = (w + q) / 2;
  pen_edge();
  closed({{xr + w, yc + q}, {xr + q, yc + w}, {xr - q, yc + w}, {xr - w, yc + q},
          {xr - w, yc - q}, {xr - q, yc - w}, {xr + q, yc - w}, {xr + w, yc - q}});
  open({{xq - q / 2, yc + w}, {xq - q, yc + w}, {xq - w, yc + q}, {xq - w, yc - q},
        {xq - q, yc - w}, {xq + q, yc - w}, {xq + wq, yc - wq}});
  pen_shank();
  open({{xr + q / 2, yc + w}, {x0 + C / 2, y0 + D}});
  open({{x0 - C / 2, y0 + D}, {xq - q / 2, yc + w}, {xq - wq, yc + q}, {xq - wq, yc - q},
        {xq - q, yc - wq}, {xr - wq, yc - wq}});
  open({{x0, yc - wq}, {x0, y0 + 1.1f * H}, {x0 + C / 2, y0 + D}, {x0 - C / 2, y0 + D}});
  pen_dim();
  tip_diameter_dim(-(g_d_ + s_));
  pen_dim();
  dim(true, {x0 + C / 2 - H, yc}, {x0 + C / 2, yc}, a_, 0, 0, 1.0f, "  ");
}

void Drawing::kind_t_slot() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, J = J_, H = R_;
  const float w = (C - J) / 2, e = static_cast<float>(w * kTan5);
  pen_edge();
  open({{x0 + J / 2, y0 + H - e}, {x0 + C / 2, y0 + H}, {x0 + C / 2, y0}, {x0 + J / 2, y0 + e}});
  open({{x0 - J / 2, y0 + H - e}, {x0 - C / 2, y0 + H}, {x0 - C / 2, y0}, {x0 - J / 2, y0 + e}});
  pen_shank();
  closed({{x0 - J / 2, y0 + H - e}, {x0 - J / 2, y0 + e}, {x0 + J / 2, y0 + e},
          {x0 + J / 2, y0 + H - e}});
  open({{x0 - J / 2 + 0.5f, y0 + H - e}, {x0 - J / 2 + 0.5f, y0 + D}, {x0 + J / 2 - 0.5f, y0 + D},
        {x0 + J / 2 - 0.5f, y0 + H - e}});
  pen_dim();
  const float a = a_, g = g_d_, s = s_, p = p_;
  dim(true, {x0 - J / 2, y0}, {x0 + J / 2, y0}, a, -(g + s), p, (C - J) / 2 + p, "@");
  dim(true, {x0 + J / 2, y0 + H}, {x0 + C / 2, y0 + H}, a, 3.0f, p, p);
  dim(true, {x0 - C / 2, y0}, {x0 + C / 2, y0}, a, -2 * (g + s), p, -10000, "@");
  dim(false, {x0 - C / 2, y0}, {x0 - C / 2, y0 + H}, -a, x0 - C / 2 - 3.5f * s, p, 0);
  dim(false, {xl_, y0 + H}, {xl_, y0 + D}, a, g, p, 0);
}

void Drawing::kind_o_ring() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, J = J_, R = R_;
  TG2_points core, outline;
  if (R <= 0) {
    core = list({{x0 - J / 2, y0}, {x0 - J / 2, y0 + D}, {x0 + J / 2, y0 + D}, {x0 + J / 2, y0}});
    G2_set_pen(c_, -3, t_.edge_color);
    open(core);
    outline = list({{x0 - C / 2, y0 + D}, {x0 - C / 2, y0}, {x0 + C / 2, y0}, {x0 + C / 2, y0 + D}});
    pen_edge();
    open(outline);
  } else {
    arc(core, true, R, {x0 - J / 2 - R, y0}, {x0 - J / 2, y0 + R}, {x0 - J / 2 - R, y0 + R});
    core.add(x0 - J / 2, y0 + D);
    core.add(x0 + J / 2, y0 + D);
    arc(core, true, R, {x0 + J / 2, y0 + R}, {x0 + J / 2 + R, y0}, {x0 + J / 2 + R, y0 + R});
    G2_set_pen(c_, -3, t_.edge_color);
    open(core);
    outline.add(x0 - C / 2, y0 + D);
    arc(outline, true, R, {x0 - C / 2, y0 + R}, {x0 - C / 2 + R, y0}, {x0 - C / 2 + R, y0 + R});
    outline.add(x0 + C / 2 - R, y0);
    arc(outline, true, R, {x0 + C / 2 - R, y0}, {x0 + C / 2, y0 + R}, {x0 + C / 2 - R, y0 + R});
    outline.add(x0 + C / 2, y0 + D);
    pen_edge();
    open(outline);
  }
  pen_dim();
  const float a = a_, g = g_d_, s = s_, p = p_;
  dim(true, {x0 - J / 2, y0}, {x0 + J / 2, y0}, a, -(g + s), p, (C - J) / 2 + p, "@");
  dim(true, {x0 - C / 2, y0}, {x0 + C / 2, y0}, a, -2 * (g + s), p, -10000, "@");
  dim(false, {xl_, y0}, {xl_, y0 + D}, a, g, p, 0);
  if (R > 0)
    dim_radius({x0 - C / 2 + R, y0 + R}, {x0 - C / 2 + R, y0}, {x0 - C / 2, y0 + R}, a,
               3 * s + g, -1.0f, R);
}

void Drawing::kind_inner_radius() {
  const float x0 = x0_, y0 = y0_, C = C_, D = D_, J = J_, R = R_;
  pen_edge();
  TG2_points left;
  left.add(x0 - C / 2, y0 + D);
  arc(left, false, R, {x0 - J / 2 - R, y0 + D}, {x0 - J / 2, y0 + D - R},
      {x0 - J / 2 - R, y0 + D - R});
  left.add(x0 - J / 2, y0);
  open(left);
  TG2_points right;
  right.add(x0 + J / 2, y0);
  arc(right, false, R, {x0 + J / 2, y0 + D - R}, {x0 + J / 2 + R, y0 + D},
      {x0 + J / 2 + R, y0 + D - R});
  right.add(x0 + C / 2, y0 + D);
  open(right);
  pen_shank();
  open({{x0 - C / 2, y0 + 2 * D}, {x0 - C / 2, y0 + D}});
  open({{x0 + C / 2, y0 + D}, {x0 + C / 2, y0 + 2 * D}});
  open({{x0 - J / 2, y0}, {x0 + J / 2, y0}});
  pen_dim();
  const float a = a_, g = g_d_, s = s_, p = p_;
  dim(true, {x0 - J / 2, y0}, {x0 + J / 2, y0}, a, -(g + s), p, (C - J) / 2 + p, "@");
  dim(true, {x0 + J / 2, y0 + D - R}, {x0 + J / 2 + R, y0 + D - R}, a, 0, 0, p, " r");
  pen_dim();
  edge_length_dim();
  dim(true, {x0 - C / 2, y0 + D}, {x0 + C / 2, y0 + D}, a, -2 * (g + s) - D, p, -10000, "@");
  if (D > R)
    dim_angle({x0 - J / 2 + 1, y0 - 1}, {x0 - J / 2, y0 + (D - R) / 2}, -a, -(g + s), -5.0f, I_);
}

void draw_wrapped(TDraw_settings ds, TG2_canvas& c, TG2& g, int width, bool hide_dims,
                  const THOLDER& holder, const TTOOL& tool, bool print, bool white, int margin,
                  int height, int axis_mode, int extra) {
  if (print || white) {
    ds.back_color = 63;
    ds.dim_color = hide_dims ? 63 : 2;
    if (print) ds.dim_line = 2;
  } else if (hide_dims) {
    ds.dim_color = ds.back_color;
  }
  c.fill_rect({0, 0}, {width + extra, height + extra}, color_code_to_TColor(ds.back_color));
  G2_set_canvas(g, kG2_slot_picture, axis_mode, width, height, margin);
  draw_TOOL_fit(ds, c, g, kG2_slot_picture, holder, tool);
}

}  // namespace

void draw_TOOL_HOLDER_ex(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int slot,
                         const THOLDER& holder, const TTOOL& tool) {
  Drawing(ds, c, g, slot, holder, tool).run();
}

void draw_TOOL_fit(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int slot,
                   const THOLDER& holder, const TTOOL& tool) {
  if (slot < 0 || slot >= kG2_slots) return;
  g.view[kG2_slot_scratch] = g.view[slot];
  G2_set_world(g, kG2_slot_scratch, 0, 0, 100, 100);
  TG2_canvas scratch(false);
  draw_TOOL_HOLDER_ex(ds, scratch, g, kG2_slot_scratch, holder, tool);
  const TG2_view seen = g.view[kG2_slot_scratch];
  G2_set_world(g, slot, seen.seen_xmin, seen.seen_ymin, seen.seen_xmax, seen.seen_ymax);
  draw_TOOL_HOLDER_ex(ds, c, g, slot, holder, tool);
}

void draw_TOOL_to_canvas(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int width,
                         bool hide_dims, const THOLDER& holder, const TTOOL& tool, bool print,
                         bool white, int margin, int height) {
  draw_wrapped(ds, c, g, width, hide_dims, holder, tool, print, white, margin, height, 0, 0);
}

void draw_TOOL_card(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int width, bool hide_dims,
                    const THOLDER& holder, const TTOOL& tool, bool print, bool white,
                    int margin, int height) {
  draw_wrapped(ds, c, g, width, hide_dims, holder, tool, print, white, margin, height, 1, 1);
}

void draw_TOOL_image(const TDraw_settings& ds, TG2_canvas& c, TG2& g, int width,
                     const THOLDER& holder, const TTOOL& tool, int back_color, int margin,
                     int height, const std::uint32_t* fill_rgb) {
  TDraw_settings d = ds;
  d.back_color = back_color;
  d.dim_color = 2;
  c.fill_rect({0, 0}, {width, height}, fill_rgb ? *fill_rgb : color_code_to_TColor(back_color));
  G2_set_canvas(g, kG2_slot_picture, 1, width, height, margin);
  draw_TOOL_fit(d, c, g, kG2_slot_picture, holder, tool);
}

void clear_TOOL_card(TG2_canvas& c, int width, int height) {
  c.fill_rect({0, 0}, {width + 1, height + 1}, color_code_to_TColor(63));
}

TDraw_settings draw_settings_of(const Tdisp_status& d) {
  TDraw_settings s;
  s.back_color = d.BACK_color;
  s.dim_color = d.C_DIM_C;
  s.dim_line = d.C_DIM_SW;
  s.tool_line = d.C_SENHABA;
  s.s = d.C_DIM_H;
  s.g = d.C_DIM_LENG;
  s.a = d.C_ARROW;
  s.p = d.C_GAP;
  s.m = d.AGAP;
  return s;
}
