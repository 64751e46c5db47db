#include "mainwin/core/work_setting_commands.h"

#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"

namespace {
constexpr int kTagExtraSetup = 33;  // menu_extra_set
constexpr int kDrawAll = 4;
}  // namespace

void apply_EXTRA_SETUP(TSession& s, TVLM_ui& ui) {
  update_disp_colors(s.disp);
  if (TGL_VIEW* v = ui.view().gl_view())
    for (int k = 0; k < 3; ++k) v->background[k] = s.disp.BACK_rgba[k] / 255.0f;
  ui.view().draw_data(kDrawAll);
}

bool open_EXTRA_SETUP(TSession& s, TVLM_ui& ui, TVLM_extra_setup_dialog& dlg) {
  Tdisp_status copy = s.disp;
  if (!dlg.run(copy)) return false;
  s.disp = std::move(copy);
  apply_EXTRA_SETUP(s, ui);
  return true;
}

void register_work_setting_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                    TVLM_extra_setup_dialog& dlg) {
  t.add(kTagExtraSetup, [&s, &ui, &dlg] { open_EXTRA_SETUP(s, ui, dlg); });
}
