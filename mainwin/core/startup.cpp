#include "mainwin/core/startup.h"

#include <sys/utsname.h>

#include <ctime>
#include <system_error>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "common/text_file.h"
#include "mainwin/core/session.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLogTitle = "Velmor_PRO Version 2.14  内部動作情報";
constexpr std::size_t kExceptionTextMax = 2000;

std::vector<std::string> work_size_lines() {
  return {";",
          ";  velmor ワークデフォルトサイズ設定ファイル",
          ";",
          ";",
          "; 先頭にセミコロンでコメントです。",
          ";",
          "; 記述方法は以下のとおり(必ず１行で記述してください)",
          ";",
          "; \"表示名称\", X 最小値 , Y 最小値 , Z 最小値 , X 最大値 , Y 最大値 , Z 最大値 , "
          "X 格子数 , Y 格子数 , カラー番号",
          ";",
          "",
          "\" 30 x  30 x 20 ,格子数  10x 10 (3.00mm)\",-25,-25,-40,25,25,0,100,100,43",
          "\" 50 x  50 x 40 ,格子数 100x100 (0.50mm)\",-25,-25,-40,25,25,0,100,100,43",
          "\"100 x 100 x 60 ,格子数 400x400 (0.25mm)\",-50,-50,-60,50,50,0,400,400,43",
          "\"100 x 100 x 60 ,格子数 100x100 (1.00mm)\",-50,-50,-60,50,50,0,100,100,43",
          ""};
}

std::vector<std::string> tb_definition_lines() {
  return {
      "#TB test-2 用 ; 識別名",
      ";#TB-ADD-NCD OKK特殊運用 sub pro.txt ; サブプロ等のNCデータファイル",
      "",
      "#EXT .NCD ; 出力 NCデータ 拡張子",
      "",
      "; ＮＣコード変換指定部分には コメント は付けられません。",
      "; ( 現在複数行指定には対応していません )",
      "",
      R"~(%PRE-CONV = s/^\/\*\s+T-NO.(\d+)\s+(.+?)\s+\*\/$/T$1M6 ( $2 )/)~",
      ";*********************************",
      "; /* T-NO.1 BALL-R3 */",
      "; → T1M6 ( BALL-R3 )",
      ";*********************************",
      "",
      R"~(%PRE-CONV = s/^\/\*.*?(O\d+).*$/(---- $1 ----)/)~",
      "",
      R"~(%PRE-CONV = s/^\/\*.*$//)~",
      R"~(%PRE-CONV = s/^G65.*$//)~",
      R"~(%PRE-CONV = s/\/M99//)~",
      R"~(%PRE-CONV = s/M30/M99/)~",
      R"~(%PRE-CONV = s/([^M]*)M98P(\d\d\d\d)(\d\d\d\d)(.*)$/$1M98P$2L$3$4/)~",
      "",
      ";#TB-TOOL-DATA OKK特殊運用 マガジンデータ.txt ; マガジンデータ.txt",
      "",
      "#TB-END ; TB 個別設定ここで終了",
      "",
      "%TB T=01 (VLM N34 \"φ12 フラットＥＭ\" )(VLM T34 A1 B45 C12 D35 E10 F50 G16 )(VLM H34 "
      "A49B72)",
      "%TB T=02 (VLM N2 \"BALL-R5\"   ) (VLM T2 A2 H5.0 C10 B20 D30 E10 F40 G12 ) (VLM H2 "
      "A49B72)",
      "%TB T=03 (VLM N3 \"BALL-R3\"   ) (VLM T3 A2 H3.0 C 6 B32 D30 E10 F40 G 8 ) (VLM H3 "
      "A49B72)",
      "%TB T=04 (VLM N34 \"φ2 フラットＥＭ\" )(VLM T34 A1 B31 C2 D35 E10 F50 G16 )(VLM H34 "
      "A49B72)",
      "%TB T=05 (VLM N5 \"BALL-R1.5\" ) (VLM T5 A2 H1.5 C 3 B35 D30 E10 F40 G 8 ) (VLM H5 "
      "A49B72)",
      "",
      "; ↑ H? がボールＲ 指定部分",
      ""};
}

}  // namespace

const std::vector<TDefault_file>& default_side_files() {
  static const std::vector<TDefault_file> files = {
      {fs::path("confignc") / "def_work_size.txt", work_size_lines()},
      {fs::path("confignc") / "def_tool.nst",
       {"(VLM N0 \" R3 ボール\" )", "(VLM T0 A2B29C6D16E10F40G8H3)", "(VLM H0 A49B72)"}},
      {fs::path(u8"0_TB_datas") / u8"test-2 用.txt", tb_definition_lines()},
      {"0_TB_setup.txt",
       {"; TABULON で読み込む定義ファイルのリスト", "", "#TB_FILES",
        ".\\0_TB_datas\\test-2 用.txt", ""}},
      {"tabulon.ini",
       {"[TB_option]", "M_TOP=94", "M_LEFT=394", "M_WIDTH=396", "M_HEIGHT=428",
        "M_EDIT_RADIO=0", "M_EDIT_TEXT=", "D_combo_TB_text= test-2 用", "D_O_num=",
        "D_ext=.NCD", "D_ncd_output_dir=", "D_vlm_chk_dir=", "D_start_X=0", "D_start_Y=0",
        "D_start_Z=0", "D_chk_vlm_exe=1", "D_chk_Onum_NCD_SAVE=0", ""}},
  };
  return files;
}

