// The 3D view drawn into an off-screen slot (Mesa under Xvfb): pixel probes at projected
// points of the path, picking a path line, the mode rules of draw_data, stepping with cutting
// and the off-screen picture of the print preview.
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "tests/support/fake_ui.h"
#include "mainwin/core/session.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "mainwin/core/startup.h"
#include "mainwin/view/view_gl.h"
#include "ncdata/ncd_edit.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_shape.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr int kW = 400, kH = 300;

// A pocket side, an arc, a rapid and a drilled hole (lines are 0-based in the comments).
const char kProgram[] =
    "%\r\n"
    "O0001\r\n"
    "T1M06G90G54G17G00X0.Y0.S1000M03\r\n"  // 2 rapid
    "Z5.\r\n"                          // 3
    "G01Z-1.F100\r\n"                  // 4
    "X40.F500\r\n"                     // 5 feed along X
    "Y30.\r\n"                         // 6 feed along Y
    "G03X10.Y30.R15.\r\n"              // 7 arc
    "G00Z20.\r\n"                      // 8 rapid up
    "X60.Y-20.\r\n"                    // 9 rapid across
    "M30\r\n"
    "%\r\n";

// The window's side: the view answers draw_data and the fit.
struct ViewUi : TVLM_fake_ui {
  TVLM_view* view = nullptr;
  int draw_data(int mode) override { return view ? view->draw_data(mode) : 0; }
  bool draw_step(NCD_DATA& d, int mode) override {
    return view ? view->draw_step(mode) : TVLM_fake_ui::draw_step(d, mode);
  }
  void fit_scale(int arg) override {
    if (view) view->fit_scale(arg != 0);
  }
};

struct ViewFixture {
  ViewFixture() : host(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    write_default_files(s);  // the default tool file gives T1 its tool
    update_disp_colors(s.disp);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    gl.set_GL_view_area(0, kW, kH, 3, 3, 3, 3);
    ok = gl.open(nullptr, 0, true, false);
    gl.set_GL_default_view(0);
    gl.slot[0].view.background[2] = 0.5f;  // a blue background, unlike every path colour
    view = std::make_unique<TVLM_view>(s, gl, ui, 0);
    view->resized(kW, kH);
    ui.view = view.get();
  }
  ~ViewFixture() {
    ui.view = nullptr;
    view.reset();
    gl.close(0);
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  bool load(const std::string& text = kProgram) {
    // T1: a ball end mill of diameter 6 in its holder
    write_file(dir / "T.nst",
               "(VLM N1 \"B6\" )\r\n(VLM T1 A2B29C6D16E10F40G8H3)\r\n(VLM H1 A49B72)\r\n");
    write_file(dir / "T.NC", text);
    return open_NCD(s, ui, dir / "T.NC");
  }
  // The window point of a world point through slot 0's matrices.
  QPoint at(double x, double y, double z) {
    const float w[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    std::int32_t p[2];
    project_3Dpos(gl.slot[0].view, w, p);
    return {p[0], p[1]};
  }
  QImage picture() { return gl.grab(0).convertToFormat(QImage::Format_RGB32); }

  TempDir dir;
  TSession s;
  ViewUi ui;
  TVLM_host host;
  Tgl_func gl;
  std::unique_ptr<TVLM_view> view;
  plat::ScriptedMessageBoxes boxes;
  bool ok = false;
};

// Whether a pixel within 1 of p has the colour.
bool colour_near(const QImage& img, QPoint p, const std::uint8_t rgb[3]) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const QPoint q = p + QPoint(dx, dy);
      if (!img.rect().contains(q)) continue;
      const QRgb c = img.pixel(q);
      if (qRed(c) == rgb[0] && qGreen(c) == rgb[1] && qBlue(c) == rgb[2]) return true;
    }
  return false;
}

bool background_at(const QImage& img, QPoint p) {
  const QRgb c = img.pixel(p);
  return qRed(c) == 0 && qGreen(c) == 0 && qBlue(c) >= 126 && qBlue(c) <= 128;
}

}  // namespace

