// The copy-outs, the per-tool cut-out and the tool-check program: golden texts of a small
// fixture program, and a round-trip oracle that interprets every copy of generated programs
// and compares it with the transformed original, move by move.
#include "tests/support/fake_ui.h"
#include "mainwin/core/copy_outs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "bench/ncd_bench_host.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/menu_table.h"
#include "mainwin/core/session.h"
#include "mainwin/core/tooling_host_adapter.h"
#include "ncdata/ncd_moves.h"
#include "ncdata/ncd_run.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "tests/ncdata/ncd_test_util.h"
#include "tests/support/ncd_program_gen.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::data_file;
using testing_support::read_file;

// Every tool has a cutter radius of 3 mm, so G41/G42 compensate.
BenchRunHost g_radius;

std::unique_ptr<NCD_DATA> load_program(const std::string& text, bool comp = false) {
  auto d = make_ncd();
  d->set_host(&g_radius);
  d->exec_opt.comp_enabled = comp;
  load_ncd(*d, text);
  EXPECT_TRUE(Run_all_NCD(*d, 0));
  return d;
}

// A program with an origin comment, the head, n times the step line, and M30.
std::string steps_program(const std::string& head, int n, const std::string& step) {
  std::string text = "%\r\n(VLM ORIGN X0Y0Z100.)\r\n" + head;
  for (int i = 0; i < n; ++i) text += step + "\r\n";
  return text + "M30\r\n";
}

std::unique_ptr<NCD_DATA> fixture() {
  return load_program(read_file(data_file("copy_out_fixture.nc")));
}

TText_lines copy_of(NCD_DATA& d, int mode, COPY_OUT_RESULT* res = nullptr,
                    COPY_OUT_PARAMS p = COPY_OUT_PARAMS{}) {
  p.mode = mode;
  TText_lines out;
  COPY_OUT_RESULT r = convert_NCD_copy(d, p, out);
  if (res) *res = r;
  return out;
}

std::vector<std::string> lines_of(const TText_lines& t) {
  std::vector<std::string> v;
  for (std::size_t i = 0; i < t.size(); ++i) v.emplace_back(t.line(i));
  return v;
}

// ---- golden texts -------------------------------------------------------------------------

void expect_golden(const TText_lines& out, const std::string& name) {
  const std::string want = read_file(data_file(name));
  if (want != out.bytes()) {
    testing_support::write_file(std::filesystem::temp_directory_path() / name, out.bytes());
    ADD_FAILURE() << name << " differs; the output is in the temp folder";
  }
}

TEST(CopyOutGolden, EachModeOfTheFixture) {
  auto d = fixture();
  const struct {
    int mode;
    const char* file;
  } cases[] = {{CO_SUBPRO, "copy_out_7.txt"},     {CO_G91, "copy_out_33.txt"},
               {CO_G90, "copy_out_34.txt"},       {CO_X_MIRROR, "copy_out_37.txt"},
               {CO_TURN_90, "copy_out_39.txt"}};
  for (const auto& c : cases) {
    COPY_OUT_RESULT r;
    const TText_lines out = copy_of(*d, c.mode, &r);
    EXPECT_EQ(r.end, COPY_OUT_END::done) << c.mode;
    expect_golden(out, c.file);
    EXPECT_EQ(out.bytes().find("set G90 or G91"), std::string::npos);
  }
}

TEST(CopyOutGolden, CutOutAndToolCheck) {
  auto d = fixture();
  TText_lines cut;
  ASSERT_TRUE(list_TOOL_segments(*d, cut, 3, "", 5, 5, -1));
  expect_golden(cut, "cut_out_3.txt");
  TTOOL_HOLDER_tmp m;
  m.count = 3;
  for (int i = 0; i < 3; ++i) {
    m.slot[i].T_number = i + 1;
    m.slot[i].tool.name = i == 2 ? "φ6 (R3)" : "drill";
    m.slot[i].tool.T_category = i == 1 ? 0 : 3;
    m.slot[i].tool.ref_dia = 6;
  }
  TText_lines chk;
  make_TOOL_check_NCD(*d, m, chk, TTOOL_CHECK_PARAMS{});
  expect_golden(chk, "tool_check.txt");
}

// ---- the per-tool cut-out ----------------------------------------------------------------

TEST(CutOut, TitlesCodesAndRefusals) {
  auto d = fixture();
  struct C {
    int r, new_H, new_D, new_T;
    std::string name, title, start;
    const char* line;  // a line that must be there
  };
  const std::vector<C> cases = {
      {3, -1, -1, -1, "", "(  3 : T03 D03 H03 )", "( START ) T03 ", "G43 Z10. H03 D03"},
      {3, 5, 5, -1, "", "(  3 : T03 D03 H03  → T03 D05 H05 )", "( START ) T03 ",
       "G43 Z10. H05(H03) D05(D03)"},
      {3, -1, -1, 7, "", "(  3 : T03 D03 H03  → T07 D03 H03 )", "( START ) T07 ",
       "G43 Z10. H03 D03"},
      {1, -1, -1, -1, "end mill (R3)", "(  1 : T01     H01 : \"end mill [R3]\")", "( START ) T01 ",
       "(T1) M06"},
  };
  for (const C& c : cases) {
    TText_lines out;
    ASSERT_TRUE(list_TOOL_segments(*d, out, c.r, c.name, c.new_H, c.new_D, c.new_T));
    const auto v = lines_of(out);
    ASSERT_GE(v.size(), 4u);
    EXPECT_EQ(v[0], "(****************)");
    EXPECT_EQ(v[1], c.title);
    EXPECT_EQ(v[2], c.start);
    EXPECT_NE(out.bytes().find(c.line), std::string::npos) << c.title;
    EXPECT_EQ(out.bytes().find("DD"), std::string::npos);
    char end[32];
    std::snprintf(end, sizeof end, "( ENDED : T= %d )", d->run.stats[c.r].tool);
    EXPECT_EQ(v.back(), end);
  }
  // Tool 1's use ends before the next tool change; tool 3's runs through its sub-program.
  TText_lines one;
  list_TOOL_segments(*d, one, 1, "", -1, -1, -1);
  EXPECT_EQ(lines_of(one)[3], "(     5 ) (T1) M06");
  EXPECT_EQ(one.bytes().find("T2"), std::string::npos);
  TText_lines three;
  list_TOOL_segments(*d, three, 3, "", -1, -1, -1);
  EXPECT_EQ(lines_of(three)[3], "(    20 ) (T3) M06");
  EXPECT_NE(three.bytes().find("(    26 ) M30"), std::string::npos);

  // Refused: an index at the record count, and while busy; nothing written, position kept.
  Goto_NCD_step(*d, 7, false);
  const NCD_POINT at = d->exec.cur;
  const int block = d->pos.block_count;
  TText_lines none;
  EXPECT_FALSE(list_TOOL_segments(*d, none, static_cast<int>(d->run.stats.size()), "", -1, -1, -1));
  {
    plat::BusyGuard busy;
    EXPECT_FALSE(list_TOOL_segments(*d, none, 1, "", -1, -1, -1));
  }
  EXPECT_TRUE(none.empty());
  ASSERT_TRUE(list_TOOL_segments(*d, none, 2, "", -1, -1, -1));
  EXPECT_EQ(d->pos.block_count, block);
  EXPECT_EQ(d->exec.cur.x, at.x);
  EXPECT_EQ(d->exec.cur.z, at.z);
  EXPECT_FALSE(plat::busy());
}

