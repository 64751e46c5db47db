#include "mainwin/core/view_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

TEST(ViewControl, ZoomWindowRotationAndDragZoom) {
  // zoom window on a 200 × 100 panel, pixel size 1, scale 1
  struct Case {
    const char* what;
    int x1, y1, x2, y2;
    double zoom;
  };
  const Case cases[] = {
      {"across fills the width", 50, 25, 150, 75, 2},
      {"narrower than 12 px down: across alone", 50, 45, 150, 55, 2},
      {"narrower than 12 px across: down alone", 95, 25, 105, 75, 2},
      {"both narrow: 1000", 95, 45, 105, 55, 1000},
      {"right to left zooms out", 150, 25, 50, 75, 0.5},
  };
  for (const Case& c : cases) {
    ViewParams v;
    v.scene = 100;
    view_zoom_window(v, c.x1, c.y1, c.x2, c.y2, 200, 100);
    EXPECT_DOUBLE_EQ(v.zoom, c.zoom) << c.what;
    EXPECT_DOUBLE_EQ(v.shift_z, -50 * c.zoom) << c.what;
    EXPECT_DOUBLE_EQ(v.far_, 100 * c.zoom) << c.what;
  }
  ViewParams off;
  view_zoom_window(off, 0, 0, 40, 20, 200, 100);  // centre (20, 10): shifted right, up
  EXPECT_DOUBLE_EQ(off.shift_x, 80 * 5);
  EXPECT_DOUBLE_EQ(off.shift_y, -40 * 5);

  struct Rot {
    double x, z;
    int dx, dy;
    double want_x, want_z;
  };
  const Rot rots[] = {
      {350, 170, 20, 20, 360, -170},   // past the vertical stops, Z passes 180
      {280, -170, -20, -20, 270, 170},
      {300, 0, 725, 0, 300, 5},        // a drag beyond a turn
      {300, NAN, 0, 0, 300, 0},
  };
  for (const Rot& r : rots) {
    ViewParams v;
    v.rot_x = r.x;
    v.rot_z = r.z;
    view_rotate(v, r.dx, r.dy);
    EXPECT_DOUBLE_EQ(v.rot_x, r.want_x);
    EXPECT_DOUBLE_EQ(v.rot_z, r.want_z);
  }

  EXPECT_DOUBLE_EQ(view_drag_zoom_factor(50), 2);
  EXPECT_DOUBLE_EQ(view_drag_zoom_factor(-50), 0.5);
  EXPECT_DOUBLE_EQ(view_drag_zoom_factor(0), 1);

  ViewParams z;
  z.shift_x = 3;
  for (double f : {0.0, -2.0, double(NAN), double(INFINITY)}) EXPECT_FALSE(view_zoom_by_factor(z, f)) << f;
  EXPECT_DOUBLE_EQ(z.zoom, 1);
  EXPECT_TRUE(view_zoom_by_factor(z, 2));
  EXPECT_DOUBLE_EQ(z.shift_x, 6);
}

TEST(ViewControl, RoundedTexts) {
  EXPECT_EQ(view_round3_text(1.0005), "1.001");
  EXPECT_EQ(view_round3_text(-1.0005), "-1.001");
  EXPECT_EQ(view_round3_text(-0.0004), "0.000");
  EXPECT_EQ(view_damage_text(1), "");
  EXPECT_EQ(view_damage_text(2 | 128), "破損チェックあり : 無刃領域で加工,G00で加工,");
}

namespace {

class FakeHost final : public ViewMouseHost {
 public:
  std::vector<int> draws;
  std::vector<int> seeks;
  std::vector<std::string> memo;
  int rects = 0;
  int entity = -1;
  int lines = 100;
  bool data = true;
  PathPoint pos{10, 20, 30};
  PathPoint tool{};
  ViewWorkPick work;
  ViewParams v;

  bool has_data() override { return data; }
  int line_count() override { return lines; }
  void draw_data(int mode) override { draws.push_back(mode); }
  int click_entity(int, int) override { return entity; }
  void seek_line(int line) override { seeks.push_back(line); }
  PathPoint current_position() override { return pos; }
  void refresh_panels() override {}
  void show_angles(int, int) override {}
  void xor_rect(int, int, int, int) override { ++rects; }
  ViewWorkPick pick_work(int, int) override { return work; }
  void set_tool_position(const PathPoint& p) override { tool = p; }
  void add_memo_line(const std::string& l) override { memo.push_back(l); }
  ViewParams& view() override { return v; }
  int panel_width() override { return 200; }
  int panel_height() override { return 100; }

