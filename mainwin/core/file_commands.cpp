#include "mainwin/core/file_commands.h"

#include <system_error>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"

namespace fs = std::filesystem;

FILE_SEL_SETTINGS load_file_sel_settings(TSession& s) {
  TVLM_settings& env = s.env;
  FILE_SEL_SETTINGS f;
  f.left = env.read_env_int("f_sel_Form_left", f.left);
  f.top = env.read_env_int("f_sel_Form_Top", f.top);
  f.width = env.read_env_int("f_sel_Form_width", f.width);
  f.height = env.read_env_int("f_sel_Form_Height", f.height);
  f.name_width = env.read_env_int("f_sel_NAME_width", f.name_width);
  f.size_width = env.read_env_int("f_sel_SIZE_width", f.size_width);
  f.date_width = env.read_env_int("f_sel_DATE_width", f.date_width);
  for (int i = 0; i < kHistoryMax; ++i) {
    const std::string n = std::to_string(i);
    f.paths.push_back(env.read_env_str("f_sel_path_" + n, ""));
    f.filters.push_back(env.read_env_str("f_sel_filter_" + n, ""));
  }
  f.filter = env.read_env_str("f_sel_filter", f.filter);
  f.last_file = env.read_env_str("f_sel_LAST_FILE", "");
  f.crlf = env.read_env_int("f_sel_CRLF", 1) == 2 ? 2 : 1;
  f.inseart = env.read_env_int("f_sel_INSEART", 1) == 2 ? 2 : 1;
  f.nst_last_file = env.read_env_str("f_sel_NST_LAST_FILE", "");
  return f;
}

void store_file_sel_settings(TSession& s, const FILE_SEL_SETTINGS& f) {
  load_file_sel_settings(s);  // every key exists afterwards
  TVLM_settings& env = s.env;
  env.write_env_int("f_sel_Form_left", f.left);
  env.write_env_int("f_sel_Form_Top", f.top);
  env.write_env_int("f_sel_Form_width", f.width);
  env.write_env_int("f_sel_Form_Height", f.height);
  env.write_env_int("f_sel_NAME_width", f.name_width);
  env.write_env_int("f_sel_SIZE_width", f.size_width);
  env.write_env_int("f_sel_DATE_width", f.date_width);
  for (int i = 0; i < kHistoryMax; ++i) {
    const std::string n = std::to_string(i);
    const std::size_t k = static_cast<std::size_t>(i);
    env.write_env_str("f_sel_path_" + n, k < f.paths.size() ? f.paths[k] : std::string());
    env.write_env_str("f_sel_filter_" + n, k < f.filters.size() ? f.filters[k] : std::string());
  }
  env.write_env_str("f_sel_filter", f.filter);
  env.write_env_str("f_sel_LAST_FILE", f.last_file);
  env.write_env_int("f_sel_CRLF", f.crlf == 2 ? 2 : 1);
  env.write_env_int("f_sel_INSEART", f.inseart == 2 ? 2 : 1);
  env.write_env_str("f_sel_NST_LAST_FILE", f.nst_last_file);
}

