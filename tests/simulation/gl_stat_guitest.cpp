// The log rules of the context table, through a scripted surface (no context needed).
#include <gtest/gtest.h>

#include <deque>

#include "simulation/gl/gl_stat.h"

namespace {

struct FakeState {
  bool fail_open = false;
  std::deque<GLenum> errors;
  int presents = 0, swaps = 0;
  GLenum draw_mode = GL_BACK;
};

class FakeSurface : public GlSlotSurface {
 public:
  explicit FakeSurface(FakeState& s) : s_(s) {}
  bool open(plat::GlWindow*, int w, int h, std::string* err) override {
    if (s_.fail_open) {
      *err = "no display";
      return false;
    }
    w_ = w;
    h_ = h;
    return true;
  }
  void close() override {}
  bool make_current() override { return true; }
  void done_current() override {}
  bool resize(int w, int h) override {
    w_ = w;
    h_ = h;
    return true;
  }
  int width() const override { return w_; }
  int height() const override { return h_; }
  bool draw_buffer(GLenum m) override {
    s_.draw_mode = m;
    return true;
  }
  bool read_buffer(GLenum) override { return true; }
  GLenum current_draw_buffer() const override { return s_.draw_mode; }
  void swap() override { ++s_.swaps; }
  void present() override { ++s_.presents; }
  QImage grab(GLenum) override { return {}; }
  void finish() override {}
  GLenum get_error() override {
    if (s_.errors.empty()) return GL_NO_ERROR;
    const GLenum e = s_.errors.front();
    s_.errors.pop_front();
    return e;
  }