TEST(ViewGl, TheLoadedPathIsDrawnInItsBandColoursAndHiddenRapidsLeaveTheBackground) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  f.s.disp.VIS_BOUNDARY = 0;
  ASSERT_TRUE(f.load());
  ASSERT_EQ(f.view->draw_data(4), 0);
  QImage img = f.picture();
  if (const char* dump = std::getenv("VIEW_GL_DUMP")) img.save(QString::fromLocal8Bit(dump));
  ASSERT_EQ(img.size(), QSize(kW, kH));
  const int band = PathEmitter::feed_band(f.s.disp, 500);
  const std::uint8_t* feed = f.s.disp.path[static_cast<std::size_t>(band)].rgba;
  const std::uint8_t* rapid = f.s.disp.path[0].rgba;
  // every corner of the cutting path's box (the arc reaches Y45) lies inside the panel after
  // the fit
  for (int i = 0; i < 8; ++i) {
    const QPoint p = f.at(i & 1 ? 40 : 0, i & 2 ? 45 : 0, i & 4 ? 5 : -1);
    EXPECT_TRUE(QRect(0, 0, kW, kH).contains(p)) << i << " " << p.x() << "," << p.y();
  }
  EXPECT_TRUE(colour_near(img, f.at(20, 0, -1), feed));
  EXPECT_TRUE(colour_near(img, f.at(40, 15, -1), feed));
  EXPECT_TRUE(colour_near(img, f.at(35, 5, 20), rapid));
  // the middle of the pocket is background
  EXPECT_TRUE(background_at(img, f.at(20, 10, -1)));

  f.s.disp.INVIS_G00 = 1;
  f.view->draw_data(4);
  img = f.picture();
  EXPECT_TRUE(background_at(img, f.at(35, 5, 20)));
  EXPECT_TRUE(colour_near(img, f.at(20, 0, -1), feed));
}

// The read-out box: below and right of the tool's marker, framed in the read-out colour and
// filled with the background, so the path under it does not show through its text.
TEST(ViewGl, TheReadOutBoxCoversThePathBesideTheMarker) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  f.s.disp.VIS_BOUNDARY = 0;
  ASSERT_TRUE(f.load());
  f.s.disp.LOC_tcolor = 0x0000FF;  // red: unlike the path and the background
  f.s.disp.LOC_height = 12;
  f.view->draw_data(4);
  // To the foot of the plunge: the feed along X leaves the marker down and right, under
  // where the box goes.
  for (int i = 0; i < 3; ++i) f.view->draw_data(6);
  const float* t = f.view->tool_position();
  ASSERT_FLOAT_EQ(t[0], 0);
  ASSERT_FLOAT_EQ(t[2], -1);
  f.view->draw_data(24);  // the marker alone
  const QImage plain = f.picture();
  f.view->draw_data(17);  // with the read-out
  const QImage boxed = f.picture();
  if (const char* dump = std::getenv("VIEW_GL_DUMP")) boxed.save(QString::fromLocal8Bit(dump));
  const QPoint o = f.at(t[0], t[1], t[2]) + QPoint(5, 5);  // the box's top left corner
  const std::uint32_t c = f.s.disp.LOC_tcolor;
  const std::uint8_t loc[3] = {static_cast<std::uint8_t>(c & 0xFF),
                               static_cast<std::uint8_t>((c >> 8) & 0xFF),
                               static_cast<std::uint8_t>((c >> 16) & 0xFF)};
  EXPECT_TRUE(colour_near(boxed, o + QPoint(0, 20), loc));  // the left edge below the corner
  EXPECT_TRUE(colour_near(boxed, o + QPoint(20, 0), loc));  // the top edge
  // Inside the box the feed line is gone.
  const std::uint8_t* feed = f.s.disp.path[static_cast<std::size_t>(PathEmitter::feed_band(f.s.disp, 500))].rgba;
  const auto feed_pixels = [&](const QImage& img) {
    int n = 0;
    for (int y = o.y() + 5; y < o.y() + 36; ++y)  // inside the rounded corners
      for (int x = o.x() + 5; x < o.x() + 30; ++x) {
        const QRgb p = img.pixel(x, y);
        n += qRed(p) == feed[0] && qGreen(p) == feed[1] && qBlue(p) == feed[2] ? 1 : 0;
      }
    return n;
  };
  EXPECT_GT(feed_pixels(plain), 5) << "nothing under the box: the probe proves nothing";
  EXPECT_EQ(feed_pixels(boxed), 0);
}

TEST(ViewGl, APickAtAProjectedSegmentNamesItsLineAndAMissGivesMinusOne) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load());
  f.view->draw_data(4);
  const QPoint mid = f.at(40, 15, -1);  // line 6 "Y30."
  EXPECT_EQ(f.view->click_entity2(mid.x(), mid.y()), 6);
  EXPECT_EQ(f.view->click_entity2(mid.x() + 3, mid.y()), 6);
  const QPoint inside = f.at(20, 12, -1);
  EXPECT_EQ(f.view->click_entity2(inside.x(), inside.y()), -1);
  f.s.disp.INVIS_G00 = 1;
  const QPoint rapid = f.at(35, 5, 20);
  EXPECT_EQ(f.view->click_entity2(rapid.x(), rapid.y()), -1);
  f.s.disp.INVIS_G00 = 0;
  EXPECT_EQ(f.view->click_entity2(rapid.x(), rapid.y()), 9);
}

