#include "mainwin/view/tool_path_picture.h"

#include <algorithm>
#include <cstdio>

#include "common/debug_log.h"
#include "mainwin/core/path_step.h"
#include "mainwin/core/session.h"
#include "mainwin/core/window_ui.h"
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
bool run_use(TSession& s, TVLM_ui& ui, int use, int first, int last, bool cut,
             EscapeWatch& esc) {
  NCD_DATA& d = s.nc();
  Tmat& m = *s.mat;
  Goto_NCD_step(d, first, false);
  if (cut) m.abort_flag = 0;
  const long every = std::max(1, s.disp.INTERVAL_REDRAW_LIST);
  ui.frame().set_caption(tool_path_caption(s, use));
  long n = 0;
  while (d.pos.block_count < last) {
    const bool ended = path_step_block(d, [&](const NCD_STEP_MOVES& mv) {
      if (cut) cut_PATH_only(m, mv);
    });
    if (cut && m.abort_flag != 0) return false;
    if (ended || (d.exec.status & NCD_ST_ERROR)) break;
    ++n;
    if (n % every == 0) ui.frame().set_caption(tool_path_caption(s, use));
    if (n % kPollBlocks == 0 && plat::escape_pressed()) return false;
  }
  if (esc.seen()) return false;
  // a run that stopped early still shows the tool where the use ends
  if (d.pos.block_count < last) Goto_NCD_step(d, last, false);
  return true;
}

// Puts the caption shown before back on every path out, or the one given to end().
class CaptionGuard {
 public:
  explicit CaptionGuard(TVLM_ui& ui) : ui_(ui), was_(ui.frame().caption()) {}
  ~CaptionGuard() { ui_.frame().set_caption(was_); }
  void end(const std::string& text) { was_ = text; }
  CaptionGuard(const CaptionGuard&) = delete;
  CaptionGuard& operator=(const CaptionGuard&) = delete;

 private:
  TVLM_ui& ui_;
  std::string was_;
};

}  // namespace

std::string tool_path_caption(const TSession& s, int use) {
  const NCD_DATA& d = s.nc();
  std::string tool = "T" + std::to_string(d.exec.t_cur);
  char buf[64];
  if (d.exec.spindle == 3 || d.exec.spindle == 4) {
    if (d.exec.s < 0)
      std::snprintf(buf, sizeof buf, " M%2.2d ", static_cast<int>(d.exec.spindle));
    else
      std::snprintf(buf, sizeof buf, " M%2.2d S%d ", static_cast<int>(d.exec.spindle),
                    static_cast<int>(d.exec.s));
    tool += buf;
  }
  std::string line;
  get_NCD_line_text(d, d.pos.cur_line, line);
  char head[160];
  std::snprintf(head, sizeof head, " 切削中 (ESCキーで中断できます) %d : %d : %d (%2d) ",
                static_cast<int>(d.pos.cur_line) + 1, static_cast<int>(d.pos.block_count) + 1,
                use + 1, static_cast<int>(d.run.stats.size()));
  return head + tool + " : " + line;
}

bool draw_tool_path_picture(TSession& s, TVLM_view& view, TVLM_ui& ui, int seg, int width,
                            int height, bool white, std::shared_ptr<const TG2_picture>& out) {
  out.reset();
  NCD_DATA& d = s.nc();
  if (d.line_count <= 0 || !d.run_done || view.drawing() || width <= 0 || height <= 0)
    return false;
  // 10000 + n: use n with its works alone
  const bool works_only = seg == -2 || seg >= 10000;
  if (seg >= 10000) seg -= 10000;
  if (seg < -2 || seg >= static_cast<int>(d.run.stats.size())) return false;
  int first = 0, last = d.pos.total_blocks;
  if (seg >= 0) {
    const NCD_TOOL_STAT& r = d.run.stats[static_cast<std::size_t>(seg)];
    first = r.first_block;
    last = r.last_block;
  }
  Tmat& m = *s.mat;
  CaptionGuard caption(ui);
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
      ok = run_use(s, ui, seg, first, last, cut, esc);
    }
    if (ok) {
      out = view.render_view(width, height, white, works_only);
      deb_logf("draw ZU_T:%d", static_cast<int>(d.exec.t_cur));
      ok = !esc.seen();
    }
  }
  if (!ok) {
    out.reset();
    plat::message_box("中断しました", "", plat::MB_OK | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
    caption.end("中断しました。");
  }
  // the picture moved the view's tool to the use's end, or cut the works: the main view
  // draws its own state again
  const float* t = view.tool_position();
  if (t[0] != tool_was[0] || t[1] != tool_was[1] || t[2] != tool_was[2] || cut)
    view.draw_data(VLM_DRAW_FULL);
  return ok;
}
