#include "mainwin/core/environment.h"

#include <sys/stat.h>

#include <charconv>
#include <fstream>
#include <system_error>
#include <variant>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "mainwin/core/session.h"
#include "common/text_file.h"
#include "platform/core/cp932.h"

namespace {

bool ascii_ieq(char a, char b) {
  auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return up(a) == up(b);
}

bool line_has_key(std::string_view line, std::string_view key) {
  if (line.size() < key.size() + 1 || line[key.size()] != ',') return false;
  for (std::size_t i = 0; i < key.size(); ++i)
    if (!ascii_ieq(line[i], key[i])) return false;
  return true;
}

bool line_is_mark(std::string_view line, std::string_view mark) {
  if (line.size() != mark.size()) return false;
  for (std::size_t i = 0; i < mark.size(); ++i)
    if (!ascii_ieq(line[i], mark[i])) return false;
  return true;
}

// The key of a settings line: the text before its first comma.
std::string_view line_key(std::string_view line) {
  const std::size_t c = line.find(',');
  return c == std::string_view::npos ? line : line.substr(0, c);
}

std::string int_line(std::string_view key, std::int32_t v) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(key);
  s += ",int,";
  s.append(buf, r.ptr);
  return s;
}

std::string str_line(std::string_view key, std::string_view text) {
  std::string s(key);
  s += ",str,\"";
  s += text;
  s += '"';
  return s;
}

// The value text of a line: after the key's comma, past the type word when there is one.
std::string_view value_text(std::string_view line, std::size_t key_len, std::string_view type) {
  std::string_view rest = line.substr(key_len + 1);
  if (rest.size() >= type.size() + 1 && line_is_mark(rest.substr(0, type.size()), type) &&
      rest[type.size()] == ',')
    return rest.substr(type.size() + 1);
  return rest;
}

// The sort rank of a byte: punctuation, digits, letters (case folded), other bytes.
int sort_rank(unsigned char c, unsigned char& folded) {
  folded = (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
  if (c >= 0x80) return 3;
  if (c >= '0' && c <= '9') return 1;
  if (folded >= 'A' && folded <= 'Z') return 2;
  return 0;
}

}  // namespace

bool env_line_less(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char fa, fb;
    const int ra = sort_rank(static_cast<unsigned char>(a[i]), fa);
    const int rb = sort_rank(static_cast<unsigned char>(b[i]), fb);
    if (ra != rb) return ra < rb;
    if (fa != fb) return fa < fb;
  }
  return a.size() < b.size();
}

// ---- the settings list --------------------------------------------------------------------

int TVLM_settings::find(std::string_view key) const {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (line_has_key(list[i], key)) return static_cast<int>(i);
  return -1;
}

std::int32_t TVLM_settings::read_env_int(std::string_view key, std::int32_t def) {
  const int i = find(key);
  if (i < 0) {
    list.push_back(int_line(key, def));
    return def;
  }
  const std::string_view val = value_text(list[i], key.size(), "int");
  const std::string num = _numbers_for_routine("#", val);
  std::int64_t v = 0;
  bool ok = !num.empty() && num != "err";
  if (ok) {
    const char* b = num.data();
    if (*b == '+') ++b;
    auto r = std::from_chars(b, num.data() + num.size(), v);
    ok = r.ec == std::errc() && r.ptr == num.data() + num.size() && v >= INT32_MIN &&
         v <= INT32_MAX;
  }
  if (!ok) {
    deb_log("Tvelmor.read_env_int; " + std::string(key) + " = \"" + std::string(val) +
            "\" (default " + std::to_string(def) + ")");
    list[i] = int_line(key, def);
    return def;
  }
  return static_cast<std::int32_t>(v);
}

std::string TVLM_settings::read_env_str(std::string_view key, std::string_view def) {
  const int i = find(key);
  if (i < 0) {
    list.push_back(str_line(key, def));
    return std::string(def);
  }
  const std::string_view val = value_text(list[i], key.size(), "str");
  const std::size_t q1 = val.find('"');
  const std::size_t q2 = val.rfind('"');
  if (q1 == std::string_view::npos || q2 == q1) {
    deb_log("Tvelmor.read_env_str; " + std::string(key) + " = " + std::string(val));
    list[i] = str_line(key, def);
    return std::string(def);
  }
  return std::string(val.substr(q1 + 1, q2 - q1 - 1));
}

