#include "mainwin/core/file_commands.h"

#include <system_error>

#include "common/debug_log.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "platform/core/cp932.h"

namespace fs = std::filesystem;

fs::path open_FILE(TSession& s, TVLM_file_chooser& chooser, int mode) {
  deb_log("Tvelmor.open_FILE(mode=" + std::to_string(mode) + ")");
  TVLM_settings& env = s.env;
  TVLM_file_request r;
  r.mode = mode;
  std::error_code ec;
  r.folder = fs::current_path(ec);
  r.filter = env.read_env_str("f_sel_filter", "*.NCD");
  const std::string last = env.read_env_str("f_sel_LAST_FILE", "");
  const std::string prog_name = s.file.path.empty() ? std::string() : s.nc().file_name;
  switch (mode) {
    case 2:
      r.caption = "NC data のオープン";
      r.file_name = last;
      break;
    case 3:
    case 14:
    case 15:
      r.caption = "NCDファイルの追加・挿入";
      r.file_name = last;
      r.choice_label = "追加位置";
      r.choice_1 = "カーソル行";
      r.choice_2 = "最終行";
      r.choice = env.read_env_int("f_sel_INSEART", 1) == 1 ? 1 : 2;
      r.choice_1_shown = mode != 15;
      r.choice_2_shown = mode != 14;
      if (mode == 14) r.choice = 1;
      if (mode == 15) r.choice = 2;
      break;
    case 4:
    case 5:
      r.caption = mode == 4 ? "NC-DATAのセーブ" : "名前を付けてセーブ";
      r.choice_1 = "CR+LF";
      r.choice_2 = "LF";
      r.choice_1_shown = r.choice_2_shown = true;
      r.choice = env.read_env_int("f_sel_CRLF", 1) == 1 ? 1 : 2;
      r.ok_text = "保存";
      if (prog_name.empty()) r.file_name = "no_name.ncd";
      else if (mode == 4) r.file_name = prog_name;
      else r.file_name = plat::utf8_to_cp932(get_free_numbered_name(s.file.path).filename().string());
      if (!s.file.path.empty()) r.folder = s.file.path.parent_path();
      break;
    default:
      deb_log("◆◆◆ ERR : open_FILE で mode=" + std::to_string(mode) + " が指定されました。");
      return {};
  }
  const bool ok = chooser.choose(r);
  if (mode == 4 || mode == 5) env.write_env_int("f_sel_CRLF", r.choice == 1 ? 1 : 2);
  if (mode == 3 || mode == 14 || mode == 15)
    env.write_env_int("f_sel_INSEART", r.choice == 1 ? 1 : 2);
  env.write_env_str("f_sel_filter", r.filter);
  if (!ok || r.chosen.empty()) return {};
  env.write_env_str("f_sel_LAST_FILE", plat::utf8_to_cp932(r.chosen.string()));
  return r.chosen;
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
  t.add(99, [&] { ui.close_window(); });
}