TEST(CutOut, EscapeAtTheThousandthBlockEndsTheLinesEarly) {
  auto d = load_program(steps_program("T1 M06\r\n", 3000, "G91 G01 X0.01"));
  plat::ScriptedInput input;
  input.escape_after(1);
  TText_lines out;
  ASSERT_TRUE(list_TOOL_segments(*d, out, 1, "", -1, -1, -1));
  const auto v = lines_of(out);
  EXPECT_EQ(v.size(), 3u + 1000u + 2u);
  EXPECT_EQ(v[v.size() - 2], "( 中断しました )");
  EXPECT_EQ(v.back(), "( ENDED : T= 1 )");
}

// ---- the tool-check program --------------------------------------------------------------

TEST(ToolCheck, ToolBlocksAndErrors) {
  TTOOL_HOLDER_tmp m;
  m.count = 2;
  m.slot[0].T_number = 1;
  m.slot[0].tool.name = "flat";
  m.slot[0].tool.T_category = 3;
  m.slot[0].tool.ref_dia = 0.04f;
  m.slot[1].T_number = 2;
  m.slot[1].tool.T_category = 3;
  m.slot[1].tool.ref_dia = 10;
  const std::string head = "%\r\n(VLM ORIGN X1Y2Z100.)\r\n";
  struct C {
    std::string program;
    TTOOL_CHECK_PARAMS p;
    std::vector<std::string> want;    // lines that must be there
    std::vector<std::string> absent;  // texts that must not
  };
  TTOOL_CHECK_PARAMS bad_z, bad_x, bad_f, names_off;
  bad_z.z = "abc";
  bad_x.x = "1..";
  bad_f.f = "F";
  names_off.no_name = true;
  const std::vector<C> cases = {
      // One use, without H: only its two lines.
      {head + "T2 M06\r\nG00 X0\r\nM30\r\n", {}, {"/(****************)", "M00 (  1 : T02         : \"\")"},
       {"/T02", "G43"}},
      // Diameter 0.04: no check lines; with D: the circle of I = -2r; without D: X - r.
      {head + "T1 M06\r\nG43 Z5. H01\r\nT2 M06\r\nG43 Z5. H02 D02\r\nM30\r\n", {},
       {"M00 (  1 : T01     H01 : \"flat\")", "/T01 M6", "/G90G00G17G40G54 X1.Y2.Z100.",
        "/G90G00 X-50. Y-50.", "/G90G00G43 Z-50. H01", "/G90G01G41 X-40. J1 D02F200",
        "/G90G03    I-10.", "/G90G01G40 X-50.", "/G90G00 Z100.", "/G90G00 X1.Y2."},
       {"X-50.02"}},
      {head + "T2 M06\r\nG43 Z5. H02\r\nM30\r\n", {}, {"/G90G00 X-55."}, {"G41"}},
      {head + "T1 M06\r\nG43 Z5. H01\r\nM30\r\n", names_off, {"M00 (  1 : T01     H01 )"}, {"flat"}},
      {head + "T1 M06\r\nM30\r\n", bad_z, {"", "ERR : Z の abc は実数ではありません。"}, {"%"}},
      {head + "T1 M06\r\nM30\r\n", bad_x, {"ERR : X の 1.. は実数ではありません。"}, {"%"}},
      {head + "T1 M06\r\nM30\r\n", bad_f, {"ERR : F の F は実数ではありません。"}, {"%"}},
      {"%\r\nT1 M06\r\nM30\r\n", {}, {"ERR : この NC-DATA には ", "      開始位置の指定がありません。"}, {"%"}},
  };
  for (const C& c : cases) {
    auto d = load_program(c.program);
    TText_lines out;
    make_TOOL_check_NCD(*d, m, out, c.p);
    const auto v = lines_of(out);
    for (const std::string& w : c.want)
      EXPECT_NE(std::find(v.begin(), v.end(), w), v.end()) << w << "\n" << out.bytes();
    for (const std::string& a : c.absent)
      EXPECT_EQ(out.bytes().find(a), std::string::npos) << a << "\n" << out.bytes();
  }
}

// ---- refusals, copied lines, number forms -----------------------------------------------------

