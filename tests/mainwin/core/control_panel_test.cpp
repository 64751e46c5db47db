#include "mainwin/core/control_panel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_exec.h"
#include "platform/core/input.h"

namespace {

CONTROLER_TEXTS texts_for(const NCD_EXEC& e, bool abc = false) {
  NCD_DATA d;
  d.exec = e;
  CONTROLER_TEXTS t;
  clear_controler_texts(t, abc);
  controler_status_texts(d, CONTROLER_TOOL{}, abc, t);
  return t;
}

NCD_EXEC block(std::uint16_t group, std::uint16_t flags, unsigned plane = 1) {
  NCD_EXEC e;
  e.status = static_cast<std::uint16_t>(NCD_ST_G98 | NCD_ST_G90 | group);
  e.flags = flags;
  e.mode = (plane << 4) | 1u;  // G54
  e.cur = NCD_POINT{1, 2, 3};
  e.f = 500;
  e.arc_r = 7;
  e.arc_i = 4;
  e.arc_j = 5;
  e.arc_k = 6;
  e.cyc.r = 8;
  e.q = 9;
  e.p = 10;
  return e;
}

std::string c(char l, float v) { return std::string(1, l) + float_to_str_fixed(v, 9, 3); }

TEST(ControlerStatus, MotionGroupsChooseTheirLabels) {
  const std::string X = c('X', 1), Y = c('Y', 2), Z = c('Z', 3), F = c('F', 500);
  const std::string R = c('R', 8), Q = c('Q', 9), P = "P" + float_to_str_fixed(10, 9, 0);
  struct Case {
    const char* name;
    NCD_EXEC e;
    const char* motion;
    std::array<std::string, 6> labels;  // stat_3 .. stat_8
  };
  const Case cases[] = {
      {"G00", block(31, 0), "G98 G90 G17 G54 G00", {X, Y, Z, "", "", ""}},
      {"G01", block(1, 0), "G98 G90 G17 G54 G01", {X, Y, Z, "", "", F}},
      {"G02 R", block(2, NCD_WF_R), "G98 G90 G17 G54 G02", {X, Y, Z, c('R', 7), "", F}},
      {"G02 IJ G17", block(2, NCD_WF_IJK, 1), "G98 G90 G17 G54 G02",
       {X, Y, Z, c('I', 4), c('J', 5), F}},
      {"G02 KI G18", block(2, NCD_WF_IJK, 2), "G98 G90 G18 G54 G02",
       {X, Y, Z, c('K', 6), c('I', 4), F}},
      {"G03 JK G19", block(3, NCD_WF_IJK, 3), "G98 G90 G19 G54 G03",
       {X, Y, Z, c('J', 5), c('K', 6), F}},
      {"G73", block(7, 0), "G98 G90 G17 G54 G73", {X, Y, Z, R, Q, F}},
      {"G74", block(8, 0), "G98 G90 G17 G54 G74", {X, Y, Z, R, P, F}},
      {"G81", block(11, 0), "G98 G90 G17 G54 G81", {X, Y, Z, R, "", F}},
      {"unknown group", block(10, 0), "G98 G90 G17 G54 ???", {"", "", "", "", "", ""}},
      {"G80", block(31, NCD_WF_G80), "G98 G90 G17 G54 G80", {X, Y, Z, "", "", ""}},
      {"G04 X", block(31, NCD_WF_G04 | NCD_WF_X), "G98 G90 G17 G54 G04",
       {X, "", "", "", "", ""}},
      {"G04 nothing", block(31, NCD_WF_G04), "G98 G90 G17 G54 G04", {"", "", "", "", "", ""}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const CONTROLER_TEXTS t = texts_for(k.e);
    EXPECT_EQ(t.stat[0], k.motion);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(t.stat[2 + i], k.labels[i]) << "stat_" << i + 3;
  }
}

TEST(ControlerStatus, DwellWithPAndBlankModalFields) {
  NCD_EXEC e = block(31, NCD_WF_G04 | NCD_WF_X);
  e.mask = static_cast<std::uint16_t>(1u << NCD_MB_P);
  e.p = 0;  // a zero dwell still shows its P
  EXPECT_EQ(texts_for(e).stat[2], "P 0");

  NCD_EXEC blank = block(1, 0, 0);
  blank.status = 1;  // no return level, no distance mode
  blank.mode = 7;    // G92, no plane
  EXPECT_EQ(texts_for(blank).stat[0], std::string(12, ' ') + "G92 G01");
}

TEST(ControlerStatus, OffsetAndCompensationTexts) {
  struct Case { std::uint16_t flags; const char* text; };
  const Case cases[] = {
      {0x4000, "G43 H03"}, {0x8000, "G44 H03"}, {0xC000, "G49    "},
      {0x4000 | 0x1000, "G43 H03 G41 D12"}, {0x2000, " G42 D12"}, {0xC000 | 0x3000, "G49     G40    "},
      {0, ""},
  };
  for (const Case& k : cases) {
    NCD_EXEC e = block(1, k.flags);
    e.h = 3;
    e.d = 12;
    EXPECT_EQ(texts_for(e).stat[1], k.text) << std::hex << k.flags;
  }
}

TEST(ControlerStatus, ProgramEndKeepsLabelsAndErrorShowsErr) {
  NCD_DATA d;
  d.exec = block(1, 0);
  CONTROLER_TEXTS t;
  clear_controler_texts(t, false);
  controler_status_texts(d, CONTROLER_TOOL{}, false, t);
  const CONTROLER_TEXTS before = t;
  d.exec.status = NCD_ST_ERROR;
  d.exec.cur = NCD_POINT{99, 99, 99};
  controler_status_texts(d, CONTROLER_TOOL{}, false, t);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(t.stat[i], before.stat[i]) << i;

  d.exec.status = NCD_ERR_ARC_END;
  controler_status_texts(d, CONTROLER_TOOL{}, false, t);
  EXPECT_EQ(t.stat[0], "ERR");
  EXPECT_EQ(t.stat[1], "ERR");
  for (int i = 2; i < 8; ++i) EXPECT_EQ(t.stat[i], "") << i;
}

void set_level(NCD_EXEC& e, int entry, const char* text) {
  std::memset(e.sub[entry].text.data(), 0, e.sub[entry].text.size());
  std::memcpy(e.sub[entry].text.data(), text, std::strlen(text));
}

TEST(ControlerStatus, CallChainByDepth) {
  struct Case {
    int depth;
    bool returned;
    std::uint16_t status;
    std::array<const char*, 4> labels;
  };
  const Case cases[] = {
      {0, false, 1, {"MAIN PRG", "", "", ""}},
      {0, true, 1, {"P0100(END)", "", "", ""}},
      {0, false, NCD_ST_ERROR, {"P0100(END)", "", "", ""}},
      {1, false, 1, {"P0100(END)", "", "", ""}},
      {1, true, 1, {"P0100(END)", "P0200(1)", "", ""}},
      {2, false, 1, {"P0100(END)", "P0200(1)", "", ""}},
      {3, true, 1, {"P0100(END)", "P0200(1)", "P0300(2)", "P0400(3)"}},
      {3, false, 1, {"P0100(END)", "P0200(1)", "P0300(2)", ""}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "depth " << k.depth << " returned " << k.returned);
    NCD_EXEC e = block(1, 0);
    e.status = static_cast<std::uint16_t>(k.status | (k.returned ? NCD_ST_PROG_END : 0));
    e.sub_depth = k.depth;
    set_level(e, 1, "P0100(END)");
    set_level(e, 2, "P0200(1)");
    set_level(e, 3, "P0300(2)");
    set_level(e, 4, "P0400(3)");
    const CONTROLER_TEXTS t = texts_for(e);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t.stat[8 + i], k.labels[i]) << "stat_" << 9 + i;
  }
}

TEST(ControlerStatus, CaptionToolTextAndAxes) {
  NCD_DATA d;
  d.line_count = 20;
  d.pos.start_line = 2;
  d.pos.last_line = 18;
  d.pos.cur_line = 5;
  d.exec = block(1, 0);
  d.exec.t_cur = 5;
  d.exec.a = 1.5f;
  CONTROLER_TEXTS t;
  struct Case { int spindle, s; bool set; const char* caption; };
  const Case cases[] = {
      {3, 1200, true, " 3 : 19 : 6 ( 2) T5 M03 S1200  : D10"},
      {4, -1, true, " 3 : 19 : 6 ( 2) T5 M04  : D10"},
      {0, 1200, false, " 3 : 19 : 6 ( 2) T5 : 工具未設定"},
  };
  for (const Case& k : cases) {
    d.exec.spindle = k.spindle;
    d.exec.s = k.s;
    controler_status_texts(d, CONTROLER_TOOL{k.set, "D10", 2}, true, t);
    EXPECT_EQ(t.caption, k.caption);
  }
  EXPECT_TRUE(t.abc_visible);
  EXPECT_EQ(t.stat[12], c('A', 1.5f));
  controler_status_texts(d, CONTROLER_TOOL{}, false, t);
  EXPECT_FALSE(t.abc_visible);
  EXPECT_EQ(t.stat[12], "");

  d.line_count = 0;
  controler_status_texts(d, CONTROLER_TOOL{}, false, t);
  EXPECT_EQ(t.caption, "controler");
}

TEST(ControlerAlarm, ReasonsInOrder) {
  EXPECT_EQ(interference_alarm_text(1), "");
  const std::string tail = "\n\n続けるときは OK を、停止するときは キャンセルを押してください";
  EXPECT_EQ(interference_alarm_text(64), "干渉エラー発生 : " + tail);
  EXPECT_EQ(interference_alarm_text(0xFF),
            "干渉エラー発生 : 無刃領域で加工,刃長が足りません,シャンクかホルダが干渉しました,"
            "冶具を加工,側面で加工,G00で加工," + tail);
}

// ---- the loops with a fake host ----------------------------------------------------------

struct FakeHost : CONTROLER_SIM, CONTROLER_FORM {
  NCD_DATA d;
  std::uint32_t now = 1000;
  std::uint32_t step_ms = 10;   // each action takes this long
  std::vector<std::string> calls;
  std::vector<std::uint32_t> frames;  // ticks of the drawn frames
  std::uint32_t bits = 0;
  std::vector<std::uint32_t> collide_at;  // block counters whose step collides
  std::vector<bool> answers;             // alarm answers, then OK
  std::vector<std::string> boxes;
  std::vector<bool> box_ok_only;
  bool inside = true;
  int abort = 0;
  bool debug = false;
  std::uint32_t last_frame = 0;
  bool any_frame = false;

