// The NC data record first: Qt's "slots" keyword would meet its field of that name.
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "mainwin/control_view_1.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace {

struct Sim : CONTROLER_SIM {
  NCD_DATA d;
  std::vector<std::string> calls;
  Sim() {
    d.line_count = 10;
    d.run_done = true;
    d.pos.total_blocks = 100;
    d.exec.status = 1;
  }
  NCD_DATA& data() override { return d; }
  bool action(int code) override {
    calls.push_back("action " + std::to_string(code));
    if (code == CA_STEP) ++d.pos.block_count;
    if (code == CA_BACK_STEP && d.pos.block_count > 0) --d.pos.block_count;
    return false;
  }
  int draw_data(int mode) override { calls.push_back("draw " + std::to_string(mode)); return 0; }
  void rerun() override {}
  void goto_step(int) override {}
  void zoom_by_factor(double) override { calls.push_back("zoom"); }
  void fit_scale() override { calls.push_back("fit"); }
  bool debug_window_shown() override { return false; }
  void dump_status() override {}
  void redraw_list() override {}
  int tool_first_block() override { return 0; }
  std::uint32_t check_bits() override { return 0; }
  void clear_check_bits() override {}
  int abort_flag() override { return 0; }
  void set_abort_flag(int) override {}
  void set_run_stop(bool) override {}
  bool stop_on_interference() override { return true; }
  bool frame_due() override { return true; }
  void frame_drawn() override {}
  int redraw_interval() override { return 200; }
};

struct Panel {
  Sim sim;
  std::uint32_t now = 10000;
  Tcontroler w{sim, nullptr};
  Panel() {
    w.clock = [this] { return now; };
    w.core().set_last_event(0);
  }
  void click(QPushButton* b, Qt::MouseButton mb = Qt::LeftButton,
             Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mousePress(b, mb, m);
    QTest::mouseRelease(b, mb, m);
  }
};

TEST(ControlerForm, PressesReachTheCoreByTagAndButton) {
  struct Case { int tag; Qt::MouseButton b; std::vector<std::string> calls; };
  const Case cases[] = {
      {3, Qt::LeftButton, {"action 6"}},       {4, Qt::RightButton, {"action 7"}},
      {7, Qt::MiddleButton, {"action 9"}},     {8, Qt::RightButton, {"action 10"}},
      {9, Qt::LeftButton, {"zoom", "draw 4"}}, {14, Qt::LeftButton, {"action 14"}},
      {15, Qt::LeftButton, {"action 15"}},
  };
  for (const Case& k : cases) {
    Panel p;
    p.click(p.w.button(k.tag), k.b);
    EXPECT_EQ(p.sim.calls, k.calls) << "tag " << k.tag;
  }
}

TEST(ControlerForm, NothingWithoutProgramAndWithinDebounce) {
  Panel p;
  p.sim.d.line_count = 0;
  p.click(p.w.Btn03_NextT);
  EXPECT_TRUE(p.sim.calls.empty());
  p.sim.d.line_count = 10;
  p.click(p.w.Btn03_NextT);
  p.now += 50;  // a second press 50 ms after the first is ignored
  p.click(p.w.Btn03_NextT);
  EXPECT_EQ(p.sim.calls.size(), 1u);
  p.now += 200;
  p.click(p.w.Btn03_NextT);
  EXPECT_EQ(p.sim.calls.size(), 2u);
}

TEST(ControlerForm, HeldStepRepeatsAfterTheDelayUntilRelease) {
  Panel p;
  plat::ScriptedInput in;
  for (int i = 0; i < 5; ++i) in.press(plat::Key::LButton);  // held for five turns
  QTest::mousePress(p.w.Btn05_step, Qt::LeftButton);
  EXPECT_EQ(p.sim.d.pos.block_count, 1);
  EXPECT_TRUE(p.w.repeating());
  QTest::qWait(100);
  EXPECT_EQ(p.sim.d.pos.block_count, 1);  // still waiting
  QTRY_VERIFY_WITH_TIMEOUT(!p.w.repeating(), 2000);
  EXPECT_EQ(p.sim.d.pos.block_count, 6);
}

TEST(ControlerForm, HeldBackStepStopsAtBlockZero) {
  Panel p;
  plat::ScriptedInput in;
  for (int i = 0; i < 20; ++i) in.press(plat::Key::LButton);
  p.sim.d.pos.block_count = 4;
  QTest::mousePress(p.w.Btn06_Bstep, Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!p.w.repeating(), 2000);
  EXPECT_EQ(p.sim.d.pos.block_count, 0);
  EXPECT_EQ(p.sim.calls.size(), 4u);
}

struct Answer : plat::MessageBoxHandler {
  std::vector<std::string> texts;
  int show(const std::string& text, const std::string&, unsigned) override {
    texts.push_back(text);
    return plat::IDOK;
  }
};

TEST(ControlerForm, LimitFieldRaisesTo100AndRefusesNonIntegers) {
  Panel p;
  int limit = 50000;
  p.w.limit = [&] { return limit; };
  p.w.set_limit = [&](int v) { limit = v; };
  Answer box;
  plat::MessageBoxHandler* prev = plat::set_message_box_handler(&box);
  p.w.ed_limitter->setText(QStringLiteral("50"));
  QTest::keyClick(p.w.ed_limitter, Qt::Key_Return);
  EXPECT_EQ(limit, 100);
  p.w.ed_limitter->setText(QStringLiteral("1.5"));
  EXPECT_FALSE(p.w.ed_limitterExit());
  EXPECT_EQ(limit, 100);
  EXPECT_EQ(p.w.ed_limitter->text(), QStringLiteral("100"));
  ASSERT_EQ(box.texts.size(), 1u);
  EXPECT_NE(box.texts[0].find(" は整数ではありません"), std::string::npos);
  plat::set_message_box_handler(prev);
}

TEST(ControlerForm, ExpandsAndCollapses) {
  Panel p;
  const int h = p.w.height();
  p.w.Btn_ExView->click();
  EXPECT_TRUE(p.w.expanded());
  EXPECT_GT(p.w.height(), h);
  p.w.Btn_ExView->click();
  EXPECT_EQ(p.w.height(), h);
}

}  // namespace
