// TG91_G90_cnv_win: the parameter dialog of the G91/G90 conversion: whether converted
// coordinates are written with a decimal point.
#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

class TG91_G90_cnv_win : public QDialog {
  Q_OBJECT
 public:
  explicit TG91_G90_cnv_win(QWidget* parent = nullptr);

  QLabel* label_1 = nullptr;  // the opener names the direction of the conversion
  QRadioButton* use_dot = nullptr;
  QRadioButton* dont_use_dot = nullptr;
  QPushButton* btn_OK = nullptr;
  QPushButton* btn_Cancel = nullptr;
};
