#include <gtest/gtest.h>

#include "tests/support/fake_ui.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace {

// A main window that records the calls the record's host forwards.
struct RecordingUi : TVLM_fake_ui {
  int draw_data(int mode) override {
    draws.push_back(mode);
    return 0;
  }
  bool draw_step(NCD_DATA& d, int mode) override {
    steps.push_back(mode);
    return TVLM_fake_ui::draw_step(d, mode);
  }
  void fit_scale(int) override { ++fits; }
  void listing_reset() override { ++listing_resets; }
  void quit() override { ++quits; }
  std::vector<int> draws, steps;
  int fits = 0, listing_resets = 0, quits = 0;
};

struct Fixture {
  Fixture() : host(s, ui) {
    init_session(s, dir.path(), dir.path());
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
  }
  void load(const std::string& text) {
    Append_NCD_text(s.nc(), text.data(), text.size(), true);
    for (int i = 0; i < s.nc().line_count; ++i) Parse_NCD_line(s.nc(), i);
    Run_all_NCD(s.nc(), 0);
  }
  testing_support::TempDir dir;
  TSession s;
  RecordingUi ui;
  TVLM_host host;
  plat::ScriptedMessageBoxes boxes;
};

}  // namespace

TEST(HostAdapter, OneHostForTheRecordInUse) {
  Fixture f;
  EXPECT_EQ(&f.s.nc().host(), static_cast<NCD_HOST*>(&f.host));
  EXPECT_FALSE(f.s.spare->has_host());
  f.load("G91 G01 X1. F100\nX1.\nX1.\nM30\n");
  // A seek that runs the program rebuilds the tool table once; the store's clear empties the
  // listing; the step modes are drawn steps, the others redraws.
  Goto_NCD_line(f.s.nc(), 2);
  ++f.s.nc().change_count;
  Goto_NCD_line(f.s.nc(), 1);
  EXPECT_TRUE(f.s.th_magazine_valid);
  EXPECT_EQ(f.s.th_magazine_changes, f.s.nc().change_count);
  Goto_NCD_step(f.s.nc(), 0, false);
  EXPECT_FALSE(f.s.nc().host().draw_data(f.s.nc(), NCD_DRAW_STEP));
  EXPECT_FALSE(f.s.nc().host().draw_data(f.s.nc(), NCD_DRAW_FULL));
  EXPECT_EQ(f.ui.steps, std::vector<int>{NCD_DRAW_STEP});
  EXPECT_EQ(f.ui.draws, std::vector<int>{NCD_DRAW_FULL});
  EXPECT_EQ(f.s.nc().pos.cur_line, 0);
  const int resets = f.ui.listing_resets;
  Clear_NCD(f.s.nc());
  EXPECT_EQ(f.ui.listing_resets, resets + 1);
  EXPECT_TRUE(f.boxes.shown.empty());
}

TEST(HostAdapter, SystemErrorsGoToTheProgramsBox) {
  Fixture f;
  // Line 4 is jumped over by the call of the second program, which ends in O5.
  f.load("M30\nO4\nX0\nM98 P5\nX1.\nO5\nM30\n");
  f.boxes.answer(plat::IDIGNORE);
  Goto_NCD_line(f.s.nc(), 4);
  ASSERT_EQ(f.boxes.shown.size(), 1u);
  EXPECT_EQ(f.boxes.shown[0].caption, "VLM SYSTEM ERR");
  EXPECT_EQ(f.boxes.shown[0].text,
            "SYSTEM ERR : num(4,last ser=6),cnt(5)が見つかりませんでした。max_cnt=5");
  EXPECT_EQ(f.ui.quits, 0);
  // Abort ends the program, and no box follows.
  f.boxes.answer(plat::IDABORT);
  Goto_NCD_line(f.s.nc(), 4);
  EXPECT_EQ(f.ui.quits, 1);
  Goto_NCD_line(f.s.nc(), 4);
  EXPECT_EQ(f.boxes.shown.size(), 2u);
  EXPECT_EQ(f.ui.quits, 1);
}
