// Cutter radius compensation: geometry, corner constructions and the per-block driver.
// Arithmetic runs in double precision; points are stored as floats.
#include "ncdata/ncd_comp.h"

#include <cmath>
#include <numbers>

const char* const COMP_TEXT_NEGATIVE = "オフセット後の半径値がマイナスになりました";
const char* const COMP_TEXT_ZERO = "オフセット後の半径値が０以下になりました";
const char* const COMP_TEXT_SMALL_ARC =
    "オフセット対象の円弧の半径がカッター半径 + 0.2mm より小さくなってます";
const char* const COMP_TEXT_NO_CROSS = "オフセット後の交点が得られませんでした";

namespace {

constexpr double kEps = 1e-6;
constexpr double kTol = COMP_TOL;

struct P2 {
  double x = 0, y = 0;
};
P2 p2(const VEC3& v) { return {v.x, v.y}; }
VEC3 v3(const P2& p, float z) { return {static_cast<float>(p.x), static_cast<float>(p.y), z}; }
P2 operator+(P2 a, P2 b) { return {a.x + b.x, a.y + b.y}; }
P2 operator-(P2 a, P2 b) { return {a.x - b.x, a.y - b.y}; }
P2 operator*(double s, P2 a) { return {s * a.x, s * a.y}; }
double dot(P2 a, P2 b) { return a.x * b.x + a.y * b.y; }
double cross(P2 a, P2 b) { return a.x * b.y - a.y * b.x; }
// Coordinates stay far below the range where the squares could overflow a double.
double len(P2 a) { return std::sqrt(a.x * a.x + a.y * a.y); }
P2 left(P2 a) { return {-a.y, a.x}; }

bool is_arc(const TComp_elem& e) { return e.kind == COMP_G02 || e.kind == COMP_G03; }

// Unit tangent of the element at point p (its start or end); false without a direction.
bool tangent_at(const TComp_elem& e, const VEC3& p, P2& t) {
  if (is_arc(e)) {
    P2 v = p2(p) - p2(e.centre);
    double l = len(v);
    if (l < kEps) return false;
    v = (1.0 / l) * v;
    t = e.kind == COMP_G03 ? left(v) : P2{v.y, -v.x};
    return true;
  }
  P2 d = p2(e.end) - p2(e.start);
  double l = len(d);
  if (l < kTol) return false;
  t = (1.0 / l) * d;
  return true;
}

void set_move(TComp_move& m, std::int32_t kind, const VEC3& s, const VEC3& e,
              const VEC3& c = VEC3{}, float radius = 0) {
  m.kind = kind;
  m.start = s;
  m.end = e;
  m.centre = c;
  m.radius = radius;
}

// The move of an offset element between two of its points.
void elem_move(TComp_move& m, const TComp_elem& off, const VEC3& s, const VEC3& e) {
  if (is_arc(off))
    set_move(m, off.kind, s, e, off.centre, off.radius);
  else
    set_move(m, COMP_LINE, s, e);
}

void fail(TComp_error& err, std::uint16_t code, const char* text) {
  err.code = code;
  err.text = text;
}

}  // namespace

double get_vector_angle(double dx, double dy) {
  constexpr double pi = ATS_PI;
  if (std::fabs(dy) < kEps) return dx < 0 ? pi : 0.0;
  if (std::fabs(dx) < kEps) return dy >= 0 ? pi / 2 : 1.5 * pi;
  double a = std::atan2(dy, dx);
  if (a < 0) a += 2 * pi;
  if (a >= 2 * pi) a -= 2 * pi;
  return a;
}

void rotate_xy(float& x, float& y, double angle) {
  const double s = std::sin(angle), c = std::cos(angle);
  const double nx = x * c - y * s, ny = x * s + y * c;
  x = static_cast<float>(nx);
  y = static_cast<float>(ny);
}

float dist_xy(const VEC3& a, const VEC3& b) {
  return static_cast<float>(len(p2(b) - p2(a)));
}

bool offset_line(const VEC3& start, const VEC3& end, float r, VEC3& ostart, VEC3& oend) {
  // The unit direction (cos a, sin a) of the line, with the cut-offs of get_vector_angle: a
  // component below 1e-6 makes the line run along the other axis.
  const P2 d = p2(end) - p2(start);
  P2 u;
  if (std::fabs(d.y) < kEps) {
    u = {d.x < 0 ? -1.0 : 1.0, 0.0};
  } else if (std::fabs(d.x) < kEps) {
    u = {0.0, d.y >= 0 ? 1.0 : -1.0};
  } else {
    u = (1.0 / len(d)) * d;
  }
  const double l = len(d);
  const P2 n = static_cast<double>(r) * left(u);
  ostart = v3(p2(start) + n, start.z);
  oend = v3(p2(start) + l * u + n, end.z);
  return true;
}

