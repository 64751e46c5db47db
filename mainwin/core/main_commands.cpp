#include "mainwin/core/view_tool.h"
#include "mainwin/core/main_commands.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "common/debug_log.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/menu_commands.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"
#include "platform/core/cp932.h"
#include "platform/core/system.h"

namespace fs = std::filesystem;

namespace {

constexpr int kCancelled = 2147483647;

}  // namespace

void new_program(TSession& s, TVLM_ui& ui) {
  NCD_DATA& d = s.nc();
  ui.frame().set_caption(kNewProgramName);
  ui.listing().listing_enable(false);
  Clear_NCD(d);
  s.file.source_bytes.clear();
  s.file.partial = false;
  s.tool_defs.clear();
  ui.view().gl_reset_view();
  ui.listing().listing_reset();
  std::error_code ec;
  s.file.path = fs::absolute(kNewProgramName, ec);
  d.file_folder = plat::utf8_to_cp932(s.file.path.string());
  d.file_name = kNewProgramName;
  Insert_NCD_text(d, kNewProgramText, 0, std::strlen(kNewProgramText));
  Run_all_NCD(d, 0);
  d.pos.mark_first = 0;
  d.pos.mark_last = std::max(d.pos.total_blocks - 1, 0);
  set_TOOL_defs(s);
  Goto_NCD_line(d, std::min(1, std::max(d.line_count - 1, 0)));
  ui.listing().listing_enable(true);
  ui.listing().listing_refresh();
  ui.view().draw_data(4);
  ui.panel().panel_refresh();
  ui.frame().repaint();
}

void set_view_preset(TSession&, TVLM_ui& ui, int tag) {
  VLM_view_preset p;
  if (!view_preset(tag, p)) return;
  if (TGL_VIEW* v = ui.view().gl_view()) {
    v->rot_x = p.angle1;
    v->rot_z = p.angle2;
  }
  ui.view().gl_set_angles(p.angle2, p.angle1);
  ui.panel().panel_view_tracks(p.track_Z, p.track_X);
  ui.view().draw_data(4);
}

void set_mouse_mode(TSession& s, TVLM_ui& ui, int tag) {
  s.form.zoom_pan_rotate = mouse_mode_after(tag, s.form.zoom_pan_rotate);
  ui.menus().mouse_mode_changed(s.form.zoom_pan_rotate);
  ui.view().set_mouse_mode(s.form.zoom_pan_rotate);
}

void jump_to_line_number(TSession& s, TVLM_ui& ui, int number) {
  NCD_DATA& d = s.nc();
  if (d.line_count <= 0) return;
  Goto_NCD_line(d, jump_target_line(number, d.line_count));
  d.pos.mark_first = 0;
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
}

void set_list_font_tag(TSession& s, TVLM_ui& ui, int tag) {
  const int h = list_font_height_of(tag);
  if (!h) return;
  s.form.list_font_height = h;
  s.env.read_env_int("LIST_VIEW_FONT_height", h);  // a missing key is added first
  s.env.write_env_int("LIST_VIEW_FONT_height", h);
  for (const char* c : {"menu1_l", "menu1_m", "menu1_s"})
    ui.menus().set_item_checked(c, list_font_height_of(find_menu_item(c)->tag) == h);
  ui.listing().set_list_font(h);
  ui.listing().listing_refresh();
}

void set_hi_speed_interval(TSession& s, TVLM_ui& ui, int interval) {
  s.disp.INTERVAL_REDRAW_LIST = std::max(interval, 0);
  ui.menus().set_item_caption("menu_hi_speed_interval", hi_speed_interval_caption(s.disp.INTERVAL_REDRAW_LIST));
}

void register_main_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui) {
  t.add(1, [&] { new_program(s, ui); });
  for (int tag : {11, 12, 13, 30, 31}) t.add(tag, [&, tag] { set_mouse_mode(s, ui, tag); });
  t.add(16, [&] {
    ui.view().fit_scale(0);
    ui.view().draw_data(4);
  });
  t.add(32, [&] { ui.view().draw_data(4); });
  t.add(34, [&] {
    s.disp.clip_on = s.disp.clip_on ? 0 : 1;
    ui.menus().set_item_checked("spbtn_clip", s.disp.clip_on != 0);
    ui.view().draw_data(4);
  });
  for (int tag : {41, 42, 43, 44}) t.add(tag, [&, tag] { set_view_preset(s, ui, tag); });
  t.add(20, [&] {
    if (s.nc().line_count <= 0) return;
    const int n = ui.dialogs().input_number("移動先行番号", "");
    if (n != kCancelled) jump_to_line_number(s, ui, n);
  });
  t.add(22, [&] { vis_ERR_list(s, ui); });
  t.add(23, [&] {
    if (NCD_EDIT_LIST* l = ui.listing().edit_list())
      if (s.nc().line_count > 0) Delete_NCD_row(*l, s.nc().pos.cur_line);
  });
  for (int tag : {24, 25, 26}) t.add(tag, [&, tag] { set_list_font_tag(s, ui, tag); });
  t.add(27, [&] {
    const bool on = !ui.menus().item_checked("menu_vis_controler");
    ui.menus().set_item_checked("menu_vis_controler", on);
    ui.panel().set_controler_visible(on);
  });
  t.add(35, [&] {
    if (!plat::open_with_desktop(s.program_folder))
      deb_log("Tvelmor.open1Click; cannot open " + plat::utf8_to_cp932(s.program_folder.string()));
  });
  t.add(36, [&] {
    if (NCD_EDIT_LIST* l = ui.listing().edit_list()) Central_Control_Action(*l, 10, false);
  });
  t.add(37, [&] {
    if (NCD_EDIT_LIST* l = ui.listing().edit_list()) Central_Control_Action(*l, 9, false);
  });
  t.add(38, [&] {
    const int n = ui.dialogs().input_number("高速再生時でのリスト変更サイクル",
                                  std::to_string(s.disp.INTERVAL_REDRAW_LIST));
    if (n != kCancelled) set_hi_speed_interval(s, ui, n);
  });
  t.add(96, [] {});
}
