#include "mainwin/core/view_tool.h"

#include <algorithm>

#include "mainwin/core/session.h"
#include "mainwin/core/tool_table.h"

void set_TOOL_defs(TSession& s) {
  const NCD_DATA& d = s.nc();
  std::vector<std::string> defs = s.tool_defs;
  *s.th_magazine = TTOOL_HOLDER_tmp{};
  set_TOOL_defs(program_tool_changes(d), defs, *s.th_magazine, nullptr);
  s.th_magazine_valid = true;
  s.th_magazine_changes = d.change_count;
  s.th_magazine_defs = s.tool_defs;
  s.th_fallback_shapes.clear();
}

const TTOOL_HOLDER_tmp& view_tool_magazine(TSession& s) {
  const NCD_DATA& d = s.nc();
  if (!s.th_magazine_valid || s.th_magazine_changes != d.change_count ||
      s.th_magazine_defs != s.tool_defs)
    set_TOOL_defs(s);
  return *s.th_magazine;
}

bool view_tool_radius(TSession& s, int t, float& radius) {
  const TTOOL_HOLDER_tmp& mag = view_tool_magazine(s);
  for (int i = 0; i < mag.used(); ++i) {
    const TTTOOL_HOLDER_tmp& slot = mag.slot[static_cast<std::size_t>(i)];
    if (slot.T_number != t) continue;
    if (!slot.tool_set || !(slot.tool.dia > 0)) return false;
    radius = slot.tool.dia / 2;
    return true;
  }
  return false;
}

double tool_ball_radius(TSession& s, int t) {
  const TTOOL_HOLDER_tmp& mag = view_tool_magazine(s);
  for (int i = 0; i < mag.used(); ++i) {
    const TTTOOL_HOLDER_tmp& slot = mag.slot[static_cast<std::size_t>(i)];
    if (slot.T_number != t) continue;
    const int kind = slot.tool.T_category;
    if (kind == TOOL_KIND_BALL_EM || kind == TOOL_KIND_TAPER_BALL_EM) return std::max(0.0f, slot.tool.radius);
    return 0;
  }
  return 0;
}

void show_view_tool(TSession& s, int t) {
  int index = -1;
  const TTOOL_HOLDER_tmp& mag = view_tool_magazine(s);
  for (int i = 0; i < mag.used(); ++i)
    if (mag.slot[static_cast<std::size_t>(i)].T_number == t) index = i;
  make_TOOL_outline(*s.mat, mag, index, *s.th_outline);
  // A slot without a tool of its own (kind 0) still cuts, with the fallback shape; it is
  // made (and its debug line written) once per tool table.
  if (s.th_outline->valid || index < 0) return;
  Tmat& m = *s.mat;
  auto it = s.th_fallback_shapes.find(t);
  if (it == s.th_fallback_shapes.end()) {
    make_TOOL_shape_from_slot(m, mag.slot[static_cast<std::size_t>(index)]);
    TVLM_tool_shape_copy c;
    c.count = m.tpm_count;
    c.tool_count = m.tpm_tool_count;
    c.defined = m.tool_defined;
    std::copy(std::begin(m.tpm), std::end(m.tpm), c.tpm.begin());
    s.th_fallback_shapes.emplace(t, c);
    return;
  }
  const TVLM_tool_shape_copy& c = it->second;
  std::copy(c.tpm.begin(), c.tpm.end(), std::begin(m.tpm));
  m.tpm_count = c.count;
  m.tpm_tool_count = c.tool_count;
  m.tool_defined = c.defined;
}
