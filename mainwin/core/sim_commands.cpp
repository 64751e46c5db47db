#include "mainwin/core/sim_commands.h"

#include <algorithm>
#include <cmath>

#include "common/debug_log.h"
#include "common/text_file.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/work_file.h"
#include "simulation/work_store.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAskCaption = "INFORMATION Message";
constexpr const char* kDeleteQuestion = "全てのワークデータを削除していいですか？";
constexpr const char* kResetQuestion = "全てのワークを初期状態に戻していいですか？";
constexpr int kAutoWorkDivisions = 50;
constexpr int kAutoWorkColor = 43;

bool ask(const char* text) {
  return plat::message_box(text, kAskCaption,
                           plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_DEFBUTTON2) ==
         plat::IDOK;
}

void flip(std::uint8_t& v) { v = v ? 0 : 1; }

// The path extents of the whole program: the interpreter gathers them as it runs, so the
// state after the last block holds them; the position comes back afterwards.
bool run_path_extents(NCD_DATA& d, VEC3& lo, VEC3& hi) {
  if (d.line_count <= 0 || d.pos.total_blocks <= 0) return false;
  Save_NCD_pos_B(d);
  Goto_NCD_step(d, d.pos.total_blocks, true);
  const bool ok = d.exec.ext_set;
  lo = d.exec.ext_min;
  hi = d.exec.ext_max;
  Load_NCD_pos_B(d);
  return ok;
}

float work_top(const TSession& s, float min_z) {
  float z = 0;
  if (run_cut_start_z(s, z) && z > min_z + 1e-6f) return z;
  return min_z + 20.0f;
}

}  // namespace

bool works_have_damage(const Tmat& m) {
  for (const TWORK_DATA& w : m.works) {
    if (!w.in_use) continue;
    for (const TGRID_POINT& p : w.grid)
      if (is_collision_point(p)) return true;
  }
  return false;
}

bool run_cut_start_z(const TSession& s, float& z) {
  bool found = false;
  for (const NCD_TOOL_STAT& r : s.nc().run.stats) {
    if (r.cut_len <= 0) continue;
    if (!found || r.cut_start_z > z) z = r.cut_start_z;
    found = true;
  }
  return found;
}

bool auto_work_box(const TSession& s, int mode, VEC3& lo, VEC3& hi) {
  // The seek comes back to where it started; the session is not changed for the caller.
  NCD_DATA& d = const_cast<TSession&>(s).nc();
  if (!run_path_extents(d, lo, hi)) return false;
  hi.z = work_top(s, lo.z);
  if (mode == 2) {
    lo.x -= 10; lo.y -= 10; lo.z -= 10;
    hi.x += 10; hi.y += 10; hi.z += 10;
  }
  return true;
}