fs::path open_FILE(TSession& s, TVLM_file_chooser& chooser, int mode) {
  deb_log("Tvelmor.open_FILE(mode=" + std::to_string(mode) + ")");
  FILE_SEL_SETTINGS stored = load_file_sel_settings(s);
  TVLM_file_request r;
  r.mode = mode;
  r.sel = stored;
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  const std::string prog_name = s.file.path.empty() ? std::string() : s.nc().file_name;
  const bool tool_file = mode == 28 || mode == 29 || mode == 30;
  switch (mode) {
    case 2:
      r.caption = "NC data のオープン";
      r.file_name = stored.last_file;
      r.explorer_shown = true;
      break;
    case 3:
    case 14:
    case 15:
      r.caption = "NCDファイルの追加・挿入";
      r.file_name = stored.last_file;
      r.choice_label = "追加位置";
      r.choice_1 = "カーソル行";
      r.choice_2 = "最終行";
      r.choice = stored.inseart;
      r.choice_1_shown = mode != 15;
      r.choice_2_shown = mode != 14;
      if (mode == 14) r.choice = 1;
      if (mode == 15) r.choice = 2;
      break;
    case 4:
    case 5:
      r.caption = mode == 4 ? "NC-DATAのセーブ" : "名前を付けてセーブ";
      r.choice_1_shown = r.choice_2_shown = true;
      r.choice = stored.crlf;
      r.ok_text = "保存";
      if (prog_name.empty()) r.file_name = "no_name.ncd";
      else if (mode == 4) r.file_name = prog_name;
      else r.file_name = plat::utf8_to_cp932(get_free_numbered_name(s.file.path).filename().string());
      // The offered name saves over the program, not into a folder an insert left current.
      if (!s.file.path.empty() && fs::is_directory(s.file.path.parent_path(), ec))
        fs::current_path(s.file.path.parent_path(), ec);
      break;
    case 28:
    case 29:
    case 30:
      fs::current_path(s.config_folder, ec);
      r.sel.filter = "*.nst";
      r.filter_enabled = false;
      r.explorer_shown = true;
      if (mode != 30) r.file_name = stored.nst_last_file;
      break;
    default:
      deb_log("◆◆◆ ERR : open_FILE で mode=" + std::to_string(mode) + " が指定されました。");
      return {};
  }
  r.folder = fs::current_path(ec);
  r.filter = r.sel.filter;
  const bool ok = chooser.choose(r) && (!r.file_name.empty() || !r.chosen.empty());
  fs::path chosen;
  if (ok) {
    chosen = r.chosen.empty() ? fs::path(plat::cp932_to_utf8(r.file_name)) : r.chosen;
    if (chosen.is_relative()) chosen = fs::current_path(ec) / chosen;
  }
  FILE_SEL_SETTINGS back = stored;
  if (tool_file) {
    back.left = r.sel.left;
    back.top = r.sel.top;
    if (ok && mode != 30) back.nst_last_file = r.file_name;
    fs::current_path(cwd, ec);
  } else {
    back = r.sel;
    back.last_file = stored.last_file;
    back.nst_last_file = stored.nst_last_file;
    back.crlf = stored.crlf;
    back.inseart = stored.inseart;
    if (mode == 4 || mode == 5) back.crlf = r.choice == 1 ? 1 : 2;
    if (mode == 3 || mode == 14 || mode == 15) back.inseart = r.choice == 1 ? 1 : 2;
  }
  if (ok) back.last_file = r.file_name;
  store_file_sel_settings(s, back);
  return chosen;
}

bool FileDrop1FileDrop(TSession& s, TVLM_ui& ui, const std::vector<std::string>& files) {
  if (plat::busy() || s.menu.work_setup_active || files.empty()) return false;
  const fs::path p(plat::cp932_to_utf8(files.front()));
  const std::string ext = upper_sjis(plat::utf8_to_cp932(p.extension().string()));
  if (ext == ".WOK" || ext == ".NST") return false;
  std::error_code ec;
  fs::current_path(p.parent_path(), ec);
  return open_NCD(s, ui, p);
}

void register_file_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                            TVLM_file_chooser& chooser) {
  t.add(2, [&] {
    const fs::path p = open_FILE(s, chooser, 2);
    if (!p.empty()) open_NCD(s, ui, p);
  });
  auto insert = [&](int mode) {
    const fs::path p = open_FILE(s, chooser, mode);
    if (!p.empty()) insert_NCD(s, ui, p, s.env.read_env_int("f_sel_INSEART", 1) == 1);
  };
  t.add(3, [=] { insert(3); });
  t.add(14, [=] { insert(14); });
  t.add(15, [=] { insert(15); });
  auto save = [&](int mode) {
    const fs::path p = open_FILE(s, chooser, mode);
    if (!p.empty()) save_NCD_file(s, ui, p, s.env.read_env_int("f_sel_CRLF", 1) == 1);
  };
  t.add(4, [=] { save(4); });
  t.add(5, [=] { save(5); });
  t.add(99, [&] { ui.frame().close_window(); });
}