  // measuring
  bool measure = false, second = false, plane_ok = true;
  double frame = 0;
  ViewWorkPick cell;
  std::vector<std::pair<PathPoint, PathPoint>> segments;
  int chain_ends = 0;
  std::vector<std::string> points, notes;
  bool measure_mode() override { return measure; }
  bool measure_second_point() override { return second; }
  double frame_height() override { return frame; }
  void set_frame_height(double z) override { frame = z; }
  bool plane_point(int x, int y, double z, PathPoint& out) override {
    out = {static_cast<double>(x), static_cast<double>(-y), z};
    return plane_ok;
  }
  void add_measure_segment(const PathPoint& a, const PathPoint& b) override { segments.emplace_back(a, b); }
  void end_measure_chain() override { ++chain_ends; }
  ViewWorkPick pick_cell(const PathPoint&) override { return cell; }
  void show_measured(const std::string& p) override { points.push_back(p); }
  void show_cell_text(const std::string& t) override { notes.push_back(t); }
};

}  // namespace

TEST(ViewMouse, ATwoButtonGestureEndsWithOneRedraw) {
  FakeHost h;
  ViewMouse m(h);
  m.mode = 0x13;
  m.down(ViewButton::right, VM_RIGHT, 10, 10);
  m.down(ViewButton::left, VM_RIGHT | VM_LEFT, 10, 10);
  m.move(VM_RIGHT | VM_LEFT, 60, 10);  // continuous zoom by 2
  EXPECT_DOUBLE_EQ(h.v.zoom, 2);
  m.up(ViewButton::left, VM_RIGHT, 60, 10);
  m.up(ViewButton::right, 0, 60, 10);
  EXPECT_EQ(h.draws, (std::vector<int>{3, 4}));

  // the same gesture with both presses and the release swallowed by a drawing
  FakeHost g;
  ViewMouse n(g);
  n.move(VM_RIGHT, 10, 10);   // starts the drag without a jump
  n.move(VM_RIGHT, 15, 10);   // pans 5 px
  EXPECT_DOUBLE_EQ(g.v.shift_x, 5);
  n.drawing_ended(false);
  n.drawing_ended(false);
  EXPECT_EQ(g.draws, (std::vector<int>{3, 4}));
}

TEST(ViewMouse, PicksSeekOnlyToLinesOfTheProgram) {
  FakeHost h;
  ViewMouse m(h);
  h.entity = 42;
  h.v.scene = 100;
  m.down(ViewButton::right, VM_RIGHT | VM_SHIFT, 5, 5);  // centres on the end point
  EXPECT_EQ(h.seeks, (std::vector<int>{42}));
  EXPECT_DOUBLE_EQ(h.v.centre.x, -10);
  EXPECT_DOUBLE_EQ(h.v.centre.z, -30);
  EXPECT_DOUBLE_EQ(h.v.shift_z, -50);
  EXPECT_EQ(h.draws, (std::vector<int>{4}));

  h.entity = -1;
  m.down(ViewButton::right, VM_RIGHT | VM_CTRL, 5, 5);
  h.entity = 100;  // beyond the last line
  m.down(ViewButton::right, VM_RIGHT | VM_CTRL, 5, 5);
  EXPECT_EQ(h.seeks.size(), 1u);
  h.entity = 7;
  m.down(ViewButton::right, VM_RIGHT | VM_CTRL, 5, 5);
  EXPECT_EQ(h.draws.back(), 44);

  // Ctrl + left on a work point: uncut seeks nothing; a damaged one writes its line
  FakeHost w;
  ViewMouse k(w);
  w.work = {true, 0, 5, 1, 2, 3, -1, 0};
  k.down(ViewButton::left, VM_LEFT | VM_CTRL, 5, 5);
  EXPECT_TRUE(w.seeks.empty());
  EXPECT_DOUBLE_EQ(w.tool.z, 3);
  EXPECT_TRUE(w.memo.empty());
  w.work = {true, 0, 5, 1, 2, 3, 8, 1 | 4};
  k.down(ViewButton::left, VM_LEFT | VM_CTRL, 5, 5);
  EXPECT_EQ(w.seeks, (std::vector<int>{8}));
  EXPECT_EQ(w.memo, (std::vector<std::string>{"      9 : 破損チェックあり : 刃長が足りません,"}));
  EXPECT_FALSE(k.button_down());
}

TEST(ViewMouse, ZoomRectangleByClicksAndByDrag) {
  struct Case {
    const char* what;
    bool drag;  // released away from the press, else a second click
    int x2, y2;
    double zoom;
    bool open;  // the rectangle stays open
  };
  const Case cases[] = {
      {"click, far enough", false, 150, 75, 2, false},
      {"click, 5 px is too small", false, 55, 80, 1, false},
      {"drag, far enough", true, 150, 75, 2, false},
      {"drag, 25 px stays open", true, 75, 75, 1, true},
  };
  for (const Case& c : cases) {
    FakeHost h;
    ViewMouse m(h);
    m.mode = 0x11;
    m.down(ViewButton::left, VM_LEFT, 50, 25);
    if (c.drag) {
      m.move(VM_LEFT, c.x2, c.y2);
      m.up(ViewButton::left, 0, c.x2, c.y2);
    } else {
      m.up(ViewButton::left, 0, 50, 25);
      m.move(0, c.x2, c.y2);
      m.down(ViewButton::left, VM_LEFT, c.x2, c.y2);
    }
    EXPECT_DOUBLE_EQ(h.v.zoom, c.zoom) << c.what;
    EXPECT_EQ(m.rect_started(), c.open) << c.what;
    // the rectangle is on the screen exactly while it is open
    EXPECT_EQ(h.rects % 2, c.open ? 1 : 0) << c.what;
  }
}