float offset_arc(const VEC3& start, const VEC3& end, const VEC3& centre, float r, float R,
                 bool ccw, VEC3& ostart, VEC3& oend) {
  const double rr = ccw ? static_cast<double>(R) - r : static_cast<double>(R) + r;
  ostart = start;
  oend = end;
  if (rr == 0) return 0.0f;
  const P2 c = p2(centre);
  auto move = [&](const VEC3& p) {
    // Along the ray from the centre; a point on the centre takes the direction of angle 0.
    const P2 v = p2(p) - c;
    const double l = len(v);
    const P2 u = l < kEps ? P2{1.0, 0.0} : (1.0 / l) * v;
    return v3(c + rr * u, p.z);
  };
  ostart = move(start);
  oend = move(end);
  return static_cast<float>(rr);
}

bool line_line_cross(const VEC3& a1, const VEC3& a2, const VEC3& b1, const VEC3& b2, VEC3& out) {
  const P2 da = p2(a2) - p2(a1), db = p2(b2) - p2(b1);
  const double la = len(da), lb = len(db);
  if (la < kEps || lb < kEps) return false;
  const double den = cross(da, db);
  if (std::fabs(den) < 1e-12 * la * lb) return false;
  const double t = cross(p2(b1) - p2(a1), db) / den;
  out = v3(p2(a1) + t * da, a2.z);
  return true;
}

int line_circle_cross(const VEC3& p, const VEC3& q, const VEC3& centre, float R, VEC3& out1,
                      VEC3& out2) {
  const P2 d = p2(q) - p2(p);
  const double l = len(d);
  if (l < kEps) return 0;
  const P2 u = (1.0 / l) * d;
  const P2 c = p2(centre);
  // Foot of the perpendicular from the centre, and the signed distance of the line.
  const double t0 = dot(c - p2(p), u);
  const P2 foot = p2(p) + t0 * u;
  const double dist = cross(u, c - p2(p));
  const double rad = std::fabs(static_cast<double>(R));
  double h;
  int n;
  if (std::fabs(dist) < kTol) {
    h = rad;
    n = 2;
  } else if (std::fabs(std::fabs(dist) - rad) < kTol) {
    h = 0;
    n = 1;
  } else if (std::fabs(dist) < rad) {
    h = std::sqrt(rad * rad - dist * dist);
    n = 2;
  } else {
    return 0;
  }
  out1 = v3(foot - h * u, q.z);
  out2 = n == 1 ? out1 : v3(foot + h * u, q.z);
  return n;
}

int circle_circle_cross(const VEC3& c1, float R1, const VEC3& c2, float R2, VEC3& out1,
                        VEC3& out2) {
  const P2 a = p2(c1), dv = p2(c2) - a;
  if (std::fabs(dv.x) < kTol && std::fabs(dv.y) < kTol) return 0;
  const double d = len(dv);
  const double r1 = std::fabs(static_cast<double>(R1)), r2 = std::fabs(static_cast<double>(R2));
  const P2 u = (1.0 / d) * dv, n = left(u);
  const double x = (d * d + r1 * r1 - r2 * r2) / (2 * d);
  const bool touch = std::fabs(d - (r1 + r2)) < kTol || std::fabs(d - (r2 - r1)) < kTol ||
                     std::fabs(d - (r1 - r2)) < kTol;
  if (touch) {
    out1 = out2 = v3(a + x * u, c1.z);
    return 1;
  }
  if (d > r1 + r2 || d < std::fabs(r1 - r2)) return 0;
  const double y = std::sqrt(std::max(0.0, r1 * r1 - x * x));
  out1 = v3(a + x * u + y * n, c1.z);
  out2 = v3(a + x * u - y * n, c1.z);
  return 2;
}

float comp_radius_sign(int code, float tool_radius) {
  if (code == 41) return tool_radius;
  if (code == 42) return -tool_radius;
  return 0.0f;
}

