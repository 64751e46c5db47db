#include "mainwin/core/view_tool.h"
#include "mainwin/core/display_commands.h"

#include <cstdint>

#include "common/ats_func.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"
#include "platform/core/input.h"

namespace {

constexpr float kUnitFactors[6] = {0.001f, 1.0f, 0.1f, 0.01f, 0.001f, 0.0001f};

int unit_key_valid(int key) { return key >= 1 && key <= 5 ? key : 4; }

// A flag of the display record with its item.
struct FlagItem {
  int tag;
  const char* component;
  std::uint8_t Tdisp_status::*field;
  bool panel;   // the control panel's switch follows
  bool redraw;  // full redraw
};

const FlagItem kFlags[] = {
    {1, "menu_vis_tool", &Tdisp_status::VIS_TOOL, true, true},
    {2, "menu_vis_holder", &Tdisp_status::VIS_HOLDER, false, true},
    {5, "menu_chk_cursor_path", &Tdisp_status::cursor_path_flag, true, false},
    {7, "menu_vis_ABC", &Tdisp_status::VIS_OPT_ABC, true, false},
    {8, "menu_invis_G00", &Tdisp_status::INVIS_G00, true, true},
    {12, "menu_vis_loc", &Tdisp_status::VIS_LOC_FLAG, false, false},
    {14, "menu_vis_boundary", &Tdisp_status::VIS_BOUNDARY, false, true},
    {21, "menu_saving_err_data", &Tdisp_status::SAVING_ERR_DATA, false, false},
    {26, "menu_TOOL_draw_at_BACKSCREEN", &Tdisp_status::TOOL_DRAW_AT_BG, false, true},
    {27, "menu_saving_opengl_data", &Tdisp_status::SAVING_OPENGL_DATA, false, false},
    {33, "menu_chk_seeTh_path", &Tdisp_status::CHK_SEETH_PATH, true, true},
    {34, "menu_chk_up_BALL_R", &Tdisp_status::CHK_UP_BALL_R, true, true},
};

// The NC interpretation switches with their items.
struct NcSwitch {
  int tag;
  const char* component;
  bool& (*field)(NCD_DATA&);
};
bool& change_by_T(NCD_DATA& d) { return d.parse.change_tool_by_T; }
bool& undef_noerr(NCD_DATA& d) { return d.parse.undef_is_noerr; }
bool& comp_on(NCD_DATA& d) { return d.exec_opt.comp_enabled; }
const NcSwitch kNcSwitches[] = {
    {13, "menu_TOOL_CHANGE_T", change_by_T},
    {30, "menu_undef_ncd_is_noerr", undef_noerr},
    {32, "menu_enabled_G4x", comp_on},
};

const char* const kPathColorItems[3] = {"menu_path_Fsokudo", "menu_path_Gcode", "menu_path_T_num"};
const char* const kUnitItems[5] = {"menu_unit_1", "menu_unit_2", "menu_unit_3", "menu_unit_4",
                                   "menu_unit_5"};


void sync_holder_item(TSession& s, TVLM_ui& ui) {
  ui.menus().set_item_visible("menu_vis_holder", s.disp.VIS_TOOL != 0);
}

void set_unit(TSession& s, TVLM_ui& ui, int key) {
  key = unit_key_valid(key);
  s.form.nc_word_unit = key;
  s.form.unit_factor = kUnitFactors[key];
  Set_NCD_word_unit(s.nc(), key);
  s.spare->parse.word_unit = s.nc().parse.word_unit;
  for (int i = 0; i < 5; ++i) ui.menus().set_item_checked(kUnitItems[i], i + 1 == key);
  ui.menus().set_item_caption("menu_unit", unit_menu_caption(key));
}

}  // namespace

std::string unit_menu_caption(int unit_key) {
  std::string f = float_to_str(kUnitFactors[unit_key_valid(unit_key)], 4);
  // "up to 4 decimals": the trailing zeros go.
  if (f.find('.') != std::string::npos) {
    while (!f.empty() && f.back() == '0') f.pop_back();
    if (!f.empty() && f.back() == '.') f.pop_back();
  }
  return "小数点無しのときの設定単位 (" + f + ")";
}

void sync_display_items(TSession& s, TVLM_ui& ui) {
  Tdisp_status& d = s.disp;
  for (const FlagItem& f : kFlags) ui.menus().set_item_checked(f.component, d.*f.field != 0);
  sync_holder_item(s, ui);
  for (const NcSwitch& n : kNcSwitches) ui.menus().set_item_checked(n.component, n.field(s.nc()));
  if (d.PATH_COLORING < 0 || d.PATH_COLORING > 2) d.PATH_COLORING = 0;
  for (int i = 0; i < 3; ++i) ui.menus().set_item_checked(kPathColorItems[i], d.PATH_COLORING == i);
  ui.menus().set_item_checked("menu_hi_quality", d.POUT_HI_QUALITY != 0);
  ui.menus().set_item_checked("menu_normal_quality", d.POUT_HI_QUALITY == 0);
  ui.menus().set_item_checked("menu_select_24pf", d.POUT_SELECT_24PF != 0);
  ui.menus().set_item_checked("menu_select_16pf", d.POUT_SELECT_24PF == 0);
  ui.view().gl_set_color24(d.POUT_SELECT_24PF != 0);
  ui.menus().set_item_checked("menu_chk_left", d.T_SET_LEFT_SPACE != 0);
  ui.menus().set_item_checked("menu_chk_upper", d.T_SET_LEFT_SPACE == 0);
  ui.menus().set_item_checked("menu_invis_menu_mode", d.INVIS_MENU_MODE != 0);
  const int key = unit_key_valid(s.form.nc_word_unit);
  for (int i = 0; i < 5; ++i) ui.menus().set_item_checked(kUnitItems[i], i + 1 == key);
  ui.menus().set_item_caption("menu_unit", unit_menu_caption(key));
  for (const char* c : {"menu1_l", "menu1_m", "menu1_s"}) ui.menus().set_item_checked(c, false);
  switch (s.form.list_font_height) {
    case -18: ui.menus().set_item_checked("menu1_l", true); break;
    case -16: ui.menus().set_item_checked("menu1_m", true); break;
    case -12: ui.menus().set_item_checked("menu1_s", true); break;
    default: break;
  }
  if (d.INVIS_MENU_MODE) set_invis_menu_mode(s, ui, true);
}

