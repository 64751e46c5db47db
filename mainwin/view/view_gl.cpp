#include "mainwin/view/view_gl.h"

#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/key_hash.h"
#include "common/stroke_font.h"
#include "mainwin/core/path_pick.h"
#include "mainwin/core/path_step.h"
#include "mainwin/core/session.h"
#include "mainwin/core/view_fit.h"
#include "mainwin/core/view_tool.h"
#include "mainwin/view/path_gl.h"
#include "mainwin/view/path_retained.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/gl/tool_outline_gl.h"
#include "simulation/gl/work_draw_gl.h"
#include "simulation/work_cells.h"

namespace {

constexpr double kPollBlocks = 1000;
constexpr std::uint32_t kPresentMs = 400;
constexpr double kAxisFactor = 2;   // axis figure: this many times the axis size setting, in pixels
constexpr double kDimFactor = 0.7;  // dimension texts: this part of the dimension height, in pixels

// The slot's presents held for a scope: a frame and its read-out show together.
struct PresentsHeld {
  Tgl_func& gl;
  int id;
  PresentsHeld(Tgl_func& g, int i) : gl(g), id(i) { gl.hold_presents(id); }
  ~PresentsHeld() { gl.release_presents(id); }
  PresentsHeld(const PresentsHeld&) = delete;
  PresentsHeld& operator=(const PresentsHeld&) = delete;
};

bool error_status(std::uint16_t st) { return (st & NCD_ST_ERROR) && st != NCD_ST_ERROR; }

ViewBox exec_box(const NCD_DATA& d) {
  ViewBox b;
  if (!d.exec.ext_set) return b;
  b.lo[0] = d.exec.ext_min.x;
  b.lo[1] = d.exec.ext_min.y;
  b.lo[2] = d.exec.ext_min.z;
  b.hi[0] = d.exec.ext_max.x;
  b.hi[1] = d.exec.ext_max.y;
  b.hi[2] = d.exec.ext_max.z;
  b.valid = true;
  return b;
}

ViewBox works_box(const Tmat& m) {
  ViewBox b;
  bool any = false;
  for (const TWORK_DATA& w : m.works)
    if (w.in_use) any = true;
  if (!any) return b;
  VEC3 lo, hi;
  Get_WORK_Area(m, lo, hi);
  b.lo[0] = lo.x, b.lo[1] = lo.y, b.lo[2] = lo.z;
  b.hi[0] = hi.x, b.hi[1] = hi.y, b.hi[2] = hi.z;
  b.valid = true;
  return b;
}

double axis_pixels(const Tdisp_status& d) { return kAxisFactor * std::max(1.0f, d.XYZ_ORG_height); }
double dim_pixels(const Tdisp_status& d) { return kDimFactor * std::max(1.0f, d.dim_height); }
// The dimension texts' height for the fit, 0 when the extents box is not drawn.
double fit_dim_pixels(const Tdisp_status& d) { return d.VIS_BOUNDARY ? dim_pixels(d) : 0; }

std::string num3(double v) {
  if (!std::isfinite(v)) v = 0;
  double r = std::round(v * 1000.0) / 1000.0;
  if (r == 0) r = 0;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.3f", r);
  return buf;
}

// The zoom rectangle on the shown picture: a closed outline in (0, 128, 0) by XOR, so a
// second drawing erases it.
void view_xor_rect(Tgl_func& gl, int id, const std::int32_t r[4]) {
  TGL_SLOT& s = gl.slot[id];
  if (!s.flag_open || !s.surface) return;
  const GLenum was = s.surface->current_draw_buffer();
  if (!gl.canvas_begin(id)) return;
  glEnable(GL_COLOR_LOGIC_OP);
  glLogicOp(GL_XOR);
  glColor3ub(0, 128, 0);
  glLineWidth(1);
  const float l = r[0] + 0.5f, t = r[1] + 0.5f, rr = r[2] - 0.5f, b = r[3] - 0.5f;
  glBegin(GL_LINE_LOOP);
  glVertex2f(l, t);
  glVertex2f(l, b);
  glVertex2f(rr, b);
  glVertex2f(rr, t);
  glEnd();
  glLogicOp(GL_COPY);
  glDisable(GL_COLOR_LOGIC_OP);
  gl.canvas_end(id);
  s.surface->draw_buffer(was);
}

}  // namespace

