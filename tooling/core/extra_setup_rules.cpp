#include "tooling/core/extra_setup_rules.h"

#include <cmath>

#include "common/ats_func.h"
#include "platform/core/msgbox.h"
#include "tooling/core/number_text.h"

namespace {

using K = TExtra_kind;

const std::vector<TExtra_field> kFields = {
    {"ED_A", "PNL_A", "背景色", "", K::color},
    {"ED_B", "PNL_B", "BOX の色", "", K::color},
    {"ED_C", "PNL_C", "最大最小値の色", "", K::color},
    {"ED_D", "", "↑の文字高さ", "ｍｍ", K::real1},
    {"ED_E", "PNL_E", "XYZ 原点の色", "", K::color},
    {"ED_F", "", "原点の大きさ", "ｍｍ", K::real1},
    {"ED_G", "", "原点の線太さ", "dot", K::whole},
    {"ED_H", "PNL_H", "座標値の色", "", K::color},
    {"ED_I", "", "座標値文字高さ", "dot", K::whole},
    {"ED_J", "PNL_J", "要素選択時の色", "", K::color},
    {"ED_K", "", "クリップ面 1 角度", "度", K::angle},
    {"ED_L", "", "クリップ面 2 GAP", "mm", K::real1},
    {"ED_M", "", "工具描画最小間隔", "mm", K::real3},
};

// The record's member of each field: codes and whole numbers as int, the others as float.
std::int32_t* int_field(Tdisp_status& d, int i) {
  switch (i) {
    case 0: return &d.BACK_color;
    case 1: return &d.BOX_color;
    case 2: return &d.dim_color;
    case 4: return &d.XYZ_ORG_color;
    case 6: return &d.XYZ_ORG_width;
    case 7: return &d.LOC_color;
    case 8: return &d.LOC_height;
    case 9: return &d.SEL_ENT_color;
  }
  return nullptr;
}
float* float_field(Tdisp_status& d, int i) {
  switch (i) {
    case 3: return &d.dim_height;
    case 5: return &d.XYZ_ORG_height;
    case 10: return &d.CLIP_ANGLE;
    case 11: return &d.CLIP_GAP;
    case 12: return &d.TOOL_DRAW_MINIMAM_L;
  }
  return nullptr;
}

double round_to(double v, double scale) { return std::round(v * scale) / scale; }

}  // namespace

const std::vector<TExtra_field>& extra_setup_fields() { return kFields; }

std::string extra_field_text(const Tdisp_status& d0, int i) {
  Tdisp_status& d = const_cast<Tdisp_status&>(d0);
  if (const std::int32_t* p = int_field(d, i)) return std::to_string(*p);
  if (const float* f = float_field(d, i))
    return float_to_str(*f, kFields[i].kind == K::real3 ? 3 : 1);
  return {};
}

double normalise_extra_value(TExtra_kind kind, double v) {
  switch (kind) {
    case K::angle: {
      const double tenths = std::fmod(std::round(v * 10.0), 3600.0);
      return tenths * 0.1;
    }
    case K::whole: {
      const double w = std::round(std::fabs(v));
      return w < 1 ? 1 : w;
    }
    case K::real1:
    case K::real3: {
      double r = round_to(v, kind == K::real3 ? 1000.0 : 10.0);
      if (r < 0) r = -r;
      if (r == 0) r = 0.1;
      return r;
    }
    case K::color: break;
  }
  return v;
}

bool commit_extra_field(Tdisp_status& d, int i, const std::string& text) {
  if (i < 0 || i >= static_cast<int>(kFields.size())) return false;
  const TExtra_kind kind = kFields[i].kind;
  if (kind == K::color) {
    std::int64_t v = 0;
    if (!integer_text_value(text, v) || v < 0 || v > 63) {
      plat::message_box("カラー番号は 0～63 で指定してください", "", plat::MB_OK | plat::MB_SYSTEMMODAL);
      return false;
    }
    *int_field(d, i) = static_cast<std::int32_t>(v);
    update_disp_colors(d);
    return true;
  }
  double v = 0;
  if (!real_text_value(text, v)) {
    is_real_text(text, true);  // its box, or none for a number too large
    return false;
  }
  const double n = normalise_extra_value(kind, v);
  if (kind == K::whole) *int_field(d, i) = float_to_int(n, 1);
  else *float_field(d, i) = static_cast<float>(n);
  return true;
}

void fix_extra_fields(Tdisp_status& d) {
  if (d.XYZ_ORG_width < 1) d.XYZ_ORG_width = 1;
}