void reread_program(TSession& s, TVLM_ui& ui) {
  NCD_DATA& d = s.nc();
  ++d.change_count;
  if (d.line_count <= 0) return;
  const int cur = d.pos.cur_line;
  Parse_NCD_all_lines(d);
  Run_all_NCD(d, 0);
  d.pos.mark_first = 0;
  d.pos.mark_last = std::max(d.pos.total_blocks - 1, 0);
  set_NCD_status(s, ui);
  set_TOOL_defs(s);
  Goto_NCD_line(d, std::clamp(cur, 0, d.line_count - 1));
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
  ui.view().draw_data(4);
}

void set_invis_menu_mode(TSession& s, TVLM_ui& ui, bool on) {
  plat::BusyGuard busy;
  if (!busy.acquired()) return;
  s.disp.INVIS_MENU_MODE = on ? 1 : 0;
  ui.menus().set_item_checked("menu_invis_menu_mode", on);
  if (on) {
    s.form.zoom_pan_rotate = 19;
    ui.menus().mouse_mode_changed(19);
    if (!ui.menus().item_checked("menu_vis_controler")) {
      ui.menus().set_item_checked("menu_vis_controler", true);
      ui.panel().set_controler_visible(true);
    }
  }
  for (const char* c : menu_mode_hidden_components()) ui.menus().set_item_visible(c, !on);
  ui.frame().set_menus_hidden(on);
}

void register_display_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui) {
  for (const FlagItem& f : kFlags) {
    t.add(VLM_handler::display, f.tag, [&s, &ui, f] {
      std::uint8_t& v = s.disp.*f.field;
      v = v ? 0 : 1;
      ui.menus().set_item_checked(f.component, v != 0);
      if (f.tag == 1) sync_holder_item(s, ui);
      if (f.panel) ui.panel().panel_sync_switches();
      if (f.tag == 7) ui.panel().panel_refresh();
      if (f.tag == 27) ui.view().gl_set_verbose(v != 0);
      if (f.redraw) ui.view().draw_data(4);
    });
  }
  for (int i = 0; i < 3; ++i) {
    t.add(VLM_handler::display, 9 + i, [&s, &ui, i] {
      s.disp.PATH_COLORING = i;
      for (int k = 0; k < 3; ++k) ui.menus().set_item_checked(kPathColorItems[k], k == i);
      ui.panel().panel_sync_switches();
      ui.view().draw_data(4);
    });
  }
  for (const NcSwitch& n : kNcSwitches) {
    t.add(VLM_handler::display, n.tag, [&s, &ui, n] {
      bool& v = n.field(s.nc());
      v = !v;
      n.field(*s.spare) = v;
      ui.menus().set_item_checked(n.component, v);
      reread_program(s, ui);
    });
  }
  for (int key = 1; key <= 5; ++key) {
    t.add(VLM_handler::display, 14 + key, [&s, &ui, key] {
      set_unit(s, ui, key);
      reread_program(s, ui);
    });
  }
  auto pair = [&](int tag, const char* on_item, const char* off_item, std::uint8_t Tdisp_status::*field,
                  bool value) {
    t.add(VLM_handler::display, tag, [&s, &ui, on_item, off_item, field, value] {
      s.disp.*field = value ? 1 : 0;
      ui.menus().set_item_checked(on_item, value);
      ui.menus().set_item_checked(off_item, !value);
    });
  };
  pair(22, "menu_hi_quality", "menu_normal_quality", &Tdisp_status::POUT_HI_QUALITY, true);
  pair(23, "menu_normal_quality", "menu_hi_quality", &Tdisp_status::POUT_HI_QUALITY, false);
  pair(24, "menu_chk_upper", "menu_chk_left", &Tdisp_status::T_SET_LEFT_SPACE, false);
  pair(25, "menu_chk_left", "menu_chk_upper", &Tdisp_status::T_SET_LEFT_SPACE, true);
  for (int tag : {28, 29}) {
    t.add(VLM_handler::display, tag, [&s, &ui, tag] {
      const bool on = tag == 28;
      s.disp.POUT_SELECT_24PF = on ? 1 : 0;
      ui.menus().set_item_checked("menu_select_24pf", on);
      ui.menus().set_item_checked("menu_select_16pf", !on);
      ui.view().gl_set_color24(on);
    });
  }
  t.add(VLM_handler::display, 31, [&] {
    // The command holds the update flag; the mode takes the busy guard itself.
    set_invis_menu_mode(s, ui, s.disp.INVIS_MENU_MODE == 0);
  });
}
