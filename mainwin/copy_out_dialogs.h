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

// The dialogs of the tool list's outputs, modal over `parent`: the new T, D and H codes
// (TSUB_TDH_PSET_win) and the tool-check parameters (TTOOL_COND_CHK_win, its values kept in
// the settings record whether OK or not); false on Cancel.
struct TTOOL_TDH_request;
struct TTOOL_check_request;
struct Tdisp_status;
bool show_TDH_dialog(QWidget* parent, TTOOL_TDH_request& r);
bool show_tool_check_dialog(QWidget* parent, const TTOOL_check_request& r, Tdisp_status& params);
