#include "tooling/core/disp_status.h"

#include "common/ats_func.h"

void update_disp_colors(Tdisp_status& d) {
  color_code_to_RGBA(d.BACK_color, 255, d.BACK_rgba);
  d.BACK_tcolor = color_code_to_TColor(d.BACK_color);
  color_code_to_RGBA(d.BOX_color, 255, d.BOX_rgba);
  color_code_to_RGBA(d.XYZ_ORG_color, 255, d.XYZ_ORG_rgba);
  color_code_to_RGBA(d.dim_color, 255, d.dim_rgba);
  color_code_to_RGBA(d.SEL_ENT_color, 255, d.SEL_ENT_rgba);
  for (auto& row : d.path) color_code_to_RGBA(row.color, 255, row.rgba);
  d.LOC_tcolor = color_code_to_TColor(d.LOC_color);
}

int count_feed_bands(const Tdisp_status& d) {
  float last = d.path[1].sokudo;
  for (int i = 2; i <= DISP_FEED_BAND_ROWS; ++i) {
    if (!(d.path[i].sokudo > last)) return i - 1;
    last = d.path[i].sokudo;
  }
  return DISP_FEED_BAND_ROWS;
}
