#include "mainwin/core/view_tool.h"
#include "mainwin/core/tool_setting_commands.h"

#include <memory>

#include "common/debug_log.h"
#include "common/text_file.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/environment.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/menu_commands.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/popup_commands.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "mainwin/core/tool_table.h"
#include "ncdata/ncd_run.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"
#include "tooling/core/tool_library.h"
#include "tooling/core/tool_list.h"
#include "tooling/core/tool_windows.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> magazine_lines(TTOOL_HOLDER_tmp& m) { return tool_library_lines(m, {}); }

}  // namespace

bool kougu_list_up(TSession& s, TVLM_ui& ui, TTOOL_HOLDER_tmp& m) {
  NCD_DATA& d = s.nc();
  std::vector<NCD_TOOL_STAT> stats;
  if (d.line_count > 0) {
    const int line = d.pos.cur_line;
    Run_all_NCD(d, 0);
    stats = d.run.stats;  // the seek back below runs part of the program again
    Goto_NCD_line(d, std::clamp(line, 0, d.line_count - 1));
  }
  // An empty program is T0 alone with nothing cut; only a run that left no record is an error.
  if (stats.empty() && d.line_count > 0) {
    if (show_system_err(s, "kougu_list_up で工具情報にエラーがありました(M6_MAX=0)")) ui.frame().quit();
    return false;
  }
  std::vector<std::string> log;
  set_TOOL_defs(program_tool_changes(d), s.tool_defs, m, &log);
  for (const std::string& l : log) deb_log(l);
  std::vector<std::string> errors;
  fill_tool_listing(stats, run_timed_at_F100(d), m, errors);
  for (const std::string& e : errors)
    if (show_system_err(s, e)) ui.frame().quit();
  return true;
}

void visible_TOOL_HOLDER_SET(TSession& s, TVLM_ui& ui, Ttool_settings_window& w, int mode) {
  if (mode != 0 && mode != 51) {
    deb_log("◆◆◆ ERR : visible_TOOL_HOLDER_SET で mode=" + std::to_string(mode) +
            " が指定されました。");
    return;
  }
  // The control panel is out of the way and the current folder comes back afterwards.
  const bool panel_shown = ui.panel().controler_visible();
  ui.panel().set_controler_visible(false);
  std::error_code ec;
  const fs::path folder = fs::current_path(ec);
  struct Restore {
    TVLM_ui& ui;
    bool panel_shown;
    const fs::path& folder;
    ~Restore() {
      if (panel_shown) ui.panel().set_controler_visible(true);
      std::error_code e;
      if (!folder.empty()) fs::current_path(folder, e);
    }
  } restore{ui, panel_shown, folder};
  auto m = std::make_unique<TTOOL_HOLDER_tmp>();
  if (!kougu_list_up(s, ui, *m)) return;
  const std::string caption = s.nc().run.summary + " : " + s.file.status;
  const std::string nc_name =
      s.file.path.empty() ? std::string() : plat::utf8_to_cp932(s.file.path.filename().string());
  w.load(*m, caption, nc_name, false, mode);
  if (s.nc().run.th.T >= 0) w.select_tool(s.nc().run.th.T);
  if (mode == 51 && !w.show_TOOL_LIST(51)) {
    take_TOOL_LIST_settings(s.disp, w.settings(), true);
    ui.view().draw_data(4);
    return;
  }
  if (w.run()) {
    *m = w.magazine();
    s.tool_defs = magazine_lines(*m);
    std::string err;
    if (!save_NST_list(s, s.file.path, &err)) deb_log("◆◆◆ ERR : save_NST_list; " + plat::utf8_to_cp932(err));
    take_TOOL_LIST_settings(s.disp, w.settings(), mode >= 200);
    set_TOOL_defs(s);
    ui.panel().panel_refresh();
  } else {
    take_TOOL_LIST_settings(s.disp, w.settings(), mode >= 200);
  }
  ui.view().draw_data(4);
}