TEST(CopyOut, RefusalsAndCopiedLines) {
  const std::string o = "%\r\n(VLM ORIGN X0Y0Z100.)\r\nG90 G00 X1. Y1.\r\n";
  struct C {
    std::string body;
    int mode;
    COPY_OUT_END end;
    std::string msg_part;   // a part of the box's text
    std::string line_part;  // a line that must be written
  };
  const std::vector<C> cases = {
      {"G18 G02 X5. Z1. I2.\r\nM30\r\n", CO_G91, COPY_OUT_END::refused, "G18 ZX",
       "(*    4*) G90G18 G02 X5. Z1. I2."},
      {"G19\r\nM30\r\n", CO_X_MIRROR, COPY_OUT_END::refused, "G19 YZ", "(*    4*) G90G19"},
      {"G92 X0 Y0\r\nM30\r\n", CO_ROTATE, COPY_OUT_END::refused, "G92", "(*    4*) G90G92 X0 Y0"},
      {"G92 X0 Y0\r\nG01 X1.\r\nM30\r\n", CO_G91, COPY_OUT_END::done, "",
       "(*    4*) G90G92 X0 Y0"},
      {"G52 X5.\r\nM30\r\n", CO_G90, COPY_OUT_END::refused, "G52", ""},
      // (the whole text: it is longer than a short buffer holds)
      {"G91 G28 Z5.\r\nM30\r\n", CO_G91, COPY_OUT_END::refused,
       "G28 の中間点が G91 の 0 ではないデータは変換できません", ""},
      {"G90 G28 Z0.\r\nM30\r\n", CO_G91, COPY_OUT_END::refused, "G28", ""},
      {"G91 G28 Z0.\r\nG90 G00 Z10.\r\nM30\r\n", CO_G91, COPY_OUT_END::done, "",
       "(*    4*) G91 G28 Z0."},
      {"G04 X1.5\r\nM30\r\n", CO_G91, COPY_OUT_END::done, "", "(*    4*) G90G04 X1.5"},
      {"G18\r\nM30\r\n", CO_SUBPRO, COPY_OUT_END::done, "", "(     4 ) G18"},
      {"G91 G99 G81 X5. Z-3. R-1. L3 F100\r\nG80\r\nM30\r\n", CO_G91, COPY_OUT_END::refused, "L で",
       "(*    4*) G91 G99 G81 X5. Z-3. R-1. L3 F100"},
  };
  for (const C& c : cases) {
    auto d = load_program(o + c.body);
    COPY_OUT_RESULT r;
    const TText_lines out = copy_of(*d, c.mode, &r);
    EXPECT_EQ(r.end, c.end) << c.body;
    EXPECT_NE(r.message.find(c.msg_part), std::string::npos) << r.message;
    const auto v = lines_of(out);
    if (!c.line_part.empty())
      EXPECT_NE(std::find(v.begin(), v.end(), c.line_part), v.end()) << out.bytes();
    if (c.end != COPY_OUT_END::done) EXPECT_EQ(v.back(), "( 中断しました )");
  }
  // After G28 Z0 the G91 copy positions Z absolutely, then goes on in G91.
  auto d = load_program(o + "G91 G28 Z0.\r\nG90 G00 Z10.\r\nG01 Z5.\r\nM30\r\n");
  const auto v = lines_of(copy_of(*d, CO_G91));
  EXPECT_EQ(v[4], "(     5 ) G90 G00 Z10.");
  EXPECT_EQ(v[5], "(     6 ) G91G01 Z-5.");

  // A G90 copy of a program that starts in G91 without an origin comment.
  auto g = load_program("%\r\nG01 X1.\r\nM30\r\n");
  COPY_OUT_RESULT r;
  copy_of(*g, CO_G90, &r);
  EXPECT_EQ(r.end, COPY_OUT_END::refused);
  // Without an origin a G91 copy writes the first absolute line in G90.
  auto h = load_program("%\r\nG90 G00 X5. Y5.\r\nG01 X6.\r\nM30\r\n");
  const auto w = lines_of(copy_of(*h, CO_G91, &r));
  EXPECT_EQ(w[1], "(     2 ) G90 G00 X5.Y5. ");
  EXPECT_EQ(w[2], "(     3 ) G91G01 X1.");
}

TEST(CopyOut, NumberFormsAndSmallSteps) {
  auto d = load_program("%\r\n(VLM ORIGN X0Y0Z100.)\r\nG91 G01 X1.5 Y0.0004\r\nY0.0004\r\nM30\r\n");
  COPY_OUT_PARAMS p;
  p.conv_unit = 2;
  p.word_unit = 4;
  auto v = lines_of(copy_of(*d, CO_G91, nullptr, p));
  EXPECT_EQ(v[2], "(     3 ) G91 G01 X1500 ");  // Y0.0004 is below the step
  EXPECT_EQ(v[3], "(     4 ) Y1");  // the two add up to one
  v = lines_of(copy_of(*d, CO_G90));
  EXPECT_EQ(v[2], "(     3 ) G90 G01 X1.5Y0. ");  // the first word of each axis is written
  EXPECT_EQ(v[3], "(     4 ) Y0.001");

  // 200,000 steps of X0.001 in G91 give X200. in the G90 copy.
  std::string text = "%\r\n(VLM ORIGN X0Y0Z100.)\r\nG91 G01 X0.001 F100\r\n";
  for (int i = 1; i < 200000; ++i) text += "X0.001\r\n";
  text += "M30\r\n";
  auto big = load_program(text);
  const TText_lines out = copy_of(*big, CO_G90);
  EXPECT_EQ(out.line(out.size() - 2), "( 200002 ) X200.");
  // The G91 copy of the same: the sum of its integer steps is the count exactly.
  p.conv_unit = 2;
  const TText_lines inc = copy_of(*big, CO_G91, nullptr, p);
  long long sum = 0;
  for (std::size_t i = 0; i < inc.size(); ++i) {
    const std::string_view l = inc.line(i);
    const std::size_t x = l.find('X');
    if (x != std::string_view::npos) sum += std::atoll(std::string(l.substr(x + 1)).c_str());
  }
  EXPECT_EQ(sum, 200000);
}

TEST(CopyOut, CountGivesThatManyCopiesAndEscapeStops) {
  auto d = fixture();
  COPY_OUT_PARAMS p;
  p.times = 3;
  p.dx = 100;
  const TText_lines out = copy_of(*d, CO_MOVE, nullptr, p);
  int m30 = 0, starts = 0, tool1 = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::string_view l = out.line(i);
    m30 += l.find("M30") != std::string_view::npos;
    starts += l.substr(0, 2) == "(+";
    tool1 += l.find("T1 M06") != std::string_view::npos;
  }
  EXPECT_EQ(m30, 1);
  EXPECT_EQ(starts, 2);
  EXPECT_EQ(tool1, 3);
  EXPECT_NE(out.bytes().find("(+    1+) G90G00X300.Y0."), std::string::npos);

  auto e = load_program(steps_program("", 2500, "G91 G01 X0.01"));
  plat::ScriptedInput input;
  input.escape_after(2);
  COPY_OUT_RESULT r;
  const TText_lines part = copy_of(*e, CO_G91, &r);
  EXPECT_EQ(r.end, COPY_OUT_END::stopped);
  EXPECT_EQ(r.caption, "STOP");
  EXPECT_EQ(part.size(), 2001u);
  EXPECT_EQ(part.back(), "( 中断しました )");
}