TEST(ViewGl, DrawDataRefusesUnknownModesAndDrawsNothingWithoutAProgram) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.view->draw_data(4), 0);  // no program: silent
  EXPECT_TRUE(f.boxes.shown.empty());
  ASSERT_TRUE(f.load());
  for (const int mode : {0, 1, 45, -1}) {
    f.boxes.shown.clear();
    EXPECT_EQ(f.view->draw_data(mode), 0);
    ASSERT_EQ(f.boxes.shown.size(), 1u) << mode;
    EXPECT_EQ(f.boxes.shown[0].text,
              "draw_data で無効な mode(= " + std::to_string(mode) + " ) 指定がありました");
  }
  // the drawing leaves the interpreter where it was
  const int block = f.s.nc().pos.block_count, line = f.s.nc().pos.cur_line;
  f.view->draw_data(4);
  EXPECT_EQ(f.s.nc().pos.block_count, block);
  EXPECT_EQ(f.s.nc().pos.cur_line, line);
}

TEST(ViewGl, SteppingWithTheWorksShownCutsThemAlongEveryMove) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load());
  Tmat& m = *f.s.mat;
  const std::uint8_t grey[4] = {200, 200, 200, 255};
  SET_WORK_NUM(m, 0);
  ASSERT_TRUE(CREATE_WORK(m, grey, 80, 60, true, false, VEC3{-10, -10, -10}, VEC3{70, 50, 0}));
  m.works[0].visible = 1;
  f.s.disp.SIM_VIS_WORK = 1;
  f.s.disp.NG_ERR_STOP = 0;  // the plunge of line 4 may report damage; step on
  Goto_NCD_step(f.s.nc(), 0, false);
  for (int i = 0; i < 40 && !f.view->draw_step(NCD_DRAW_STEP); ++i) {
  }
  // T1's own tool cut: a point under the feed along X at Z -1 was cut by line 5
  EXPECT_TRUE(f.s.th_outline->valid);
  EXPECT_GT(m.tpm_count, 0);
  const TWORK_DATA& w = m.works[0];
  int cut = 0;
  for (const TGRID_POINT& p : w.grid)
    if (p.mark == 5) ++cut;

  EXPECT_GT(cut, 0);
}

// The high-speed loop's step (mode 12) goes through the program as the drawn step does, one
// block a call with a canned cycle's sub-moves, and cuts the works the same, drawing nothing.
TEST(ViewGl, AHighSpeedStepRunsOneBlockAsTheDrawnStepDoesAndDrawsNothing) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load("%\r\nO0001\r\nT1M06G90G54G17G00X0.Y0.S1000M03\r\nZ5.\r\n"
                     "G01Z-1.F100\r\nX40.F500\r\nG99G81X20.Y10.Z-3.R2.F100\r\nX30.\r\n"
                     "G80\r\nG00Z20.\r\nM30\r\n%\r\n"));
  Tmat& m = *f.s.mat;
  const std::uint8_t grey[4] = {200, 200, 200, 255};
  SET_WORK_NUM(m, 0);
  ASSERT_TRUE(CREATE_WORK(m, grey, 80, 60, true, false, VEC3{-10, -10, -10}, VEC3{70, 50, 0}));
  m.works[0].visible = 1;
  f.s.disp.SIM_VIS_WORK = 1;
  f.s.disp.NG_ERR_STOP = 0;
  NCD_DATA& d = f.s.nc();
  struct Run {
    std::vector<int> lines;
    std::vector<float> heights;
  };
  const auto run = [&](int mode) {
    REMAKE_FOR_WORK_MATRIX(m, 0);
    Goto_NCD_step(d, 0, false);
    Run r;
    for (int i = 0; i < 40 && d.exec.status < NCD_ST_ERROR; ++i) {
      f.view->draw_data(mode);
      r.lines.push_back(d.pos.cur_line);
    }
    for (const TGRID_POINT& p : m.works[0].grid) r.heights.push_back(p.z);
    return r;
  };
  const Run drawn = run(NCD_DRAW_STEP);
  const QImage before = f.picture();
  const Run fast = run(VLM_DRAW_TO_END);
  EXPECT_EQ(fast.lines, drawn.lines);
  EXPECT_EQ(fast.heights, drawn.heights);
  EXPECT_EQ(f.picture(), before);
  EXPECT_EQ(d.exec.status, NCD_ST_ERROR);
}