// The mouse controller's calls, answered by the view over the session.
class TVLM_view::MouseHost : public ViewMouseHost {
 public:
  explicit MouseHost(TVLM_view& v) : v_(v) {}
  bool has_data() override { return v_.s_.nc().line_count > 0 && v_.s_.nc().run_done; }
  int line_count() override { return v_.s_.nc().line_count; }
  void draw_data(int mode) override {
    commit();
    v_.draw_data(mode);
  }
  int click_entity(int x, int y) override {
    commit();
    return v_.click_entity2(x, y);
  }
  void seek_line(int line) override {
    NCD_DATA& d = v_.s_.nc();
    Goto_NCD_line(d, line);
    d.pos.mark_first = std::min(d.pos.mark_first, d.pos.block_count);
    d.pos.mark_last = std::max(d.pos.mark_last, d.pos.block_count);
    v_.tool_pos_picked_ = false;
  }
  PathPoint current_position() override {
    const NCD_EXEC& e = v_.s_.nc().exec;
    return {e.cur.x, e.cur.y, e.cur.z};
  }
  void refresh_panels() override {
    v_.ui_.panel().panel_refresh();
    v_.ui_.listing().listing_refresh();
  }
  void show_angles(int rot_z, int rot_x) override {
    v_.ui_.view().gl_set_angles(static_cast<float>(rot_z), static_cast<float>(rot_x));
  }
  void xor_rect(int x1, int y1, int x2, int y2) override {
    const std::int32_t r[4] = {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1,
                               std::max(y1, y2) + 1};
    view_xor_rect(v_.gl_, v_.slot_, r);
  }
  ViewWorkPick pick_work(int x, int y) override {
    ViewWorkPick p;
    Tmat& m = *v_.s_.mat;
    const TGL_VIEW& view = v_.gl_.slot[v_.slot_].view;
    int work = -1;
    const int name = pick_work_face(m, view, x, view.panel_h - y, work);
    if (name < 0 || work < 0 || work >= WORK_MAX) return p;
    const TWORK_DATA& w = m.works[work];
    const int index = (name - 1) / 2;
    if (index < 0 || static_cast<std::size_t>(index) >= w.grid.size()) return p;
    const VEC3 g = work_grid_point(w, index);
    const TGRID_POINT& gp = w.grid[static_cast<std::size_t>(index)];
    p.found = true;
    p.work = work;
    p.index = index;
    p.x = g.x, p.y = g.y, p.z = g.z;
    p.mark = gp.mark;
    p.damage = gp.col[2] == 1 ? gp.col[3] : 0;
    m.pick.work = work;
    m.pick.ix = index % (w.nx + 1);
    m.pick.iy = index / (w.nx + 1);
    m.pick.x = g.x, m.pick.y = g.y, m.pick.z = g.z;
    m.pick.top = w.top_z;
    m.pick.mark = gp.mark;
    m.pick.damage = static_cast<std::uint16_t>(p.damage);
    // The picked point shows while the tool stands on it.
    m.pick_count = 1;
    m.pick_pos = g;
    m.pick_tool_pos = g;
    return p;
  }
  void set_tool_position(const PathPoint& p) override {
    v_.tool_pos_[0] = static_cast<float>(p.x);
    v_.tool_pos_[1] = static_cast<float>(p.y);
    v_.tool_pos_[2] = static_cast<float>(p.z);
    v_.tool_pos_picked_ = true;
  }
  // The pick's line goes into the error list at the block the pick stands on.
  void add_memo_line(const std::string& line) override {
    v_.ui_.lists().err_window_add_pick(line, v_.s_.nc().pos.block_count);
  }
  bool measure_mode() override { return v_.s_.disp.WSW_MatrixLine != 0; }
  bool measure_second_point() override { return v_.s_.disp.WSW_MANUAL_CUTMODE != 0; }
  double frame_height() override { return v_.s_.mat->frame_height; }
  void set_frame_height(double z) override { v_.s_.mat->frame_height = static_cast<float>(z); }
  bool plane_point(int x, int y, double z, PathPoint& out) override {
    commit();
    float p[3];
    if (!get_3Dpos(v_.gl_.slot[v_.slot_].view, p, z, y, x)) return false;
    out = {p[0], p[1], p[2]};
    return true;
  }
  void add_measure_segment(const PathPoint& a, const PathPoint& b) override {
    Tmat& m = *v_.s_.mat;
    m.measure.push_back({VEC3{static_cast<float>(a.x), static_cast<float>(a.y), static_cast<float>(a.z)},
                         VEC3{static_cast<float>(b.x), static_cast<float>(b.y), static_cast<float>(b.z)}});
    m.measure_open = 1;
  }
  void end_measure_chain() override { v_.s_.mat->measure_open = 0; }
  ViewWorkPick pick_cell(const PathPoint& p) override {
    ViewWorkPick c;
    Tmat& m = *v_.s_.mat;
    if (m.pick.work < 0 || m.pick.work >= WORK_MAX || !m.works[m.pick.work].in_use)
      m.pick.work = m.cur_work;  // the work the window has selected
    if (!PICK_WORK_POINT(m, static_cast<float>(p.x), static_cast<float>(p.y))) return c;
    c.found = true;
    c.work = m.pick.work;
    c.x = m.pick.x, c.y = m.pick.y, c.z = m.pick.z;
    c.mark = m.pick.mark;
    c.damage = m.pick.damage;
    return c;
  }
  void range_from_top() override {
    NCD_DATA& d = v_.s_.nc();
    d.pos.mark_first = 0;
    d.pos.mark_last = std::max(0, d.pos.block_count);
  }
  void range_from_tool_start() override {
    NCD_DATA& d = v_.s_.nc();
    d.pos.mark_first = std::clamp(d.run.st.tool_first_block, 0, std::max(0, d.pos.block_count));
    d.pos.mark_last = std::max(0, d.pos.block_count);
  }
  void show_measured(const std::string& point) override { v_.ui_.panel().work_window_point(point); }
  void show_cell_text(const std::string& text) override { v_.ui_.panel().work_window_text(text); }
  ViewParams& view() override {
    const TGL_VIEW& g = v_.gl_.slot[v_.slot_].view;
    p_.shift_x = g.first_shift[0], p_.shift_y = g.first_shift[1], p_.shift_z = g.first_shift[2];
    p_.centre = {g.centre_shift[0], g.centre_shift[1], g.centre_shift[2]};
    p_.base_scale = g.base_scale, p_.zoom = g.zoom;
    p_.rot_x = g.rot_x, p_.rot_z = g.rot_z;
    p_.near_ = g.near_z, p_.far_ = g.far_z;
    p_.scene = g.scene_size;
    p_.pixel = g.pixel_size;
    p_.perspective = g.perspective != 0;
    dirty_ = true;
    return p_;
  }
  int panel_width() override { return v_.gl_.slot[v_.slot_].view.panel_w; }
  int panel_height() override { return v_.gl_.slot[v_.slot_].view.panel_h; }

  // The parameters the controller changed go back into the slot's view (until the event
  // ends, every redraw and pick it asks for takes them).
  void commit() {
    if (!dirty_) return;
    TGL_VIEW& g = v_.gl_.slot[v_.slot_].view;
    g.first_shift[0] = static_cast<float>(p_.shift_x);
    g.first_shift[1] = static_cast<float>(p_.shift_y);
    g.first_shift[2] = static_cast<float>(p_.shift_z);
    g.centre_shift[0] = static_cast<float>(p_.centre.x);
    g.centre_shift[1] = static_cast<float>(p_.centre.y);
    g.centre_shift[2] = static_cast<float>(p_.centre.z);
    g.base_scale = static_cast<float>(p_.base_scale);
    g.zoom = static_cast<float>(p_.zoom);
    g.rot_x = static_cast<float>(p_.rot_x);
    g.rot_z = static_cast<float>(p_.rot_z);
    g.near_z = static_cast<float>(p_.near_);
    g.far_z = static_cast<float>(p_.far_);
    g.scene_size = static_cast<float>(p_.scene);
    g.perspective = p_.perspective ? 1 : 0;
    build_GL_matrices(g, GL_VIEW_RENDER);
  }
  void event_done() { dirty_ = false; }

 private:
  TVLM_view& v_;
  ViewParams p_;
  bool dirty_ = false;
};

TVLM_view::TVLM_view(TSession& s, Tgl_func& gl, TVLM_ui& ui, int slot)
    : s_(s), gl_(gl), ui_(ui), slot_(slot), mouse_host_(std::make_unique<MouseHost>(*this)),
      mouse_(std::make_unique<ViewMouse>(*mouse_host_)) {}

TVLM_view::~TVLM_view() = default;

void TVLM_view::mouse_done() {
  mouse_host_->commit();
  mouse_host_->event_done();
  show_zoom(false);
}

// The control panel's zoom read-out follows the view's zoom factor.
void TVLM_view::show_zoom(bool always) {
  const float z = gl_.slot[slot_].view.zoom;
  if (!always && z == shown_zoom_) return;
  shown_zoom_ = z;
  ui_.panel().panel_zoom(z);
}

