#include "mainwin/copy_out_dialogs.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "mainwin/G91_G90_setup_win_1.h"
#include "mainwin/move_rotate_win_1.h"
#include "platform/qt/qtext.h"
#include "tooling/core/disp_status.h"
#include "tooling/core/tool_list.h"
#include "tooling/sub_tdh_pset_win_1.h"
#include "tooling/tool_cond_chk_win_1.h"

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

bool show_TDH_dialog(QWidget* parent, TTOOL_TDH_request& r) {
  TSUB_TDH_PSET_win dlg(parent);
  dlg.set_request(r);
  if (dlg.exec() != QDialog::Accepted) return false;
  dlg.get_request(r);
  return true;
}

bool show_tool_check_dialog(QWidget* parent, const TTOOL_check_request& r, Tdisp_status& ds) {
  TTOOL_COND_CHK_win dlg(parent);
  TTOOL_CHECK_PARAMS p = tool_check_params_of(ds);
  dlg.set_params(p);
  dlg.set_origin_texts(r.origin, r.approach_z, r.approach_xy);
  const bool ok = dlg.exec() == QDialog::Accepted;
  store_tool_check_params(dlg.params(), ds);
  return ok;
}
