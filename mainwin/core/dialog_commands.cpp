#include "mainwin/core/dialog_commands.h"

#include <system_error>

#include "common/ats_func.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/find_ncd.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/menu_commands.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/small_dialogs.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kNoHelpText = "ヘルプファイルは同梱されていません。";

// The find's calls up, over the window.
class FindHost : public FIND_HOST {
 public:
  FindHost(TSession& s, TVLM_ui& ui) : s_(s), ui_(ui) {}
  int open_find_dialog(FIND_SETTINGS& f) override { return ui_.dialogs().find_dialog(f); }
  void line_found(int) override {
    s_.nc().pos.mark_first = 0;
    ui_.panel().panel_refresh();
    ui_.listing().listing_refresh();
  }
  void list_hits(const std::string& caption, std::vector<std::string>&& lines) override {
    ui_.lists().show_find_results(caption, std::move(lines));
  }

 private:
  TSession& s_;
  TVLM_ui& ui_;
};

}  // namespace

FIND_SETTINGS load_find_settings(TSession& s) {
  FIND_SETTINGS f;
  f.search_text = upper_sjis(s.env.read_env_str("Find_diag_search_text", ""));
  f.not_text = upper_sjis(s.env.read_env_str("Find_diag_not_text", ""));
  f.left = s.env.read_env_int("Find_diag_Form_left", 0);
  f.top = s.env.read_env_int("Find_diag_Form_Top", 0);
  return f;
}

void store_find_settings(TSession& s, const FIND_SETTINGS& f) {
  load_find_settings(s);  // the keys exist afterwards
  s.env.write_env_str("Find_diag_search_text", upper_sjis(f.search_text));
  s.env.write_env_str("Find_diag_not_text", upper_sjis(f.not_text));
  s.env.write_env_int("Find_diag_Form_left", f.left);
  s.env.write_env_int("Find_diag_Form_Top", f.top);
}

OTHER_EXEC_SETTINGS load_other_exec_settings(const TSession& s) {
  OTHER_EXEC_SETTINGS o;
  const Tdisp_status& d = s.disp;
  o.names.assign(d.OTHER_EXEC_NAMES.begin(), d.OTHER_EXEC_NAMES.end());
  o.r_num = other_exec_choice(d.OTHER_EXEC_R_NUM);
  o.width = d.OTHER_EXEC_WIDTH;
  o.last_data = d.OTHER_EXEC_LAST_DATA;
  return o;
}

void store_other_exec_settings(TSession& s, const OTHER_EXEC_SETTINGS& o) {
  Tdisp_status& d = s.disp;
  for (std::size_t i = 0; i < d.OTHER_EXEC_NAMES.size(); ++i)
    d.OTHER_EXEC_NAMES[i] = i < o.names.size() ? o.names[i] : std::string();
  d.OTHER_EXEC_R_NUM = other_exec_choice(o.r_num);
  d.OTHER_EXEC_WIDTH = o.width;
  d.OTHER_EXEC_LAST_DATA = o.last_data;
}

int find_in_session(TSession& s, TVLM_ui& ui, int mode) {
  FIND_SETTINGS f = load_find_settings(s);
  FindHost host(s, ui);
  const int r = find_in_NCD(s.nc(), f, mode, host);
  if (mode == FIND_DIALOG) store_find_settings(s, f);
  return r;
}

bool run_other_exec(TSession& s, TVLM_ui& ui) {
  std::error_code ec;
  const fs::path cwd = fs::current_path(ec);
  const std::string tmp = plat::utf8_to_cp932(TMP_file(s).string());
  const std::string nc = plat::utf8_to_cp932(s.file.path.string());
  OTHER_EXEC_SETTINGS o = load_other_exec_settings(s);
  const bool ok = ui.dialogs().other_exec_dialog(o, tmp, nc);
  bool started = false;
  if (ok && !o.last_data.empty()) {
    store_other_exec_settings(s, o);
    const std::vector<std::string> words = split_command_line(o.last_data);
    if (!words.empty()) {
      if (o.r_num == 1 && s.nc().line_count > 0) {
        std::string err;
        if (!save_NCD_text(s, TMP_file(s), true, &err) || !save_NST_list(s, TMP_file(s), &err))
          plat::message_box("ERR: " + tmp + " を保存できませんでした。\r\n" + plat::utf8_to_cp932(err),
                            "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
      }
      std::vector<std::string> args;
      for (std::size_t i = 1; i < words.size(); ++i) args.push_back(plat::cp932_to_utf8(words[i]));
      const std::string arg = other_exec_argument(o.r_num, tmp, nc);
      if (!arg.empty()) args.push_back(plat::cp932_to_utf8(arg));
      started = plat::start_program(fs::path(plat::cp932_to_utf8(words[0])), args, cwd);
      if (!started)
        plat::message_box(words[0] + " を起動できませんでした。", "",
                          plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    }
  }
  fs::current_path(cwd, ec);
  return started;
}

bool open_help_file(const TSession& s, const std::string& name) {
  const fs::path p = s.program_folder / plat::cp932_to_utf8(name);
  std::error_code ec;
  if (!fs::is_regular_file(p, ec)) return false;
  return plat::open_with_desktop(p);
}

void register_dialog_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui) {
  t.add(8, [&] { find_in_session(s, ui, FIND_DIALOG); });
  t.add(9, [&] { find_in_session(s, ui, FIND_FORWARD); });
  t.add(10, [&] { find_in_session(s, ui, FIND_BACKWARD); });
  t.add(45, [&] { run_other_exec(s, ui); });
  t.add(VLM_handler::help, 4, [&] { ui.dialogs().show_about(); });
  t.add(VLM_handler::help, 95, [&] { open_help_file(s, "velmor.chm"); });
  // No help file, home page or mail address comes with this build: the box says so.
  for (int tag : {96, 97})
    t.add(VLM_handler::help, tag, [] {
      plat::message_box(kNoHelpText, "ヘルプ", plat::MB_OK | plat::MB_ICONINFORMATION);
    });
}