// The extents of the whole program: the interpreter keeps them as it runs, so a seek to
// the end shows them; kept until the program or its run changes.
ViewBox TVLM_view::program_box() {
  NCD_DATA& d = s_.nc();
  if (box_valid_ && box_serial_ == d.run.valid_serial && box_changes_ == d.change_count)
    return box_;
  box_ = ViewBox{};
  if (d.line_count > 0 && d.run_done) {
    Save_NCD_pos_B(d);
    Goto_NCD_step(d, d.pos.total_blocks, true);
    box_ = exec_box(d);
    Load_NCD_pos_B(d);
  }
  box_valid_ = true;
  box_serial_ = d.run.valid_serial;
  box_changes_ = d.change_count;
  return box_;
}

bool TVLM_view::works_shown() const { return s_.disp.SIM_VIS_WORK != 0; }

bool TVLM_view::damage_stop() const {
  return s_.disp.NG_ERR_STOP != 0 && (s_.mat->cut_flags_acc & ~1u) != 0;
}

PathOptions TVLM_view::path_options(int id) const {
  const Tdisp_status& d = s_.disp;
  const TGL_VIEW& v = gl_.slot[id].view;
  PathOptions o;
  o.coloring = std::clamp(d.PATH_COLORING, 0, 2);
  o.hide_rapid = d.INVIS_G00 != 0;
  o.thick = true;
  o.style_factor = 1;
  o.pixel_size = v.pixel_size;
  o.scale = v.scale;
  // The path raised by the ball radius shows where the ball's centre went: each move by the
  // radius of the tool that cuts it, wherever the program stands now.
  if (d.CHK_UP_BALL_R) {
    const TTOOL_HOLDER_tmp& mag = view_tool_magazine(s_);
    for (int i = 0; i < mag.used(); ++i) {
      const int t = mag.slot[static_cast<std::size_t>(i)].T_number;
      const double r = tool_ball_radius(s_, t);
      if (r > 0) o.tool_raise.emplace_back(t, r);
    }
  }
  return o;
}

// ---- draw_data ----------------------------------------------------------------------------