TEST(ViewGl, TheOffScreenPictureShowsThePathAtTheAskedSize) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load());
  f.view->draw_data(4);
  auto pic = f.view->render_view(200, 120);
  ASSERT_TRUE(pic);
  EXPECT_EQ(pic->width, 200);
  EXPECT_EQ(pic->height, 120);
  int coloured = 0;
  for (std::uint32_t px : pic->pixels)
    if ((px & 0xFFFF00u) != 0) ++coloured;  // red or green: not the background
  EXPECT_GT(coloured, 50);
  // slot 0 still draws afterwards
  f.view->draw_data(4);
  EXPECT_FALSE(f.picture().isNull());
}

TEST(ViewGl, TheKeptPathDrawsTheSamePixelsAndChangesOfThePathRunItAgain) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load());
  f.s.nc().pos.mark_first = 0;
  f.s.nc().pos.mark_last = f.s.nc().pos.total_blocks - 1;
  f.view->draw_data(4);
  const QImage first = f.picture();
  std::uint64_t n = f.view->stepped_blocks();
  const std::uint64_t whole_run = n;
  TGL_VIEW& v = f.gl.slot[0].view;
  // the same view from the kept geometry: no interpreter steps, the same picture
  f.view->draw_data(4);
  EXPECT_EQ(f.view->stepped_blocks(), n);
  EXPECT_EQ(f.picture(), first);
  // rotation, pan and zoom keep it (the arc points follow the pixel size x scale, which the
  // zoom leaves as it is)
  v.rot_z += 20;
  v.first_shift[0] += 0.1f;
  v.zoom *= 2;
  f.view->draw_data(4);
  EXPECT_EQ(f.view->stepped_blocks(), n);
  v.rot_z -= 20;
  v.first_shift[0] -= 0.1f;
  v.zoom /= 2;
  // a range grown at its end (as stepping grows it) runs on from the old end only
  // (every block once: with the see-through path a block drawn twice would show darker)
  const int end = f.s.nc().pos.mark_last;
  f.s.nc().pos.mark_last = 3;
  n = f.view->stepped_blocks();
  f.view->draw_data(4);
  const std::uint64_t head_run = f.view->stepped_blocks() - n;
  f.s.nc().pos.mark_last = end;
  n = f.view->stepped_blocks();
  f.view->draw_data(4);
  EXPECT_EQ(f.view->stepped_blocks() - n, whole_run - head_run);
  EXPECT_EQ(f.picture(), first);
  n = f.view->stepped_blocks();
  f.view->draw_data(4);  // and keeps what it added
  EXPECT_EQ(f.view->stepped_blocks(), n);
  EXPECT_EQ(f.picture(), first);
  // what the path is drawn from runs it again
  struct Change {
    const char* what;
    std::function<void()> apply;
  };
  const Change changes[] = {
      {"rapids hidden", [&] { f.s.disp.INVIS_G00 = 1; }},
      {"colouring mode", [&] { f.s.disp.PATH_COLORING = 1; }},
      {"a row colour", [&] { f.s.disp.path[11].rgba[0] ^= 0x40; }},
      {"the range", [&] { f.s.nc().pos.mark_first = 3; }},
      {"an edit", [&] { ++f.s.nc().change_count; }},
  };
  for (const Change& c : changes) {
    c.apply();
    n = f.view->stepped_blocks();
    f.view->draw_data(4);
    EXPECT_GT(f.view->stepped_blocks(), n) << c.what;
  }
}

// The kept path put over the picture as a layer leaves the pixels that its lines drawn one by
// one leave: over a work whose top the feed moves lie on (equal depths) and the rapids stand
// over, on a fresh drawing, a range grown at its end, the same range again, a turned view
// and a range from later.
TEST(ViewGl, ThePathLayerLeavesThePixelsOfTheLinesDrawnOneByOne) {
  ViewFixture a, b;
  b.view->set_path_layer(false);
  for (ViewFixture* f : {&a, &b}) {
    ASSERT_TRUE(f->ok);
    ASSERT_TRUE(f->load());
    Tmat& m = *f->s.mat;
    const std::uint8_t grey[4] = {200, 200, 200, 255};
    SET_WORK_NUM(m, 0);
    ASSERT_TRUE(CREATE_WORK(m, grey, 80, 60, true, false, VEC3{-10, -10, -10}, VEC3{70, 50, -1}));
    m.works[0].visible = 1;
    f->s.disp.SIM_VIS_WORK = 1;
    f->s.nc().pos.mark_first = 0;
  }
  const int end = a.s.nc().pos.total_blocks - 1;
  struct Step {
    const char* what;
    bool changes;  // the picture differs from the step before
    std::function<void(ViewFixture&)> apply;
  };
  const Step steps[] = {
      {"a fresh drawing", true, [](ViewFixture& f) { f.s.nc().pos.mark_last = 5; }},
      {"the range grown", true, [end](ViewFixture& f) { f.s.nc().pos.mark_last = end; }},
      {"the same range", false, [](ViewFixture&) {}},
      {"a turned view", true, [](ViewFixture& f) { f.gl.slot[0].view.rot_z += 30; }},
      {"a range from later", true, [](ViewFixture& f) { f.s.nc().pos.mark_first = 6; }},
  };
  QImage before;
  for (const Step& st : steps) {
    const std::uint64_t puts = a.view->path_layer_puts();
    for (ViewFixture* f : {&a, &b}) {
      st.apply(*f);
      f->view->draw_data(4);
    }
    EXPECT_GT(a.view->path_layer_puts(), puts) << st.what;
    EXPECT_EQ(b.view->path_layer_puts(), 0u);
    const QImage pic = a.picture();
    EXPECT_EQ(pic, b.picture()) << st.what;
    EXPECT_EQ(pic != before, st.changes) << st.what;
    before = pic;
  }
}