void TVLM_settings::write_env_int(std::string_view key, std::int32_t v) {
  const int i = find(key);
  if (i >= 0) list[i] = int_line(key, v);
}

void TVLM_settings::write_env_str(std::string_view key, std::string_view text) {
  const int i = find(key);
  if (i >= 0) list[i] = str_line(key, text);
}

void TVLM_settings::take_block(const std::vector<std::string>& file_lines) {
  list.clear();
  bool inside = false;
  for (const std::string& l : file_lines) {
    if (!inside) {
      inside = line_is_mark(l, ENV_START_MARK);
    } else if (line_is_mark(l, ENV_END_MARK)) {
      inside = false;
    } else {
      list.push_back(l);
    }
  }
}

std::vector<std::string> TVLM_settings::file_lines() const {
  std::vector<std::string> body;
  body.reserve(list.size());
  for (const std::string& l : list) {
    const std::string_view k = line_key(l);
    bool dup = false;
    for (const std::string& b : body)
      if (line_key(b).size() == k.size() && line_has_key(b, k)) {
        dup = true;
        break;
      }
    if (!dup) body.push_back(l);
  }
  std::stable_sort(body.begin(), body.end(),
                   [](const std::string& a, const std::string& b) { return env_line_less(a, b); });
  std::vector<std::string> out;
  out.reserve(body.size() + 2);
  out.emplace_back(ENV_START_MARK);
  for (auto& l : body) out.push_back(std::move(l));
  out.emplace_back(ENV_END_MARK);
  return out;
}

bool set_read_only(const std::filesystem::path& p, bool ro) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::perms w = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if (ro)
    fs::permissions(p, w, fs::perm_options::remove, ec);
  else
    fs::permissions(p, fs::perms::owner_write, fs::perm_options::add, ec);
  return !ec;
}

bool make_default_environment(const std::filesystem::path& path, std::string* err) {
  if (!write_text_lines(path, {ENV_START_MARK, ENV_END_MARK}, err)) return false;
  set_read_only(path, true);
  return true;
}

// ---- the key table ------------------------------------------------------------------------