SIM_MENU_STATE simulation_menu_state(TSession& s, bool setup_window) {
  SIM_MENU_STATE st;
  Tdisp_status& disp = s.disp;
  Tmat& m = *s.mat;
  int& mode = disp.AUTO_SET_WORK_MODE;
  if (mode != 1 && mode != 2) mode = 0;
  for (int t = SIM_AUTOSET; t <= SIM_AUTOSET_ADD10; ++t) st.item[t].visible = true;
  st.item[SIM_AUTOSET_NONE + mode].checked = true;
  st.autoset_caption = mode == 1   ? "ワークの自動設定(パス最大範囲)"
                       : mode == 2 ? "ワークの自動設定(パス最大範囲+10mm)"
                                   : "ワークの自動設定(行わない)";
  auto show = [&](int tag, bool checked = false) {
    st.item[tag].visible = true;
    st.item[tag].checked = checked;
  };
  if (s.nc().line_count <= 0) {
    st.n29 = SIM_MENU_STATE::Line::no_program;
    m.mesh_mode = 0;
    m.tool_mode = 0;
    m.cut_section_mode = 0;
    return st;
  }
  if (!Check_Any_WORK(m)) {
    if (setup_window) {
      show(SIM_SETUP_WORK);
      st.setup_separator = true;
    }
    show(SIM_READ_ALL);
    m.cut_section_mode = 0;
    return st;
  }
  const bool cutting = disp.SIM_CUTTING_MODE != 0;
  show(SIM_CUTTING, cutting);
  show(SIM_SAVE_ALL);
  show(SIM_DELETE_ALL);
  show(SIM_RESET_ALL);
  show(SIM_READ_ALL);
  if (setup_window) {
    show(SIM_SETUP_WORK);
    st.setup_separator = true;
  }
  if (!cutting) {
    m.cut_section_mode = 0;
    return st;
  }
  show(SIM_VIS_WORK, disp.SIM_VIS_WORK != 0);
  show(SIM_VIS_ZIGU, m.show_jigs != 0);
  show(SIM_HOLDER_CHECK, disp.SIM_CALC_HOLDER != 0);
  show(SIM_VIS_CUTTING_TOOL, disp.SIM_VIS_TOOL != 0);
  show(SIM_TOOL_SOLID, disp.SIM_TOOL_SOLID != 0);
  show(SIM_SEETH_WORK, m.see_through_works != 0);
  show(SIM_ROTATE_TOOL, disp.SIM_TOOL_ROTATE != 0);
  show(SIM_HIGH_DETAIL, disp.SIM_HIGH_DETAIL != 0);
  show(SIM_CUT_ZIGU, m.cut_jigs != 0);
  show(SIM_SEETH_TOOL, m.see_through_tool != 0);
  show(SIM_ZIGU_RECT, m.jig_rect_check != 0);
  show(SIM_RED_FLASH, m.blink != 0);
  show(SIM_NG_STOP, disp.NG_ERR_STOP != 0);
  st.n29 = SIM_MENU_STATE::Line::separator;
  m.mesh_mode = !disp.SIM_VIS_WORK ? 0 : disp.SIM_HIGH_DETAIL ? 2 : 1;
  m.tool_mode = !disp.SIM_VIS_TOOL ? 0 : disp.SIM_TOOL_SOLID ? 2 : 1;
  m.cut_section_mode = disp.SIM_CALC_HOLDER ? 2 : 1;
  st.panel_controls = true;
  st.ng_stop = disp.NG_ERR_STOP != 0;
  st.seeth_work = m.see_through_works != 0;
  st.seeth_tool = m.see_through_tool != 0;
  st.hi_detail_button = disp.SIM_HIGH_DETAIL == 0;
  st.bars_reset = true;
  disp.SIM_SEETH_LV_WORK = SIM_SEETH_LEVEL;
  disp.SIM_SEETH_LV_TOOL = SIM_SEETH_LEVEL;
  return st;
}

// ---- TVLM_sim_commands --------------------------------------------------------------------

TVLM_sim_commands::TVLM_sim_commands(TSession& s, TVLM_ui& ui, TVLM_sim_ui& sim)
    : s_(s), ui_(ui), sim_(sim) {}

void TVLM_sim_commands::refresh_simulation_menu() {
  plat::BusyGuard busy;  // keeps the flag as it was once the guard ends
  s_.menu.updating = true;
  sim_.apply_sim_menu(simulation_menu_state(s_, sim_.work_window() != nullptr));
  sim_.process_events();
  s_.menu.updating = false;
}

bool TVLM_sim_commands::update_flag() const { return s_.menu.updating; }

void TVLM_sim_commands::set_busy(bool on) {
  if (on) {
    s_.menu.updating = true;
    sim_.set_panel_settings_enabled(false);
  } else {
    sim_.process_events();
    sim_.set_panel_settings_enabled(true);
    s_.menu.updating = false;
  }
}

std::string TVLM_sim_commands::work_file_name() const {
  const NCD_DATA& d = s_.nc();
  if (d.line_count <= 0 || d.file_name.empty()) return "no_name.wok";
  std::string name = d.file_name;
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name + ".wok";
}

