// The cutter path of one tool use drawn off-screen for the tool list's pages, asked through
// the tool windows' host: each picture shows its own use's path and not the other's, the
// main view keeps its drawing range and position, and Escape ends a picture.
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "tests/support/fake_ui.h"
#include "mainwin/core/session.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/debug_log.h"

#include "mainwin/core/startup.h"
#include "mainwin/core/tooling_host_adapter.h"
#include "mainwin/view/tool_path_picture.h"
#include "mainwin/view/view_gl.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr int kW = 400, kH = 300, kPicW = 320, kPicH = 240;

// T1 feeds along X at Y0 (G01), T2 cuts a clockwise half circle through X80 Y10 (G02).
const char kProgram[] =
    "%\r\n"
    "O0001\r\n"
    "T1M06G90G54G17G00X0.Y0.S1000M03\r\n"
    "Z5.\r\n"
    "G01Z-1.F100\r\n"
    "X40.F500\r\n"
    "G00Z20.\r\n"
    "T2M06\r\n"
    "G00X60.Y30.\r\n"
    "Z5.\r\n"
    "G01Z-1.F100\r\n"
    "G02X60.Y-10.R20.F500\r\n"
    "G00Z20.\r\n"
    "M30\r\n"
    "%\r\n";

struct Ui : TVLM_fake_ui {
  TSession* s = nullptr;
  TVLM_view* view = nullptr;
  std::vector<std::string> captions;  // every caption set, in order
  void set_caption(const std::string& t) override {
    captions.push_back(t);
    TVLM_fake_ui::set_caption(t);
  }
  int draw_data(int mode) override { return view ? view->draw_data(mode) : 0; }
  void fit_scale(int arg) override {
    if (view) view->fit_scale(arg != 0);
  }
  bool draw_ZU_of_TOOL(int seg, int w, int h, bool white,
                       std::shared_ptr<const TG2_picture>& out) override {
    return draw_tool_path_picture(*s, *view, ui(), seg, w, h, white, out);
  }
};

struct Fixture {
  Fixture() : host(s, ui), tooling(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    write_default_files(s);
    update_disp_colors(s.disp);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    gl.set_GL_view_area(0, kW, kH, 3, 3, 3, 3);
    ok = gl.open(nullptr, 0, true, false);
    gl.set_GL_default_view(0);
    gl.slot[0].view.background[2] = 0.5f;  // blue, unlike every path row
    view = std::make_unique<TVLM_view>(s, gl, ui, 0);
    view->resized(kW, kH);
    ui.s = &s;
    ui.view = view.get();
    s.disp.PATH_COLORING = 1;  // by G code: G01 row 11, G02 row 12, in colours of their own
    s.disp.path[11].color = 60;
    s.disp.path[12].color = 51;
    update_disp_colors(s.disp);
    s.disp.INVIS_G00 = 1;
    s.disp.VIS_BOUNDARY = 0;
    s.disp.VIS_TOOL = s.disp.VIS_HOLDER = 0;  // the probes look at the path alone
  }
  ~Fixture() {
    ui.view = nullptr;
    view.reset();
    gl.close(0);
    gl.close(1);
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  bool load(const std::string& text) {
    write_file(dir / "T.nst",
               "(VLM N1 \"B6\" )\r\n(VLM T1 A2B29C6D16E10F40G8H3)\r\n(VLM H1 A49B72)\r\n"
               "(VLM N2 \"F10\" )\r\n(VLM T2 A1B29C10D20E10F40G8H3)\r\n(VLM H2 A49B72)\r\n");
    write_file(dir / "T.NC", text);
    return open_NCD(s, ui, dir / "T.NC");
  }
  int use_of_tool(int t) const {
    const auto& st = s.nc().run.stats;
    for (std::size_t i = 0; i < st.size(); ++i)
      if (st[i].tool == t) return static_cast<int>(i);
    return -1;
  }

  TempDir dir;
  TSession s;
  Ui ui;
  TVLM_host host;
  TVLM_tooling_host tooling;
  Tgl_func gl;
  std::unique_ptr<TVLM_view> view;
  plat::ScriptedMessageBoxes boxes;
  bool ok = false;
};

// Whether a pixel within 2 of the world point, projected by the picture's camera, has the
// colour.
bool colour_at(const TG2_picture& pic, const TGL_VIEW& v, double x, double y, double z,
               const std::uint8_t rgb[3]) {
  const float w[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
  std::int32_t p[2];
  project_3Dpos(v, w, p);
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const int px = p[0] + dx, py = p[1] + dy;
      if (px < 0 || py < 0 || px >= pic.width || py >= pic.height) continue;
      const std::uint32_t c = pic.pixels[static_cast<std::size_t>(py) * pic.width + px];
      if (((c >> 16) & 255) == rgb[0] && ((c >> 8) & 255) == rgb[1] && (c & 255) == rgb[2])
        return true;
    }
  return false;
}

}  // namespace

