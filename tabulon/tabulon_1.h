// The main window of tabulon.
#pragma once
#include <QMainWindow>

class TTabulon_main : public QMainWindow {
  Q_OBJECT
 public:
  explicit TTabulon_main(QWidget* parent = nullptr);
  static const char* const kCaption;
};
