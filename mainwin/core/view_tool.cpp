#include "mainwin/core/view_tool.h"

#include "mainwin/core/session.h"
#include "mainwin/core/tool_table.h"

void show_view_tool(TSession& s, int t) {
  const NCD_DATA& d = s.nc();
  if (!s.th_magazine_valid || s.th_magazine_changes != d.change_count ||
      s.th_magazine_defs != s.tool_defs) {
    std::vector<std::string> defs = s.tool_defs;
    *s.th_magazine = TTOOL_HOLDER_tmp{};
    set_TOOL_defs(program_tool_changes(d), defs, *s.th_magazine, nullptr);
    s.th_magazine_valid = true;
    s.th_magazine_changes = d.change_count;
    s.th_magazine_defs = s.tool_defs;
  }
  int index = -1;
  const TTOOL_HOLDER_tmp& mag = *s.th_magazine;
  for (int i = 0; i < mag.used(); ++i)
    if (mag.slot[static_cast<std::size_t>(i)].T_number == t) index = i;
  make_TOOL_outline(*s.mat, mag, index, *s.th_outline);
  // A slot without a tool of its own (kind 0) still cuts, with the fallback shape.
  if (!s.th_outline->valid && index >= 0)
    make_TOOL_shape_from_slot(*s.mat, mag.slot[static_cast<std::size_t>(index)]);
}
