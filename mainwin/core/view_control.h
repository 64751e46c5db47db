// Mouse control of the 3D view without Qt: zoom by window, pan, rotate, continuous zoom,
// picking a path line and centring on it, the Ctrl pick of a work point, and the zoom
// factor rules shared with the controller's zoom buttons. The view's drawing, picking and
// seeking are reached through ViewMouseHost, so the rules run here without a context.
#pragma once
#include <cstdint>
#include <string>

#include "mainwin/core/path_emit.h"

// The slot's view fields that mouse, fit and zoom change; the view copies them in and out
// of its drawing slot.
struct ViewParams {
  double shift_x = 0, shift_y = 0, shift_z = -50;  // first shift
  PathPoint centre;                                // centre shift
  double base_scale = 1, zoom = 1;
  double rot_x = 290, rot_z = -50;
  double near_ = 1e-5, far_ = 1000;
  double scene = 1000;
  double pixel = 1;  // pixel size
  bool perspective = false;
  double scale() const { return zoom * base_scale; }
};

// The "%.3f" text of a value rounded half away from zero to 0.001, never "-0.000".
std::string view_round3_text(double v);

// Multiplies the zoom by f and follows with shifts and depth; refuses f <= 0 and a zoom
// that is not finite.
bool view_zoom_by_factor(ViewParams& v, double f);
// The factor of a continuous-zoom drag of dx pixels.
double view_drag_zoom_factor(int dx);
// Rotation by a drag of (dx, dy): Z wraps into -180..180, X stays within 270..360.
void view_rotate(ViewParams& v, int dx, int dy);
// Pan by (dx, dy) pixels.
void view_pan(ViewParams& v, int dx, int dy);
// The zoom window (x1, y1)-(x2, y2) on a W × H panel: centres it, then zooms in by the
// factor that fills the panel, or out by its inverse for a rectangle drawn right to left.
void view_zoom_window(ViewParams& v, int x1, int y1, int x2, int y2, int w, int h);

// A work point picked with Ctrl and the left button.
struct ViewWorkPick {
  bool found = false;
  int work = -1, index = -1;
  double x = 0, y = 0, z = 0;
  int mark = -1;     // NC line that cut it; -1 uncut, -2 no grid
  int damage = 0;    // damage bits of the grid point
};

// The damage text of a picked point ("破損チェックあり : " and one word per bit), or empty.
std::string view_damage_text(int damage);

class ViewMouseHost {
 public:
  virtual ~ViewMouseHost() = default;
  virtual bool has_data() = 0;
  virtual int line_count() = 0;
  virtual void draw_data(int mode) = 0;
  virtual int click_entity(int x, int y) = 0;  // NC line under the point, or -1
  virtual void seek_line(int line) = 0;
  virtual PathPoint current_position() = 0;
  virtual void refresh_panels() = 0;           // controller and listing
  virtual void show_angles(int rot_z, int rot_x) = 0;
  virtual void xor_rect(int x1, int y1, int x2, int y2) = 0;
  virtual ViewWorkPick pick_work(int x, int y) = 0;
  virtual void set_tool_position(const PathPoint& p) = 0;  // the drawn tool, not the run's
  virtual void add_memo_line(const std::string& line) = 0;
  virtual ViewParams& view() = 0;
  virtual int panel_width() = 0;
  virtual int panel_height() = 0;

  // Measure mode (the work window's switch) and its second-point switch (the work window's
  // move-tool switch).
  virtual bool measure_mode() { return false; }
  virtual bool measure_second_point() { return false; }
  // The height of the work store's grid-point frame, the plane that measuring works on.
  virtual double frame_height() { return 0; }
  virtual void set_frame_height(double /*z*/) {}
  // The point under the window point on the plane Z = z; false when the view looks along it.
  virtual bool plane_point(int /*x*/, int /*y*/, double /*z*/, PathPoint& /*out*/) { return false; }
  // The measuring chain the work store keeps: one segment more, or the chain ends.
  virtual void add_measure_segment(const PathPoint& /*a*/, const PathPoint& /*b*/) {}
  virtual void end_measure_chain() {}
  // The grid cell of the picked work under the world point, stored as the picked cell.
  virtual ViewWorkPick pick_cell(const PathPoint& /*p*/) { return {}; }
  // The drawn range becomes the program's top to the current block.
  virtual void range_from_top() {}
  // The drawn range becomes the first block of the tool in force to the current block.
  virtual void range_from_tool_start() {}
  // The work window: its point read-out "( x , y , z)" (and caption), and its text box.
  virtual void show_measured(const std::string& /*point*/) {}
  virtual void show_cell_text(const std::string& /*text*/) {}
};

// "( %.3f , %.3f , %.3f)" of a point, in the project's rounding.
std::string view_point_text(const PathPoint& p);
// The work window's text about a grid cell: where it was cut (mark -2 no grid, -1 uncut,
// else the 0-based NC line) and a line per damage bit, each line ended by CR LF.
std::string view_cell_text(int mark, int damage);

enum ViewMouseState : unsigned {
  VM_SHIFT = 1, VM_CTRL = 2, VM_LEFT = 4, VM_RIGHT = 8,
};
enum class ViewButton { left, right };

class ViewMouse {
 public:
  explicit ViewMouse(ViewMouseHost& host) : host_(host) {}
  // Low part: left-button action 1 zoom window, 2 pan, 3 rotate; high part: right-button
  // action 0x10 pan and zoom, 0x20 location.
  int mode = 0x13;

  void down(ViewButton b, unsigned state, int x, int y);
  void move(unsigned state, int x, int y);
  // `state` holds the buttons still down after this release.
  void up(ViewButton b, unsigned state, int x, int y);
  // A move with a button held but no press seen (it fell in a drawing) starts the drag
  // there; a drawing that ends with a drag open and no button held ends it.
  void drawing_ended(bool any_button_held);

  bool button_down() const { return button_down_; }
  bool rect_started() const { return rect_started_; }

 private:
  void pick_work(int x, int y);
  void measure_move(unsigned state, int x, int y);
  void measure_pick(int line);
  bool seekable(int line) { return line >= 0 && line < host_.line_count(); }

  ViewMouseHost& host_;
  int last_x_ = 0, last_y_ = 0;
  bool button_down_ = false;
  bool rect_started_ = false;
  int rx1_ = 0, ry1_ = 0, rx2_ = 0, ry2_ = 0;
  // Measuring: the chain's last point while the left button draws it; the line of the cell
  // last read out (the seek runs the program, so it is made only when the line changes).
  bool chain_open_ = false;
  PathPoint chain_last_;
  int cell_line_ = -3;
};