TEST(ViewMouse, NothingWithoutData) {
  FakeHost h;
  h.data = false;
  ViewMouse m(h);
  m.down(ViewButton::right, VM_RIGHT, 0, 0);
  m.move(VM_RIGHT, 30, 0);
  m.up(ViewButton::right, 0, 30, 0);
  EXPECT_TRUE(h.draws.empty());
}

// Measure mode: Ctrl moves with the second-point switch place the measured point on the
// frame plane and the left button draws a chain; without it they read the grid cell out and
// seek only when its line changes; a right pick takes the line's end as the frame height.
TEST(ViewMouse, MeasureModeReadsPointsCellsAndPickedLines) {
  {
    FakeHost h;
    ViewMouse m(h);
    h.frame = -2;
    m.move(VM_CTRL, 10, 20);  // measure mode off: nothing
    EXPECT_TRUE(h.points.empty());
    h.measure = h.second = true;
    m.move(VM_CTRL, 10, 20);
    m.move(VM_CTRL | VM_LEFT, 12, 20);
    m.move(VM_CTRL | VM_LEFT, 15, 24);
    m.move(VM_CTRL, 16, 24);  // the button let go: the chain ends
    EXPECT_DOUBLE_EQ(h.tool.x, 16);
    EXPECT_DOUBLE_EQ(h.tool.z, -2);
    ASSERT_EQ(h.segments.size(), 2u);
    EXPECT_DOUBLE_EQ(h.segments[0].first.x, 12);   // the chain starts at its first point
    EXPECT_DOUBLE_EQ(h.segments[0].second.x, 12);
    EXPECT_DOUBLE_EQ(h.segments[1].first.x, 12);   // and goes on from the last one
    EXPECT_DOUBLE_EQ(h.segments[1].second.y, -24);
    EXPECT_EQ(h.chain_ends, 1);
    EXPECT_EQ(h.points.back(), "( 16.000 , -24.000 , -2.000)");
    EXPECT_EQ(h.draws, (std::vector<int>{23, 23, 23, 23}));
    EXPECT_TRUE(h.seeks.empty());
    h.plane_ok = false;  // looking along the plane
    m.move(VM_CTRL, 30, 30);
    EXPECT_EQ(h.draws.size(), 4u);
  }
  {
    struct Case {
      int mark, damage;
      const char* text;
    };
    const Case cases[] = {
        {-2, 0, " 格子無し\r\n\r\n"},
        {-1, 0, " 未加工\r\n\r\n"},
        {8, 1, " NCデータ 9 行目で加工\r\n\r\n"},
        {8, 1 | 4 | 128,
         " NCデータ 9 行目で加工\r\n\r\n 破損あり: 刃長が足りませんでした\r\n"
         " 破損あり: G00 で加工しました\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(view_cell_text(c.mark, c.damage), c.text) << c.mark;

    FakeHost h;
    ViewMouse m(h);
    h.measure = true;
    h.cell = {true, 0, 5, 1.5, 2, 3, 8, 1};
    m.move(VM_CTRL, 10, 20);
    m.move(VM_CTRL, 11, 20);  // the same line: no second seek
    h.cell.mark = -1;         // uncut: nothing to seek
    m.move(VM_CTRL, 12, 20);
    EXPECT_EQ(h.seeks, (std::vector<int>{8}));
    EXPECT_EQ(h.draws, (std::vector<int>{3, 3, 3}));
    EXPECT_EQ(h.points.back(), "( 1.500 , 2.000 , 3.000)");
    EXPECT_EQ(h.notes.front(), " NCデータ 9 行目で加工\r\n\r\n");
    EXPECT_EQ(h.notes.back(), " 未加工\r\n\r\n");
    h.cell.found = false;
    m.move(VM_CTRL, 13, 20);
    EXPECT_EQ(h.draws.size(), 3u);
    // a drag with the button held is not a measurement
    m.down(ViewButton::right, VM_RIGHT, 0, 0);
    m.move(VM_RIGHT | VM_CTRL, 5, 0);
    EXPECT_EQ(h.points.size(), 3u);
  }
  {
    FakeHost h;
    ViewMouse m(h);
    h.measure = true;
    h.entity = 7;
    m.down(ViewButton::right, VM_RIGHT | VM_CTRL, 5, 5);
    EXPECT_EQ(h.seeks, (std::vector<int>{7}));
    EXPECT_DOUBLE_EQ(h.frame, 30);  // the line's end
    EXPECT_DOUBLE_EQ(h.tool.y, 20);
    EXPECT_EQ(h.draws, (std::vector<int>{24}));
    EXPECT_EQ(h.points, (std::vector<std::string>{"( 10.000 , 20.000 , 30.000)"}));
  }
}