  FakeHost() {
    d.line_count = 10;
    d.run_done = true;
    d.pos.total_blocks = 50;
    d.exec.status = 1;
  }
  NCD_DATA& data() override { return d; }
  void step_once(int delta) {
    now += step_ms;
    d.pos.block_count += delta;
    d.pos.next_line = d.pos.block_count < d.pos.total_blocks ? 1 : d.line_count;
    if (d.pos.block_count >= d.pos.total_blocks) d.exec.status = NCD_ST_ERROR;
  }
  bool action(int code) override {
    calls.push_back("action " + std::to_string(code));
    if (code == CA_STEP || code == CA_STEP2) step_once(1);
    if (code == CA_BACK_STEP && d.pos.block_count > 0) step_once(-1);
    for (auto b : collide_at)
      if (static_cast<int>(b) == d.pos.block_count) { bits = 0x21; return true; }
    return false;
  }
  int draw_data(int mode) override {
    if (mode == CD_HISPD_STEP) {
      step_once(1);
      for (auto b : collide_at)
        if (static_cast<int>(b) == d.pos.block_count) { bits = 0x21; return 1; }
      return 0;
    }
    calls.push_back("draw " + std::to_string(mode));
    return 0;
  }
  void rerun() override { calls.push_back("rerun"); }
  void goto_step(int b) override { calls.push_back("goto " + std::to_string(b)); d.pos.block_count = b; }
  void zoom_by_factor(double f) override { calls.push_back("zoom " + std::to_string(f)); }
  void fit_scale() override { calls.push_back("fit"); }
  bool debug_window_shown() override { return debug; }
  void dump_status() override { calls.push_back("dump"); }
  void set_status(bool force) override { calls.push_back(force ? "status!" : "status"); }
  void redraw_list() override { calls.push_back("list"); }
  int tool_first_block() override { return 3; }
  std::uint32_t check_bits() override { return bits; }
  void clear_check_bits() override { bits = 0; }
  int abort_flag() override { return abort; }
  void set_abort_flag(int v) override { abort = v; }
  void set_run_stop(bool on) override { calls.push_back(on ? "stop on" : "stop off"); }
  bool stop_on_interference() override { return true; }
  bool alarm_box(const std::string& text, bool ok_only) override {
    boxes.push_back(text);
    box_ok_only.push_back(ok_only);
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  void disable_buttons(int keep) override { calls.push_back("disable " + std::to_string(keep)); }
  void enable_buttons() override { calls.push_back("enable"); }
  bool press_inside(int) override { return inside; }
  std::uint32_t tick_ms() override { return now; }
  bool frame_due() override { return !any_frame || now - last_frame >= 40; }
  void frame_drawn() override {
    frames.push_back(now);
    any_frame = true;
    last_frame = now;
  }
  int redraw_interval() override { return 4; }
  bool called(const std::string& s) const {
    for (const auto& x : calls) if (x == s) return true;
    return false;
  }
};

TEST(ControlerAlarm, BoxStopAndClearedBits) {
  struct Case { std::uint32_t bits; int block; std::vector<bool> answers; bool go; int boxes; bool ok_only; };
  const Case cases[] = {
      {1, 5, {}, true, 0, false},        // bit 0 alone: no box
      {0x41, 5, {true}, true, 1, false},  // OK goes on
      {0x41, 5, {false}, false, 1, false},  // Cancel stops
      {0x41, 50, {true}, false, 1, true},   // the last block: OK alone, then stop
      {1, 50, {}, false, 0, false},         // the end stops without a box
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.bits << " at " << k.block);
    FakeHost h;
    CONTROLER_CORE core(h, h);
    h.bits = k.bits;
    h.answers = k.answers;
    h.d.pos.block_count = k.block;
    h.d.pos.next_line = k.block < 50 ? 1 : 10;
    EXPECT_EQ(core.Check_interference_alarm(), k.go);
    EXPECT_EQ(static_cast<int>(h.boxes.size()), k.boxes);
    if (k.boxes) {
      EXPECT_EQ(h.box_ok_only[0], k.ok_only);
    }
    EXPECT_EQ(h.bits, 0u);
  }
}

TEST(ControlerPress, DispatchByTagButtonAndCtrl) {
  using B = CONTROLER_BUTTON;
  struct Case { int tag; B b; bool ctrl; bool debug; std::vector<std::string> calls; };
  const Case cases[] = {
      {2, B::Left, false, false, {"draw 4"}},
      {2, B::Right, false, true, {"draw 4", "dump"}},
      {3, B::Right, false, false, {"action 6"}},
      {4, B::Left, false, false, {"action 7"}},
      {5, B::Right, false, false, {}},  // only with the debug window
      {5, B::Right, false, true, {"action 16", "dump", "status!"}},
      {5, B::Right, true, true, {}},
      {6, B::Right, false, true, {"action 2", "dump"}},
      {16, B::Right, false, true, {"action 8", "dump", "status!"}},
      {7, B::Left, false, false, {"action 4"}},
      {7, B::Middle, false, false, {"action 9"}},
      {8, B::Left, false, false, {"action 5"}},
      {8, B::Right, false, false, {"action 10"}},
      {9, B::Left, false, false, {"zoom 1.500000", "draw 4"}},
      {10, B::Right, false, false, {"fit", "zoom 1.000000", "draw 4"}},
      {11, B::Left, false, false, {"zoom 0.666667", "draw 4"}},
      {14, B::Left, false, false, {"action 14"}},
      {15, B::Left, false, false, {"action 15"}},
      {1, B::Right, false, false, {}},
      {12, B::Left, false, false, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "tag " << k.tag << " button " << static_cast<int>(k.b)
                                    << " ctrl " << k.ctrl);
    FakeHost h;
    h.debug = k.debug;
    h.d.pos.block_count = 7;
    CONTROLER_CORE core(h, h);
    core.press(k.tag, k.b, k.ctrl, 5000);
    EXPECT_EQ(h.calls, k.calls);
    if (k.tag == 2) {
      EXPECT_EQ(h.d.pos.mark_first, k.b == B::Left ? 7 : 3);
      EXPECT_EQ(h.d.pos.mark_last, 7);
    }
  }
  FakeHost h;
  h.d.pos.block_count = 7;
  CONTROLER_CORE core(h, h);
  core.press(2, B::Right, true, 5000);  // Ctrl: from block 0
  EXPECT_EQ(h.d.pos.mark_first, 0);
}

TEST(ControlerPress, NothingWithoutProgramWithinDebounceOrWhileUnrun) {
  {
    FakeHost h;
    h.d.line_count = 0;
    CONTROLER_CORE core(h, h);
    core.press(3, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_TRUE(h.calls.empty());
  }
  {
    FakeHost h;
    CONTROLER_CORE core(h, h);
    core.set_last_event(4950);
    core.press(3, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_TRUE(h.calls.empty());
    core.press(3, CONTROLER_BUTTON::Left, false, 5050);
    EXPECT_EQ(h.calls, std::vector<std::string>{"action 6"});
    EXPECT_EQ(core.last_event(), h.now);
  }
  {
    FakeHost h;
    h.d.run_done = false;  // no path yet: the program runs again first
    CONTROLER_CORE core(h, h);
    core.press(3, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_EQ(h.calls, (std::vector<std::string>{"rerun", "action 6"}));
  }
}

TEST(ControlerRepeat, StepsUntilEndAndBackStepStopsAtZero) {
  FakeHost h;
  CONTROLER_CORE core(h, h);
  h.d.pos.block_count = 47;
  EXPECT_TRUE(core.press(5, CONTROLER_BUTTON::Left, false, 5000));
  EXPECT_TRUE(core.repeat(5));
  EXPECT_FALSE(core.repeat(5));  // block 50: the program end
  EXPECT_EQ(h.d.pos.block_count, 50);

  FakeHost b;
  CONTROLER_CORE back(b, b);
  b.d.pos.block_count = 2;
  EXPECT_TRUE(back.press(6, CONTROLER_BUTTON::Left, false, 5000));
  EXPECT_FALSE(back.repeat(6));
  EXPECT_EQ(b.d.pos.block_count, 0);
  EXPECT_FALSE(back.repeat(6));
  EXPECT_EQ(b.d.pos.block_count, 0);

  FakeHost one;
  CONTROLER_CORE at_one(one, one);
  one.d.pos.block_count = 1;
  EXPECT_FALSE(at_one.press(6, CONTROLER_BUTTON::Left, false, 5000));  // reached 0 at once
}

TEST(ControlerLoop, ClickStopsOnlyAfterTheFirst200ms) {
  struct Case { int press_after_steps; bool inside; int blocks; };
  // Steps take 10 ms: the press read after step 15 is at 150 ms, after step 25 at 250 ms.
  const Case cases[] = {{15, true, 50}, {25, true, 25}, {25, false, 50}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.press_after_steps << " inside " << k.inside);
    FakeHost h;
    h.inside = k.inside;
    plat::ScriptedInput in;
    // The first read clears the latch at the start, one more after every step.
    for (int i = 0; i < k.press_after_steps; ++i) in.queue[1].push_back(false);
    in.press(plat::Key::LButton);
    CONTROLER_CORE core(h, h);
    core.press(1, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_FALSE(core.playing());
    EXPECT_EQ(h.d.pos.block_count, k.blocks);
    EXPECT_EQ(h.calls.front(), "disable 1");
    EXPECT_TRUE(h.called("enable"));
    EXPECT_EQ(h.calls.back(), "draw 16");
    // The next press starts normally.
    const int before = h.d.pos.block_count;
    h.d.exec.status = 1;
    h.d.pos.total_blocks = before + 3;
    core.press(1, CONTROLER_BUTTON::Left, false, h.now + 200);
    EXPECT_EQ(h.d.pos.block_count, before + 3);
  }
}

TEST(ControlerLoop, EscapeAbortAndCollisionStop) {
  {
    FakeHost h;
    plat::ScriptedInput in;
    in.escape_after(6);  // the first read clears the latch
    CONTROLER_CORE core(h, h);
    core.press(1, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_EQ(h.d.pos.block_count, 5);
  }
  {
    FakeHost h;
    h.collide_at = {12};
    h.answers = {false};
    plat::ScriptedInput in;
    CONTROLER_CORE core(h, h);
    core.press(1, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_EQ(h.d.pos.block_count, 12);
    ASSERT_EQ(h.boxes.size(), 1u);
    EXPECT_NE(h.boxes[0].find("側面で加工,"), std::string::npos);
    EXPECT_TRUE(h.called("stop on"));
    // The end: the read-outs and the listing of the last block, then the buttons and a frame.
    ASSERT_GE(h.calls.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(h.calls.end() - 5, h.calls.end()),
              (std::vector<std::string>{"stop off", "status", "list", "enable", "draw 16"}));
  }
  {
    FakeHost h;
    h.collide_at = {12, 30};
    h.answers = {true, true};
    plat::ScriptedInput in;
    CONTROLER_CORE core(h, h);
    core.press(18, CONTROLER_BUTTON::Left, false, 5000);
    EXPECT_EQ(h.boxes.size(), 2u);
    EXPECT_TRUE(h.called("goto 0"));  // the end seeks to block 0
    EXPECT_EQ(h.d.pos.block_count, 0);
  }
}

TEST(ControlerLoop, HighSpeedEndSeeksTopBeforeEnablingAndPacesFrames) {
  for (bool fastest : {false, true}) {
    SCOPED_TRACE(fastest ? "fastest" : "normal");
    FakeHost h;
    h.step_ms = 3;
    plat::ScriptedInput in;
    CONTROLER_CORE core(h, h);
    core.press(18, fastest ? CONTROLER_BUTTON::Right : CONTROLER_BUTTON::Left, false, 5000);
    const auto& c = h.calls;
    auto at = [&](const std::string& s) {
      for (size_t i = 0; i < c.size(); ++i) if (c[i] == s) return static_cast<int>(i);
      return -1;
    };
    ASSERT_GE(at("goto 0"), 0);
    EXPECT_LT(at("goto 0"), at("enable"));
    EXPECT_EQ(c.back(), "draw 4");
    EXPECT_EQ(h.called("draw 5"), !fastest);
    ASSERT_GE(h.frames.size(), 2u);
    for (size_t i = 1; i + 1 < h.frames.size(); ++i)
      EXPECT_GE(h.frames[i] - h.frames[i - 1], 40u) << i;
    EXPECT_EQ(h.frames.back(), h.now);  // one frame at the end
  }
}

TEST(ControlerLoop, ErrorStatusStopsWithoutSeek) {
  FakeHost h;
  plat::ScriptedInput in;
  h.d.exec.status = NCD_ERR_ARC_END;
  CONTROLER_CORE core(h, h);
  core.press(18, CONTROLER_BUTTON::Left, false, 5000);
  EXPECT_EQ(h.d.pos.block_count, 1);
  EXPECT_FALSE(h.called("goto 0"));
  EXPECT_TRUE(h.called("enable"));
}

}  // namespace