int TVLM_view::draw_data(int mode) {
  NCD_DATA& d = s_.nc();
  if (busy_) return 0;
  if (d.line_count <= 0 || !d.run_done) {
    // No program (an empty file) or nothing moved: the panel shows only its colour.
    if (win_) GL_show_cleared(gl_, win_, slot_);
    return 0;
  }
  const bool known = mode == 2 || mode == 3 || mode == 4 || mode == 5 || mode == 6 || mode == 7 ||
                     mode == 11 || mode == 12 || mode == 16 || mode == 17 || mode == 23 ||
                     mode == 24 || mode == 44;
  if (!known) {
    char msg[96];
    std::snprintf(msg, sizeof msg, "draw_data で無効な mode(= %d ) 指定がありました", mode);
    plat::message_box(msg, "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return 0;
  }
  plat::BusyGuard busy;  // input during the drawing only feeds the latches
  busy_ = true;
  resize_pending_ = false;
  last_mode_ = std::to_string(mode);
  const int r = run_mode(mode);
  busy_ = false;
  // a release that fell in the drawing ends its drag now (once: that redraw ends nothing)
  if (!ending_drag_) {
    ending_drag_ = true;
    mouse_->drawing_ended(QGuiApplication::mouseButtons() != Qt::NoButton);
    ending_drag_ = false;
  }
  return r;
}

int TVLM_view::run_mode(int mode) {
  NCD_DATA& d = s_.nc();
  const Tdisp_status& disp = s_.disp;
  turn_kept_ = false;  // a full drawing keeps its picture anew
  // The frame's own present waits for its marker and read-out (swaps show at once).
  PresentsHeld held(gl_, slot_);
  switch (mode) {
    case 2:
    case 4:
      draw_all(slot_, win_, false);
      make_readout_text(false);
      return 0;
    case 3:
    case 23:
      // A drag over a range longer than the abbreviation count draws the stored moves.
      if (d.pos.mark_last - d.pos.mark_first > disp.LIMIT_LINES)
        draw_stored_moves(slot_, win_);
      else
        draw_all(slot_, win_, false);
      make_readout_text(false);
      return 0;
    case 5:
      draw_all(slot_, win_, true);
      make_readout_text(disp.VIS_LOC_FLAG != 0);
      return 0;
    case 6:
    case 11: {
      const int r = step_draw(mode == 6);
      // A paced step leaves the current-move mark and the read-out to its frame.
      if (!frame_owed_) make_readout_text(disp.VIS_LOC_FLAG != 0);
      return r;
    }
    case 7:
    case 16:
      if (frame_owed_) {  // a paced step left its frame for now
        draw_all(slot_, win_, false);
        frame_owed_ = false;
        make_readout_text(mode == 16 || disp.VIS_LOC_FLAG != 0);
        return 0;
      }
      gl_.swapbuffer(win_, slot_, "draw_data_2( 16 ) swap");
      if (!disp.TOOL_DRAW_AT_BG && gl_.setup(win_, slot_, false, GL_VIEW_RENDER)) {
        gl_.draw_to_front_buffer(slot_);
        draw_tool_at_pos(slot_, true, tool_pos_);
        gl_.draw_to_back_buffer(slot_);
        gl_.flush2(win_, slot_, "draw_data_2( 16 )");
      }
      make_readout_text(mode == 16 || disp.VIS_LOC_FLAG != 0);
      return 0;
    case 12:
      return run_to_end();
    case 17:
    case 44:
      draw_all(slot_, win_, false);
      make_readout_text(true);
      return 0;
    case 24:
      // Measuring with the second point: the tool stands at the frame height.
      if (disp.WSW_MatrixLine && disp.WSW_MANUAL_CUTMODE) {
        tool_pos_[0] = static_cast<float>(d.exec.cur.x);
        tool_pos_[1] = static_cast<float>(d.exec.cur.y);
        tool_pos_[2] = s_.mat->frame_height;
        tool_pos_picked_ = true;
      }
      draw_all(slot_, win_, false);
      make_readout_text(false);
      return 0;
    default:
      (void)d;
      return 0;
  }
}

// The start of a full frame: the tool where the current block left it (the end of its
// last compensated move under cutter compensation) unless a pick placed it, the cleared
// back buffer, the scene frame and the clip planes.
bool TVLM_view::begin_full_frame(int id, plat::GlWindow* win) {
  const NCD_DATA& d = s_.nc();
  if (!tool_pos_picked_) {
    tool_pos_[0] = static_cast<float>(d.exec.seg_end.x);
    tool_pos_[1] = static_cast<float>(d.exec.seg_end.y);
    tool_pos_[2] = static_cast<float>(d.exec.seg_end.z);
  }
  if (!gl_.setup(win, id, true, GL_VIEW_RENDER)) return false;
  if (id == slot_) frame_owed_ = false;
  gl_.draw_to_back_buffer(id);
  scene_frame(id);
  set_clip_planes(id);
  return true;
}

// draw_ALL_and_SWAP_forSIM2
bool TVLM_view::draw_all(int id, plat::GlWindow* win, bool limit) {
  Tmat& m = *s_.mat;
  const Tdisp_status& disp = s_.disp;
  if (!begin_full_frame(id, win)) return false;
  const bool keep = id != slot_;
  if (works_only_) {
    if (works_shown()) {
      const std::int32_t tools = m.tpm_count;
      m.tpm_count = 0;
      m.spin_angle = 0;
      const int t = disp.SIM_SEETH_LV_WORK;
      DRAW_ALL_WORK(m, 1, tool_pos_, t, t, gl_, id, work_view_key(id));
      m.tpm_count = tools;
    }
    gl_.draw(win, id, "draw_ALL_and_SWAP_forSIM2 - 5 ");
    return true;
  }
  if (works_shown()) {
    m.tool_spin = disp.SIM_TOOL_ROTATE;
    m.spin_angle = spin_angle();
    const int t = disp.SIM_SEETH_LV_WORK;
    plat::GlSurface* sf = gl_.slot[id].surface ? gl_.slot[id].surface->gl_surface() : nullptr;
    if (id == slot_ && win && sf && tool_turns_over_opaque_works()) {
      // The picture without the turning tool stays in the back buffer with its depth; the
      // tool goes over it into the front buffer, now and at each turn of the timer.
      const std::int32_t tools = m.tpm_count;
      m.tpm_count = 0;
      DRAW_ALL_WORK(m, 1, tool_pos_, t, t, gl_, id, work_view_key(id));
      m.tpm_count = tools;
      draw_path(id, win, limit, true);
      gl_.draw_to_back_buffer(id);
      turn_kept_ = sf->keep_depth();
      show_turning_tool(*sf);
      return true;
    }
    DRAW_ALL_WORK(m, 1, tool_pos_, t, t, gl_, id, work_view_key(id));
    draw_path(id, win, limit, true);
    draw_tool_at_pos(id, keep, tool_pos_);
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    gl_.draw(win, id, "draw_ALL_and_SWAP_forSIM2 - 1 ");
    return true;
  }
  m.spin_angle = 0;
  // No turning tool is drawn without the works: the timer has none to turn.
  if (id == slot_) m.tool_spin = 0;
  draw_path(id, win, false, true);
  if (disp.TOOL_DRAW_AT_BG || id != slot_) {
    draw_tool_at_pos(id, keep, tool_pos_);
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    gl_.draw(win, id, "draw_ALL_and_SWAP_forSIM2 - 2 ");
  } else {
    gl_.swapbuffer(win, id, "draw_ALL_and_SWAP_forSIM2 - 3 ");
    gl_.draw_to_front_buffer(id);
    draw_tool_at_pos(id, keep, tool_pos_);
    gl_.draw_to_back_buffer(id);
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    gl_.flush2(win, id, "draw_ALL_and_SWAP_forSIM2 - 4 ");
  }
  return true;
}

float TVLM_view::spin_angle() const {
  const int sp = s_.nc().exec.spindle;
  return (sp == 3 || sp == 4) ? static_cast<float>(360 - (plat::tick_ms() / 25) % 360) : 0.0f;
}

bool TVLM_view::tool_turns_over_opaque_works() const {
  const Tmat& m = *s_.mat;
  if (!m.tool_spin || spin_angle() == 0 || m.tpm_count <= 0 || m.tool_mode == 0 ||
      m.see_through_tool)
    return false;
  for (const TWORK_DATA& w : m.works) {
    if (!w.in_use || !w.visible || (w.jig && !m.show_jigs)) continue;
    if ((m.see_through_works && !w.jig) || w.see_through) return false;
  }
  return true;
}

void TVLM_view::show_turning_tool(plat::GlSurface& sf) {
  Tmat& m = *s_.mat;
  sf.copy_back_to_front();
  gl_.draw_to_front_buffer(slot_);
  glDisable(GL_CULL_FACE);
  glFrontFace(GL_CCW);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  m.blend = 0;
  DRAW_TOOL_BODY(m, tool_pos_);
  draw_tool_at_pos(slot_, false, tool_pos_);
  glDisable(GL_CLIP_PLANE0);
  glDisable(GL_CLIP_PLANE1);
  gl_.flush2(win_, slot_, "draw_ALL_and_SWAP_forSIM2 - 5 ");
  gl_.draw_to_back_buffer(slot_);
}

void TVLM_view::turn_tool() {
  // A stopped spindle leaves the tool as the last drawing drew it.
  if (busy_ || spin_angle() == 0) return;
  const NCD_DATA& d = s_.nc();
  plat::GlSurface* sf =
      gl_.slot[slot_].surface ? gl_.slot[slot_].surface->gl_surface() : nullptr;
  if (!turn_kept_ || resize_pending_ || !sf || !win_ || d.line_count <= 0 || !d.run_done || !works_shown() ||
      !tool_turns_over_opaque_works()) {
    draw_data(5);
    return;
  }
  plat::BusyGuard busy;
  PresentsHeld held(gl_, slot_);
  busy_ = true;
  if (!gl_.setup(win_, slot_, false, GL_VIEW_RENDER) || !sf->restore_depth()) {
    turn_kept_ = false;
    busy_ = false;
    return;
  }
  s_.mat->spin_angle = spin_angle();
  set_clip_planes(slot_);
  show_turning_tool(*sf);
  ++turns_;
  busy_ = false;
  make_readout_text(s_.disp.VIS_LOC_FLAG != 0);
}

// draw_data_with_WORK_2( 1 ): the scene, the works and the run's stored feed moves in grey
// in place of the path, so that a drag over a long program does not run the interpreter.
bool TVLM_view::draw_stored_moves(int id, plat::GlWindow* win) {
  NCD_DATA& d = s_.nc();
  Tmat& m = *s_.mat;
  if (!begin_full_frame(id, win)) return false;
  if (works_shown()) {
    m.spin_angle = 0;
    const int t = s_.disp.SIM_SEETH_LV_WORK;
    DRAW_ALL_WORK(m, 1, tool_pos_, t, t, gl_, id, work_view_key(id));
  }
  // (the stored moves keep no tool: they take the raise of the tool in force)
  const double dz = s_.disp.CHK_UP_BALL_R ? tool_ball_radius(s_, d.run.th.T) : 0.0;
  glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glLineWidth(1);
  glColor3ub(128, 128, 128);
  glBegin(GL_LINES);
  for (const NCD_SAMPLE& sm : d.run.samples) {
    glVertex3d(sm.prev.x, sm.prev.y, sm.prev.z + dz);
    glVertex3d(sm.cur.x, sm.cur.y, sm.cur.z + dz);
  }
  glEnd();
  draw_tool_at_pos(id, id != slot_, tool_pos_);
  glDisable(GL_CLIP_PLANE0);
  glDisable(GL_CLIP_PLANE1);
  gl_.draw(win, id, "draw_data_with_WORK_2( 1 )");
  return true;
}

std::uint64_t TVLM_view::work_view_key(int id) {
  KeyHash h;
  auto mix = [&h](const void* p, std::size_t n) { h.bytes(p, n); };
  const Tdisp_status& d = s_.disp;
  const TGL_VIEW& v = gl_.slot[id].view;
  mix(v.background, sizeof v.background);
  for (const TGL_LIGHT& l : v.lights) {
    mix(&l.enabled, sizeof l.enabled);
    mix(l.ambient, sizeof l.ambient);
    mix(l.diffuse, sizeof l.diffuse);
    mix(l.specular, sizeof l.specular);
    mix(l.position, sizeof l.position);
    mix(l.spot_direction, sizeof l.spot_direction);
    mix(&l.spot_exponent, sizeof l.spot_exponent);
    mix(&l.spot_cutoff, sizeof l.spot_cutoff);
    mix(&l.constant_att, sizeof l.constant_att);
    mix(&l.linear_att, sizeof l.linear_att);
    mix(&l.quadratic_att, sizeof l.quadratic_att);
  }
  mix(d.XYZ_ORG_rgba, sizeof d.XYZ_ORG_rgba);
  mix(&d.XYZ_ORG_width, sizeof d.XYZ_ORG_width);
  mix(&d.XYZ_ORG_height, sizeof d.XYZ_ORG_height);
  mix(&d.VIS_BOUNDARY, sizeof d.VIS_BOUNDARY);
  mix(d.BOX_rgba, sizeof d.BOX_rgba);
  mix(d.dim_rgba, sizeof d.dim_rgba);
  mix(&d.dim_height, sizeof d.dim_height);
  mix(&d.clip_on, sizeof d.clip_on);
  mix(&d.CLIP_ANGLE, sizeof d.CLIP_ANGLE);
  mix(&d.CLIP_GAP, sizeof d.CLIP_GAP);
  const ViewBox box = program_box();
  mix(&box.valid, sizeof box.valid);
  if (box.valid) {
    mix(box.lo, sizeof box.lo);
    mix(box.hi, sizeof box.hi);
  }
  mix(&s_.mat->cur_work, sizeof s_.mat->cur_work);
  return h.h == 0 ? 1 : h.h;
}

void TVLM_view::scene_frame(int id) {
  const TGL_VIEW& v = gl_.slot[id].view;
  const Tdisp_status& disp = s_.disp;
  Tmat& m = *s_.mat;
  double az = std::isfinite(v.rot_z) ? std::fmod(static_cast<double>(v.rot_z), 360.0) : 0.0;
  if (az < 0) az += 360;
  m.view_azimuth = az;
  m.view_order = 1;
  glDisable(GL_LIGHTING);
  glDisable(GL_LINE_STIPPLE);
  glEnable(GL_DEPTH_TEST);
  // the axis figure at the origin
  TStroke_figure axis;
  make_axis_mark(axis, static_cast<float>(v.pixel_size * axis_pixels(disp)));
  glColor4ubv(disp.XYZ_ORG_rgba);
  glLineWidth(static_cast<float>(std::max(1, disp.XYZ_ORG_width)));
  draw_strokes_GL(axis, VEC3{});
  glLineWidth(1);
  // the box of the path extents with its dimensions
  const ViewBox box = program_box();
  if (disp.VIS_BOUNDARY && box.valid) {
    const VEC3 lo{static_cast<float>(box.lo[0]), static_cast<float>(box.lo[1]),
                  static_cast<float>(box.lo[2])};
    const VEC3 hi{static_cast<float>(box.hi[0]), static_cast<float>(box.hi[1]),
                  static_cast<float>(box.hi[2])};
    glColor4ubv(disp.BOX_rgba);
    for (const float z : {lo.z, hi.z}) {
      glBegin(GL_LINE_LOOP);
      glVertex3f(lo.x, lo.y, z);
      glVertex3f(hi.x, lo.y, z);
      glVertex3f(hi.x, hi.y, z);
      glVertex3f(lo.x, hi.y, z);
      glEnd();
    }
    glBegin(GL_LINES);
    for (const float x : {lo.x, hi.x})
      for (const float y : {lo.y, hi.y}) {
        glVertex3f(x, y, lo.z);
        glVertex3f(x, y, hi.z);
      }
    glEnd();
    const float h = static_cast<float>(v.pixel_size * dim_pixels(disp));
    glColor4ubv(disp.dim_rgba);
    for (const ViewDimText& t : view_dimension_texts(box, h))
      draw_3D_text(t.text, h, 0, h * 0.3f, t.mode,
                   VEC3{static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.z)});
  }
  // the selected work's frame
  DRAW_WORK_FRAME(m, m.cur_work, 1);
  draw_picked_cell(id, box);
  glLineWidth(1);
}

