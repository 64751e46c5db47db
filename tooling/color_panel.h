// A colour panel of the settings windows: a small button filled with a palette colour.
#pragma once

class QWidget;

void paint_color_panel(QWidget* panel, int code);
