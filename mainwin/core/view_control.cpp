#include "mainwin/core/view_control.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string view_round3_text(double v) {
  if (!std::isfinite(v)) v = 0;
  double r = std::round(v * 1000.0) / 1000.0;  // std::round: half away from zero
  if (r == 0) r = 0;                           // no "-0.000"
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", r);
  return buf;
}

bool view_zoom_by_factor(ViewParams& v, double f) {
  if (!(f > 0) || !std::isfinite(f) || !std::isfinite(v.zoom * f) || v.zoom * f <= 0)
    return false;
  v.zoom *= f;
  v.shift_x *= f;
  v.shift_y *= f;
  v.shift_z = -v.scene * 0.5 * v.scale();
  v.far_ = v.scene * v.scale();
  return true;
}

double view_drag_zoom_factor(int dx) {
  const double z = 0.02 * dx;
  return z >= 0 ? z + 1 : 1 / (std::fabs(z) + 1);
}

void view_rotate(ViewParams& v, int dx, int dy) {
  double z = v.rot_z + std::fmod(static_cast<double>(dx), 360.0);
  double x = v.rot_x + dy;
  if (!std::isfinite(z)) z = 0;
  if (!std::isfinite(x)) x = 0;
  z = std::fmod(z, 360.0);
  if (z > 180) z -= 360;
  if (z < -180) z += 360;
  if (x < 270) x = 270;
  if (x > 360) x = 360;
  v.rot_z = z;
  v.rot_x = x;
}

void view_pan(ViewParams& v, int dx, int dy) {
  v.shift_x += dx * v.pixel * v.scale();
  v.shift_y -= dy * v.pixel * v.scale();
}

void view_zoom_window(ViewParams& v, int x1, int y1, int x2, int y2, int w, int h) {
  const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
  v.shift_x += (w / 2.0 - cx) * v.pixel * v.scale();
  v.shift_y -= (h / 2.0 - cy) * v.pixel * v.scale();
  const int hw = std::abs(x2 - x1) / 2, hh = std::abs(y2 - y1) / 2;
  const double fw = hw < 6 ? 1000.0 : (w / 2.0) / hw;
  const double fh = hh < 6 ? 1000.0 : (h / 2.0) / hh;
  const double f = std::fmin(fw, fh);
  view_zoom_by_factor(v, x1 <= x2 ? f : 1 / f);
}

std::string view_damage_text(int damage) {
  static const struct {
    int bit;
    const char* text;
  } words[] = {{2, "無刃領域で加工,"}, {4, "刃長が足りません,"},
               {8, "シャンクかホルダが干渉しました,"}, {16, "冶具を加工,"},
               {32, "側面で加工,"}, {128, "G00で加工,"}};
  if ((damage & ~1) == 0) return {};
  std::string s = "破損チェックあり : ";
  for (const auto& w : words)
    if (damage & w.bit) s += w.text;
  return s;
}

std::string view_point_text(const PathPoint& p) {
  return "( " + view_round3_text(p.x) + " , " + view_round3_text(p.y) + " , " +
         view_round3_text(p.z) + ")";
}

std::string view_cell_text(int mark, int damage) {
  std::string s;
  if (mark == -2) {
    s = " 格子無し\r\n\r\n";
  } else if (mark < 0) {
    s = " 未加工\r\n\r\n";
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, " NCデータ %d 行目で加工\r\n\r\n", mark + 1);
    s = buf;
  }
  if (damage > 1) {
    static const struct {
      int bit;
      const char* text;
    } words[] = {{2, " 破損あり: 無刃領域で加工しました"}, {4, " 破損あり: 刃長が足りませんでした"},
                 {8, " 破損あり: シャンクかホルダで加工しました"}, {16, " 破損あり: 冶具を加工しました"},
                 {32, " 破損あり: 側面で加工しました"}, {128, " 破損あり: G00 で加工しました"}};
    for (const auto& w : words)
      if (damage & w.bit) s += std::string(w.text) + "\r\n";
  }
  return s;
}

// Ctrl and no button pressed in measure mode: the point under the cursor on the frame
// plane. With the second-point switch it is the measured point (the left button draws the
// chain); otherwise the grid cell there is read out and the simulation goes to its line.
void ViewMouse::measure_move(unsigned state, int x, int y) {
  PathPoint p;
  if (!host_.plane_point(x, y, host_.frame_height(), p)) return;
  if (host_.measure_second_point()) {
    host_.set_tool_position(p);
    if (state & VM_LEFT) {
      host_.add_measure_segment(chain_open_ ? chain_last_ : p, p);
      chain_open_ = true;
      chain_last_ = p;
    } else if (chain_open_) {
      host_.end_measure_chain();
      chain_open_ = false;
    }
    host_.draw_data(23);
    host_.show_measured(view_point_text(p));
    return;
  }
  const ViewWorkPick c = host_.pick_cell(p);
  if (!c.found) return;
  host_.show_measured(view_point_text({c.x, c.y, c.z}));
  if (c.mark != cell_line_ && seekable(c.mark)) host_.seek_line(c.mark);
  cell_line_ = c.mark;
  host_.range_from_top();
  host_.set_tool_position({c.x, c.y, c.z});
  host_.draw_data(3);
  host_.show_cell_text(view_cell_text(c.mark, c.damage));
}

// A path line picked in measure mode: its end is the measured point and the frame height.
void ViewMouse::measure_pick(int line) {
  host_.seek_line(line);
  const PathPoint p = host_.current_position();
  host_.set_frame_height(p.z);
  host_.set_tool_position(p);
  host_.draw_data(24);
  host_.show_measured(view_point_text(p));
  host_.refresh_panels();
}