// The picked grid cell: its square at the work's top in the frame colour, lines of width 3
// from it to the edges of the extents (red along X, blue along Y), its coordinates as
// stroke texts, then the measuring lattice.
void TVLM_view::draw_picked_cell(int id, const ViewBox& box) {
  Tmat& m = *s_.mat;
  const TPICK_CELL& p = m.pick;
  if (p.work < 0 || p.work >= WORK_MAX || !m.works[p.work].in_use) return;
  const TWORK_DATA& w = m.works[p.work];
  const TGL_VIEW& v = gl_.slot[id].view;
  // just above the work's top, so that the uncut top does not hide it
  const float top = p.top + static_cast<float>(2 * v.pixel_size);
  const float hx = std::max(w.step_x, 1e-3f) / 2, hy = std::max(w.step_y, 1e-3f) / 2;
  glDisable(GL_LIGHTING);
  glDisable(GL_LINE_STIPPLE);
  glColor4ubv(m.frame_color);
  glLineWidth(2);
  glBegin(GL_LINE_LOOP);
  glVertex3f(p.x - hx, p.y - hy, top);
  glVertex3f(p.x + hx, p.y - hy, top);
  glVertex3f(p.x + hx, p.y + hy, top);
  glVertex3f(p.x - hx, p.y + hy, top);
  glEnd();
  const float lo_x = box.valid ? std::min(static_cast<float>(box.lo[0]), w.min.x) : w.min.x;
  const float lo_y = box.valid ? std::min(static_cast<float>(box.lo[1]), w.min.y) : w.min.y;
  glLineWidth(3);
  glBegin(GL_LINES);
  glColor3ub(255, 0, 0);
  glVertex3f(lo_x, p.y, top);
  glVertex3f(p.x, p.y, top);
  glColor3ub(0, 0, 255);
  glVertex3f(p.x, lo_y, top);
  glVertex3f(p.x, p.y, top);
  glEnd();
  glLineWidth(1);
  const float h = static_cast<float>(v.pixel_size * kDimFactor * std::max(1.0f, s_.disp.dim_height));
  glColor4ubv(m.frame_color);
  draw_3D_text("X" + num3(p.x), h, 0, h * 0.3f, 1, VEC3{(lo_x + p.x) / 2, p.y + 0.5f * h, top});
  draw_3D_text("Y" + num3(p.y), h, 0, h * 0.3f, 2, VEC3{p.x + 0.5f * h, (lo_y + p.y) / 2, top});
  draw_3D_text("Z" + num3(p.z), h, 0, h * 0.3f, 3, VEC3{p.x + hx + 0.5f * h, p.y + hy, top});
  DRAW_WORK_FRAME(m, p.work, 2);
}

