#include "mainwin/view/tool_path_picture.h"

#include <algorithm>

#include "mainwin/core/path_step.h"
#include "mainwin/core/session.h"
#include "mainwin/view/view_gl.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace {

constexpr long kPollBlocks = 1000;

// Sees every read of the latches while it is installed, so an Escape that a drawing loop
// read (and so cleared) still ends the picture.
class EscapeWatch : public plat::InputSource {
 public:
  EscapeWatch() { prev_ = plat::set_input_source(this); }
  ~EscapeWatch() override { plat::set_input_source(prev_); }
  EscapeWatch(const EscapeWatch&) = delete;
  EscapeWatch& operator=(const EscapeWatch&) = delete;
  bool key_down(plat::Key k) override {
    const bool down = prev_ && prev_->key_down(k);
    if (down && k == plat::Key::Escape) seen_ = true;
    return down;
  }
  bool press_position(plat::Key k, int& x, int& y) override {
    return prev_ && prev_->press_position(k, x, y);
  }
  bool seen() const { return seen_; }

 private:
  plat::InputSource* prev_ = nullptr;
  bool seen_ = false;
};

// The drawing range and the position of the main view, put back on every path out.
class ViewStateGuard {
 public:
  explicit ViewStateGuard(NCD_DATA& d)
      : d_(d), first_(d.pos.mark_first), last_(d.pos.mark_last) {
    Save_NCD_pos_C(d_);
  }
  ~ViewStateGuard() {
    Load_NCD_pos_C(d_);
    d_.pos.mark_first = first_;
    d_.pos.mark_last = last_;
  }
  ViewStateGuard(const ViewStateGuard&) = delete;
  ViewStateGuard& operator=(const ViewStateGuard&) = delete;

 private:
  NCD_DATA& d_;
  int first_, last_;
};

// Steps the blocks after `first` up to `last`, cutting the works along them when asked.
// False on Escape or when the cutting engine aborted.
bool run_use(NCD_DATA& d, Tmat& m, int first, int last, bool cut, EscapeWatch& esc) {
  Goto_NCD_step(d, first, false);
  if (cut) m.abort_flag = 0;
  long n = 0;
  while (d.pos.block_count < last) {
    const bool ended = path_step_block(d, [&](const NCD_STEP_MOVES& mv) {
      if (cut) cut_PATH_only(m, mv);
    });
    if (cut && m.abort_flag != 0) return false;
    if (ended || (d.exec.status & NCD_ST_ERROR)) break;
    if (++n % kPollBlocks == 0 && plat::escape_pressed()) return false;
  }
  if (esc.seen()) return false;
  // a run that stopped early still shows the tool where the use ends
  if (d.pos.block_count < last) Goto_NCD_step(d, last, false);
  return true;
}

}  // namespace

bool draw_tool_path_picture(TSession& s, TVLM_view& view, int seg, int width, int height,
                            std::shared_ptr<const TG2_picture>& out) {
  out.reset();
  NCD_DATA& d = s.nc();
  if (d.line_count <= 0 || !d.run_done || view.drawing() || width <= 0 || height <= 0)
    return true;
  int first = 0, last = d.pos.total_blocks;
  if (seg >= 0) {
    if (seg >= static_cast<int>(d.run.stats.size())) return true;
    const NCD_TOOL_STAT& r = d.run.stats[static_cast<std::size_t>(seg)];
    first = r.first_block;
    last = r.last_block;
  } else if (seg != -1) {
    return true;
  }
  Tmat& m = *s.mat;
  const float tool_was[3] = {view.tool_position()[0], view.tool_position()[1],
                             view.tool_position()[2]};
  bool ok = true, cut = false;
  {
    EscapeWatch esc;
    ViewStateGuard keep(d);
    d.pos.mark_first = first;
    d.pos.mark_last = last;
    // the whole program is drawn as it stands; a use is run to its end first
    if (seg >= 0) {
      cut = s.disp.SIM_CUTTING_MODE != 0 && s.disp.SIM_VIS_WORK != 0 && m.any_work;
      plat::BusyGuard busy;
      ok = run_use(d, m, first, last, cut, esc);
    }
    if (ok) {
      out = view.render_view(width, height);
      ok = !esc.seen();
    }
  }
  if (!ok) {
    out.reset();
    plat::message_box("中断しました", "", plat::MB_OK | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
  }
  // the picture moved the view's tool to the use's end, or cut the works: the main view
  // draws its own state again
  const float* t = view.tool_position();
  if (t[0] != tool_was[0] || t[1] != tool_was[1] || t[2] != tool_was[2] || cut)
    view.draw_data(VLM_DRAW_FULL);
  return ok;
}