void TVLM_sim_commands::toggle(int tag) {
  Tdisp_status& disp = s_.disp;
  Tmat& m = *s_.mat;
  bool redraw = true;
  switch (tag) {
    case SIM_VIS_WORK: flip(disp.SIM_VIS_WORK); break;
    case SIM_VIS_ZIGU: flip(m.show_jigs); break;
    case SIM_CUTTING: flip(disp.SIM_CUTTING_MODE); break;
    case SIM_HOLDER_CHECK: flip(disp.SIM_CALC_HOLDER); break;
    case SIM_VIS_CUTTING_TOOL: flip(disp.SIM_VIS_TOOL); break;
    case SIM_TOOL_SOLID: flip(disp.SIM_TOOL_SOLID); break;
    case SIM_SEETH_WORK: flip(m.see_through_works); break;
    case SIM_ROTATE_TOOL: flip(disp.SIM_TOOL_ROTATE); break;
    case SIM_HIGH_DETAIL: flip(disp.SIM_HIGH_DETAIL); break;
    case SIM_CUT_ZIGU: flip(m.cut_jigs); redraw = false; break;
    case SIM_SEETH_TOOL: flip(m.see_through_tool); break;
    case SIM_ZIGU_RECT: flip(m.jig_rect_check); redraw = false; break;
    case SIM_RED_FLASH: flip(m.blink); redraw = false; break;
    case SIM_NG_STOP: flip(disp.NG_ERR_STOP); redraw = false; break;
    default: return;
  }
  refresh_simulation_menu();
  if (redraw) ui_.view().draw_data(4);
}

void TVLM_sim_commands::works_changed() {
  recheck_damage();
  refresh_simulation_menu();
  ui_.view().draw_data(4);
}

void TVLM_sim_commands::delete_all_works() {
  if (!ask(kDeleteQuestion)) return;
  WORK_MEM_FREE_ALL(*s_.mat);
  works_changed();
}

// The question comes first and Cancel keeps the works; so does cancelling the file dialog:
// only a chosen file replaces them.
void TVLM_sim_commands::read_all_works() {
  Tmat& m = *s_.mat;
  const bool any = Check_Any_WORK(m);
  if (any && !ask(kDeleteQuestion)) return;
  fs::path file;
  if (!sim_.choose_work_file(false, "VLM WORK データの読み込み", "", file)) return;
  if (any) WORK_MEM_FREE_ALL(m);
  int first = -1;
  LOAD_WORK_DATA(m, file, false, first);
  works_changed();
}

void TVLM_sim_commands::MM_simulationClick(int tag) {
  if (plat::busy()) return;
  ui_.listing().commit_listing();
  Tmat& m = *s_.mat;
  switch (tag) {
    case SIM_MENU_OPEN: refresh_simulation_menu(); break;
    case SIM_SETUP_WORK: open_WORK_SET(); break;
    case SIM_SAVE_ALL: {
      fs::path file;
      if (sim_.choose_work_file(true, "VLM WORK 全データの保存", work_file_name(), file))
        SAVE_WORK_DATA(m, file, 0, 0);
      break;
    }
    case SIM_DELETE_ALL: delete_all_works(); break;
    case SIM_RESET_ALL:
      if (!ask(kResetQuestion)) break;
      REMAKE_ALL_WORK_MATRIX(m);
      works_changed();
      break;
    case SIM_READ_ALL: read_all_works(); break;
    case SIM_AUTOSET_NONE:
    case SIM_AUTOSET_JUST:
    case SIM_AUTOSET_ADD10:
      s_.disp.AUTO_SET_WORK_MODE = tag - SIM_AUTOSET_NONE;
      refresh_simulation_menu();
      break;
    default: toggle(tag); break;
  }
  check_timer();
}

void TVLM_sim_commands::auto_WORK_for_NCD() {
  Tmat& m = *s_.mat;
  Tdisp_status& disp = s_.disp;
  const int mode = disp.AUTO_SET_WORK_MODE;
  if (Check_Any_WORK(m) || s_.nc().line_count <= 0 || mode == 0) return;
  auto adopt = [&] {
    disp.SIM_CUTTING_MODE = 1;
    disp.SIM_VIS_WORK = 1;
    recheck_damage();
    refresh_simulation_menu();
    check_timer();
  };
  if (!s_.file.path.empty()) {
    fs::path want = s_.file.path;
    want.replace_extension(".wok");
    if (auto wok = find_file_nocase(want.parent_path(), want.filename().string())) {
      int first = -1;
      if (LOAD_WORK_DATA(m, *wok, false, first)) {
        adopt();
        return;
      }
    }
  }
  const int slot = Get_Free_WORK_num(m);
  if (slot < 0) return;
  VEC3 lo, hi;
  if (!auto_work_box(s_, mode, lo, hi)) return;
  SET_WORK_NUM(m, slot);
  std::uint8_t col[4];
  color_code_to_RGBA(kAutoWorkColor, 255, col);
  if (CREATE_WORK(m, col, kAutoWorkDivisions, kAutoWorkDivisions, true, false, lo, hi)) {
    adopt();
  } else {
    deb_log("Tvelmor.auto_WORK_for_NCD; " + m.last_error());
  }
}