void TVLM_view::set_clip_planes(int id) {
  const Tdisp_status& disp = s_.disp;
  if (!disp.clip_on) return;
  const TGL_VIEW& v = gl_.slot[id].view;
  const double dx = -v.centre_shift[0], dy = -v.centre_shift[1];
  const double t = (static_cast<double>(v.rot_z) - disp.CLIP_ANGLE) * 3.14159265358979323846 / 180;
  const double s = Sin_Z(t), c = Cos_Z(t);
  const GLdouble p0[4] = {s, c, 0, -(dx * s + dy * c)};
  glClipPlane(GL_CLIP_PLANE0, p0);
  glEnable(GL_CLIP_PLANE0);
  if (disp.CLIP_GAP > 0) {
    const GLdouble p1[4] = {-s, -c, 0, -p0[3] + disp.CLIP_GAP};
    glClipPlane(GL_CLIP_PLANE1, p1);
    glEnable(GL_CLIP_PLANE1);
  }
}

// NCD_check_with_change_TH_zu: the path of the marked block range, with the interpreter
// back where it was afterwards.
void TVLM_view::draw_path(int id, plat::GlWindow* win, bool limit, bool swap_while) {
  NCD_DATA& d = s_.nc();
  const Tdisp_status& disp = s_.disp;
  const int last = d.pos.mark_last;
  int first = std::max(0, d.pos.mark_first);
  if (limit) first = std::max(first, last - 30);
  const PathOptions opt = path_options(id);
  PathRetainedKey key;
  key.run_serial = d.run.valid_serial;
  key.changes = d.change_count;
  key.settings = path_settings_hash(disp, opt);
  key.first = first;
  key.last = last;
  key.arc_scale = opt.pixel_size * opt.scale;
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  if (disp.CHK_SEETH_PATH) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  // only the panel's own full drawings are kept (the preview's picture has its own scale);
  // their lines go through the layer unless they are blended
  const bool record = !limit && id == slot_;
  PathLayer* layer = nullptr;
  std::uint64_t layer_view = 0;
  if (record && !disp.CHK_SEETH_PATH && path_layer_on_) {
    GlSlotSurface* sf = gl_.surface(id);
    if (sf && layer_.ready(sf->width(), sf->height())) {
      layer = &layer_;
      layer_view = PathLayer::view_key();
    }
  }
  if (retained_.valid() && retained_.key() == key) {
    if (layer) {
      if (!layer->holds(layer_view, key)) {
        layer->begin(true);
        retained_.draw();
        layer->end();
        layer->set(layer_view, key);
      }
      layer->put(&retained_.bounds());
      ++layer_puts_;
    } else {
      retained_.draw();
    }
    glDisable(GL_BLEND);
    return;
  }
  // A range grown at its end (stepping, playing) draws what is kept and runs on from its
  // old end only, keeping what it adds.
  PathRetainedKey grown = retained_.key();
  grown.last = last;
  const int kept_last = retained_.key().last;
  const bool extend = record && retained_.valid() && grown == key && kept_last < last;
  if (layer) {
    // The layer holds what is kept unless the view changed; until the drawing is whole it
    // holds no kept range.
    const bool has_kept = extend && layer->holds(layer_view, retained_.key());
    layer->begin(!has_kept);
    if (extend && !has_kept) retained_.draw();
    layer->forget();
  } else if (extend) {
    retained_.draw();
  }
  if (extend)
    retained_.resume(key);
  else if (record)
    retained_.begin(key);
  Save_NCD_pos_A(d);
  // (a seek to block n stands after n - 1 blocks: the kept geometry ends after kept_last)
  Goto_NCD_step(d, extend ? kept_last + 1 : first, false);
  PathGlSink gl_sink;
  PathTee tee(gl_sink, retained_);
  PathEmitter em(disp, opt, record ? static_cast<PathSink&>(tee) : gl_sink);
  em.reset();
  std::uint32_t t0 = plat::tick_ms();
  long n = 0;
  bool whole = true;
  for (;;) {
    const bool ended = path_step_block(d, [&](const NCD_STEP_MOVES& m) {
      em.draw_PATH_seg(path_move_of_step(d, m));
    });
    ++stepped_;
    if (ended || d.exec.status == NCD_ST_ERROR || d.pos.block_count >= last) break;
    if (++n % static_cast<long>(kPollBlocks) == 0) {
      if (plat::escape_pressed() || plat::mouse_button_down()) {
        whole = false;
        break;
      }
      if (swap_while && plat::tick_ms() - t0 > kPresentMs) {
        gl_sink.end();
        // what the layer holds so far goes over the picture (again: the same lines leave
        // the same pixels), and the layer takes the next lines after the swap
        if (layer) {
          layer->end();
          layer->put(&retained_.bounds());
        }
        glFinish();
        gl_.swapbuffer(win, id, "NCD_check_with_change_TH_zu");
        if (layer) layer->begin(false);
        t0 = plat::tick_ms();
      }
    }
  }
  gl_sink.end();
  if (layer) {
    layer->end();
    layer->put(&retained_.bounds());
    ++layer_puts_;
  }
  if (record) {
    if (whole)
      retained_.finish();
    else
      retained_.clear();
    if (layer && retained_.valid()) layer->set(layer_view, key);
  }
  glDisable(GL_BLEND);
  glDisable(GL_LINE_STIPPLE);
  glLineWidth(1);
  glPointSize(1);
  Load_NCD_pos_A(d);
}

// draw_TOOL_at_pos
void TVLM_view::draw_tool_at_pos(int id, bool keep_marker, const float pos[3]) {
  const TGL_VIEW& v = gl_.slot[id].view;
  if (!keep_marker) {
    tool_pos_[0] = pos[0], tool_pos_[1] = pos[1], tool_pos_[2] = pos[2];
    project_3Dpos(v, tool_pos_, marker_);
    marker_valid_ = true;
  }
  const Tdisp_status& disp = s_.disp;
  const TTOOL_OUTLINE_SET& o = *s_.th_outline;
  if (!(disp.VIS_TOOL || disp.VIS_HOLDER) || !o.valid) return;
  glLineWidth(1);
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_LIGHTING);
  glPushMatrix();
  glTranslatef(pos[0], pos[1], pos[2]);
  glRotatef(-v.rot_z, 0, 0, 1);
  glDisable(GL_DEPTH_TEST);
  const int mode = (o.kind == 10 && (s_.nc().exec.spindle == 0 || s_.nc().exec.spindle == 5)) ? 1 : 0;
  float label[3] = {0, 0, 0};
  draw_TOOL_HOLDER_GL(o, disp.VIS_TOOL != 0, disp.VIS_HOLDER != 0, mode, label);
  glEnable(GL_DEPTH_TEST);
  glPopMatrix();
}