// ---- the command -----------------------------------------------------------------------------

struct OutputUi : TVLM_fake_ui {
  void show_output(TText_lines& lines, const std::string& caption) override {
    shown.swap(lines);
    this->caption = caption;
    ++shows;
  }
  TText_lines shown;
  std::string caption;
  int shows = 0;
};

struct ScriptedChooser : TVLM_copy_out_chooser {
  bool number_form(const std::string& label, int& unit) override {
    labels.push_back(label);
    unit = answer_unit;
    return ok;
  }
  bool move_rotate(MOVE_ROTATE_VALUES& v) override {
    asked.push_back(v);
    v.move_x = 10;
    v.move_count = 2;
    return ok;
  }
  bool ok = true;
  int answer_unit = 2;
  std::vector<std::string> labels;
  std::vector<MOVE_ROTATE_VALUES> asked;
};

TEST(CopyOutCommand, DialogsCancelBusyAndTheWindow) {
  TSession s;
  Create_NCD(s.nc());
  load_ncd(s.nc(), read_file(data_file("copy_out_fixture.nc")));
  ASSERT_TRUE(Run_all_NCD(s.nc(), 0));
  OutputUi ui;
  ScriptedChooser chooser;
  TVLM_command_table popup;
  register_copy_out_commands(popup, s, ui, chooser);
  for (const VLM_menu_item& it : menu_items())
    if (it.handler == VLM_handler::list_popup && it.place == VLM_place::file &&
        it.state == VLM_item_state::enabled)
      EXPECT_TRUE(popup.has(VLM_handler::list_popup, it.tag)) << it.component;

  Goto_NCD_step(s.nc(), 9, false);
  const int block = s.nc().pos.block_count;
  ASSERT_TRUE(popup.run(VLM_handler::list_popup, 33));
  EXPECT_EQ(chooser.labels, std::vector<std::string>{"G91 に変換する"});
  EXPECT_EQ(ui.caption, "G91 に変更 ");
  EXPECT_EQ(s.disp.CONV_UNIT, 2);
  EXPECT_NE(ui.shown.bytes().find("G91 G00 X10000Y10000"), std::string::npos);
  EXPECT_EQ(s.nc().pos.block_count, block);  // the position is put back
  EXPECT_FALSE(plat::busy());

  // Cancel writes nothing; so does a busy window.
  chooser.ok = false;
  popup.run(VLM_handler::list_popup, 40);
  popup.run(VLM_handler::list_popup, 36);
  EXPECT_EQ(ui.shows, 1);
  EXPECT_EQ(chooser.asked.size(), 1u);
  chooser.ok = true;
  {
    plat::BusyGuard busy;
    popup.run(VLM_handler::list_popup, 20);
  }
  EXPECT_EQ(ui.shows, 1);

  // The move takes its values from the settings and keeps what the dialog gave.
  s.disp.COPY_IY = 5;
  popup.run(VLM_handler::list_popup, 36);
  ASSERT_EQ(chooser.asked.size(), 2u);
  EXPECT_EQ(chooser.asked[1].mode, MR_MOVE_2);
  EXPECT_EQ(chooser.asked[1].move_y, 5);
  EXPECT_EQ(s.disp.COPY_IX, 10);
  EXPECT_EQ(ui.caption, "移動 ");
  EXPECT_NE(ui.shown.bytes().find("(+    1+) G90G00X20000Y10000"), std::string::npos);

  // A refusal shows its box and still shows what was written.
  plat::ScriptedMessageBoxes boxes;
  TSession t;
  Create_NCD(t.nc());
  load_ncd(t.nc(), "%\r\n(VLM ORIGN X0Y0Z0)\r\nG18 G01 X1.\r\nM30\r\n");
  Run_all_NCD(t.nc(), 0);
  EXPECT_TRUE(NCD_copy_out(t, ui, chooser, CO_X_MIRROR));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "エラー");
  EXPECT_EQ(boxes.shown[0].flags, plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  EXPECT_EQ(ui.shown.back(), "( 中断しました )");
  Free_NCD(s.nc());
  Free_NCD(t.nc());
}

TEST(CopyOutCommand, ToolListOutputsThroughTheToolWindowsHost) {
  TSession s;
  Create_NCD(s.nc());
  load_ncd(s.nc(), read_file(data_file("copy_out_fixture.nc")));
  ASSERT_TRUE(Run_all_NCD(s.nc(), 0));
  s.tool_defs = {"(VLM N3 NAME=\"BALL (R3)\")"};
  OutputUi ui;
  TVLM_tooling_host host(s, ui);
  struct C {
    TTOOL_TDH_codes codes;
    bool no_name;
    std::string title;
  };
  const std::vector<C> cases = {
      {{3, "03", "03"}, true, "(  3 : T03 D03 H03 )"},  // the use's own codes: nothing new
      {{3, "05", "03"}, true, "(  3 : T03 D03 H03  → T03 D05 H03 )"},
      {{7, "03", ""}, true, "(  3 : T03 D03 H03  → T07 D03 H03 )"},
  };
  for (const C& c : cases) {
    std::vector<std::string> out;
    ASSERT_TRUE(host.list_TOOL_segments(3, c.codes, c.no_name, out));
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out[1], c.title);
  }
  std::vector<std::string> none;
  EXPECT_FALSE(host.list_TOOL_segments(9, {3, "", ""}, true, none));
  EXPECT_TRUE(none.empty());

  store_tool_check_params(TTOOL_CHECK_PARAMS{}, s.disp);  // the settings file's defaults
  s.disp.TCOND_O_num = "77";
  s.disp.TCOND_X_str = "-40.";
  std::vector<std::string> chk;
  ASSERT_TRUE(host.make_TOOL_check_NCD(s.disp, chk));
  EXPECT_EQ(chk[1], "O77");
  EXPECT_NE(std::find(chk.begin(), chk.end(), "/G90G00 X-40. Y-50."), chk.end());
  host.show_output_text(chk);
  EXPECT_EQ(ui.shown.size(), chk.size());
  EXPECT_EQ(host.nc_comment_lines(), std::vector<std::string>{"(VLM ORIGN X0Y0Z100.)"});
  Free_NCD(s.nc());
}

