#include "tooling/color_panel.h"

#include <QWidget>
#include <cstdint>

#include "common/ats_func.h"

void paint_color_panel(QWidget* panel, int code) {
  std::uint8_t c[4];
  color_code_to_RGBA(code, 255, c);
  panel->setStyleSheet(QStringLiteral("background-color: rgb(%1,%2,%3); border: 1px solid gray;")
                           .arg(c[0])
                           .arg(c[1])
                           .arg(c[2]));
}