namespace {

enum class EnvKind : std::uint8_t { Int, Flag, Bool, Scaled, Str };

using EnvTarget = std::variant<std::int32_t*, std::uint8_t*, bool*, float*, std::string*>;

struct EnvKey {
  std::string name;
  EnvKind kind;
  std::int32_t def = 0;
  std::string sdef;
  float scale = 1;               // Scaled: the file holds the value times this
  std::int32_t (*fix)(std::int32_t) = nullptr;  // clamps a value read
  EnvTarget target;
  bool written = true;           // false: the key's own writer stores it
};

std::int32_t fix_font(std::int32_t v) { return (v == -18 || v == -16 || v == -12) ? v : -12; }
std::int32_t fix_coloring(std::int32_t v) { return (v >= 0 && v <= 2) ? v : 0; }
std::int32_t fix_limit_lines(std::int32_t v) { return v < 1 ? 50000 : v; }
std::int32_t fix_jpeg(std::int32_t v) { return (v >= 1 && v <= 10) ? v : 9; }
std::int32_t fix_prev_x(std::int32_t v) { return (v >= 50 && v <= 2000) ? v : 400; }
std::int32_t fix_prev_y(std::int32_t v) { return (v >= 50 && v <= 2000) ? v : 300; }
std::int32_t fix_org_width(std::int32_t v) { return v <= 0 ? 1 : v; }

struct PathDefault {
  std::int32_t sokudo, color, style, width, p_width;
};
constexpr PathDefault kPathDefaults[DISP_PATH_ROWS] = {
    {400000, 50, 1, 1, 2}, {100, 12, 0, 1, 2}, {200, 12, 0, 1, 2}, {600, 50, 0, 1, 2},
    {700, 22, 0, 1, 2},    {800, 1, 0, 1, 2},  {0, 22, 0, 1, 2},   {0, 22, 0, 1, 2},
    {0, 22, 0, 1, 2},      {0, 0, 0, 1, 1},    {400000, 50, 1, 1, 2}, {0, 22, 0, 1, 1},
    {0, 22, 0, 1, 1},      {0, 22, 0, 1, 1},   {0, 22, 0, 1, 1},   {0, 22, 0, 1, 1}};

std::vector<EnvKey> key_table(TSession& s, const std::string& cwd) {
  Tdisp_status& d = s.disp;
  TVLM_form_state& f = s.form;
  NCD_DATA& n = s.nc();
  Tmat& m = *s.mat;
  std::vector<EnvKey> t;
  t.reserve(230);
  auto I = [&](const char* k, std::int32_t def, std::int32_t* p,
               std::int32_t (*fix)(std::int32_t) = nullptr) {
    t.push_back({k, EnvKind::Int, def, {}, 1, fix, p});
  };
  auto F = [&](const char* k, std::int32_t def, std::uint8_t* p) {
    t.push_back({k, EnvKind::Flag, def, {}, 1, nullptr, p});
  };
  auto B = [&](const char* k, std::int32_t def, bool* p) {
    t.push_back({k, EnvKind::Bool, def, {}, 1, nullptr, p});
  };
  auto X = [&](const char* k, std::int32_t def, float scale, float* p) {
    t.push_back({k, EnvKind::Scaled, def, {}, scale, nullptr, p});
  };
  auto S = [&](const char* k, const std::string& def, std::string* p) {
    t.push_back({k, EnvKind::Str, 0, def, 1, nullptr, p});
  };
  // Window
  S("velmor_last_cd", cwd, &f.last_cd);
  I("velmor_Form_left", 190, &f.left);
  I("velmor_Form_Top", 120, &f.top);
  I("velmor_Form_width", 590, &f.width);
  I("velmor_Form_Height", 390, &f.height);
  I("velmor_Form_WindowState", 0, &f.window_state);
  t.back().written = false;
  I("zoom_pan_rotate", 19, &f.zoom_pan_rotate);
  I("ctrl_view_left", 41, &f.ctrl_left);
  I("ctrl_view_Top", 454, &f.ctrl_top);
  // Display and NC
  F("DISP_cursor_path_flag", 1, &d.cursor_path_flag);
  X("nc_word_fixed_d", 100, 1000, &n.exec_opt.peck_return);
  B("nc_word_change_tool", 0, &n.parse.change_tool_by_T);
  B("nc_word_undef_ncd_is_noerr", 1, &n.parse.undef_is_noerr);
  B("nc_word_enabled_G4x_flag", 1, &n.exec_opt.comp_enabled);
  I("nc_word_unit", 4, &f.nc_word_unit);
  I("LIST_VIEW_FONT_height", -12, &f.list_font_height, fix_font);
  t.back().written = false;
  I("DISP_PATH_COLOR_TAB", 1, &d.PATH_COLOR_TAB);
  F("DISP_VIS_OPT_ABC", 0, &d.VIS_OPT_ABC);
  F("DISP_INVIS_G00", 0, &d.INVIS_G00);
  I("DISP_PATH_COLORING", 2, &d.PATH_COLORING, fix_coloring);
  I("DISP_LIMIT_LINES", 50000, &d.LIMIT_LINES, fix_limit_lines);
  I("DISP_BOX_color", 16, &d.BOX_color);
  I("DISP_LOC_color", 60, &d.LOC_color);
  I("DISP_LOC_height", 12, &d.LOC_height);
  I("DISP_SEL_ENT_color", 63, &d.SEL_ENT_color);
  X("DISP_CLIP_ANGLE", 300, 10, &d.CLIP_ANGLE);
  X("DISP_CLIP_GAP", 300, 10, &d.CLIP_GAP);
  F("DISP_TOOL_DRAW_AT_BG", 0, &d.TOOL_DRAW_AT_BG);
  F("DISP_NG_ERR_STOP", 1, &d.NG_ERR_STOP);
  F("DISP_VIS_TOOL", 1, &d.VIS_TOOL);
  F("DISP_VIS_HOLDER", 1, &d.VIS_HOLDER);
  F("DISP_VIS_LOC_FLAG", 0, &d.VIS_LOC_FLAG);
  I("DISP_INTERVAL_REDRAW_LIST", 200, &d.INTERVAL_REDRAW_LIST);
  F("DISP_VIS_BOUNDARY", 1, &d.VIS_BOUNDARY);
  F("DISP_CHK_SEETH_PATH", 0, &d.CHK_SEETH_PATH);
  F("DISP_CHK_UP_BALL_R", 1, &d.CHK_UP_BALL_R);
  // Simulation
  I("DISP_SIM_SEETH_LV_WORK", 50, &d.SIM_SEETH_LV_WORK);
  I("DISP_SIM_SEETH_LV_TOOL", 50, &d.SIM_SEETH_LV_TOOL);
  F("DISP_SIM_VIS_WORK", 0, &d.SIM_VIS_WORK);
  F("DISP_SIM_VIS_ZIGU", 1, &m.show_jigs);
  F("DISP_SIM_CUTTING_MODE", 0, &d.SIM_CUTTING_MODE);
  F("DISP_SIM_CUTTING_ZIGU", 1, &m.cut_jigs);
  F("DISP_SIM_CALC_HOLDER", 1, &d.SIM_CALC_HOLDER);
  F("DISP_SIM_HIGH_DETAIL", 0, &d.SIM_HIGH_DETAIL);
  F("DISP_SIM_SEETH_WORK", 0, &m.see_through_works);
  F("DISP_SIM_VIS_TOOL", 1, &d.SIM_VIS_TOOL);
  F("DISP_SIM_TOOL_SOLID", 1, &d.SIM_TOOL_SOLID);
  F("DISP_SIM_TOOL_ROTATE", 1, &d.SIM_TOOL_ROTATE);
  F("DISP_SIM_SEETH_TOOL", 0, &m.see_through_tool);
  F("DISP_SIM_ZIGU_RECT_CHK", 1, &m.jig_rect_check);
  F("DISP_SIM_RED_FLASH_CHK", 1, &m.blink);
  // Work set-up
  F("DISP_WSW_MANUAL_CUTMODE", 0, &d.WSW_MANUAL_CUTMODE);
  I("DISP_AUTO_SET_WORK_MODE", 1, &d.AUTO_SET_WORK_MODE);
  F("DISP_WSW_SEETH_MODE", 0, &d.WSW_SEETH_MODE);
  F("DISP_WSW_HighDetail", 0, &d.WSW_HighDetail);
  F("DISP_WSW_MatrixLine", 0, &d.WSW_MatrixLine);
  I("DISP_WSW_offset_Z", 10000, &d.WSW_offset_Z);
  I("DISP_WSW_cut_Z", 0, &d.WSW_cut_Z);
  I("DISP_WSW_MAT_COLNUM", 50, &d.WSW_MAT_COLNUM);
  I("DISP_WSW_TOP", 200, &d.WSW_TOP);
  I("DISP_WSW_LEFT", 200, &d.WSW_LEFT);
  // General
  F("DISP_SAVING_ERR_DATA", 0, &d.SAVING_ERR_DATA);
  F("DISP_INVIS_MENU_MODE", 0, &d.INVIS_MENU_MODE);
  X("DISP_AGAP", 50, 10, &d.AGAP);
  I("DISP_BACK_COLOR", 2, &d.BACK_color);
  // Tool drawings
  I("DISP_C_DIM_C", 63, &d.C_DIM_C);
  X("DISP_C_DIM_H", 60, 10, &d.C_DIM_H);
  I("DISP_C_DIM_SW", 1, &d.C_DIM_SW);
  X("DISP_C_DIM_LENG", 150, 10, &d.C_DIM_LENG);
  X("DISP_C_ARROW", 30, 10, &d.C_ARROW);
  X("DISP_C_GAP", 15, 10, &d.C_GAP);
  I("DISP_C_SENHABA", 1, &d.C_SENHABA);
  // Tool list
  I("DISP_c_T_SET_F_SIZE", 12, &d.T_SET_F_SIZE);
  I("DISP_c_T_SET_W_SIZE", 180, &d.T_SET_W_SIZE);
  I("DISP_c_T_SET_H_SIZE", 120, &d.T_SET_H_SIZE);
  I("DISP_c_T_SET_W_MAX", 500, &d.T_SET_W_MAX);
  F("DISP_c_T_SET_DB_CHK", 0, &d.T_SET_DB_CHK);
  F("DISP_c_T_SET_INVIS_NOITEM", 1, &d.T_SET_INVIS_NOITEM);
  F("DISP_c_T_SET_ROTATE", 0, &d.T_SET_ROTATE);
  F("DISP_c_T_SET_LEFT_SPACE", 0, &d.T_SET_LEFT_SPACE);
  F("DISP_c_T_SET_CHK_USE_TURN", 1, &d.T_SET_CHK_USE_TURN);
  F("DISP_c_T_SET_CHK_TOOL", 1, &d.T_SET_CHK_TOOL);
  F("DISP_c_T_SET_TL_PREV_CHK", 1, &d.T_SET_TL_PREV_CHK);
  F("DISP_c_T_SET_ISO9000_CHK", 0, &d.T_SET_ISO9000_CHK);
  F("DISP_c_T_SET_PRN_PATH", 1, &d.T_SET_PRN_PATH);
  F("DISP_c_T_SET_CHK_PRNDATA", 1, &d.T_SET_CHK_PRNDATA);
  I("DISP_c_T_SET_LEFT", 150, &d.T_SET_LEFT);
  I("DISP_c_T_SET_TOP", 100, &d.T_SET_TOP);
  I("DISP_c_T_SET_WIDTH", 622, &d.T_SET_WIDTH);
  I("DISP_c_T_SET_HEIGHT", 430, &d.T_SET_HEIGHT);
  S("DISP_c_T_SET_TCOND_O_num", "1234", &d.TCOND_O_num);
  S("DISP_c_T_SET_TCOND_PRE_M6_str", "", &d.TCOND_PRE_M6_str);
  S("DISP_c_T_SET_TCOND_M6_str", "M6", &d.TCOND_M6_str);
  S("DISP_c_T_SET_TCOND_INIT_str", "G90G00G17G40G54", &d.TCOND_INIT_str);
  S("DISP_c_T_SET_TCOND_X_str", "-50.", &d.TCOND_X_str);
  S("DISP_c_T_SET_TCOND_Y_str", "-50.", &d.TCOND_Y_str);
  S("DISP_c_T_SET_TCOND_Z_str", "-50.", &d.TCOND_Z_str);
  S("DISP_c_T_SET_TCOND_F_str", "200", &d.TCOND_F_str);
  F("DISP_c_T_SET_TCOND_NONAME", 1, &d.TCOND_NONAME);
  // 3D view marks
  X("DISP_dim_height", 200, 10, &d.dim_height);
  I("DISP_dim_color", 16, &d.dim_color);
  F("DISP_dim_in_area", 1, &d.dim_in_area);
  X("DISP_XYZ_ORG_height", 150, 10, &d.XYZ_ORG_height);
  I("DISP_XYZ_ORG_width", 1, &d.XYZ_ORG_width, fix_org_width);
  I("DISP_XYZ_ORG_color", 60, &d.XYZ_ORG_color);
  X("DISP_TOOL_DRAW_MINIMAM_L", 500, 1000, &d.TOOL_DRAW_MINIMAM_L);
  // Preview and printing
  F("PREV_CHK_GRAY_SCALE", 0, &d.PREV_GRAY_SCALE);
  F("PREV_CHK_PROGRESSIVE", 0, &d.PREV_PROGRESSIVE);
  F("PREV_CHK_ROTATE", 0, &d.PREV_ROTATE);
  F("PREV_CHK_WHITE", 1, &d.PREV_WHITE);
  I("PREV_JPEG_COMPRESS", 9, &d.PREV_JPEG_COMPRESS, fix_jpeg);
  I("PREV_X_SIZE", 400, &d.PREV_X_SIZE, fix_prev_x);
  I("PREV_Y_SIZE", 300, &d.PREV_Y_SIZE, fix_prev_y);
  F("POUT_HI_QUALITY", 0, &d.POUT_HI_QUALITY);
  F("POUT_SELECT_24PF", 1, &d.POUT_SELECT_24PF);
  F("PREV_VIS_DATA", 1, &d.PREV_VIS_DATA);
  I("CONV_UNIT", 1, &d.CONV_UNIT);
  // External programs
  I("OTHER_EXEC_R_NUM", 0, &d.OTHER_EXEC_R_NUM);
  static const char* const kExecNames[DISP_OTHER_EXEC_COUNT] = {
      "OTHER_EXEC_NAMES_0", "OTHER_EXEC_NAMES_1", "OTHER_EXEC_NAMES_2", "OTHER_EXEC_NAMES_3",
      "OTHER_EXEC_NAMES_4", "OTHER_EXEC_NAMES_5", "OTHER_EXEC_NAMES_6", "OTHER_EXEC_NAMES_7",
      "OTHER_EXEC_NAMES_8", "OTHER_EXEC_NAMES_9"};
  for (int i = 0; i < DISP_OTHER_EXEC_COUNT; ++i) S(kExecNames[i], "", &d.OTHER_EXEC_NAMES[i]);
  I("OTHER_EXEC_WIDTH", 1, &d.OTHER_EXEC_WIDTH);
  S("OTHER_EXEC_LAST_DATA", "", &d.OTHER_EXEC_LAST_DATA);
  // Copy-out conversions
  X("DISP_COPY_IX", 0, 1000, &d.COPY_IX);
  X("DISP_COPY_IY", 0, 1000, &d.COPY_IY);
  X("DISP_COPY_IZ", 0, 1000, &d.COPY_IZ);
  I("DISP_COPY_TIMES_M", 1, &d.COPY_TIMES_M);
  X("DISP_COPY_CX", 0, 1000, &d.COPY_CX);
  X("DISP_COPY_CY", 0, 1000, &d.COPY_CY);
  X("DISP_COPY_IA", 0, 1000, &d.COPY_IA);
  I("DISP_COPY_TIMES_R", 1, &d.COPY_TIMES_R);
  X("DISP_AP_LENGTH_1", 0, 1000, &d.AP_LENGTH_1);
  X("DISP_AP_SOKUDO_1", 0, 1000, &d.AP_SOKUDO_1);
  X("DISP_AP_LENGTH_2", 0, 1000, &d.AP_LENGTH_2);
  X("DISP_AP_SOKUDO_2", 0, 1000, &d.AP_SOKUDO_2);
  X("DISP_AP_ANGLE_2", 0, 1000, &d.AP_ANGLE_2);
  X("DISP_JOINT_SOKUDO", 0, 1000, &d.JOINT_SOKUDO);
  X("DISP_JOINT_GAP", 0, 1000, &d.JOINT_GAP);
  X("DISP_POSITIONING_Z", 0, 1000, &d.POSITIONING_Z);
  // Path colours
  for (int r = 0; r < DISP_PATH_ROWS; ++r) {
    const std::string k = "cut_feed_" + std::to_string(r);
    TPATH_COLOR_ROW& row = d.path[r];
    const PathDefault& pd = kPathDefaults[r];
    t.push_back({k + "_sokudo", EnvKind::Scaled, pd.sokudo, {}, 100, nullptr, &row.sokudo});
    t.push_back({k + "_color", EnvKind::Int, pd.color, {}, 1, nullptr, &row.color});
    t.push_back({k + "_style", EnvKind::Int, pd.style, {}, 1, nullptr, &row.style});
    t.push_back({k + "_width", EnvKind::Int, pd.width, {}, 1, nullptr, &row.width});
    t.push_back({k + "_p_width", EnvKind::Int, pd.p_width, {}, 1, nullptr, &row.p_width});
  }
  return t;
}

std::string current_folder_text() {
  std::error_code ec;
  const auto p = std::filesystem::current_path(ec);
  return ec ? std::string() : plat::utf8_to_cp932(p.string());
}

}  // namespace

