// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/dialog_state.h"
#include "mainwin/core/small_dialogs.h"
#include "tooling/core/nc_output.h"

#include "mainwin/window_dialogs.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>

#include "common/widgets/input_number.h"
#include "mainwin/A_version_1.h"
#include "mainwin/G91_G90_setup_win_1.h"
#include "mainwin/copy_out_dialogs.h"
#include "mainwin/find_dialog_1.h"
#include "mainwin/move_rotate_win_1.h"
#include "mainwin/other_exec_win_1.h"
#include "platform/qt/qtext.h"
#include "tooling/clip_edit_1.h"

TVLM_window_dialogs::TVLM_window_dialogs(QWidget* parent, TSession& s, TVLM_file_chooser& chooser,
                                         Ttooling_host& tool_host)
    : parent_(parent), s_(s), chooser_(chooser),
      clip_edit_(std::make_unique<TClip_Edit>(tool_host)) {}

TVLM_window_dialogs::~TVLM_window_dialogs() = default;

void TVLM_window_dialogs::close_output() { clip_edit_->close(); }

std::filesystem::path TVLM_window_dialogs::open_file_dialog(int mode) {
  return open_FILE(s_, chooser_, mode);
}

int TVLM_window_dialogs::input_number(const std::string& caption, const std::string& initial) {
  return input_number_at_cursor(caption, initial);
}

bool TVLM_window_dialogs::clipboard_text(std::string& out, bool& lossless) {
  const QString t = QGuiApplication::clipboard()->text();
  if (t.isEmpty()) return false;
  lossless = true;
  out = plat::from_qstring(t, &lossless);
  return true;
}

void TVLM_window_dialogs::set_clipboard_text(const std::string& t) {
  QGuiApplication::clipboard()->setText(plat::to_qstring(t));
}

int TVLM_window_dialogs::find_dialog(FIND_SETTINGS& f) { return open_find_dialog(parent_, f); }

void TVLM_window_dialogs::show_about() {
  TA_version dlg(parent_);
  dlg.Version->setText(QStringLiteral("Version 2.14 "));
  dlg.exec();
}

bool TVLM_window_dialogs::g91_g90_dialog(const std::string& label, bool& use_dot) {
  TG91_G90_cnv_win dlg(parent_);
  dlg.label_1->setText(plat::to_qstring(label));
  (use_dot ? dlg.use_dot : dlg.dont_use_dot)->setChecked(true);
  if (dlg.exec() != QDialog::Accepted) return false;
  use_dot = dlg.use_dot->isChecked();
  return true;
}

bool TVLM_window_dialogs::move_rotate_dialog(MOVE_ROTATE_VALUES& v) {
  Tmove_rotate_win dlg(parent_);
  dlg.values = v;
  if (dlg.exec() != QDialog::Accepted) return false;
  v = dlg.values;
  return true;
}

bool TVLM_window_dialogs::other_exec_dialog(OTHER_EXEC_SETTINGS& o, const std::string& tmp,
                                            const std::string& nc) {
  Tother_exec_win dlg(parent_);
  dlg.tmp_path = tmp;
  dlg.nc_path = nc;
  dlg.set_exec_items(o.names);
  dlg.exec_name->setEditText(plat::to_qstring(o.last_data));
  dlg.set_item_index(o.r_num);
  if (o.width > dlg.exec_name->width() + 4) dlg.resize(o.width, dlg.height());
  dlg.choose_file = [](QWidget* parent) {
    return plat::qstring_to_path(QFileDialog::getOpenFileName(
        parent, plat::to_qstring("実行ファイルの選択"), QString(), QString(), nullptr,
        QFileDialog::DontUseNativeDialog));
  };
  if (dlg.exec() != QDialog::Accepted) return false;
  o.names = dlg.exec_items();
  if (o.names.size() > kHistoryMax) o.names.resize(kHistoryMax);
  o.r_num = dlg.item_index();
  o.width = dlg.width();
  o.last_data = dlg.command();
  return true;
}

bool TVLM_window_dialogs::TDH_dialog(TTOOL_TDH_request& r) { return show_TDH_dialog(parent_, r); }

bool TVLM_window_dialogs::tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& p) {
  return show_tool_check_dialog(parent_, r, p);
}

void TVLM_window_dialogs::show_output(TText_lines& lines, const std::string& caption) {
  clip_edit_->set_lines(lines, caption);
  clip_edit_->show_beside(parent_);
}

void TVLM_window_dialogs::output_caption(const std::string& caption) {
  clip_edit_->set_caption(caption);
}
