#include "mainwin/copy_out_dialogs.h"

#include <QLabel>
#include <QRadioButton>

#include "mainwin/G91_G90_setup_win_1.h"
#include "mainwin/move_rotate_win_1.h"
#include "platform/qt/qtext.h"

bool TVLM_copy_out_dialogs::number_form(const std::string& label, int& conv_unit) {
  TG91_G90_cnv_win dlg(parent_);
  dlg.label_1->setText(plat::to_qstring(label));
  (conv_unit == 2 ? dlg.dont_use_dot : dlg.use_dot)->setChecked(true);
  if (dlg.exec() != QDialog::Accepted) return false;
  conv_unit = dlg.dont_use_dot->isChecked() ? 2 : 1;
  return true;
}

bool TVLM_copy_out_dialogs::move_rotate(MOVE_ROTATE_VALUES& v) {
  Tmove_rotate_win dlg(parent_);
  dlg.values = v;
  if (dlg.exec() != QDialog::Accepted) return false;
  v = dlg.values;
  return true;
}