void ViewMouse::pick_work(int x, int y) {
  const ViewWorkPick p = host_.pick_work(x, y);
  if (!p.found) return;
  const std::string damage = view_damage_text(p.damage);
  if (seekable(p.mark)) {
    host_.seek_line(p.mark);
    host_.range_from_tool_start();
  }
  host_.set_tool_position({p.x, p.y, p.z});
  host_.draw_data(4);
  host_.refresh_panels();
  if (!damage.empty() && seekable(p.mark)) {
    char head[32];
    std::snprintf(head, sizeof head, "%7d : ", p.mark + 1);
    host_.add_memo_line(head + damage);
  }
}

void ViewMouse::down(ViewButton b, unsigned state, int x, int y) {
  if (!host_.has_data()) return;
  last_x_ = x;
  last_y_ = y;
  ViewParams& v = host_.view();
  if (b == ViewButton::left) {
    if (state & VM_CTRL) {
      pick_work(x, y);
      return;
    }
    button_down_ = true;
    if ((mode & 0x0F) != 1) return;
    if (!rect_started_) {
      rx1_ = rx2_ = x;
      ry1_ = ry2_ = y;
      host_.xor_rect(rx1_, ry1_, rx2_, ry2_);
      rect_started_ = true;
      return;
    }
    host_.xor_rect(rx1_, ry1_, rx2_, ry2_);  // erase
    rx2_ = x;
    ry2_ = y;
    // the rectangle is gone from the screen either way, so it ends here
    rect_started_ = false;
    button_down_ = false;
    if (std::abs(rx2_ - rx1_) > 5 && std::abs(ry2_ - ry1_) > 5) {
      view_zoom_window(v, rx1_, ry1_, rx2_, ry2_, host_.panel_width(), host_.panel_height());
      host_.draw_data(4);
    }
    return;
  }
  if (state & VM_SHIFT) {
    const int line = host_.click_entity(x, y);
    if (!seekable(line)) return;
    host_.seek_line(line);
    const PathPoint c = host_.current_position();
    v.centre = {-c.x, -c.y, -c.z};
    v.shift_x = v.shift_y = 0;
    v.shift_z = -v.scene * 0.5 * v.scale();
    host_.draw_data(4);
    host_.refresh_panels();
    return;
  }
  if ((mode & 0xF0) == 0x20 || (state & VM_CTRL)) {
    const int line = host_.click_entity(x, y);
    if (!seekable(line)) return;
    if (host_.measure_mode()) {
      measure_pick(line);
      return;
    }
    host_.seek_line(line);
    host_.draw_data(44);
    host_.refresh_panels();
    return;
  }
  button_down_ = true;
}

void ViewMouse::move(unsigned state, int x, int y) {
  if (!host_.has_data()) return;
  const bool left = state & VM_LEFT, right = state & VM_RIGHT;
  if ((mode & 0x0F) == 1 && rect_started_ && !(state & VM_CTRL)) {
    host_.xor_rect(rx1_, ry1_, rx2_, ry2_);
    rx2_ = x;
    ry2_ = y;
    host_.xor_rect(rx1_, ry1_, rx2_, ry2_);
  }
  if (!button_down_ && (state & VM_CTRL) && host_.measure_mode()) {
    measure_move(state, x, y);
    return;
  }
  if (chain_open_) {  // Ctrl let go: the chain ends
    host_.end_measure_chain();
    chain_open_ = false;
  }
  if (!left && !right) {
    button_down_ = false;
    return;
  }
  if (!button_down_) {
    // the press fell in a drawing: the drag starts here, without a jump
    if (state & (VM_CTRL | VM_SHIFT)) return;
    button_down_ = true;
    last_x_ = x;
    last_y_ = y;
    return;
  }
  ViewParams& v = host_.view();
  const int dx = x - last_x_, dy = y - last_y_;
  if (right && (mode & 0xF0) == 0x10) {
    if (!left)
      view_pan(v, dx, dy);
    else
      view_zoom_by_factor(v, view_drag_zoom_factor(dx));
    last_x_ = x;
    last_y_ = y;
    host_.draw_data(3);
  } else if (left && !right) {
    if ((mode & 0x0F) == 2) {
      view_pan(v, dx, dy);
      host_.draw_data(3);
    } else if ((mode & 0x0F) == 3) {
      view_rotate(v, dx, dy);
      host_.show_angles(static_cast<int>(std::lround(v.rot_z)),
                        static_cast<int>(std::lround(v.rot_x)));
      host_.draw_data(3);
    }
    last_x_ = x;
    last_y_ = y;
  }
}

void ViewMouse::up(ViewButton, unsigned state, int x, int y) {
  if (!host_.has_data()) return;
  if (rect_started_) {
    host_.xor_rect(rx1_, ry1_, rx2_, ry2_);  // erase
    rx2_ = x;
    ry2_ = y;
    if (std::abs(rx2_ - rx1_) > 25 && std::abs(ry2_ - ry1_) > 25) {
      view_zoom_window(host_.view(), rx1_, ry1_, rx2_, ry2_, host_.panel_width(),
                       host_.panel_height());
      host_.draw_data(4);
      rect_started_ = false;
    } else {
      // a small rectangle stays open for a second click, so it stays drawn
      host_.xor_rect(rx1_, ry1_, rx2_, ry2_);
    }
    button_down_ = false;
    return;
  }
  if (button_down_) {
    if (state & (VM_LEFT | VM_RIGHT)) return;  // the last release redraws
    host_.draw_data(4);
  }
  rect_started_ = false;
  button_down_ = false;
}

void ViewMouse::drawing_ended(bool any_button_held) {
  if (button_down_ && !any_button_held && !rect_started_) {
    host_.draw_data(4);
    button_down_ = false;
  }
}