TEST(ToolPathPicture, EachUseShowsItsOwnPathAndTheMainViewKeepsItsRange) {
  Fixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load(kProgram));
  NCD_DATA& d = f.s.nc();
  const int u1 = f.use_of_tool(1), u2 = f.use_of_tool(2);
  ASSERT_GE(u1, 0);
  ASSERT_GE(u2, 0);
  const std::uint8_t* g01 = f.s.disp.path[11].rgba;
  const std::uint8_t* g02 = f.s.disp.path[12].rgba;
  ASSERT_FALSE(g01[0] == g02[0] && g01[1] == g02[1] && g01[2] == g02[2]);
  // the main view shows a range of its own, at a block of its own
  f.view->draw_data(4);
  Goto_NCD_step(d, 3, false);
  d.pos.mark_first = 1;
  d.pos.mark_last = 4;
  const int block = d.pos.block_count, line = d.pos.cur_line;
  const float tool[3] = {f.view->tool_position()[0], f.view->tool_position()[1],
                         f.view->tool_position()[2]};

  struct Case {
    int seg;
    bool t1_path, t2_path;
  };
  const Case cases[] = {{u1, true, false}, {u2, false, true}, {-1, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seg);
    std::shared_ptr<const TG2_picture> pic;
    ASSERT_TRUE(f.tooling.draw_ZU_of_TOOL(c.seg, kPicW, kPicH, false, pic));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->width, kPicW);
    EXPECT_EQ(pic->height, kPicH);
    const TGL_VIEW& v = f.gl.slot[1].view;
    EXPECT_EQ(colour_at(*pic, v, 20, 0, -1, g01), c.t1_path);  // T1's feed along X
    EXPECT_EQ(colour_at(*pic, v, 30, 0, -1, g01), c.t1_path);
    EXPECT_EQ(colour_at(*pic, v, 80, 10, -1, g02), c.t2_path);  // T2's arc at its widest
    EXPECT_FALSE(colour_at(*pic, v, 80, 10, -1, g01));
    // the main view is as it was
    EXPECT_EQ(d.pos.mark_first, 1);
    EXPECT_EQ(d.pos.mark_last, 4);
    EXPECT_EQ(d.pos.block_count, block);
    EXPECT_EQ(d.pos.cur_line, line);
    EXPECT_EQ(f.view->tool_position()[0], tool[0]);
    EXPECT_EQ(f.view->tool_position()[1], tool[1]);
    EXPECT_EQ(f.view->tool_position()[2], tool[2]);
  }
  EXPECT_TRUE(f.boxes.shown.empty());
}