void TVLM_sim_commands::open_WORK_SET() {
  SIM_WORK_WINDOW* win = sim_.work_window();
  if (!win || setup_active_) return;
  NCD_DATA& d = s_.nc();
  Tdisp_status& disp = s_.disp;
  Tmat& m = *s_.mat;
  saved_.panel_visible = sim_.panel_visible();
  sim_.set_panel_visible(false);
  VEC3 lo, hi;
  if (d.line_count > 0 && run_path_extents(d, lo, hi)) {
    win->set_program(true, lo, hi, work_top(s_, lo.z));
  } else {
    win->set_program(false, VEC3{}, VEC3{}, 0);
  }
  sim_.enable_main_controls(false);
  Save_NCD_pos_C(d);
  setup_active_ = true;
  win->place(disp.WSW_LEFT, disp.WSW_TOP);
  saved_.show_jigs = m.show_jigs;
  saved_.see_through_works = m.see_through_works;
  saved_.cutting = disp.SIM_CUTTING_MODE;
  saved_.high_detail = disp.SIM_HIGH_DETAIL;
  disp.SIM_CUTTING_MODE = 1;
  m.see_through_works = 0;
  m.show_jigs = 1;
  m.mesh_mode = 1;
  win->set_file_name(work_file_name());
  win->show();
}

void TVLM_sim_commands::end_WORK_SET() {
  if (!setup_active_) return;
  setup_active_ = false;
  Tdisp_status& disp = s_.disp;
  Tmat& m = *s_.mat;
  if (SIM_WORK_WINDOW* win = sim_.work_window()) win->position(disp.WSW_LEFT, disp.WSW_TOP);
  m.show_jigs = saved_.show_jigs;
  m.see_through_works = saved_.see_through_works;
  disp.SIM_CUTTING_MODE = saved_.cutting;
  disp.SIM_HIGH_DETAIL = saved_.high_detail;
  disp.SIM_VIS_WORK = Check_Any_WORK(m) ? 1 : 0;
  recheck_damage();
  refresh_simulation_menu();
  Load_NCD_pos_C(s_.nc());
  if (saved_.panel_visible) sim_.set_panel_visible(true);
  sim_.process_events();
  sim_.enable_main_controls(true);
  ui_.view().draw_data(4);
  check_timer();
}

bool TVLM_sim_commands::timer_wanted() const {
  const Tmat& m = *s_.mat;
  const Tdisp_status& disp = s_.disp;
  if (m.blink && disp.SIM_VIS_WORK && damage_) return true;
  return m.tool_spin && disp.SIM_TOOL_ROTATE && m.tool_mode > 0 && m.cut_section_mode > 0;
}

void TVLM_sim_commands::check_timer() {
  const bool on = timer_wanted();
  if (on == timer_on_) return;
  timer_on_ = on;
  sim_.set_timer_running(on);
}

bool TVLM_sim_commands::Timer1Timer() {
  if (plat::busy() || !sim_.main_or_panel_active()) return false;
  if (!timer_wanted()) {
    check_timer();
    return false;
  }
  // Blinking marks redraw the works; a turning tool alone is drawn over the kept picture.
  if (s_.mat->blink && s_.disp.SIM_VIS_WORK && damage_)
    ui_.view().draw_data(5);
  else
    ui_.view().turn_tool();
  return true;
}

void TVLM_sim_commands::note_cut_flags(unsigned flags) {
  if ((flags & ~1u) == 0 || damage_) return;
  damage_ = true;
  check_timer();
}

void TVLM_sim_commands::recheck_damage() {
  damage_ = works_have_damage(*s_.mat);
  check_timer();
}

void register_sim_commands(TVLM_command_table& t, TVLM_sim_commands& c) {
  for (int tag = SIM_MENU_OPEN; tag <= SIM_AUTOSET_ADD10; ++tag)
    if (tag != SIM_AUTOSET)
      t.add(VLM_handler::simulation, tag, [&c, tag] { c.MM_simulationClick(tag); });
}