int env_key_count() {
  TSession s(NCD_CAPACITY{});
  return static_cast<int>(key_table(s, "").size());
}

bool read_environment(TSession& s, int mode) {
  std::vector<std::string> lines;
  std::string err;
  s.env.unreadable = false;
  std::error_code ec;
  if (std::filesystem::exists(s.env.path, ec)) {
    if (!read_text_lines(s.env.path, lines, &err)) {
      s.env.unreadable = true;
      deb_log("Tvelmor.read_environment; " + plat::utf8_to_cp932(err));
    }
  }
  s.env.take_block(lines);
  for (EnvKey& k : key_table(s, current_folder_text())) {
    if (k.kind == EnvKind::Str) {
      *std::get<std::string*>(k.target) = s.env.read_env_str(k.name, k.sdef);
      continue;
    }
    std::int32_t v = s.env.read_env_int(k.name, k.def);
    if (k.fix) v = k.fix(v);
    switch (k.kind) {
      case EnvKind::Int: *std::get<std::int32_t*>(k.target) = v; break;
      case EnvKind::Flag: *std::get<std::uint8_t*>(k.target) = v != 0; break;
      case EnvKind::Bool: *std::get<bool*>(k.target) = v != 0; break;
      case EnvKind::Scaled: *std::get<float*>(k.target) = static_cast<float>(v) / k.scale; break;
      case EnvKind::Str: break;
    }
  }
  // What follows from the values.
  TVLM_form_state& f = s.form;
  f.left = std::max(0, std::min(f.left, f.screen_w - 100));
  f.top = std::max(0, std::min(f.top, f.screen_h - 100));
  f.ctrl_left = std::max(0, std::min(f.ctrl_left, f.screen_w - 100));
  f.ctrl_top = std::max(0, std::min(f.ctrl_top, f.screen_h - 100));
  if (f.window_state < 0 || f.window_state > 2) f.window_state = 0;
  Set_NCD_word_unit(s.nc(), f.nc_word_unit);
  static const float kUnits[6] = {0.001f, 1.0f, 0.1f, 0.01f, 0.001f, 0.0001f};
  f.unit_factor = (f.nc_word_unit >= 1 && f.nc_word_unit <= 5) ? kUnits[f.nc_word_unit] : 0.001f;
  // The spare record loads with the same options.
  s.spare->parse.change_tool_by_T = s.nc().parse.change_tool_by_T;
  s.spare->parse.undef_is_noerr = s.nc().parse.undef_is_noerr;
  s.spare->parse.word_unit = s.nc().parse.word_unit;
  s.spare->exec_opt = s.nc().exec_opt;
  Tdisp_status& d = s.disp;
  d.SAVING_OPENGL_DATA = 0;
  d.PREV_TEXT_SIZE = 12;
  d.band_count = count_feed_bands(d);
  update_disp_colors(d);
  if (!f.last_cd.empty()) {
    const std::filesystem::path cd(plat::cp932_to_utf8(f.last_cd));
    std::filesystem::current_path(cd, ec);
    if (ec) deb_log("Tvelmor.read_environment; velmor_last_cd = " + f.last_cd);
  }
  (void)mode;  // the window applies bounds and state in start-up mode only
  return true;
}

