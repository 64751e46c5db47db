// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "tooling/core/g2_func.h"
#include "mainwin/preview_commands.h"

#include <QWidget>
#include <memory>

#include "tooling/preview_win_1.h"

void register_preview_commands(TVLM_command_table& t, TSession& s, Ttooling_host& host,
                               TVLM_ui& ui, QWidget* parent) {
  auto g = std::make_shared<TG2>();
  t.add(39, [&s, &host, &ui, parent, g] {
    Tdisp_status& d = s.disp;
    bool left_margin = d.T_SET_LEFT_SPACE != 0;
    open_PREVIEW_win(host, *g, d, left_margin, -1, nullptr, nullptr, parent);
    d.T_SET_LEFT_SPACE = left_margin ? 1 : 0;
    TVLM_menu_ui& m = ui.menus();
    m.set_item_checked("menu_chk_left", left_margin);
    m.set_item_checked("menu_chk_upper", !left_margin);
    m.set_item_checked("menu_hi_quality", d.POUT_HI_QUALITY != 0);
    m.set_item_checked("menu_normal_quality", d.POUT_HI_QUALITY == 0);
    ui.view().gl_set_color24(d.POUT_SELECT_24PF != 0);
  });
}