// ---- round-trip oracle ---------------------------------------------------------------------

struct Block {
  int line = -1;  // source line (0-based); -1 for an inserted line
  bool moved = false;
  bool tool_change = false;
  std::uint16_t error = 0;  // the code of a refused block
  NCD_POINT start, end;
  int motion = 0;
  bool ijk = false;  // an arc by its centre (not by R)
  VEC3 centre;
  double r_z = 0, bottom_z = 0;
  std::vector<NCD_MOVE> comp;  // the compensated moves
};

// Every block of the program from its start; with `tagged`, the source line from the tag.
std::vector<Block> trace(NCD_DATA& d, bool tagged) {
  std::vector<Block> v;
  Reset_NCD_exec(d);
  d.run.st = NCD_RUN_STATE{};
  std::string text;
  NCD_STEP_MOVES mv;
  for (;;) {
    const int before = d.pos.block_count;
    const bool ended = exec_NCD_block(d, false);
    if (d.pos.block_count == before) break;
    const int line = d.pos.cur_line;
    Block b;
    b.line = line;
    if (tagged) {
      get_NCD_line_text(d, line, text);
      int n = -1;
      if (text.size() > 8 && text[0] == '(' && text[1] != '+' && std::sscanf(text.c_str() + 1, "%*[ *]%d", &n) == 1)
        b.line = n - 1;
      else if (text.size() > 8 && text[0] == '(' && text[1] == ' ' && std::sscanf(text.c_str() + 1, "%d", &n) == 1)
        b.line = n - 1;
      else
        b.line = -1;
    }
    const NCD_LINE rec = d.line(line);
    b.moved = (rec.flags & NCD_WF_AXIS) && !(rec.flags & (NCD_WF_NOSIM | NCD_WF_G04));
    b.tool_change = (rec.status & NCD_ST_TOOL_CHANGE) != 0;
    if ((d.exec.status & NCD_ST_ERROR) && d.exec.status != NCD_ST_ERROR) b.error = d.exec.status;
    b.start = d.exec.prev;
    b.end = d.exec.cur;
    b.motion = d.exec.saved_status & NCD_ST_MOTION;
    b.ijk = (rec.flags & NCD_WF_IJK) != 0;
    b.centre = ncd_arc_centre(d.exec);
    b.r_z = d.exec.cyc.r_z;
    b.bottom_z = d.exec.cyc.bottom_z;
    get_NCD_step_moves(d, mv);
    for (int i = 0; i < mv.count; ++i)
      if (mv.m[i].compensated) b.comp.push_back(mv.m[i]);
    if (b.line >= 0) v.push_back(b);
    if (ended || (d.exec.status == NCD_ST_ERROR && (rec.status & NCD_ST_END_FIELD) == NCD_ST_PROG_END)) break;
  }
  return v;
}

struct Xform {
  int mode;
  double cx = 0, cy = 0, a = 0, dx = 0, dy = 0, dz = 0;
  NCD_POINT point(NCD_POINT p) const {
    switch (mode) {
      case CO_ROTATE: case CO_TURN_90: case CO_TURN_180: {
        const double r = a * M_PI / 180, c = std::cos(r), s = std::sin(r);
        const double x = p.x - cx, y = p.y - cy;
        return {cx + x * c - y * s, cy + x * s + y * c, p.z};
      }
      case CO_MOVE: return {p.x + dx, p.y + dy, p.z + dz};
      case CO_X_MIRROR: return {-p.x, p.y, p.z};
      case CO_Y_MIRROR: return {p.x, -p.y, p.z};
      default: return p;
    }
  }
  COPY_OUT_PARAMS params() const {
    COPY_OUT_PARAMS p;
    p.mode = mode;
    p.cx = cx, p.cy = cy, p.angle = a, p.dx = dx, p.dy = dy, p.dz = dz;
    return p;
  }
};
const Xform kAllModes[] = {{CO_G91}, {CO_G90}, {CO_ROTATE, 5, -3, 30},
                           {CO_MOVE, 0, 0, 0, 12.5, -7, 1}, {CO_X_MIRROR}, {CO_Y_MIRROR},
                           {CO_TURN_90, 0, 0, 90}, {CO_TURN_180, 0, 0, 180}};

std::string saved_copy(const NCD_DATA& d, const TText_lines& out) {
  std::vector<std::string> comments;
  if (d.comments.origin_given) comments.push_back(d.comments.origin_comment);
  return clip_save_text(comments, out);
}

void expect_near(const NCD_POINT& a, const NCD_POINT& b, double tol, const std::string& what) {
  EXPECT_NEAR(a.x, b.x, tol) << what;
  EXPECT_NEAR(a.y, b.y, tol) << what;
  EXPECT_NEAR(a.z, b.z, tol) << what;
}

std::string point_text(const NCD_POINT& p) {
  char b[96];
  std::snprintf(b, sizeof b, "(%.4f, %.4f, %.4f)", p.x, p.y, p.z);
  return b;
}
bool near(const NCD_POINT& a, const NCD_POINT& b, double tol) {
  return std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol;
}

