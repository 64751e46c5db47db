#include "simulation/tool_records.h"

#include <algorithm>

#include "common/ats_func.h"

const char* const TOOL_KIND_NAMES[kToolKinds] = {
    " 選択なし     ", "フラット      ", " ボール       ", "コーナーＲ    ",
    "テーパー      ", "テーパーボール", "テーパラジアス", "センタ穴ドリル",
    "   ドリル     ", "   タップ     ", "ボーリングバー", "ｽﾛｰｱｳｴｲ ドリル",
    "フェイスミル  ", "丸フェイスミル", "角フェイスミル", "  T-スロット  ",
    "Ｏリングカッタ", "逆テーパカッタ", "インナーＲ",     "リーマ",
    "スロッチング",
};

const char* const TOOL_KIND_FILES[kToolKinds] = {
    "",
    "TOOL_FLAT_EM.nts",
    "TOOL_BALL_EM.nts",
    "TOOL_CORNER_R_EM.nts",
    "TOOL_TAPER_EM.nts",
    "TOOL_TAPER_BALL_EM.nts",
    "TOOL_TAPER_RADIUS.nts",
    "TOOL_CENTER_DRILL.nts",
    "TOOL_DRILL.nts",
    "TOOL_TAP.nts",
    "TOOL_BORING_BAR.nts",
    "TOOL_INDEXABLE_INS_DRILL.nts",
    "TOOL_FACE_MILL.nts",
    "TOOL_FACE_MILL_MARU.nts",
    "TOOL_FACE_MILL_KAKU.nts",
    "TOOL_T_SLOT.nts",
    "TOOL_O_RING.nts",
    "TOOL_REV_TAPER.nts",
    "TOOL_INNER_R.nts",
    "TOOL_REAMER.nts",
    "TOOL_STRAIGHT.nts",
};

const char* Get_WORK_TOOL_HOLDER_Version() { return "*"; }

void set_default_TOOL(TTOOL& t) {
  t.T_number = 0;
  t.T_category = TOOL_KIND_NONE;
  t.shank_color = 10;
  t.protrusion = 20.0f;
  t.shank_dia = 8.0f;
  t.edge_color = 29;
  t.edge_len = 16.0f;
  t.dia = 8.0f;
  t.radius = 3.0f;
  t.half_angle = 10.0f;
  t.noedge_dia = 6.0f;
  t.Z_given = 0;
  t.Z_value = 0.0f;
}

void set_default_HOLDER(THOLDER& h) {
  h.H_number = 0;
  h.color = 49;
  h.dia = 72.0f;
  h.h2_used = 0;
  h.h2_color = 11;
  h.h2_len = 20.0f;
  h.h2_max_dia = 15.0f;
  h.h2_half_angle = 10.0f;
  h.h2_tip_dia = 12.0f;
  h.h2_tapered = 0;
  h.Z_given = 0;
  h.Z_value = 0.0f;
  h.taper_len = 15.0f;
  h.reserved = 0;
}

void get_TOOL_kind_text(TTOOL& t) {
  const std::string c = float_to_str(t.dia, 3);
  const std::string r = float_to_str(t.radius, 3);
  const std::string i = float_to_str(t.half_angle, 3);
  switch (t.T_category) {
    case TOOL_KIND_NONE: t.name = "未設定"; break;
    case TOOL_KIND_FLAT_EM: t.name = "φ" + c + " フラット"; break;
    case TOOL_KIND_BALL_EM: t.name = " R" + r + " ボール"; break;
    case TOOL_KIND_CORNER_R_EM: t.name = "φ" + c + "-R" + r + " コーナーＲ"; break;
    case TOOL_KIND_TAPER_EM: t.name = "φ" + c + "-" + i + "°テーパー"; break;
    case TOOL_KIND_TAPER_BALL_EM: t.name = " R" + r + "-" + i + "°テーパーボール"; break;
    case TOOL_KIND_TAPER_RADIUS: t.name = "φ" + c + "-R" + r + "-" + i + "°テーパーラジアス"; break;
    case TOOL_KIND_CENTER_DRILL: t.name = "φ" + c + " センタ穴ドリル"; break;
    case TOOL_KIND_DRILL: t.name = "φ" + c + " ドリル"; break;
    case TOOL_KIND_TAP: t.name = " M" + c + " タップ"; break;
    case TOOL_KIND_BORING_BAR: t.name = "φ" + c + " ボーリングバー"; break;
    case TOOL_KIND_INDEXABLE_INS_DRILL: t.name = "φ" + c + " スローアウエイドリル"; break;
    case TOOL_KIND_FACE_MILL: t.name = "φ" + c + " フェイスミル"; break;
    case TOOL_KIND_FACE_MILL_MARU: t.name = "φ" + c + " 丸フェイスミル"; break;
    case TOOL_KIND_FACE_MILL_KAKU: t.name = "φ" + c + " 角フェイスミル"; break;
    case TOOL_KIND_T_SLOT: t.name = "φ" + c + " T-スロット"; break;
    case TOOL_KIND_O_RING: t.name = "φ" + c + " Ｏリングカッタ"; break;
    case TOOL_KIND_REV_TAPER: t.name = "φ" + c + " 逆テーパカッタ"; break;
    case TOOL_KIND_INNER_R: t.name = "φ" + c + " インナーＲカッタ"; break;
    case TOOL_KIND_REAMER: t.name = "φ" + c + " リーマ"; break;
    case TOOL_KIND_STRAIGHT: t.name = "φ" + c + " スロッチング"; break;
    default: break;
  }
}

std::vector<OutlineStrip> outline_strips(const TTOOL_OUTLINE& o) {
  std::vector<OutlineStrip> out;
  const int limit = std::clamp<int>(o.point_count, 0, kOutlineDrawnPoints);
  int next = 0;
  for (int k = 0; k < kOutlineRuns && next < limit; ++k) {
    const int n = o.runs[k];
    if (n == 255) break;
    const int take = std::min(n, limit - next);
    if (take > 0) out.push_back({next, take});
    next += n;
  }
  return out;
}