bool offset_elem(const TComp_elem& e, float r, TComp_elem& out, TComp_error& err,
                 bool zero_text) {
  out = e;
  if (!is_arc(e)) return offset_line(e.start, e.end, r, out.start, out.end);
  const float rr =
      offset_arc(e.start, e.end, e.centre, r, e.radius, e.kind == COMP_G03, out.start, out.end);
  out.radius = rr;
  if (rr <= COMP_TOL) {
    fail(err, COMP_ERR_RADIUS, zero_text ? COMP_TEXT_ZERO : COMP_TEXT_NEGATIVE);
    return false;
  }
  if (rr <= COMP_MIN_ARC) {
    fail(err, COMP_ERR_SMALL_ARC, COMP_TEXT_SMALL_ARC);
    return false;
  }
  return true;
}

bool comp_corner(const TComp_elem& a, const TComp_elem& b, float r, TComp_corner& out,
                 TComp_error& err) {
  out.count = 0;
  if (std::fabs(r) < COMP_TOL) return true;
  P2 ta, tb;
  if (!tangent_at(a, a.end, ta) || !tangent_at(b, b.start, tb)) return true;

  const bool zero_text = !is_arc(a) && b.kind == COMP_G02;
  TComp_elem oa, ob;
  if (!offset_elem(a, r, oa, err, zero_text) || !offset_elem(b, r, ob, err, zero_text))
    return false;

  const float z = a.end.z;
  const VEC3 corner = a.end;
  const double gap = len(p2(ob.start) - p2(oa.end));
  const double ar = std::fabs(static_cast<double>(r));
  const double turn = cross(ta, tb);
  const bool reversal = std::fabs(gap - 2 * ar) < kTol && dot(ta, tb) < 0;

  if (gap < kTol) {
    // Tangent continuation: the offset elements meet at the common offset point.
    const VEC3 m = oa.end;
    elem_move(out.moves[0], oa, oa.start, m);
    elem_move(out.moves[1], ob, m, ob.end);
    out.count = 2;
    out.points = {m, oa.end};
  } else if (reversal || (turn > 0) != (r > 0)) {
    // Outside corner, or the path going back on itself: a corner arc around the corner.
    elem_move(out.moves[0], oa, oa.start, oa.end);
    set_move(out.moves[1], r > 0 ? COMP_G02 : COMP_G03, oa.end, ob.start, corner,
             static_cast<float>(ar));
    elem_move(out.moves[2], ob, ob.start, ob.end);
    out.count = 3;
    out.points = {ob.start, oa.end};
  } else {
    // Inside corner: cut the offset elements with each other.
    VEC3 x1, x2;
    int n;
    if (!is_arc(oa) && !is_arc(ob)) {
      n = line_line_cross(oa.start, oa.end, ob.start, ob.end, x1) ? 1 : 0;
      x2 = x1;
    } else if (!is_arc(oa)) {
      n = line_circle_cross(oa.start, oa.end, ob.centre, ob.radius, x1, x2);
    } else if (!is_arc(ob)) {
      n = line_circle_cross(ob.start, ob.end, oa.centre, oa.radius, x1, x2);
    } else {
      n = circle_circle_cross(oa.centre, oa.radius, ob.centre, ob.radius, x1, x2);
    }
    if (n == 0) {
      fail(err, COMP_ERR_NO_CROSS, COMP_TEXT_NO_CROSS);
      return false;
    }
    // The crossing nearest the corner.
    const P2 mid = 0.5 * (p2(oa.end) + p2(ob.start));
    VEC3 x = len(p2(x1) - mid) <= len(p2(x2) - mid) ? x1 : x2;
    x.z = z;
    elem_move(out.moves[0], oa, oa.start, x);
    elem_move(out.moves[1], ob, x, ob.end);
    out.count = 2;
    out.points = {x, oa.end};
  }
  for (int i = 0; i < out.count; ++i) out.moves[i].start.z = out.moves[i].end.z = z;
  out.points[0].z = out.points[1].z = z;
  return true;
}

// ---- driver --------------------------------------------------------------------------------