TEST(ToolPathPicture, EscapeDuringALongUseEndsThePictureAndPutsTheViewBack) {
  Fixture f;
  ASSERT_TRUE(f.ok);
  std::string text = "%\r\nO0001\r\nT1M06G90G54G17G00X0.Y0.S1000M03\r\nG01Z-1.F500\r\n";
  for (int i = 0; i < 1500; ++i) text += i % 2 ? "X0.\r\n" : "X40.\r\n";
  text += "G00Z20.\r\nT2M06\r\nG01X60.Y30.\r\nM30\r\n%\r\n";
  ASSERT_TRUE(f.load(text));
  NCD_DATA& d = f.s.nc();
  const int u1 = f.use_of_tool(1);
  ASSERT_GE(u1, 0);
  f.view->draw_data(4);
  const int first = d.pos.mark_first, last = d.pos.mark_last, block = d.pos.block_count;
  {
    plat::ScriptedInput input;
    input.escape_after(1);
    std::shared_ptr<const TG2_picture> pic;
    EXPECT_FALSE(f.tooling.draw_ZU_of_TOOL(u1, kPicW, kPicH, false, pic));
    EXPECT_FALSE(pic);
    ASSERT_EQ(f.boxes.shown.size(), 1u);
    EXPECT_EQ(f.boxes.shown[0].text, "中断しました");
  }
  EXPECT_EQ(d.pos.mark_first, first);
  EXPECT_EQ(d.pos.mark_last, last);
  EXPECT_EQ(d.pos.block_count, block);
  // the caption says so
  EXPECT_EQ(f.ui.caption(), "中断しました。");
  // without Escape the same use gives its picture; a use beyond the run is refused
  std::shared_ptr<const TG2_picture> pic;
  EXPECT_TRUE(f.tooling.draw_ZU_of_TOOL(u1, kPicW, kPicH, false, pic));
  EXPECT_TRUE(pic);
  EXPECT_FALSE(f.tooling.draw_ZU_of_TOOL(static_cast<int>(d.run.stats.size()), kPicW, kPicH, false, pic));
  EXPECT_FALSE(pic);
  EXPECT_EQ(f.boxes.shown.size(), 1u);
}

TEST(ToolPathPicture, WithCuttingOnOnlyTheAskedUseCutsTheWorks) {
  Fixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load(kProgram));
  Tmat& m = *f.s.mat;
  const std::uint8_t grey[4] = {200, 200, 200, 255};
  SET_WORK_NUM(m, 0);
  ASSERT_TRUE(CREATE_WORK(m, grey, 100, 60, true, false, VEC3{-10, -20, -10}, VEC3{90, 40, 0}));
  m.works[0].visible = 1;
  f.s.disp.SIM_VIS_WORK = 1;
  f.s.disp.SIM_CUTTING_MODE = 1;
  auto marks_of = [&](int line) {
    int n = 0;
    for (const TGRID_POINT& p : m.works[0].grid)
      if (p.mark == line) ++n;
    return n;
  };
  std::shared_ptr<const TG2_picture> pic;
  ASSERT_TRUE(f.tooling.draw_ZU_of_TOOL(f.use_of_tool(2), kPicW, kPicH, false, pic));
  EXPECT_TRUE(pic);
  EXPECT_GT(marks_of(11), 0);  // T2's arc
  EXPECT_EQ(marks_of(5), 0);   // T1's feed along X is not part of this use
  // cutting off: the works stay as they are
  f.s.disp.SIM_CUTTING_MODE = 0;
  ASSERT_TRUE(f.tooling.draw_ZU_of_TOOL(f.use_of_tool(1), kPicW, kPicH, false, pic));
  EXPECT_EQ(marks_of(5), 0);
  f.s.disp.SIM_CUTTING_MODE = 1;
  ASSERT_TRUE(f.tooling.draw_ZU_of_TOOL(f.use_of_tool(1), kPicW, kPicH, false, pic));
  EXPECT_GT(marks_of(5), 0);
}

