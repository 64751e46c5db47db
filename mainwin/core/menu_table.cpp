#include "mainwin/core/menu_table.h"

#include <algorithm>

namespace {

using H = VLM_handler;
using S = VLM_item_state;
using P = VLM_place;

constexpr const char* kPreview = "print preview";
constexpr const char* kSimMenu = "simulation menu";

const std::vector<VLM_menu_item> kItems = {
    // File menu.
    {H::main, 1, "New1", "Ctrl+N", "新規作成", P::file, S::enabled, ""},
    {H::main, 2, "Open1", "Ctrl+O", "開く...", P::file, S::enabled, ""},
    {H::main, 14, "N4", "Ctrl+I", "カーソル行に挿入...", P::file, S::enabled, ""},
    {H::main, 15, "N5", "Ctrl+E", "最終行に追加...", P::file, S::enabled, ""},
    {H::main, 4, "Save1", "Ctrl+W", "上書き保存...", P::file, S::enabled, ""},
    {H::main, 5, "SaveAs1", "", "名前を付けて保存...", P::file, S::enabled, ""},
    {H::list_popup, 20, "MM_20_subpro_out", "", "サブプログラムを展開して出力", P::file, S::enabled, ""},
    {H::list_popup, 33, "MM_33_G91", "", "G91 に変換して出力", P::file, S::enabled, ""},
    {H::list_popup, 34, "MM_34_G90", "", "G90 に変換して出力", P::file, S::enabled, ""},
    {H::list_popup, 35, "MM_35_ROTATE", "", "回転して出力", P::file, S::enabled, ""},
    {H::list_popup, 36, "MM_36_MOVE", "", "移動して出力", P::file, S::enabled, ""},
    {H::list_popup, 37, "MM_37_X_MIRROR", "", "X ミラーで出力", P::file, S::enabled, ""},
    {H::list_popup, 38, "MM_38_Y_MIRROR", "", "Y ミラーで出力", P::file, S::enabled, ""},
    {H::list_popup, 39, "MM_39_ROTATE_90", "", "90度回転して出力", P::file, S::enabled, ""},
    {H::list_popup, 40, "MM_40_ROTATE_180", "", "180度回転して出力", P::file, S::enabled, ""},
    {H::main, 6, "Print1", "", "印刷", P::file, S::inert, ""},
    {H::main, 39, "orBMP1", "", "印刷プレビュー...", P::file, S::enabled, ""},
    {H::main, 35, "N18", "", "データフォルダを開く", P::file, S::enabled, ""},
    {H::main, 45, "N34", "", "外部プログラムの実行...", P::file, S::enabled, ""},
    {H::main, 96, "dump1", "", "ダンプ", P::file, S::hidden, ""},
    {H::main, 99, "Exit1", "", "終了", P::file, S::enabled, ""},
    // Find and jump.
    {H::main, 8, "Find2", "Ctrl+F", "検索...", P::find, S::enabled, ""},
    {H::main, 9, "N7", "F3", "次を検索", P::find, S::enabled, ""},
    {H::main, 10, "N6", "Ctrl+P", "前を検索", P::find, S::enabled, ""},
    {H::main, 20, "N9", "Ctrl+J", "指定行へ移動...", P::find, S::enabled, ""},
    {H::main, 36, "N19", "Ctrl+Home", "先頭行へ", P::find, S::enabled, ""},
    {H::main, 37, "N20", "Ctrl+End", "最終行へ", P::find, S::enabled, ""},
    {H::main, 23, "N8", "Ctrl+Y", "行の削除", P::find, S::enabled, ""},
    // View.
    {H::main, 11, "menu_zoom", "Ctrl+S", "ズーム", P::view, S::enabled, ""},
    {H::main, 12, "PANP1", "Ctrl+M", "移動(パン)", P::view, S::enabled, ""},
    {H::main, 13, "ROTATER1", "Ctrl+R", "回転", P::view, S::enabled, ""},
    {H::main, 30, "ZOOMOVEV1", "Ctrl+Q", "ズーム・移動・回転", P::view, S::enabled, ""},
    {H::main, 16, "FITA1", "Ctrl+A", "全体表示", P::view, S::enabled, ""},
    {H::main, 32, "REDRAWD1", "Ctrl+D", "再描画", P::view, S::enabled, ""},
    {H::main, 41, "TOP1", "Ctrl+1", "上面図", P::view, S::enabled, ""},
    {H::main, 42, "FRONT1", "Ctrl+2", "正面図", P::view, S::enabled, ""},
    {H::main, 43, "ISO1", "Ctrl+3", "等角図", P::view, S::enabled, ""},
    {H::main, 44, "RIGHT1", "Ctrl+4", "右側面図", P::view, S::enabled, ""},
    {H::display, 1, "menu_vis_tool", "", "工具を表示", P::view, S::enabled, "", true},
    {H::display, 2, "menu_vis_holder", "", "ホルダを表示", P::view, S::enabled, "", true},
    {H::display, 8, "menu_invis_G00", "", "G00 を表示しない", P::view, S::enabled, "", true},
    {H::display, 9, "menu_path_Fsokudo", "", "パスの色: 送り速度", P::view, S::enabled, "", true, "path_color"},
    {H::display, 10, "menu_path_Gcode", "", "パスの色: G コード", P::view, S::enabled, "", true, "path_color"},
    {H::display, 11, "menu_path_T_num", "", "パスの色: 工具番号", P::view, S::enabled, "", true, "path_color"},
    {H::display, 14, "menu_vis_boundary", "", "範囲枠を表示", P::view, S::enabled, "", true},
    {H::display, 33, "menu_chk_seeTh_path", "", "パスを透かして表示", P::view, S::enabled, "", true},
    {H::display, 34, "menu_chk_up_BALL_R", "", "パスをボール半径だけ上げる", P::view, S::enabled, "", true},
    {H::display, 26, "menu_TOOL_draw_at_BACKSCREEN", "", "工具を裏画面で描く", P::view, S::enabled, "", true},
    {H::display, 12, "menu_vis_loc", "", "位置を常に表示", P::view, S::enabled, "", true},
    {H::display, 7, "menu_vis_ABC", "", "付加軸を表示", P::view, S::enabled, "", true},
    {H::main, 27, "menu_vis_controler", "", "コントロールパネル", P::view, S::enabled, "", true},
    {H::main, 22, "menu_vis_err_win", "", "エラー一覧", P::view, S::enabled, ""},
    {H::main, 24, "menu1_l", "", "リストの文字: 大", P::view, S::enabled, "", true, "list_font"},
    {H::main, 25, "menu1_m", "", "リストの文字: 中", P::view, S::enabled, "", true, "list_font"},
    {H::main, 26, "menu1_s", "", "リストの文字: 小", P::view, S::enabled, "", true, "list_font"},
    {H::display, 31, "menu_invis_menu_mode", "", "メニューを隠す", P::view, S::enabled, "", true},
    // Tools.
    {H::main, 18, "menu_tool_set", "", "工具の設定...", P::tools, S::enabled, ""},
    {H::main, 51, "menu_tool_list_1", "", "工具リスト...", P::tools, S::enabled, ""},
    {H::main, 28, "M1", "", "マガジンの適用...", P::tools, S::enabled, ""},
    {H::main, 29, "N11", "", "マガジンの編集...", P::tools, S::enabled, ""},
    {H::main, 17, "menu_work_set", "", "ワークの設定", P::tools, S::hidden, ""},
    // Settings.
    {H::main, 19, "menu_path_color_set", "", "パスの色の設定...", P::settings, S::enabled, ""},
    {H::main, 33, "menu_extra_set", "", "表示の設定...", P::settings, S::enabled, ""},
    {H::main, 38, "menu_hi_speed_interval", "", "高速再生時でのリスト変更サイクル", P::settings, S::enabled, ""},
    {H::display, 5, "menu_chk_cursor_path", "", "カーソルキーでパスを追う", P::settings, S::enabled, "", true},
    {H::display, 13, "menu_TOOL_CHANGE_T", "", "T コードだけで工具交換", P::settings, S::enabled, "", true},
    {H::display, 30, "menu_undef_ncd_is_noerr", "", "未対応のコードを無視", P::settings, S::enabled, "", true},
    {H::display, 32, "menu_enabled_G4x", "", "G41/G42 の補正を行う", P::settings, S::enabled, "", true},
    {H::display, 20, "menu_unit", "", "小数点無しのときの設定単位 (0.001)", P::settings, S::inert, ""},
    {H::display, 15, "menu_unit_1", "", "小数点なしの単位: 1", P::settings, S::enabled, "", true, "unit"},
    {H::display, 16, "menu_unit_2", "", "小数点なしの単位: 0.1", P::settings, S::enabled, "", true, "unit"},
    {H::display, 17, "menu_unit_3", "", "小数点なしの単位: 0.01", P::settings, S::enabled, "", true, "unit"},
    {H::display, 18, "menu_unit_4", "", "小数点なしの単位: 0.001", P::settings, S::enabled, "", true, "unit"},
    {H::display, 19, "menu_unit_5", "", "小数点なしの単位: 0.0001", P::settings, S::enabled, "", true, "unit"},
    {H::display, 21, "menu_saving_err_data", "", "例外データを保存", P::settings, S::enabled, "", true},
    {H::display, 22, "menu_hi_quality", "", "印刷品質: 高", P::settings, S::enabled, "", true, "quality"},
    {H::display, 23, "menu_normal_quality", "", "印刷品質: 標準", P::settings, S::enabled, "", true, "quality"},
    {H::display, 24, "menu_chk_upper", "", "とじしろ: 上", P::settings, S::enabled, "", true, "margin"},
    {H::display, 25, "menu_chk_left", "", "とじしろ: 左", P::settings, S::enabled, "", true, "margin"},
    {H::display, 28, "menu_select_24pf", "", "24 ビットで印刷", P::settings, S::enabled, "", true, "depth"},
    {H::display, 29, "menu_select_16pf", "", "16 ビットで印刷", P::settings, S::enabled, "", true, "depth"},
    {H::display, 27, "menu_saving_opengl_data", "", "OpenGL データを保存", P::settings, S::hidden, "", true},
    // Simulation; the menu shows only the items that fit the program and its works.
    {H::simulation, 3, "MMW03_setup_work", "", "ワークの設定...", P::simulation, S::enabled, ""},
    {H::simulation, 18, "MMW18_READ_ALL_WORKS", "", "ワークデータの読み込み...", P::simulation, S::enabled, ""},
    {H::simulation, 13, "MMW13_SAVE_ALL_WORKS", "", "全ワークデータの保存...", P::simulation, S::enabled, ""},
    {H::simulation, 14, "MMW14_DELETE_ALL_WORKS", "", "全ワークデータの削除", P::simulation, S::enabled, ""},
    {H::simulation, 15, "MMW15_RESET_ALL_WORKS", "", "全ワークを初期状態に戻す", P::simulation, S::enabled, ""},
    {H::simulation, 4, "MMW04_CUTTING_SW", "", "切削シミュレーション", P::simulation, S::enabled, "", true},
    {H::simulation, 1, "MMW01_vis_work", "", "ワークを表示", P::simulation, S::enabled, "", true},
    {H::simulation, 2, "MMW02_vis_ZIGU", "", "治具を表示", P::simulation, S::enabled, "", true},
    {H::simulation, 5, "MMW05_HOLDER_CHECK", "", "ホルダの干渉チェック", P::simulation, S::enabled, "", true},
    {H::simulation, 6, "MMW06_VIS_CUTTING_TOOL", "", "切削工具を表示", P::simulation, S::enabled, "", true},
    {H::simulation, 7, "MMW07_VIS_SOLID_OF_TOOL", "", "工具をソリッドで表示", P::simulation, S::enabled, "", true},
    {H::simulation, 8, "MMW08_SeeTh_of_WORK", "", "ワークを透かして表示", P::simulation, S::enabled, "", true},
    {H::simulation, 9, "MMW09_rotate_tool", "", "工具の回転を表示", P::simulation, S::enabled, "", true},
    {H::simulation, 10, "MMW10_high_quality", "", "ワークを高精細で表示", P::simulation, S::enabled, "", true},
    {H::simulation, 11, "MMW11_CUTTING_AT_ZIGU", "", "治具も切削する", P::simulation, S::enabled, "", true},
    {H::simulation, 12, "MMW12_SeeTh_OF_TOOL", "", "工具を透かして表示", P::simulation, S::enabled, "", true},
    {H::simulation, 16, "MMW16_ZIGU_RECT_CHK", "", "治具の干渉を箱で調べる", P::simulation, S::enabled, "", true},
    {H::simulation, 17, "MMW17_RED_FLASH", "", "干渉点を点滅", P::simulation, S::enabled, "", true},
    {H::simulation, 19, "MMW19_NG_ERR_STOP", "", "干渉で停止", P::simulation, S::enabled, "", true},
    {H::simulation, 20, "MMex20_AutoSetWork", "", "ワークの自動設定(行わない)", P::simulation, S::inert, ""},
    {H::simulation, 21, "MMex21_no_AutoSet", "", "行わない", P::simulation, S::enabled, "", true, "autoset"},
    {H::simulation, 22, "MMex22_AutoSet_JustSize", "", "パス最大範囲", P::simulation, S::enabled, "", true, "autoset"},
    {H::simulation, 23, "MMex23_AutoSet_Add10mm", "", "パス最大範囲+10mm", P::simulation, S::enabled, "", true, "autoset"},
    // Help.
    {H::help, 4, "MM_Version", "", "バージョン情報...", P::help, S::enabled, ""},
    {H::help, 95, "MM95_HELP", "", "ヘルプ", P::help, S::enabled, ""},
    {H::help, 96, "MM96_HOME_PAGE", "", "ホームページ", P::help, S::enabled, ""},
    {H::help, 97, "MM97_MAIL", "", "メールでのお問い合わせ", P::help, S::enabled, ""},
    // Tool bar.
    {H::main, 1, "spbtn_new", "", "新規", P::toolbar, S::enabled, ""},
    {H::main, 2, "spbtn_open", "", "開く", P::toolbar, S::enabled, ""},
    {H::main, 3, "spbtn_append", "", "追加・挿入", P::toolbar, S::enabled, ""},
    {H::main, 4, "spbtn_save", "", "保存", P::toolbar, S::enabled, ""},
    {H::main, 5, "spbtn_save_with_name", "", "名前を付けて保存", P::toolbar, S::enabled, ""},
    {H::main, 6, "spbtn_print", "", "印刷", P::toolbar, S::inert, ""},
    {H::main, 39, "spbtn_print_setup", "", "プレビュー", P::toolbar, S::enabled, ""},
    {H::main, 8, "spbtn_find", "", "検索", P::toolbar, S::enabled, ""},
    {H::main, 10, "spbtn_find_back", "", "前へ", P::toolbar, S::enabled, ""},
    {H::main, 9, "spbtn_find_next", "", "次へ", P::toolbar, S::enabled, ""},
    {H::main, 20, "spbtn_jump_line", "", "行移動", P::toolbar, S::enabled, ""},
    {H::main, 11, "spbtn_zoom", "", "ズーム", P::toolbar, S::enabled, "", true, "mouse"},
    {H::main, 12, "spbtn_pan", "", "パン", P::toolbar, S::enabled, "", true, "mouse"},
    {H::main, 13, "spbtn_rotate", "", "回転", P::toolbar, S::enabled, "", true, "mouse"},
    {H::main, 30, "spbtn_zoomove", "", "ズーム移動", P::toolbar, S::enabled, "", true},
    {H::main, 31, "spbtn_location", "", "位置", P::toolbar, S::enabled, "", true},
    {H::main, 16, "spbtn_fit", "", "全体", P::toolbar, S::enabled, ""},
    {H::main, 32, "spdbtn_redraw", "", "再描画", P::toolbar, S::enabled, ""},
    {H::main, 34, "spbtn_clip", "", "クリップ", P::toolbar, S::enabled, "", true},
    // Listing pop-up; the captions of the first three and the selection items are set as
    // it opens.
    {H::list_popup, 1, "spmenu_list_st", "", "パスの描画開始行設定", P::popup, S::enabled, ""},
    {H::list_popup, 2, "spmenu_list_en", "", "パスの描画終了行設定", P::popup, S::enabled, ""},
    {H::list_popup, 3, "spmenu_list_reset", "", "↑リセット", P::popup, S::enabled, ""},
    {H::list_popup, 4, "menu_preset_center", "", "工具位置を画面の中心に", P::popup, S::enabled, ""},
    {H::list_popup, 10, "spmenu_sel_start", "", "選択開始", P::popup, S::enabled, ""},
    {H::list_popup, 19, "spmenu_selend_lock", "", "選択終了行位置をロック", P::popup, S::enabled, ""},
    {H::list_popup, 11, "spmenu_sel_to_delete", "", "選択範囲を削除", P::popup, S::enabled, ""},
    {H::list_popup, 14, "spmenu_sel_to_clipboard", "", "選択範囲をクリップボードへ", P::popup, S::enabled, ""},
    {H::list_popup, 12, "spmenu_select_cancel", "", "選択の解除", P::popup, S::enabled, ""},
    {H::list_popup, 13, "N30", "", "すべて選択", P::popup, S::enabled, ""},
    {H::list_popup, 15, "spmenu_sel_to_G91", "", "選択範囲を G91 に変換", P::popup, S::hidden, ""},
    {H::list_popup, 16, "spmenu_sel_to_G90", "", "選択範囲を G90 に変換", P::popup, S::hidden, ""},
    {H::list_popup, 17, "spmenu_sel_to_rotate", "", "選択範囲を回転", P::popup, S::hidden, ""},
    {H::list_popup, 18, "spmenu_sel_to_move", "", "選択範囲を移動", P::popup, S::hidden, ""},
    {H::list_popup, 21, "spmenu_sel_to_joint", "", "選択範囲をつなぐ", P::popup, S::hidden, ""},
    {H::list_popup, 22, "spmenu_sel_to_path_delete", "", "選択範囲のパスを削除", P::popup, S::hidden, ""},
    {H::list_popup, 5, "menu_ins_dammy_TOOL", "", "ダミーの工具交換を挿入...", P::popup, S::enabled, ""},
    {H::list_popup, 6, "menu_ins_dammy_color", "", "ダミーの色替えを挿入...", P::popup, S::enabled, ""},
    {H::list_popup, 8, "menu_ins_clip_text", "", "クリップボードの文字を挿入", P::popup, S::enabled, ""},
    {H::main, 23, "menu_delete_line", "", "行の削除", P::popup, S::enabled, ""},
};

// Tags with a command, per handler.
constexpr int kMainTags[] = {1,  2,  3,  4,  5,  8,  9,  10, 11, 12, 13, 14, 15, 16, 18, 19,
                             20, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36,
                             37, 38, 39, 41, 42, 43, 44, 45, 51, 96, 99};
// The hidden selection conversions (15 to 18, 21, 22) have no command.
constexpr int kPopupTags[] = {1,  2,  3,  4,  5,  6,  8,  10, 11, 12, 13, 14,
                              19, 20, 33, 34, 35, 36, 37, 38, 39, 40};
constexpr int kDisplayTags[] = {1,  2,  5,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18,
                                19, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34};

constexpr int kSimulationTags[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                   12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23};
constexpr int kHelpTags[] = {4, 95, 96, 97};

template <std::size_t N>
bool in(const int (&tags)[N], int tag) {
  return std::find(std::begin(tags), std::end(tags), tag) != std::end(tags);
}

}  // namespace