TEST(ViewGl, TheWorksKeptPictureFollowsWhatTheSceneDrawsBeforeThem) {
  // A frame after a change of the scene must look like a first frame with that change.
  auto with_work = [](ViewFixture& f) {
    Tmat& m = *f.s.mat;
    const std::uint8_t grey[4] = {200, 200, 200, 255};
    SET_WORK_NUM(m, 0);
    ASSERT_TRUE(CREATE_WORK(m, grey, 80, 60, true, false, VEC3{-10, -10, -10}, VEC3{70, 50, 0}));
    m.works[0].visible = 1;
    f.s.disp.SIM_VIS_WORK = 1;
  };
  struct Change {
    const char* what;
    std::function<void(ViewFixture&)> apply;
  };
  const Change changes[] = {
      {"nothing", [](ViewFixture&) {}},
      {"the background", [](ViewFixture& f) { f.gl.slot[0].view.background[1] = 0.25f; }},
      {"the axis colour", [](ViewFixture& f) { f.s.disp.XYZ_ORG_rgba[0] ^= 0x80; }},
      {"the path box", [](ViewFixture& f) { f.s.disp.VIS_BOUNDARY = 1; }},
      {"a light", [](ViewFixture& f) { f.gl.slot[0].view.lights[0].diffuse[0] *= 0.5f; }},
  };
  for (const Change& c : changes) {
    ViewFixture a;
    ASSERT_TRUE(a.ok);
    ASSERT_TRUE(a.load());
    with_work(a);
    a.view->draw_data(4);
    a.view->draw_data(4);
    c.apply(a);
    a.view->draw_data(4);
    ViewFixture b;
    ASSERT_TRUE(b.ok);
    ASSERT_TRUE(b.load());
    with_work(b);
    c.apply(b);
    b.view->draw_data(4);
    EXPECT_EQ(a.picture(), b.picture()) << c.what;
  }
}

// A drag (mode 3) over a range longer than the abbreviation count draws the run's stored feed
// moves in grey without running the interpreter; within the count it draws the path itself.
TEST(ViewGl, ADragOverALongRangeDrawsTheStoredMovesInGrey) {
  ViewFixture f;
  ASSERT_TRUE(f.ok);
  f.s.disp.VIS_BOUNDARY = 0;
  ASSERT_TRUE(f.load());
  NCD_DATA& d = f.s.nc();
  d.pos.mark_first = 0;
  d.pos.mark_last = d.pos.total_blocks - 1;
  ASSERT_FALSE(d.run.samples.empty());
  const std::uint8_t grey[3] = {128, 128, 128};
  const int band = PathEmitter::feed_band(f.s.disp, 500);
  const std::uint8_t* feed = f.s.disp.path[static_cast<std::size_t>(band)].rgba;
  struct Case {
    int limit;
    bool stored;
  };
  for (const Case c : {Case{2, true}, Case{50000, false}}) {
    f.s.disp.LIMIT_LINES = c.limit;
    const std::uint64_t n = f.view->stepped_blocks();
    f.view->draw_data(3);
    const QImage img = f.picture();
    if (c.stored) EXPECT_EQ(f.view->stepped_blocks(), n);  // (the path itself may come kept)
    EXPECT_EQ(colour_near(img, f.at(20, 0, -1), grey), c.stored) << c.limit;  // the feed along X
    EXPECT_EQ(colour_near(img, f.at(20, 0, -1), feed), !c.stored) << c.limit;
  }
}
