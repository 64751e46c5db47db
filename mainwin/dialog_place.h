// Where the main window's dialogs open: a remembered corner kept on the available desktop,
// or the centre of the screen.
#pragma once
#include <QRect>

class QWidget;

// The available area of the whole desktop (all screens).
QRect available_desktop();
// Moves the dialog (at its current size hint, when it has not been sized yet) to the centre
// of the primary screen's available area.
void centre_on_screen(QWidget* w);
// Moves the dialog to the remembered corner, kept at least 300 pixels inside the far edges.
void place_at_remembered(QWidget* w, int left, int top);
