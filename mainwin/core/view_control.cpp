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

void ViewMouse::pick_work(int x, int y) {
  const ViewWorkPick p = host_.pick_work(x, y);
  if (!p.found) return;
  const std::string damage = view_damage_text(p.damage);
  if (seekable(p.mark)) host_.seek_line(p.mark);
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