const std::vector<VLM_menu_item>& menu_items() { return kItems; }

const VLM_menu_item* find_menu_item(std::string_view component) {
  for (const VLM_menu_item& it : kItems)
    if (component == it.component) return &it;
  return nullptr;
}

bool tag_has_command(VLM_handler h, int tag) {
  switch (h) {
    case VLM_handler::main: return in(kMainTags, tag);
    case VLM_handler::list_popup: return in(kPopupTags, tag);
    case VLM_handler::display: return in(kDisplayTags, tag);
    case VLM_handler::simulation: return in(kSimulationTags, tag);
    case VLM_handler::help: return in(kHelpTags, tag);
  }
  return false;
}

const char* place_component(VLM_place p) {
  switch (p) {
    case VLM_place::file: return "File1";
    case VLM_place::find: return "Find1";
    case VLM_place::view: return "View1";
    case VLM_place::tools: return "Tool1";
    case VLM_place::settings: return "Setting1";
    case VLM_place::simulation: return "MM_simulation";
    case VLM_place::help: return "MM_other";
    case VLM_place::toolbar: return "ToolBar1";
    case VLM_place::popup: return "p_menu1";
  }
  return "";
}

bool menu_component_built(std::string_view name) {
  if (find_menu_item(name)) return true;
  for (VLM_place p : {VLM_place::file, VLM_place::find, VLM_place::view, VLM_place::tools,
                      VLM_place::settings, VLM_place::simulation, VLM_place::help,
                      VLM_place::toolbar})
    if (name == place_component(p)) return true;
  return false;
}