void MainMenu_setup_magazine(TSession& s, TVLM_ui& ui, Ttool_settings_window& w,
                             TVLM_file_chooser& chooser, int mode) {
  if (mode != 28 && mode != 29) {
    deb_log("◆◆◆ ERR : MainMenu_setup_magazine で mode=" + std::to_string(mode) +
            " が指定されました。");
    return;
  }
  const fs::path chosen = open_FILE(s, chooser, mode);
  if (chosen.empty()) return;
  TTool_library lib = load_tool_library(magazine_file_path(chosen));
  if (!lib.readable) {
    plat::message_box("工具データファイル '" + path_text(lib.path) + "' を読み込めませんでした。",
                      "工具データファイル", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return;
  }
  report_malformed_library(lib);
  if (lib.m->used() == 0) {
    make_unset_library(*lib.m);
    for (int k = 0; k < lib.m->used(); ++k) lib.m->slot[k].holder_set = 0;
    Preset_TOOL_HOLDER_list(*lib.m);
  }
  if (mode == 28) {
    s.tool_defs = magazine_lines(*lib.m);
    Run_all_NCD(s.nc(), 0);
    set_TOOL_defs(s);
    visible_TOOL_HOLDER_SET(s, ui, w, 0);
    return;
  }
  w.load(*lib.m, "setup magazin : " + path_text(lib.path.filename()),
         plat::utf8_to_cp932(lib.path.filename().string()), true, mode);
  if (w.run()) {
    *lib.m = w.magazine();
    rewrite_tool_library(lib);
  }
  take_TOOL_LIST_settings(s.disp, w.settings(), false);
}

float program_max_feed(TSession& s) {
  NCD_DATA& d = s.nc();
  if (d.line_count <= 0) return 0;
  // The interpreter keeps the largest F up to its position; a seek back after a whole run
  // brings it down again, so the run is made for the value and the position restored.
  const int line = d.pos.cur_line;
  Run_all_NCD(d, 0);
  const float f = d.exec.max_f;
  Goto_NCD_line(d, std::clamp(line, 0, d.line_count - 1));
  return f;
}

void open_path_color_set(TSession& s, TVLM_ui& ui, Tpath_color_dialog& dlg, int mode) {
  if (mode == 3) {
    Tdisp_status copy = s.disp;
    if (dlg.run(copy, program_max_feed(s))) s.disp = copy;
  }
  std::string err;
  if (!write_environment(s, &err)) deb_log("◆◆◆ ERR : open_path_color_set; " + plat::utf8_to_cp932(err));
  read_environment(s, 0);
  ui.view().draw_data(4);
}

bool insert_dummy_color(TSession& s, TVLM_ui& ui, Tcolor_code_dialog& pick) {
  if (s.nc().line_count <= 0) return false;
  int code = 63;
  if (!pick.choose(63, code)) return false;
  return insert_before_current(s, ui, dummy_color_line(code) + "\n");
}

void register_tool_setting_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                    TVLM_file_chooser& chooser, Ttool_settings_window& tools,
                                    Tpath_color_dialog& colors, Tcolor_code_dialog& pick) {
  t.add(VLM_handler::list_popup, 6, [&s, &ui, &pick] { insert_dummy_color(s, ui, pick); });
  t.add(18, [&s, &ui, &tools] { visible_TOOL_HOLDER_SET(s, ui, tools, 0); });
  t.add(51, [&s, &ui, &tools] { visible_TOOL_HOLDER_SET(s, ui, tools, 51); });
  t.add(28, [&s, &ui, &tools, &chooser] { MainMenu_setup_magazine(s, ui, tools, chooser, 28); });
  t.add(29, [&s, &ui, &tools, &chooser] { MainMenu_setup_magazine(s, ui, tools, chooser, 29); });
  t.add(19, [&s, &ui, &colors] { open_path_color_set(s, ui, colors, 3); });
}