namespace {

using comp_detail::clear_results;
using comp_detail::shift_history;

bool comp_code(int c) { return c == 41 || c == 42; }

bool same_xy_elem(const TComp_elem& a, const TComp_elem& b) {
  return a.kind == b.kind && a.start.x == b.start.x && a.start.y == b.start.y &&
         a.end.x == b.end.x && a.end.y == b.end.y && a.centre.x == b.centre.x &&
         a.centre.y == b.centre.y && a.radius == b.radius;
}

void set_line(TComp_state& st, int i, const VEC3& s, const VEC3& e) {
  set_move(st.comp_moves[i], COMP_LINE, s, e);
}

void record_failure(TComp_state& st, const TComp_error& err) {
  st.comp_error = err;
  st.block_error = err.code;
  st.comp_applied = 0;
  st.comp_move_count = 0;
}

// Where the tool stands before the block (XY), at height z.
VEC3 tool_at(const TComp_state& st, const TComp_block& b, float z) {
  VEC3 p = st.last_valid ? st.last_pos : b.elem.start;
  p.z = z;
  return p;
}

// A full circle: its two corners give the point where it closes each in its own way, a hair
// apart, and a hair is an arc of next to nothing. Its ends are made one point.
[[gnu::noinline, gnu::cold]] void close_full_circle(TComp_state& st, TComp_corner& c,
                                                   bool next_cancels) {
  TComp_move& m0 = st.comp_moves[0];
  if (dist_xy(m0.start, m0.end) >= COMP_TOL) return;
  m0.end.x = m0.start.x;
  m0.end.y = m0.start.y;
  if (st.comp_move_count == 2) {
    st.comp_moves[1].start.x = m0.start.x;
    st.comp_moves[1].start.y = m0.start.y;
  } else if (!next_cancels) {
    c.points[0].x = m0.start.x;  // where the next element starts
    c.points[0].y = m0.start.y;
  }
}

}  // namespace

bool comp_take_next(const TComp_block& cur, const TComp_block& next, TComp_next& nx) {
  if (!comp_xy_travel(next) && !(next.comp_word && next.code != cur.code)) return false;
  nx.result = TComp_next::FOUND;
  nx.code = next.code;
  nx.elem = next.elem;
  return true;
}

VEC3 comp_block_end(const TComp_state& st, const TComp_block& b) {
  if (st.comp_applied && st.comp_move_count >= 1) return st.comp_moves[st.comp_move_count - 1].end;
  return b.elem.end;
}