// Everything that could change the program or the simulation position the set-up keeps.
const std::vector<const char*>& work_setup_disabled_components() {
  static const std::vector<const char*> k = {"File1", "Find1", "View1", "Tool1", "Setting1",
                                             "MM_simulation", "ToolBar1"};
  return k;
}

const std::vector<const char*>& menu_mode_hidden_components() {
  static const std::vector<const char*> k = {
      "Find1",          "Setting1",       "ToolBar1",       "New1",          "Open1",
      "N4",             "N5",             "Save1",          "SaveAs1",       "N34",
      "MM_20_subpro_out", "MM_33_G91",    "MM_34_G90",      "MM_35_ROTATE",  "MM_36_MOVE",
      "MM_37_X_MIRROR", "MM_38_Y_MIRROR", "MM_39_ROTATE_90", "MM_40_ROTATE_180", "Print1",
      "orBMP1",         "Exit1"};
  return k;
}

const char* place_caption(VLM_place p) {
  switch (p) {
    case VLM_place::file: return "ファイル";
    case VLM_place::find: return "検索・移動";
    case VLM_place::view: return "表示";
    case VLM_place::tools: return "工具";
    case VLM_place::settings: return "設定";
    case VLM_place::simulation: return "シミュレーション";
    case VLM_place::help: return "ヘルプ";
    case VLM_place::toolbar: return "ツールバー";
    case VLM_place::popup: return "リスト";
  }
  return "";
}
