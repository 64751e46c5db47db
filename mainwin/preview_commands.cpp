// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/command_table.h"
#include "mainwin/core/session.h"
#include "tooling/core/g2_func.h"
#include "mainwin/preview_commands.h"

#include <QAction>
#include <QWidget>
#include <memory>

#include "tooling/preview_win_1.h"

void register_preview_commands(TVLM_command_table& t, TSession& s, Ttooling_host& host,
                               QWidget* parent) {
  auto g = std::make_shared<TG2>();
  t.add(39, [&s, &host, parent, g] {
    QAction* left = parent ? parent->findChild<QAction*>(QStringLiteral("menu_chk_left")) : nullptr;
    bool left_margin = left ? left->isChecked() : true;
    open_PREVIEW_win(host, *g, s.disp, left_margin, -1, nullptr, nullptr, parent);
    if (left) left->setChecked(left_margin);
  });
}
