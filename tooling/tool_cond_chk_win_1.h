// TTOOL_COND_CHK_win: the parameters of the tool-check NC program, with the steps of the
// program it writes beside them. Built in code; made per use by its opener, which keeps the
// values in the settings record.
#pragma once
#include <QDialog>
#include <string>

#include "tooling/core/nc_output.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TTOOL_COND_CHK_win : public QDialog {
  Q_OBJECT
 public:
  explicit TTOOL_COND_CHK_win(QWidget* parent = nullptr);

  // The edits from the values, and back.
  void set_params(const TTOOL_CHECK_PARAMS& p);
  TTOOL_CHECK_PARAMS params() const;
  // The program's start point in steps 3 and 8 ("X0Y0Z100.", "G90G00 Z100.", "G90G00 X0Y0").
  void set_origin_texts(const std::string& origin, const std::string& back_z,
                        const std::string& back_xy);

  QLineEdit* ED_0_PRE_M6 = nullptr;
  QLineEdit* ED_1_M6 = nullptr;
  QLineEdit* ED_2_INIT = nullptr;
  QLineEdit* ED_3_X = nullptr;
  QLineEdit* ED_4_Y = nullptr;
  QLineEdit* ED_5_Z = nullptr;
  QLineEdit* ED_6_F = nullptr;
  QLineEdit* ED_7_O_NUM = nullptr;
  QCheckBox* chk_No_Name = nullptr;
  QLabel* Label19 = nullptr;
  QLabel* Label_origin = nullptr;
  QLabel* Label_back_z = nullptr;
  QLabel* Label_back_xy = nullptr;
  QPushButton* Button1 = nullptr;  // OK
  QPushButton* Button2 = nullptr;  // Cancel

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void ED_3_XChange();
};