// make_readout_text: the marker at the tool and, with the text, the box of the block's
// coordinates beside it.
void TVLM_view::make_readout_text(bool show_text) {
  if (!marker_valid_) return;
  const TGL_VIEW& v = gl_.slot[slot_].view;
  PresentsHeld held(gl_, slot_);
  gl_.draw_point_marker(slot_, true, marker_, 3);
  if (!show_text) return;
  const NCD_DATA& d = s_.nc();
  const NCD_EXEC& e = d.exec;
  const int g = e.status & NCD_ST_MOTION;
  double z = e.cur.z;
  if (ncd_is_cycle(g) && !e.cyc.active) z = e.cyc.z;
  std::string n[3] = {num3(e.cur.x), num3(e.cur.y), num3(z)};
  std::size_t w = 0;
  for (const std::string& s : n) w = std::max(w, s.size());
  const char* letters[3] = {"X", "Y", "Z"};
  std::string lines[3];
  for (int i = 0; i < 3; ++i) lines[i] = letters[i] + std::string(w - n[i].size() + 1, ' ') + n[i];
  if (ncd_is_arc(g)) {
    const VEC3 c = ncd_arc_centre(e);
    const std::uint32_t pl = e.mode & NCD_PLANE_MASK;
    std::string a1 = " cx", a2 = " cy";
    double c1 = c.x, c2 = c.y;
    if (pl == NCD_PLANE_ZX) a1 = " cz", c1 = c.z, a2 = " cx", c2 = c.x;
    if (pl == NCD_PLANE_YZ) a1 = " cy", c1 = c.y, a2 = " cz", c2 = c.z;
    std::string m[3] = {num3(std::fabs(c1)), num3(std::fabs(c2)), num3(std::fabs(e.arc_r))};
    std::size_t w2 = 0;
    for (const std::string& s : m) w2 = std::max(w2, s.size());
    const std::string heads[3] = {a1, a2, "  r"};
    for (int i = 0; i < 3; ++i) lines[i] += heads[i] + std::string(w2 - m[i].size() + 1, ' ') + m[i];
  }
  if (e.cyc.active) {
    std::string t;
    get_cycle_step_text(d, t);
    lines[2] += " " + t;
  }
  if (error_status(e.status)) {
    std::string t;
    get_NCD_err_msg(e.status, t);
    lines[1] = "ERR : " + t;
  }
  const int font_px = std::max(4, s_.disp.LOC_height);
  const int lh = font_px + 4;
  int widest = 0;
  for (const std::string& s : lines) widest = std::max(widest, Tgl_func::canvas_text_width(s, font_px));
  const int bw = widest + 7;
  int x = marker_[0] + 5, y = marker_[1] + 5;
  x = std::max(1, std::min(x, v.panel_w - bw - 9));
  y = std::max(1, std::min(y, v.panel_h - 3 * lh - 9));
  // A rounded box in the background colour, framed and written in the read-out colour.
  const auto byte = [](float c) { return static_cast<std::uint32_t>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); };
  const std::uint32_t back = byte(v.background[0]) | byte(v.background[1]) << 8 | byte(v.background[2]) << 16;
  const std::int32_t r[4] = {x, y, x + bw, y + 3 * lh + 7};
  gl_.draw_canvas_box(slot_, back, s_.disp.LOC_tcolor, r, 6);
  for (int i = 0; i < 3; ++i)
    gl_.draw_canvas_text(slot_, x + 4, y + 4 + i * lh, lines[i], s_.disp.LOC_tcolor, font_px);
}

// ---- stepping -----------------------------------------------------------------------------

// draw_STEP_with_check_forSIM2: one block stepped (with the sub-moves of a canned cycle),
// each move cut into the works when they are shown, the drawn range grown to take it in.
// Without works the move is drawn onto the picture; with them (or the tool drawn into the
// back buffer) a full frame follows. While steps come in faster than frames, frames are
// paced: the path still goes into the picture, the rest waits for the next frame.
int TVLM_view::step_draw(bool single) {
  NCD_DATA& d = s_.nc();
  Tmat& m = *s_.mat;
  const Tdisp_status& disp = s_.disp;
  const bool cut = works_shown();
  const bool full_frame = cut || disp.TOOL_DRAW_AT_BG;
  const double t0 = plat::tick_ms();
  const bool due = single || pacer_.due(t0);
  tool_pos_picked_ = false;
  m.cut_flags_acc = 0;
  PathGlSink sink;
  PathEmitter em(disp, path_options(slot_), sink);
  const bool drawing = !full_frame && gl_.setup(win_, slot_, false, GL_VIEW_RENDER);
  if (drawing) {
    if (due) gl_.swapbuffer(win_, slot_, "draw_STEP_with_check_forSIM2 - 1 ");
    glEnable(GL_DEPTH_TEST);
    if (disp.CHK_SEETH_PATH) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    set_clip_planes(slot_);
    gl_.draw_to_both_buffers(slot_);
  }
  em.reset();
  PathMove current;
  const bool ended = path_step_block(d, [&](const NCD_STEP_MOVES& mv) {
    if (cut && m.any_work) cut_PATH_only(m, mv);
    if (!drawing) return;
    current = path_move_of_step(d, mv);
    em.draw_PATH_seg(current);
  });
  if (drawing) {
    sink.end();
    glDisable(GL_BLEND);
    glDisable(GL_LINE_STIPPLE);
    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    glLineWidth(1);
    if (due) {
      gl_.draw_to_front_buffer(slot_);
      // the current move marked over the picture (the next frame takes it away)
      glDisable(GL_DEPTH_TEST);
      em.mark(current);
      sink.end();
      glEnable(GL_DEPTH_TEST);
      glLineWidth(1);
      const float pos[3] = {static_cast<float>(d.exec.seg_end.x),
                            static_cast<float>(d.exec.seg_end.y),
                            static_cast<float>(d.exec.seg_end.z)};
      draw_tool_at_pos(slot_, false, pos);
      gl_.draw_to_back_buffer(slot_);
      gl_.flush2(win_, slot_, "draw_STEP_with_check_forSIM2");
    } else {
      gl_.draw_to_back_buffer(slot_);
    }
  }
  // the drawn range takes in the block the simulation came to
  d.pos.mark_first = std::min(d.pos.mark_first, d.pos.block_count);
  d.pos.mark_last = std::max(d.pos.mark_last, d.pos.block_count);
  if (due) {
    if (full_frame) draw_all(slot_, win_, false);
    pacer_.drawn(t0, plat::tick_ms());
    frame_owed_ = false;
  } else {
    frame_owed_ = true;
  }
  const bool stop = damage_stop() || m.abort_flag != 0;
  return (ended || error_status(d.exec.status) || stop) ? 1 : 0;
}