// The first place where the copy of the program of `d` (whose blocks are `orig`) in the mode
// of `x` does not make the transformed moves of the original; empty when every block agrees.
std::string first_difference(const std::vector<Block>& orig, NCD_DATA& d, const Xform& x,
                             bool comp, std::string* copy_text = nullptr) {
  COPY_OUT_RESULT r;
  const TText_lines out = copy_of(d, x.mode, &r, x.params());
  if (copy_text) *copy_text = out.bytes();
  const std::string mode = "mode " + std::to_string(x.mode);
  if (r.end != COPY_OUT_END::done) return mode + " refused: " + r.message;
  auto c = load_program(saved_copy(d, out), comp);
  const std::vector<Block> copy = trace(*c, true);
  const bool mirror = x.mode == CO_X_MIRROR || x.mode == CO_Y_MIRROR;
  // Before the first move of a tool the copy stands at the untransformed start point.
  bool placed = false;
  for (std::size_t i = 0; i < orig.size() || i < copy.size(); ++i) {
    if (i >= orig.size() || i >= copy.size())
      return mode + ": the copy has " + std::to_string(copy.size()) + " blocks, the original " +
             std::to_string(orig.size());
    const Block& o = orig[i];
    const Block& k = copy[i];
    const std::string what = mode + " line " + std::to_string(o.line + 1) + ": ";
    if (k.line != o.line) return what + "the copy is at line " + std::to_string(k.line + 1);
    char codes[64];
    std::snprintf(codes, sizeof codes, "error 0x%X in the copy, 0x%X in the original", k.error, o.error);
    if (k.error != o.error) return what + codes;
    placed = (placed || o.moved) && !o.tool_change;
    const NCD_POINT want = x.point(o.end);
    if ((placed || k.moved) && !near(k.end, want, 0.001))
      return what + "end " + point_text(k.end) + ", wanted " + point_text(want);
    if (o.moved && !o.error && !ncd_is_arc(o.motion) && k.motion != o.motion)
      return what + "motion " + std::to_string(k.motion) + " in the copy, " +
             std::to_string(o.motion) + " in the original";
    if (ncd_is_arc(o.motion) && o.moved && !o.error) {
      const int turn = mirror ? (o.motion == NCD_MG_G02 ? NCD_MG_G03 : NCD_MG_G02) : o.motion;
      if (k.motion != turn) return what + "the arc turns the other way";
      // The centre of an arc by R moves with its rounded ends (without limit for a half
      // circle); that of an arc by I and J stays within the two roundings.
      const NCD_POINT wc = x.point(o.centre);
      if (o.ijk && !near(k.centre, wc, 0.0015))
        return what + "centre " + point_text(k.centre) + ", wanted " + point_text(wc);
    }
    if (ncd_is_cycle(o.motion) && o.moved &&
        (std::fabs(k.r_z - x.point({0, 0, o.r_z}).z) > 0.001 ||
         std::fabs(k.bottom_z - x.point({0, 0, o.bottom_z}).z) > 0.001))
      return what + "other cycle levels";
    if (k.comp.size() != o.comp.size())
      return what + std::to_string(k.comp.size()) + " compensated moves in the copy, " +
             std::to_string(o.comp.size()) + " in the original";
    for (std::size_t j = 0; j < k.comp.size(); ++j) {
      // The corner of a sharp turn lies far out on the offset lines, and the small
      // differences of the copy's ends (its words are single precision) go out with it.
      const NCD_POINT wc = x.point(o.comp[j].end);
      const NCD_POINT oe = o.comp[j].end;
      const double tol = 0.002 * std::max(1.0, std::hypot(oe.x - o.end.x, oe.y - o.end.y) / 3.0);
      if (!near(k.comp[j].end, wc, tol))
        return what + "compensated end " + point_text(k.comp[j].end) + ", wanted " + point_text(wc);
    }
  }
  return {};
}

TEST(CopyOutOracle, EveryModeReproducesTheTransformedPath) {
  testing_support::NcGenOptions go;
  go.lines = 10000;
  go.seed = 7;
  std::string text = testing_support::NcProgramGen(go).make();
  text.insert(3, "(VLM ORIGN X0Y0Z100.)\r\nG17\r\n");
  // A helix and a G91 stretch at the end of the main program.
  const std::size_t m30 = text.find("M30");
  text.insert(m30, "G90 G00 X10. Y0 Z5.\r\nG03 X-10. Y0 Z2. I-10. J0 F500\r\nG91 G01 X1.25 Y-2.5\r\nG90\r\n");
  auto d = load_program(text, true);
  const std::vector<Block> orig = trace(*d, false);
  ASSERT_GT(orig.size(), 9000u);
  for (const Xform& x : kAllModes) EXPECT_EQ(first_difference(orig, *d, x, true), "");
}

// Programs whose copies once moved where the original does not; every mode is checked.
TEST(CopyOutOracle, CopiesMoveOnlyWhereTheOriginalMoves) {
  const std::string head = "%\r\n(VLM ORIGN X0Y0Z100.)\r\nT1 M06\r\nG90 G00 X0 Y0\r\nG01 Z-1. F100\r\n";
  struct C {
    const char* what;
    std::string body;
    bool comp;
  };
  const std::vector<C> cases = {
      {"an arc whose end is off its circle", "G02 X5. Y5. I10. J0\r\nG01 X3.\r\n", false},
      {"the same under G41", "G41 D1\r\nG02 X5. Y5. I10. J0\r\nG00 X20. Y0\r\nG40\r\n", true},
      {"refused arcs after a contour", "G41 D1 G01 X10. Y0\r\nX30.\r\nY30.\r\nG02 X5. Y5. I10. J0\r\nG03 X5. Y5. R3.\r\nG40 G01 X40. Y40.\r\n", true},
      {"a refused peck cycle (no Q)", "G00 Z5.\r\nG99 G83 X10. Y5. Z-5. R2. F100\r\nX15.\r\nG80\r\nG01 X3.\r\n", false},
      {"a refused tapping cycle (spindle not M03)", "G00 Z5.\r\nG91 G98 G84 X10. Y5. Z-3. R-1. F100\r\nX5.\r\nG80\r\nG90 G01 X3.\r\n", false},
      {"a line passed over at '%'", "G01 X10.%5 F100\r\nG91 G01 X1.\r\nG90 X2.\r\n", false},
      {"a line passed over at its first digit", "0G92 Y5.\r\nG01 X3. Y2.\r\n", false},
      {"a line passed over after its G00", "G0%1 X5.\r\nX3. Y2.\r\n", false},
      {"compensation started where the tool stands", "G41 D5 X0 Y0\r\nG01 X3.\r\nY10.\r\nG40 X0 Y0\r\n", true},
      {"compensation ended where the tool stands", "G41 D5 X5. Y0\r\nG01 Y10.\r\nX0\r\nY0\r\nG40 X0 Y0\r\nG01 X5.\r\n", true},
      {"G90.1 in a move", "G91\r\nG01 X10. Y5. G90.1 F100\r\nX2.\r\n", false},
      {"G91.1 in a move", "G01 X10. Y5. G91.1 F100\r\nX2.\r\n", false},
      {"G90 with decimals after a Z word", "G91\r\nZ-2G90.838\r\nX4.\r\n", false},
      // The arc is written for the point the skipped line names: from where the tool
      // stands its end is off its circle, and the original refuses it.
      {"a skipped line before an arc by I and J", "G41 D1 G01 X10. Y0\r\nX20. Y5. Z-1*.402\r\nG03 X30. Y15. I0 J10.\r\nG01 Y20.\r\nG40 X0 Y0\r\n", true},
      {"a skipped line before an arc, without compensation", "G01 X10. Y5. Z-1*.402\r\nG02 X20. Y5. I5. J0\r\nG01 X3.\r\n", false},
  };
  for (const C& c : cases) {
    auto d = load_program(head + c.body + "M30\r\n", c.comp);
    const std::vector<Block> orig = trace(*d, false);
    for (const Xform& x : kAllModes) {
      std::string copy;
      EXPECT_EQ(first_difference(orig, *d, x, c.comp, &copy), "") << c.what << "\n" << copy;
    }
  }
  // The G91 and G90 copies stand where the original stands: a refused block is copied as
  // it stands, and a passed-over line byte for byte, set apart from the code in front.
  auto d = load_program(head + "G02 X5. Y5. I10. J0\r\nG01 X10.%5 F100\r\n0G92 Y5.\r\nM30\r\n");
  for (int mode : {CO_G91, CO_G90}) {
    const auto v = lines_of(copy_of(*d, mode));
    EXPECT_EQ(v[5], "(*    6*) G90G02 X5. Y5. I10. J0");
    EXPECT_EQ(v[6], "(*    7*) G90G01 X10.%5 F100");
    EXPECT_EQ(v[7], "(*    8*) G90 0G92 Y5.");
  }
}