bool write_environment(TSession& s, std::string* err) {
  if (s.env.unreadable) {
    if (err) *err = "the settings file could not be read, so it is kept as it was";
    return false;
  }
  s.form.last_cd = current_folder_text();
  for (EnvKey& k : key_table(s, s.form.last_cd)) {
    if (!k.written) continue;
    switch (k.kind) {
      case EnvKind::Str: s.env.write_env_str(k.name, *std::get<std::string*>(k.target)); break;
      case EnvKind::Int: s.env.write_env_int(k.name, *std::get<std::int32_t*>(k.target)); break;
      case EnvKind::Flag:
        s.env.write_env_int(k.name, *std::get<std::uint8_t*>(k.target) ? 1 : 0);
        break;
      case EnvKind::Bool: s.env.write_env_int(k.name, *std::get<bool*>(k.target) ? 1 : 0); break;
      case EnvKind::Scaled:
        s.env.write_env_int(
            k.name, float_round_to_int(static_cast<double>(*std::get<float*>(k.target)) * k.scale));
        break;
    }
  }
  std::error_code ec;
  const bool existed = std::filesystem::exists(s.env.path, ec);
  if (existed) set_read_only(s.env.path, false);
  const bool ok = write_text_lines(s.env.path, s.env.file_lines(), err);
  set_read_only(s.env.path, true);
  return ok;
}
