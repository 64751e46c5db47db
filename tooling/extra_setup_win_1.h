// The other display settings: background, box, extreme-value, origin, coordinate and
// selection colours, text heights, the two clip planes and the tool drawing interval, on a
// copy of the display record. With "設定変更を画面に反映する" every change shows in the main
// view at once; the main window keeps its own settings until OK.
#pragma once
#include <QDialog>
#include <functional>
#include <vector>

#include "tooling/core/disp_status.h"
#include "tooling/core/tooling_host.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TEXTRA_SETUP_win : public QDialog {
  Q_OBJECT
 public:
  TEXTRA_SETUP_win(Ttooling_host& host, const Tdisp_status& settings, QWidget* parent = nullptr);

  const Tdisp_status& settings() const { return copy_; }

  void Set_EXTRA_SETUP_controls();
  // Commits field i's edit; false when its text was refused.
  bool commit_field(int i);
  // The copy's fields made consistent and shown again; with chk_direct also in the main view.
  void Get_EXTRA_SETUP_controls();
  void PNL_AClick(int i);
  void set_and_exit_btnClick();

 protected:
  void reject() override;
  bool eventFilter(QObject* o, QEvent* ev) override;

 private:
  Ttooling_host& host_;
  Tdisp_status copy_;
  std::vector<QLineEdit*> ed_;
  std::vector<QPushButton*> pnl_;
  QCheckBox* chk_direct = nullptr;
  bool previewed_ = false;
  bool closing_ = false;
  bool committing_ = false;  // a box of a commit takes the focus: no second commit
};
