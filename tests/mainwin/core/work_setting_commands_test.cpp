#include "tests/support/fake_ui.h"
#include "mainwin/core/work_setting_commands.h"

#include <gtest/gtest.h>

#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "mainwin/core/tooling_host_adapter.h"

namespace {

// Records each full redraw with the background and clip gap the view would draw with.
class ViewUi : public TVLM_fake_ui {
 public:
  explicit ViewUi(TSession& s) : s_(s) {}
  struct Draw {
    int mode;
    std::uint8_t back[3];
    float clip_gap;
  };
  std::vector<Draw> draws;
  TGL_VIEW view;
  TGL_VIEW* gl_view() override { return &view; }
  std::uint8_t back(int k) const {
    return static_cast<std::uint8_t>(view.background[k] * 255.0f + 0.5f);
  }
  int draw_data(int mode) override {
    draws.push_back({mode, {back(0), back(1), back(2)}, s_.disp.CLIP_GAP});
    return 0;
  }

 private:
  TSession& s_;
};

class ScriptedDialog : public TVLM_extra_setup_dialog {
 public:
  bool ok = true;
  bool run(Tdisp_status& copy) override {
    copy.BACK_color = 63;
    copy.CLIP_GAP = 7;
    return ok;
  }
};

TEST(WorkSettingCommands, DisplaySettingsOnOkOnly) {
  TSession s;
  s.disp.BACK_color = 0;
  s.disp.CLIP_GAP = 3;
  ViewUi ui(s);
  ScriptedDialog dlg;
  TVLM_command_table t;
  register_work_setting_commands(t, s, ui, dlg);
  dlg.ok = false;
  ASSERT_TRUE(t.run(33));
  EXPECT_EQ(s.disp.BACK_color, 0);
  EXPECT_TRUE(ui.draws.empty());
  dlg.ok = true;
  ASSERT_TRUE(t.run(33));
  EXPECT_EQ(s.disp.BACK_color, 63);
  ASSERT_EQ(ui.draws.size(), 1u);
  EXPECT_EQ(ui.draws[0].mode, 4);
  std::uint8_t c[4];
  color_code_to_RGBA(63, 255, c);
  EXPECT_EQ(ui.draws[0].back[0], c[0]);
  EXPECT_EQ(s.disp.BACK_rgba[1], c[1]);
}

TEST(WorkSettingCommands, PreviewDrawsTheCopyAndKeepsTheOwnSettings) {
  TSession s;
  s.disp.CLIP_GAP = 3;
  s.disp.BACK_color = 0;
  ViewUi ui(s);
  TVLM_tooling_host host(s, ui);
  Tdisp_status copy = s.disp;
  copy.CLIP_GAP = 9;
  copy.BACK_color = 63;
  host.preview_display(&copy);
  ASSERT_EQ(ui.draws.size(), 1u);
  EXPECT_EQ(ui.draws[0].clip_gap, 9);
  EXPECT_EQ(s.disp.CLIP_GAP, 3);
  EXPECT_EQ(s.disp.BACK_color, 0);
  // Cancel after a preview: one more redraw with the own settings and background.
  host.preview_display(nullptr);
  ASSERT_EQ(ui.draws.size(), 2u);
  EXPECT_EQ(ui.draws[1].clip_gap, 3);
  std::uint8_t c[4];
  color_code_to_RGBA(0, 255, c);
  EXPECT_EQ(ui.back(0), c[0]);
  EXPECT_EQ(&host.work_store(), s.mat.get());
  EXPECT_EQ(&host.disp_status(), &s.disp);
}

}  // namespace
