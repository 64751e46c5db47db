// The dialogs of the copy-outs as the window shows them: the number form in
// TG91_G90_cnv_win and the move or rotate values in Tmove_rotate_win, each modal.
#pragma once
#include "mainwin/core/copy_outs.h"

class QWidget;

class TVLM_copy_out_dialogs : public TVLM_copy_out_chooser {
 public:
  explicit TVLM_copy_out_dialogs(QWidget* parent) : parent_(parent) {}
  bool number_form(const std::string& label, int& conv_unit) override;
  bool move_rotate(MOVE_ROTATE_VALUES& v) override;

 private:
  QWidget* parent_;
};