std::string get_OS_version_text() {
  struct utsname u;
  if (::uname(&u) != 0) return "unknown";
  return std::string(u.sysname) + " " + u.release + " " + u.version;
}

std::string vlm_now_text() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &tm);
  return buf;
}

void init_session(TSession& s, const fs::path& program_folder, const fs::path& desktop_folder) {
  s.log_list = {kLogTitle, "", "( このファイルは VLM等 の内部エラーを含む動作情報データです   )",
                "", "OS version : " + get_OS_version_text()};
  s.log_header_count = static_cast<int>(s.log_list.size());
  s.log_path = desktop_folder / u8"Velmor_PRO_内部動作情報.txt";
  s.deb.mirror_list = &s.debug_list;
  s.deb.mirror_on = true;
  Preset_SinCos_table();
  s.program_folder = program_folder;
  s.config_folder = program_folder / "confignc";
  s.env.path = s.config_folder / "Velmor.DAT";
}

void write_default_files(TSession& s) {
  std::error_code ec;
  auto make_dir = [&](const fs::path& p) {
    if (!fs::is_directory(p, ec) && !fs::create_directory(p, ec))
      deb_log("Tvelmor.FormCreate; " + plat::utf8_to_cp932(p.string()) + " : " +
              plat::utf8_to_cp932(ec.message()));
  };
  make_dir(s.config_folder);
  if (!fs::exists(s.env.path, ec)) {
    std::string err;
    if (!make_default_environment(s.env.path, &err))
      deb_log("Tvelmor.FormCreate; " + plat::utf8_to_cp932(err));
  }
  set_read_only(s.env.path, true);
  make_dir(s.program_folder / "0_TB_datas");
  for (const TDefault_file& f : default_side_files()) {
    const fs::path p = s.program_folder / f.rel;
    if (fs::exists(p, ec)) continue;
    std::string err;
    if (!write_text_lines(p, f.lines, &err))
      deb_log("Tvelmor.FormCreate; " + plat::utf8_to_cp932(err));
  }
}

void save_log_list(TSession& s) {
  if (!s.disp.SAVING_ERR_DATA) return;
  std::string err;
  if (!write_text_lines(s.log_path, s.log_list, &err))
    deb_log("Tvelmor.save_log_list; " + plat::utf8_to_cp932(err));
}

void finish_log_list(TSession& s) {
  if (!s.disp.SAVING_ERR_DATA) return;
  if (!s.debug_list.empty()) {
    s.log_list.push_back("\r\n【 debug 情報 】\r\n");
    s.log_list.insert(s.log_list.end(), s.debug_list.begin(), s.debug_list.end());
    s.log_list.emplace_back();
  }
  s.log_list.push_back("\r\n【 VLM 終了時刻  : " + vlm_now_text() + " 】");
  save_log_list(s);
}

bool on_app_exception(TSession& s, const std::string& what) {
  s.log_list.push_back("\r\n【 例外エラー発生時刻 : " + vlm_now_text() + " 】");
  std::string msg = what.substr(0, plat::sjis_cut_pos(what, kExceptionTextMax));
  for (std::string& l : split_text_lines(msg)) s.log_list.push_back(std::move(l));
  save_log_list(s);
  if (!s.terminate_chosen) {
    plat::message_box(msg, "Velmor_PRO", plat::MB_OK | plat::MB_ICONSTOP);
    const int a = plat::message_box("OKで続行 , CANSELで強制終了", "VLM 例外エラー発生",
                                    plat::MB_OKCANCEL | plat::MB_ICONQUESTION |
                                        plat::MB_SYSTEMMODAL);
    if (a == plat::IDCANCEL) {
      s.terminate_chosen = true;
      s.log_list.push_back("強制終了を選択");
    } else {
      s.log_list.push_back("続行を選択");
    }
    s.log_list.emplace_back();
    save_log_list(s);
  }
  return s.terminate_chosen;
}

bool show_system_err(TSession& s, const std::string& text) {
  if (s.terminate_chosen) return false;
  const int a = plat::message_box(text, "VLM SYSTEM ERR",
                                  plat::MB_ABORTRETRYIGNORE | plat::MB_ICONSTOP |
                                      plat::MB_SYSTEMMODAL);
  if (a != plat::IDABORT) return false;
  s.terminate_chosen = true;
  return true;
}
