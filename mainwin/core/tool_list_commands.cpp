#include "mainwin/core/tool_list_commands.h"

#include <memory>

#include "mainwin/core/command_table.h"
#include "mainwin/core/session.h"
#include "tooling/core/tool_list.h"
#include "tooling/core/tooling_host.h"

bool visible_TOOL_LIST(TSession& s, Ttooling_host& host, TTOOL_LIST_opener& opener) {
  auto mag = std::make_unique<TTOOL_HOLDER_tmp>();
  if (!host.program_tools(*mag)) return false;
  Tdisp_status copy = s.disp;
  TTOOL_LIST_model m;
  m.mode = TOOL_LIST_PICK_SLOT;
  m.magazine = mag.get();
  m.file_name = s.nc().file_name;
  TTOOL_LIST_options o = set_TOOL_LIST_options(copy);
  opener.show_tool_list(m, o, copy);
  get_TOOL_LIST_options(o, copy);
  take_TOOL_LIST_settings(s.disp, copy, false);
  return true;
}

void register_tool_list_commands(TVLM_command_table& t, TSession& s, Ttooling_host& host,
                                 TTOOL_LIST_opener& opener) {
  t.add(51, [&s, &host, &opener] { visible_TOOL_LIST(s, host, opener); });
}