namespace {

using Look_ahead = std::function<void(TComp_next&)>;

// No XY travel (a plunge, a retract, M/S/F only): straight at the tool's XY.
void comp_no_travel(TComp_state& st, const TComp_block& b) {
  if (!comp_code(st.code_p)) return;
  set_line(st, 0, tool_at(st, b, b.elem.start.z), tool_at(st, b, b.elem.end.z));
  st.comp_move_count = 1;
  st.comp_applied = 1;
}

// Start-up: straight from the programmed start to the offset start of the next element.
void comp_start_up(TComp_state& st, const TComp_block& b, const Look_ahead& look_ahead) {
  const float tool_r = st.tool_radius;
  TComp_next nx;
  look_ahead(nx);
  if (nx.result == TComp_next::NOT_FOUND) return;
  TComp_error err;
  TComp_elem off;
  VEC3 to;
  if (nx.result == TComp_next::ENDS || nx.code == 40) {
    if (!offset_elem(b.elem, comp_radius_sign(b.code, tool_r), off, err)) {
      record_failure(st, err);
      return;
    }
    to = off.end;
  } else {
    if (!offset_elem(nx.elem, comp_radius_sign(nx.code, tool_r), off, err)) {
      record_failure(st, err);
      return;
    }
    to = off.start;
  }
  to.z = b.elem.end.z;
  set_line(st, 0, b.elem.start, to);
  st.comp_move_count = 1;
  st.comp_applied = 1;
}

// Cancel: from where the offset path left the tool straight to the programmed end.
void comp_cancel(TComp_state& st, const TComp_block& b) {
  VEC3 from;
  if (st.last_valid) {
    from = st.last_pos;
  } else if (st.prev_valid) {
    TComp_error err;
    TComp_elem off;
    if (!offset_elem(st.prev, comp_radius_sign(st.code_p, st.tool_radius), off, err)) {
      record_failure(st, err);
      return;
    }
    from = off.end;
  } else {
    return;
  }
  from.z = b.elem.start.z;
  set_line(st, 0, from, b.elem.end);
  st.comp_move_count = 1;
  st.comp_applied = 1;
}

// The corner of the previous element with this one: where the compensated element starts.
// False when the corner fails or gives no point.
bool comp_start_corner(TComp_state& st, const TComp_block& b, float r, VEC3& start) {
  TComp_corner c;
  TComp_error err;
  if (!comp_corner(st.prev, b.elem, r, c, err)) {
    record_failure(st, err);
    return false;
  }
  if (c.count == 0) return false;
  start = c.points[0];
  return true;
}

// The moves to the corner with the next element: one line, the element, or the element and
// the corner's arc. False when the corner gives no point.
bool comp_to_corner(TComp_state& st, const TComp_block& b, const TComp_elem& off,
                    const TComp_next& nx, float r, const VEC3& start) {
  TComp_corner& c = st.corner_result;
  TComp_error err;
  if (!comp_corner(b.elem, nx.elem, r, c, err)) {
    record_failure(st, err);
    return false;
  }
  if (c.count == 0) return false;
  if (c.count == 1) {
    set_line(st, 0, start, c.moves[0].end);
    st.comp_move_count = 1;
  } else if (c.count == 2) {
    elem_move(st.comp_moves[0], off, start, c.points[0]);
    st.comp_move_count = 1;
  } else {
    elem_move(st.comp_moves[0], off, start, c.moves[0].end);
    st.comp_moves[1] = c.moves[1];
    st.comp_move_count = 2;
  }
  const float z = b.elem.end.z;
  st.comp_moves[0].end.z = z;
  for (int i = 1; i < st.comp_move_count; ++i)
    st.comp_moves[i].start.z = st.comp_moves[i].end.z = z;
  return true;
}

// Running compensation: the offset element from its start point to its corner with the
// next element, or to its plain offset end before a cancel. True when the next block can
// start its element at the corner point this one built (nx is that element, r the signed
// radius).
bool comp_running(TComp_state& st, const TComp_block& b, const Look_ahead& look_ahead,
                  TComp_next& nx, float& r) {
  r = comp_radius_sign(b.code, st.tool_radius);
  // The corner point the previous block built with this element (see comp_block_step).
  const bool cached = st.next_valid && same_xy_elem(st.next_elem, b.elem) && st.next_r == r;
  const VEC3 cached_start = st.next_start;
  look_ahead(nx);
  if (nx.result == TComp_next::NOT_FOUND) return false;
  const bool next_cancels = nx.result == TComp_next::ENDS || nx.code == 40;
  // Where the element starts: at the corner with the previous element, or after the
  // start-up move at the plain offset start.
  const bool after_start_up = st.code_pp == 40 || !st.prev_valid;
  VEC3 start;
  if (!after_start_up) {
    if (cached)
      start = cached_start;
    else if (!comp_start_corner(st, b, r, start))
      return false;
  }
  TComp_error err;
  TComp_elem off;
  if (!offset_elem(b.elem, r, off, err)) {
    record_failure(st, err);
    return false;
  }
  if (after_start_up) start = off.start;
  start.z = b.elem.start.z;

  TComp_corner& c = st.corner_result;
  c.count = 0;
  if (next_cancels) {
    // The cancel block leaves from the plain offset end of this element.
    VEC3 end = off.end;
    end.z = b.elem.end.z;
    elem_move(st.comp_moves[0], off, start, end);
    st.comp_move_count = 1;
  } else if (!comp_to_corner(st, b, off, nx, r, start)) {
    return false;
  }
  const VEC3 s = b.elem.start, e = b.elem.end;
  if (b.elem.kind != COMP_LINE && s.x == e.x && s.y == e.y) [[unlikely]]
    close_full_circle(st, c, next_cancels);
  st.comp_moves[0].start.z = s.z;
  st.comp_applied = 1;
  return !next_cancels;
}

}  // namespace

std::uint16_t comp_block_step(TComp_state& st, const TComp_block& b,
                              const std::function<void(TComp_next&)>& look_ahead) {
  clear_results(st);
  const bool running = comp_code(st.code_p) && comp_code(b.code);
  const bool rapid_ok = !running;  // start-up and cancel may be rapid moves
  const bool can_move = b.motion == NCD_MG_G01 || ncd_is_arc(b.motion) ||
                        (b.motion == NCD_MG_G00 && rapid_ok);
  const float tool_r = st.tool_radius;
  std::uint16_t result = 0;
  TComp_next nx;
  float r = 0;
  bool corner_for_next = false;
  if (b.moved && !can_move) {
    result = COMP_ERR_NONCOMP;
  } else if (b.plane == static_cast<int>(NCD_PLANE_XY) && st.tool_known && !(tool_r < COMP_TOL)) {
    if (!comp_qualifies(st, b))
      comp_no_travel(st, b);
    else if (st.code_p == 40)
      comp_start_up(st, b, look_ahead);
    else if (b.code == 40)
      comp_cancel(st, b);
    else
      corner_for_next = comp_running(st, b, look_ahead, nx, r);
  }
  shift_history(st, b);
  st.last_pos = comp_block_end(st, b);
  st.last_valid = true;
  if (corner_for_next) {
    // The next block starts its compensated element at this corner point.
    st.next_elem = nx.elem;
    st.next_start = st.corner_result.points[0];
    st.next_r = r;
    st.next_valid = true;
  }
  return result;
}
