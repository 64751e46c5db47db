#include "tabulon/tabulon_1.h"

#include "platform/qt/qtext.h"

const char* const TTabulon_main::kCaption = "Tabulon Version 1.01 ";

TTabulon_main::TTabulon_main(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(plat::to_qstring(kCaption));
  resize(640, 480);
}
