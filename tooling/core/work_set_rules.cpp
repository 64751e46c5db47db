#include "tooling/core/work_set_rules.h"

#include <cmath>
#include <cstdio>

#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "tooling/core/number_text.h"

namespace {

constexpr const char* kNumErr = "数値エラー";
constexpr const char* kMinBelowMax = "最小値は最大値よりも小さくしてください";
constexpr const char* kMaxAboveMin = "最大値は最小値よりも大きくしてください";
constexpr const char* kFixedSize =
    "冶具あるいはグループ化したワークはサイズや格子数の変更はできません";
constexpr const char* kNegSize = "サイズは0 以上で設定してください";
constexpr const char* kDivRange = "格子数は 0 ～ 4094 の範囲内で指定してください";
constexpr const char* kColorRange = "色指定は 0 ～ 63 の範囲内で指定してください";

bool real_of(const std::string& t, double& out) { return real_text_value(t, out); }

bool integer_of(const std::string& t, int& out) {
  std::int64_t n = 0;
  if (!integer_text_value(t, n)) return false;
  out = static_cast<int>(n);  // within 32 bits: the check refuses more
  return true;
}

float& axis_of(VEC3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

std::string code_text(int code) { return std::to_string(code); }

}  // namespace

void color_code_to_RGBA_bytes(int code, std::uint8_t alpha, std::uint8_t rgba[4]) {
  color_code_to_RGBA(code, alpha, rgba);
}

int RGBA_to_color_code(const std::uint8_t rgba[4]) {
  int best = 0;
  long best_d = -1;
  for (int code = 0; code < 64; ++code) {
    std::uint8_t c[4];
    color_code_to_RGBA_bytes(code, 255, c);
    long d = 0;
    for (int k = 0; k < 3; ++k) {
      const long e = static_cast<long>(c[k]) - rgba[k];
      d += e * e;
    }
    if (best_d < 0 || d < best_d) {
      best_d = d;
      best = code;
    }
  }
  return best;
}

std::string Round3_to_text(double v) { return float_to_str(static_cast<float>(v), 3); }

std::string pitch_text(float size, int count) {
  if (count == 0) return "0";
  return Round3_to_text(static_cast<double>(size) / count);
}

std::string cut_work_memo(const std::string& text) {
  if (text.size() <= WORK_MEMO_KEEP) return text;
  return text.substr(0, plat::sjis_cut_pos(text, WORK_MEMO_KEEP));
}

std::vector<std::pair<int, std::string>> work_combo_items(const Tmat& m) {
  std::vector<std::pair<int, std::string>> out;
  for (int i = 0; i < WORK_MAX; ++i) {
    const TWORK_DATA& w = m.works[i];
    if (!w.in_use) continue;
    char head[16];
    std::snprintf(head, sizeof head, "%3d ", i);
    std::string t = head;
    t += w.jig ? 'Z' : 'W';
    t += w.visible ? 'v' : '.';
    t += w.cutting ? 'c' : '.';
    if (w.group > 0) {
      char g[16];
      std::snprintf(g, sizeof g, "(%2d)", static_cast<int>(w.group));
      t += g;
    } else {
      t += "  ";
    }
    out.emplace_back(i, std::move(t));
  }
  return out;
}

std::vector<std::pair<int, std::string>> group_combo_items(const Tmat& m) {
  std::vector<std::pair<int, std::string>> out{{0, " 未設定 "}};
  for (const TWORK_DATA& w : m.works) {
    if (!w.in_use || w.group <= 0) continue;
    bool seen = false;
    for (const auto& e : out) seen = seen || e.first == w.group;
    if (seen) continue;
    char g[16];
    std::snprintf(g, sizeof g, "%3d", static_cast<int>(w.group));
    out.emplace_back(w.group, g);
  }
  return out;
}

bool work_is_fixed(Tmat& m, int work) {
  return m.works[work].jig != 0 || Check_WORK_after_Cutted(m, work);
}

bool Move_GROUP_works(Tmat& m, int work, float delta, int axis) {
  if (!Check_WORK_num(m, work, "Move_GROUP_works")) return false;
  auto move_one = [&](int i) {
    if (axis == 2) return MOVE_Z_OF_WORK_MATRIX(m, i, delta);
    return MOVE_XY_OF_WORK_MATRIX(m, i, axis == 0 ? delta : 0.0f, axis == 1 ? delta : 0.0f);
  };
  if (!move_one(work)) return false;
  const int g = m.works[work].group;
  bool ok = true;
  if (g > 0)
    for (int i = 0; i < WORK_MAX; ++i)
      if (i != work && m.works[i].in_use && m.works[i].group == g) ok = move_one(i) && ok;
  return ok;
}

// ---- the rules -----------------------------------------------------------------------------

std::array<std::string, WSE_COUNT> TWork_set_rules::default_texts() const {
  std::array<std::string, WSE_COUNT> t;
  t[WSE_minX] = t[WSE_minY] = t[WSE_minZ] = "-50";
  t[WSE_maxX] = t[WSE_maxY] = "50";
  t[WSE_maxZ] = "0";
  t[WSE_centerX] = t[WSE_centerY] = "0";
  t[WSE_sizeX] = t[WSE_sizeY] = "100";
  t[WSE_sizeZ] = "50";
  t[WSE_matX] = t[WSE_matY] = "50";
  t[WSE_WORK_COLOR] = "1";
  t[WSE_mat_offsetZ] = Round3_to_text(offset_z_);
  t[WSE_MAT_COLOR] = code_text(d_.WSW_MAT_COLNUM);
  return t;
}

std::array<std::string, WSE_COUNT> TWork_set_rules::edit_texts(int work) const {
  if (work < 0 || work >= WORK_MAX || !m_.works[work].in_use) return default_texts();
  const TWORK_DATA& w = m_.works[work];
  std::array<std::string, WSE_COUNT> t;
  t[WSE_minX] = Round3_to_text(w.min.x);
  t[WSE_minY] = Round3_to_text(w.min.y);
  t[WSE_minZ] = Round3_to_text(w.min.z);
  t[WSE_maxX] = Round3_to_text(w.max.x);
  t[WSE_maxY] = Round3_to_text(w.max.y);
  t[WSE_maxZ] = Round3_to_text(w.max.z);
  t[WSE_centerX] = Round3_to_text((static_cast<double>(w.min.x) + w.max.x) / 2);
  t[WSE_centerY] = Round3_to_text((static_cast<double>(w.min.y) + w.max.y) / 2);
  t[WSE_sizeX] = Round3_to_text(static_cast<double>(w.max.x) - w.min.x);
  t[WSE_sizeY] = Round3_to_text(static_cast<double>(w.max.y) - w.min.y);
  t[WSE_sizeZ] = Round3_to_text(static_cast<double>(w.max.z) - w.min.z);
  t[WSE_matX] = std::to_string(w.nx);
  t[WSE_matY] = std::to_string(w.ny);
  t[WSE_WORK_COLOR] = code_text(RGBA_to_color_code(w.color));
  t[WSE_WORK_MEMO] = work_memo_text(w);
  t[WSE_mat_offsetZ] = Round3_to_text(offset_z_);
  t[WSE_MAT_COLOR] = code_text(d_.WSW_MAT_COLNUM);
  return t;
}

bool TWork_set_rules::size_edits_enabled(int work) {
  if (work < 0 || work >= WORK_MAX || !m_.works[work].in_use) return false;
  return m_.works[work].group <= 0 && !work_is_fixed(m_, work);
}

void TWork_set_rules::reset_offset_from_switches() {
  const int k = d_.WSW_MANUAL_CUTMODE ? d_.WSW_cut_Z : d_.WSW_offset_Z;
  offset_z_ = static_cast<float>(k * 0.001);
  color_code_to_RGBA_bytes(d_.WSW_MAT_COLNUM, 255, m_.frame_color);
}

bool TWork_set_rules::refuse(const std::string& msg) {
  plat::message_box(msg, kNumErr, plat::MB_OK | plat::MB_SYSTEMMODAL);
  return false;
}

bool TWork_set_rules::rebuild(int work, int nx, int ny, const VEC3& min, const VEC3& max) {
  if (REBUILD_WORK_MATRIX(m_, work, nx, ny, min, max)) return true;
  return refuse(m_.last_error());
}

bool TWork_set_rules::commit_bound(int work, int tag, float v) {
  TWORK_DATA& w = m_.works[work];
  const bool is_min = tag <= WSE_minZ;
  const int axis = tag % 3;
  const bool free = w.group <= 0 && !work_is_fixed(m_, work);
  const int count = axis == 0 ? w.nx : axis == 1 ? w.ny : 1;
  if (free && count != 0) {
    VEC3 lo = w.min, hi = w.max;
    if (is_min) {
      if (!(v < axis_of(hi, axis))) return refuse(kMinBelowMax);
      axis_of(lo, axis) = v;
    } else {
      if (!(v > axis_of(lo, axis))) return refuse(kMaxAboveMin);
      axis_of(hi, axis) = v;
    }
    return rebuild(work, w.nx, w.ny, lo, hi);
  }
  const float delta = v - axis_of(is_min ? w.min : w.max, axis);
  if (delta == 0) return true;
  if (!Move_GROUP_works(m_, work, delta, axis)) return refuse(m_.last_error());
  return true;
}

bool TWork_set_rules::commit(int work, int tag, const std::string& text) {
  if (busy_ || tag < 0 || tag >= WSE_COUNT) return false;
  if (tag == WSE_MAT_COLOR) {  // a switch of the window, with or without a work
    int code = 0;
    if (!integer_of(text, code)) return refuse(kColorRange);
    if (code < 0 || code > WORK_COLOR_MAX) return refuse(kColorRange);
    d_.WSW_MAT_COLNUM = code;
    color_code_to_RGBA_bytes(code, 255, m_.frame_color);
    return true;
  }
  if (tag == WSE_mat_offsetZ) {
    double v = 0;
    if (!real_of(text, v)) return refuse(text + " は実数ではありません");
    offset_z_ = static_cast<float>(v);
    const int k = float_round_to_int(v * 1000.0);
    if (d_.WSW_MANUAL_CUTMODE) d_.WSW_cut_Z = k;
    else d_.WSW_offset_Z = k;
    return true;
  }
  if (work < 0 || work >= WORK_MAX || !m_.works[work].in_use) return false;
  TWORK_DATA& w = m_.works[work];
  if (tag == WSE_WORK_MEMO) {
    set_work_memo(w, cut_work_memo(text));
    return true;
  }
  const bool integer = tag == WSE_matX || tag == WSE_matY || tag == WSE_WORK_COLOR;
  int iv = 0;
  double v = 0;
  if (integer ? !integer_of(text, iv) : !real_of(text, v)) {
    if (tag == WSE_WORK_COLOR) return refuse(kColorRange);
    if (integer) return refuse(kDivRange);
    return refuse(text + " は実数ではありません");
  }
  const float fv = static_cast<float>(v);
  const bool free = w.group <= 0 && !work_is_fixed(m_, work);
  switch (tag) {
    case WSE_minX: case WSE_minY: case WSE_minZ:
    case WSE_maxX: case WSE_maxY: case WSE_maxZ:
      return commit_bound(work, tag, fv);
    case WSE_centerX: case WSE_centerY: {
      const int axis = tag - WSE_centerX;
      const double c = (static_cast<double>(axis_of(w.min, axis)) + axis_of(w.max, axis)) / 2;
      const float delta = static_cast<float>(v - c);
      if (delta == 0) return true;
      if (!Move_GROUP_works(m_, work, delta, axis)) return refuse(m_.last_error());
      return true;
    }
    case WSE_sizeX: case WSE_sizeY: {
      if (!free) return refuse(kFixedSize);
      if (v < 0) return refuse(kNegSize);
      const int axis = tag - WSE_sizeX;
      VEC3 hi = w.max;
      axis_of(hi, axis) = axis_of(w.min, axis) + fv;
      return rebuild(work, w.nx, w.ny, w.min, hi);
    }
    case WSE_sizeZ:
      if (!PRESET_Z_OF_WORK_MATRIX(m_, work, w.max.z - fv)) return refuse(m_.last_error());
      return true;
    case WSE_matX: case WSE_matY: {
      if (!free) return refuse(kFixedSize);
      if (iv < 0 || iv > WORK_WINDOW_DIV_MAX) return refuse(kDivRange);
      return rebuild(work, tag == WSE_matX ? iv : w.nx, tag == WSE_matY ? iv : w.ny, w.min,
                     w.max);
    }
    case WSE_WORK_COLOR:
      if (iv < 0 || iv > WORK_COLOR_MAX) return refuse(kColorRange);
      color_code_to_RGBA_bytes(iv, 255, w.color);
      Preset_For_WORK_Color(m_, work);
      return true;
  }
  return false;
}

int TWork_set_rules::Create_new_WORK(const std::filesystem::path& config_folder,
                                     const TWork_path_extents& ext, Twork_set_dialogs& dialogs) {
  if (busy_) return -1;
  struct Guard {
    bool& b;
    explicit Guard(bool& f) : b(f) { b = true; }
    ~Guard() { b = false; }
  } guard(busy_);
  const int slot = Get_Free_WORK_num(m_);
  if (slot < 0) {
    plat::message_box("ERR : ワーク最大設定数を越えました", "work error",
                      plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return -1;
  }
  TWork_preset p;
  const std::filesystem::path file = find_work_preset_file(config_folder);
  if (!file.empty()) {
    if (!dialogs.choose_preset(file, ext, p)) return -1;
    std::string msg;
    if (!check_work_preset(p, msg)) {
      refuse(msg);
      return -1;
    }
  } else {
    plat::message_box(
        "ERR : ワークサイズ初期設定ファイルが\n見つかりませんでした。\nデフォルト値で設定します。",
        "file not found", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    p.min = VEC3{-50, -50, -50};
    p.max = VEC3{50, 50, 0};
    p.nx = p.ny = WORK_PRESET_DIVS;
    p.color = WORK_PRESET_COLOR;
  }
  std::uint8_t rgba[4];
  color_code_to_RGBA_bytes(static_cast<int>(p.color), 255, rgba);
  SET_WORK_NUM(m_, slot);
  if (!CREATE_WORK(m_, rgba, static_cast<int>(p.nx), static_cast<int>(p.ny), true, false, p.min,
                   p.max)) {
    plat::message_box(m_.last_error(), "work set error",
                      plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return -1;
  }
  return slot;
}