// The variants of the picture: -1 the present state, -2 its works alone, 10000 + n use n's
// works alone (the use is still run), on white or on the view's own background; uses out of
// range are refused.
TEST(ToolPathPicture, VariantsDrawPathOrWorksAloneOnTheAskedBackground) {
  Fixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load(kProgram));
  Tmat& m = *f.s.mat;
  const std::uint8_t grey[4] = {200, 200, 200, 255};
  SET_WORK_NUM(m, 0);
  // a work beside the paths, so that it hides none of them
  ASSERT_TRUE(CREATE_WORK(m, grey, 40, 40, true, false, VEC3{100, 40, -10}, VEC3{120, 60, 0}));
  m.works[0].visible = 1;
  f.s.disp.SIM_VIS_WORK = 1;
  f.s.disp.SIM_CUTTING_MODE = 0;
  const int u1 = f.use_of_tool(1), uses = static_cast<int>(f.s.nc().run.stats.size());
  ASSERT_GE(u1, 0);
  const std::uint8_t* g01 = f.s.disp.path[11].rgba;
  const std::uint8_t white[3] = {255, 255, 255};
  const std::uint8_t blue[3] = {0, 0, 128};
  struct Case {
    int seg;
    bool white, path;
  };
  const Case cases[] = {{-1, false, true},          {-1, true, true},
                        {-2, false, false},         {-2, true, false},
                        {u1, true, true},           {10000 + u1, false, false},
                        {10000 + u1, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "seg " << c.seg << " white " << c.white);
    std::shared_ptr<const TG2_picture> pic;
    RecordingDebLog log;
    ASSERT_TRUE(f.tooling.draw_ZU_of_TOOL(c.seg, kPicW, kPicH, c.white, pic));
    ASSERT_TRUE(pic);
    const TGL_VIEW& v = f.gl.slot[1].view;
    EXPECT_EQ(colour_at(*pic, v, 20, 0, -1, g01), c.path);
    // the corner is background; the work's top shows in every variant
    const std::uint8_t* back = c.white ? white : blue;
    const std::uint32_t corner = pic->pixels[0];
    EXPECT_EQ((corner >> 16) & 255, back[0]);
    EXPECT_EQ((corner >> 8) & 255, back[1]);
    EXPECT_EQ(corner & 255, back[2]);
    EXPECT_FALSE(colour_at(*pic, v, 110, 50, 0, back)) << "work missing";
    EXPECT_TRUE(log.contains("draw ZU_T:")) << "no debug line";
  }
  for (const int seg : {-3, uses, 10000 + uses}) {
    SCOPED_TRACE(seg);
    std::shared_ptr<const TG2_picture> pic;
    RecordingDebLog log;
    EXPECT_FALSE(f.tooling.draw_ZU_of_TOOL(seg, kPicW, kPicH, false, pic));
    EXPECT_FALSE(pic);
    EXPECT_FALSE(log.contains("draw ZU_T:"));
  }
  EXPECT_TRUE(f.boxes.shown.empty());
}

// While a use runs the main window's caption shows the progress with the tool and its
// spindle; afterwards the caption shown before is back. The debug log names the tool drawn.
TEST(ToolPathPicture, TheCaptionShowsTheRunAndComesBack) {
  Fixture f;
  ASSERT_TRUE(f.ok);
  ASSERT_TRUE(f.load(kProgram));
  f.s.disp.INTERVAL_REDRAW_LIST = 1;
  const int u1 = f.use_of_tool(1), u2 = f.use_of_tool(2);
  f.ui.set_caption("T.NC");
  const std::string running = " 切削中 (ESCキーで中断できます) ";
  struct Case {
    int seg;
    bool runs;
    std::string tool;  // the tool text the caption shows during the run
    std::string log;
  };
  const Case cases[] = {{u1, true, ") T1 M03 S1000  : ", "draw ZU_T:1"},
                        {u2, true, ") T2 M03 S1000  : ", "draw ZU_T:2"},
                        {10000 + u2, true, ") T2 M03 S1000  : ", "draw ZU_T:2"},
                        {-1, false, "", "draw ZU_T:"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seg);
    f.ui.captions.clear();
    RecordingDebLog log;
    std::shared_ptr<const TG2_picture> pic;
    ASSERT_TRUE(f.tooling.draw_ZU_of_TOOL(c.seg, kPicW, kPicH, false, pic));
    bool shown = false, with_tool = false;
    for (const std::string& cp : f.ui.captions) {
      if (cp.rfind(running, 0) != 0) continue;
      shown = true;
      EXPECT_NE(cp.find(" ( 3) T"), std::string::npos) << cp;  // three records
      if (cp.find(c.tool) != std::string::npos) with_tool = true;
    }
    EXPECT_EQ(shown, c.runs);
    if (c.runs) EXPECT_TRUE(with_tool) << c.tool;
    EXPECT_EQ(f.ui.caption(), "T.NC");
    EXPECT_TRUE(log.contains(c.log));
  }
}