 private:
  FakeState& s_;
  int w_ = 0, h_ = 0;
};

struct Table {
  FakeState state;
  std::vector<std::string> global;
  Tgl_func gl;
  Table() {
    gl.surface_factory = [this] { return std::make_unique<FakeSurface>(state); };
    gl.global_log = &global;
    gl.global_log_on = true;
  }
  bool global_has(const std::string& part) const {
    for (const auto& l : global)
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
};

TEST(GlStatLog, QuietOpenFailureStillReachesTheGlobalLog) {
  Table t;
  t.state.fail_open = true;
  EXPECT_FALSE(t.gl.open(nullptr, 2, true, true));
  EXPECT_FALSE(t.gl.slot[2].flag_open);
  EXPECT_TRUE(t.global_has("異常 : (open2_7 , ID= 2 , ERR ) wglcreatecontext(newdc=0) = 0 , ERR：0 , no display"));
  EXPECT_TRUE(t.global_has("異常 : (open_3 ID= 2 , ERR )"));
  EXPECT_FALSE(t.global_has("info : "));
  // Nothing quiet was kept in the slot's own log either; closing hands on what there is.
  EXPECT_TRUE(t.gl.slot[2].log_open);
  t.global.clear();
  EXPECT_TRUE(t.gl.close(2));
  EXPECT_TRUE(t.global_has("警告 : (close_0 , ID= 2 , ERR ) 多重呼び出しエラー"));
  EXPECT_TRUE(t.global_has("異常 : (open2_7"));  // the slot log handed on
  EXPECT_FALSE(t.global_has("**************************"));  // no header when not verbose
}

TEST(GlStatLog, VerboseKeepsInfoLinesAndDatesTheClosedLog) {
  Table t;
  t.gl.verbose = true;
  ASSERT_TRUE(t.gl.open(nullptr, 0, true, true));
  EXPECT_TRUE(t.gl.slot[0].flag_open);
  EXPECT_TRUE(t.gl.slot[0].double_buffered);
  EXPECT_TRUE(t.global.empty());  // info and ok lines stay in the slot's log
  EXPECT_EQ(t.gl.slot[0].log.front(), "info : open(newdc=0,ID=0,swap_mode=true)");
  // A second open is a double call, the second open2 a quiet warning.
  EXPECT_TRUE(t.gl.open(nullptr, 0, true, true));
  EXPECT_TRUE(t.global_has("異常 : (open_1 , ID= 0 , ERR ) 多重呼び出しエラー"));
  EXPECT_TRUE(t.gl.open2(nullptr, 0, PFD_SWAP_WINDOW));
  EXPECT_FALSE(t.global_has("open2_1"));
  EXPECT_TRUE(t.gl.close(0));
  ASSERT_GE(t.global.size(), 3u);
  const std::size_t head = 1;  // after the double-call line
  EXPECT_EQ(t.global[head].rfind("\r\n**************************\r\n【 GL_STAT[ ID=0 ] ", 0), 0u);
  EXPECT_EQ(t.global.back(), "\r\n**************************\r\n");
  EXPECT_TRUE(t.global_has("ok   : (close_3 , ID= 0 ) wgldeletecontext(GL_STAT[ 0 ].rc=1) is true "));
  EXPECT_FALSE(t.gl.slot[0].log_open);
}

TEST(GlStatLog, TenErrorsAreListedAndMoreAreSaidOnce) {
  for (int n : {10, 11}) {
    Table t;
    ASSERT_TRUE(t.gl.open(nullptr, 0, true, true));
    for (int i = 0; i < n; ++i) t.state.errors.push_back(GL_INVALID_ENUM);
    t.gl.flush2(nullptr, 0, "frame");
    int items = 0;
    for (const auto& l : t.global)
      if (l.find("(flush2_3 , ID= 0 , ERR ) [") != std::string::npos) ++items;
    EXPECT_EQ(items, 10) << n;
    EXPECT_TRUE(t.global_has("(flush2_3 , ID= 0 , ERR ) [10] : GL_ERR= 1280 , "));
    EXPECT_EQ(t.global_has("... and exist more ERR"), n == 11) << n;
    EXPECT_TRUE(t.state.errors.empty());
  }
}

TEST(GlStatLog, DrawSwapsOnlyDoubleBufferedSlotsAndRefusesClosedOnes) {
  Table t;
  EXPECT_FALSE(t.gl.draw(nullptr, 3, "x"));
  EXPECT_TRUE(t.global_has("異常 : (draw_6 , ID= 3 , ERR ) GL_STAT[ 3 ].flag_open don't true "));
  ASSERT_TRUE(t.gl.open(nullptr, 3, false, false));
  EXPECT_FALSE(t.gl.slot[3].back_drawing);
  t.gl.draw_to_back_buffer(3);
  EXPECT_EQ(t.state.draw_mode, static_cast<GLenum>(GL_FRONT));  // one buffer only
  EXPECT_TRUE(t.gl.draw(nullptr, 3, "x"));
  EXPECT_EQ(t.state.swaps, 0);
  EXPECT_EQ(t.state.presents, 1);
  t.state.presents = 0;
  EXPECT_FALSE(t.gl.slot[3].back_drawing);
  ASSERT_TRUE(t.gl.open(nullptr, 4, true, true));
  EXPECT_TRUE(t.gl.draw(nullptr, 4, "x"));
  EXPECT_EQ(t.state.swaps, 1);
  t.gl.draw_to_front_buffer(4);
  EXPECT_TRUE(t.gl.draw(nullptr, 4, "x"));
  EXPECT_EQ(t.state.swaps, 1);  // front drawing is presented, not swapped
  EXPECT_EQ(t.state.presents, 1);
  EXPECT_TRUE(t.gl.slot[4].back_drawing);
}

TEST(GlStatLog, IdsOutsideTheTableAreRefused) {
  Table t;
  for (int id : {-1, 6}) {
    EXPECT_FALSE(t.gl.open(nullptr, id, true, true));
    EXPECT_FALSE(t.gl.close(id));
    float p[3];
    EXPECT_FALSE(t.gl.get_3Dpos(nullptr, id, p, 0, 0, 0));
  }
  EXPECT_TRUE(t.global_has("異常 : (open , ID= 6 , ERR )"));
  // Before a set-up there are no matrices to pick with.
  float p[3];
  EXPECT_FALSE(t.gl.get_3Dpos(nullptr, 0, p, 0, 10, 10));
}

}  // namespace