int TVLM_view::run_to_end() {
  NCD_DATA& d = s_.nc();
  Tmat& m = *s_.mat;
  const bool cut = works_shown();
  m.cut_flags_acc = 0;
  int r = 0;
  // One block, nothing drawn: a canned cycle's sub-moves run to the cycle's end.
  for (;;) {
    NCD_STEP_MOVES mv;
    const bool ended = STEP_NCD(d, true);
    get_NCD_step_moves(d, mv);
    if (cut && m.any_work) cut_PATH_only(m, mv);
    if (damage_stop()) {
      r = 1;
      break;
    }
    const bool cycle_going = d.exec.cyc.active && d.pos.next_line == d.pos.cur_line;
    if (ended || m.abort_flag || !cycle_going) break;
  }
  d.pos.mark_last = std::max(d.pos.mark_last, d.pos.block_count);
  return r;
}

bool TVLM_view::draw_step(int mode) {
  if (busy_) return STEP_NCD_stop_on_err(s_.nc(), false);
  return draw_data(mode) != 0;
}

// ---- fit, zoom, pick ----------------------------------------------------------------------

// A run in which nothing moved (the lines after a program end that hold none) has no path
// to fit: the view stays as the user left it.
void TVLM_view::fit_scale(bool reset) {
  const NCD_DATA& d = s_.nc();
  if (d.line_count <= 0 || !d.run_done || busy_) return;
  TGL_VIEW& v = gl_.slot[slot_].view;
  if (reset) {
    v.perspective = 0;
    v.rot_x = 290;
    v.rot_z = -50;
  }
  fit_scale_ex(v, program_box(), works_box(*s_.mat), axis_pixels(s_.disp), fit_dim_pixels(s_.disp));
  if (reset) {
    ui_.view().gl_set_angles(v.rot_z, v.rot_x);
    show_zoom(true);
  } else {
    show_zoom(false);
  }
}

bool TVLM_view::zoom_by_factor(double f) {
  if (s_.nc().line_count <= 0) return false;
  ViewParams& p = mouse_host_->view();
  const bool ok = view_zoom_by_factor(p, f);
  mouse_done();
  return ok;
}

int TVLM_view::click_entity2(int x, int y) {
  NCD_DATA& d = s_.nc();
  if (d.line_count <= 0 || !d.run_done) return -1;
  const TGL_VIEW& v = gl_.slot[slot_].view;
  if (!v.matrices_valid) return -1;
  PathPickFrame f;
  const GLMAT4 mvp = gl_mat_mul(v.proj, v.model);
  std::copy(std::begin(mvp.m), std::end(mvp.m), f.mvp.begin());
  f.width = v.kept_viewport[2];
  f.height = v.kept_viewport[3];
  f.x = x - v.kept_viewport[0];
  f.y = (v.panel_h - y) - v.kept_viewport[1];
  if (s_.disp.clip_on) {
    const double dx = -v.centre_shift[0], dy = -v.centre_shift[1];
    const double t = (static_cast<double>(v.rot_z) - s_.disp.CLIP_ANGLE) * 3.14159265358979323846 / 180;
    const double s = Sin_Z(t), c = Cos_Z(t);
    f.planes.push_back({s, c, 0, -(dx * s + dy * c)});
    if (s_.disp.CLIP_GAP > 0) f.planes.push_back({-s, -c, 0, (dx * s + dy * c) + s_.disp.CLIP_GAP});
  }
  PathPicker picker(f);
  PathEmitter em(s_.disp, path_options(slot_), picker);
  Save_NCD_pos_A(d);
  Goto_NCD_step(d, std::max(0, d.pos.mark_first), false);
  const int last = d.pos.mark_last;
  long n = 0;
  for (;;) {
    const bool ended = path_step_block(d, [&](const NCD_STEP_MOVES& m) {
      const PathMove pm = path_move_of_step(d, m);
      picker.set_name(pm.line);
      em.draw_PATH_pick(pm);
    });
    ++stepped_;
    if (picker.found() || ended || d.exec.status == NCD_ST_ERROR || d.pos.block_count >= last) break;
    if (++n % static_cast<long>(kPollBlocks) == 0 && plat::key_down(plat::Key::LButton)) break;
  }
  Load_NCD_pos_A(d);
  return picker.hit();
}

// ---- panel --------------------------------------------------------------------------------

void TVLM_view::resized(int width, int height) {
  gl_.set_GL_view_area(slot_, width, height, 3, 3, 3, 3);
  resize_pending_ = true;
  turn_kept_ = false;
}

void TVLM_view::paint() {
  if (busy_) {
    gl_.swapbuffer(win_, slot_, "paint");  // presents the kept picture only
    return;
  }
  const NCD_DATA& d = s_.nc();
  if (d.line_count <= 0 || !d.run_done) {
    resize_pending_ = false;
    GL_show_cleared(gl_, win_, slot_);
    return;
  }
  draw_data(resize_pending_ ? 4 : 7);
  resize_pending_ = false;
}

// ---- off-screen picture -------------------------------------------------------------------

std::shared_ptr<const TG2_picture> TVLM_view::render_view(int width, int height, bool white,
                                                          bool works_only) {
  const NCD_DATA& d = s_.nc();
  if (width <= 0 || height <= 0 || busy_) return nullptr;
  const int id = 1;
  if (!gl_.slot[id].flag_open && !gl_.open(nullptr, id, false, false)) return nullptr;
  gl_.copy_GL_view_settings(id, slot_);
  gl_.set_GL_view_area(id, width, height, 0, 0, 0, 0);
  TGL_VIEW& v = gl_.slot[id].view;
  if (white) v.background[0] = v.background[1] = v.background[2] = 1.0f;
  if (d.line_count > 0 && d.run_done) {
    fit_scale_ex(v, program_box(), works_box(*s_.mat), axis_pixels(s_.disp), fit_dim_pixels(s_.disp));
    plat::BusyGuard busy;
    busy_ = true;
    works_only_ = works_only;
    draw_all(id, nullptr, false);
    works_only_ = false;
    busy_ = false;
  } else if (gl_.setup(nullptr, id, true, GL_VIEW_RENDER)) {
    gl_.draw(nullptr, id, "render_view");
  }
  const QImage img = gl_.grab(id).convertToFormat(QImage::Format_ARGB32);
  gl_.close(id);
  if (img.isNull()) return nullptr;
  auto pic = std::make_shared<TG2_picture>();
  pic->width = img.width();
  pic->height = img.height();
  pic->pixels.resize(static_cast<std::size_t>(pic->width) * static_cast<std::size_t>(pic->height));
  for (int y = 0; y < pic->height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
    std::copy(row, row + pic->width, pic->pixels.begin() + static_cast<std::ptrdiff_t>(y) * pic->width);
  }
  return pic;
}