// Small programs of what tends to go wrong in a copy: refused arcs, lines the tokenizer
// passes over, distance codes with decimals, compensation started and ended where the tool
// stands, arcs by I/J and by R, full circles, cycles in G90 and G91, zero-length moves.
class HostileProgramGen {
 public:
  explicit HostileProgramGen(unsigned seed) : rng_(seed * 2654435761u + 97u) {}

  std::string make(int items) {
    out_.clear();
    x_ = y_ = 0, z_ = 100, inc_ = false, comp_ = false, modal_.clear();
    out_ += "%\r\n(VLM ORIGN X0Y0Z100.)\r\nT1 M06\r\n";
    move("G00", r3(uni(-20, 20)), r3(uni(-20, 20)), 20);
    line("G43 Z20. H01");
    z_ = 20;
    move("G01", x_, y_, -1, " F300");
    for (int i = 0; i < items; ++i) item();
    if (comp_) move("G40 G01", x_ + 5, y_, z_);
    line("M30");
    return out_;
  }

 private:
  unsigned next() {
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
  }
  bool chance(int percent) { return static_cast<int>(next() % 100) < percent; }
  double uni(double a, double b) { return a + (b - a) * (next() % 100000) / 100000.0; }
  static double r3(double v) { return std::round(v * 1000.0) / 1000.0; }
  static std::string num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.3f", v);
    return b;
  }
  void line(const std::string& s) { out_ += s + "\r\n"; }
  // A distance code now and then, also with decimals (G90.1 runs as G90).
  std::string distance_code() {
    if (!chance(25)) return "";
    static const char* const codes[] = {"G90", "G91", "G90.1", "G91.1", "G90.838", "G91.5"};
    const char* c = codes[next() % 6];
    inc_ = c[2] == '1';
    return c;
  }
  std::string axis(char a, double to, double from) {
    return std::string(1, a) + num(inc_ ? r3(to - from) : to);
  }
  // A move to (x, y, z) with the axes that change (all of them now and then).
  void move(const std::string& g, double x, double y, double z, const std::string& tail = "") {
    const std::string code = distance_code();
    // The motion code is left out now and then where it is in force.
    const std::string motion = g.size() >= 3 && g.compare(g.size() - 3, 3, modal_) == 0 &&
                                       g.size() == 3 && chance(30) ? "" : g;
    modal_ = g.substr(g.size() - 3);
    std::string s = code.empty() || chance(50) ? code + motion : motion;
    const bool all = chance(20);
    if (all || x != x_) s += " " + axis('X', x, x_);
    if (all || y != y_) s += " " + axis('Y', y, y_);
    if (all || z != z_ || s.find('X') == std::string::npos) s += axis('Z', z, z_);
    if (!code.empty() && s.find(code) == std::string::npos) s += code;
    line(s + tail);
    x_ = x, y_ = y, z_ = z;
  }
  void arc(bool refused) {
    const double rad = uni(2, 12), a0 = uni(0, 6.283);
    const double cx = r3(x_ - rad * std::cos(a0)), cy = r3(y_ - rad * std::sin(a0));
    const bool ccw = chance(50);
    const int kind = static_cast<int>(next() % 3);  // 0 I/J, 1 R, 2 full circle
    const double sweep = uni(0.3, 2.5), a1 = ccw ? a0 + sweep : a0 - sweep;
    double ex = kind == 2 ? x_ : r3(cx + rad * std::cos(a1)), ey = kind == 2 ? y_ : r3(cy + rad * std::sin(a1));
    if (refused) ex = r3(ex + 3), ey = r3(ey + 4);
    const std::string code = distance_code();
    std::string s = code + (ccw ? "G03" : "G02");
    modal_ = ccw ? "G03" : "G02";
    if (kind == 2 && !refused) {
      if (chance(50)) s += " " + axis('X', ex, x_) + axis('Y', ey, y_);
    } else {
      s += " " + axis('X', ex, x_) + " " + axis('Y', ey, y_);
    }
    if (kind == 1)
      s += " R" + num(std::hypot(ex - x_, ey - y_) / 2 > rad ? r3(rad + 5) : r3(rad));
    else
      s += " I" + num(r3(cx - x_)) + " J" + num(r3(cy - y_));
    line(s + " F500");
    if (!refused) x_ = ex, y_ = ey;
  }
  // A line the tokenizer passes over: it makes no move.
  void passed_over() {
    switch (next() % 6) {
      case 0: line("G01 X" + num(r3(x_ + 10)) + "%5 F100"), modal_ = "G01"; break;
      case 5: line("G0%1 X5."), modal_ = "G00"; break;  // G00 is read, the rest passed over
      case 1: line("Z-1*.402"); break;
      case 2: line("0G92 Y5."); break;
      case 3: line("X" + num(r3(x_ - 3)) + "&Y2."); break;
      default: line("G01 Y" + num(r3(y_ + 1)) + " #1=5"), modal_ = "G01"; break;
    }
  }
  void cycle() {
    const bool peck = chance(50);
    const std::string g = std::string(chance(50) ? "G98" : "G99") + (peck ? " G83" : " G81");
    const std::string q = peck ? " Q2." : "";
    const double px = r3(uni(-40, 40)), py = r3(uni(-40, 40));
    if (inc_)
      line(g + " X" + num(r3(px - x_)) + " Y" + num(r3(py - y_)) + " Z-3. R-1." + q + " F200");
    else
      line(g + " X" + num(px) + " Y" + num(py) + " Z-5. R2." + q + " F200");
    x_ = px, y_ = py;
    for (int i = next() % 3; i > 0; --i) {
      line("X" + num(inc_ ? 5.0 : r3(x_ + 5)));
      x_ = r3(x_ + 5);
    }
    line("G80");
    modal_ = "G00";
    // The level it comes back to depends on G98/G99: go to a known one.
    inc_ = false;
    line("G90 G00 Z5.");
    z_ = 5;
    move("G01", x_, y_, -1);
  }
  void item() {
    const unsigned k = next() % 100;
    const double nx = r3(x_ + uni(-8, 8)), ny = r3(y_ + uni(-8, 8));
    if (k < 8) {
      const std::string code = inc_ ? "G91" : "G90";
      line(chance(50) ? code : (inc_ = !inc_) ? "G91" : "G90");
    } else if (k < 28) {
      move("G01", nx, ny, chance(20) ? r3(uni(-3, 0)) : z_);
    } else if (k < 33) {
      move("G01", x_, y_, z_);  // a move of length 0
    } else if (k < 50) {
      arc(false);
    } else if (k < 56) {
      arc(true);
    } else if (k < 64) {
      passed_over();
    } else if (k < 70) {
      passed_over();
      arc(false);
    } else if (k < 80 && !comp_) {
      comp_ = true;
      const std::string g = std::string(chance(50) ? "G41" : "G42") + " D" + std::to_string(1 + next() % 3);
      if (chance(25)) line(g);
      move(g + " G01", chance(40) ? x_ : nx, chance(40) ? y_ : ny, z_);
      // A contour goes somewhere: where compensation starts and ends without any travel
      // between, its side is not defined by the path, and no copy can turn it.
      move("G01", r3(x_ + 6), r3(y_ + uni(-3, 3)), z_);
    } else if (k < 80) {
      comp_ = false;
      move("G40 G01", chance(40) ? x_ : nx, chance(40) ? y_ : ny, z_);
    } else if (k < 86 && !comp_) {
      cycle();
    } else if (k < 90 && !comp_) {
      move("G00", nx, ny, r3(uni(1, 10)));
      move("G01", x_, y_, -1);
    } else {
      move("G01", nx, y_, z_);
    }
  }

  unsigned rng_;
  std::string out_;
  double x_ = 0, y_ = 0, z_ = 0;
  bool inc_ = false, comp_ = false;
  std::string modal_;  // the motion code in force
};

