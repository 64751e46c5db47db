#include "mainwin/work_setting_windows.h"

#include "tooling/Work_set_win_2.h"
#include "tooling/extra_setup_win_1.h"

TVLM_work_setting_windows::TVLM_work_setting_windows(QWidget* owner, Ttooling_host& host)
    : owner_(owner), host_(host), work_win_(new TWorkSetWin(host, nullptr, owner)) {
  work_win_->hide();
}

TVLM_work_setting_windows::~TVLM_work_setting_windows() = default;

bool TVLM_work_setting_windows::run(Tdisp_status& copy) {
  TEXTRA_SETUP_win dlg(host_, copy, owner_);
  if (dlg.exec() != QDialog::Accepted) return false;
  copy = dlg.settings();
  return true;
}