// The copies of a few hundred such programs, with and without compensation, in every mode.
TEST(CopyOutOracle, GeneratedProgramsRoundTrip) {
  int checked = 0;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const std::string text = HostileProgramGen(seed).make(30);
    const bool comp = seed % 3 != 0;
    auto d = load_program(text, comp);
    const std::vector<Block> orig = trace(*d, false);
    for (const Xform& x : kAllModes) {
      // A turn by 30 degrees rounds every end, and compensation is not steady under that
      // where the path turns back on itself: that copy is checked without it.
      if (x.mode == CO_ROTATE && comp) continue;
      std::string copy;
      const std::string diff = first_difference(orig, *d, x, comp, &copy);
      EXPECT_EQ(diff, "") << "seed " << seed << (comp ? " with" : " without")
                          << " compensation\n" << text << "\ncopy:\n" << copy;
      ++checked;
      if (!diff.empty()) break;
    }
    if (::testing::Test::HasFailure()) break;  // one program to look at
  }
  EXPECT_EQ(checked, 300 * 8 - 200);
}

TEST(CopyOutOracle, InversePairsBringBackTheOriginal) {
  auto d = fixture();
  const std::vector<Block> orig = trace(*d, false);
  struct Pair {
    std::vector<COPY_OUT_PARAMS> steps;
  };
  auto P = [](int mode, double a = 0, double dx = 0) {
    COPY_OUT_PARAMS p;
    p.mode = mode;
    p.angle = a;
    p.dx = dx;
    return p;
  };
  const std::vector<Pair> pairs = {
      {{P(CO_G91), P(CO_G90)}},
      {{P(CO_X_MIRROR), P(CO_X_MIRROR)}},
      {{P(CO_MOVE, 0, 12.345), P(CO_MOVE, 0, -12.345)}},
      {{P(CO_TURN_90), P(CO_TURN_90), P(CO_TURN_90), P(CO_TURN_90)}},
      {{P(CO_TURN_180), P(CO_TURN_180)}},
  };
  for (const Pair& pr : pairs) {
    std::string text = read_file(data_file("copy_out_fixture.nc"));
    for (const COPY_OUT_PARAMS& p : pr.steps) {
      auto d1 = load_program(text);
      TText_lines out;
      ASSERT_EQ(convert_NCD_copy(*d1, p, out).end, COPY_OUT_END::done);
      text = saved_copy(*d1, out);
    }
    auto back = load_program(text);
    std::vector<Block> b = trace(*back, false);
    // The positions the tool goes through (the saved copies add lines that do not move).
    auto path = [](const std::vector<Block>& v) {
      std::vector<NCD_POINT> p;
      for (const Block& x : v)
        if (p.empty() || std::fabs(p.back().x - x.end.x) + std::fabs(p.back().y - x.end.y) +
                                 std::fabs(p.back().z - x.end.z) > 1e-6)
          p.push_back(x.end);
      return p;
    };
    const std::vector<NCD_POINT> a = path(orig), c = path(b);
    ASSERT_EQ(a.size(), c.size()) << pr.steps[0].mode;
    for (std::size_t i = 0; i < a.size(); ++i)
      expect_near(c[i], a[i], 0.001, "mode " + std::to_string(pr.steps[0].mode));
  }
}

}  // namespace
