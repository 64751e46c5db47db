// The tool settings window "工具設定": one magazine of tools, the current tool's kind, name,
// sizes and colours with its holder, its dimensioned drawing and comment lines. From it tools
// are picked from a kind's library or another magazine file, stored into the kind's library,
// listed in the tool list window, printed or exported, and the magazine is written as the
// companion's tool data file. The main window's commands drive it through
// Ttool_settings_window.
#pragma once
#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "simulation/tool_records.h"
#include "tooling/core/disp_status.h"
#include "tooling/core/g2_func.h"
#include "tooling/core/tool_list.h"
#include "tooling/core/tool_windows.h"
#include "tooling/core/tooling_host.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class TPaintPanel;
class Tcolor_chooser;
class TPreview_dialogs;

class Tcutter_set_win : public QDialog, public Ttool_settings_window {
  Q_OBJECT
 public:
  Tcutter_set_win(Ttooling_host& host, Tcolor_chooser& colors, TTOOL_LIST_opener& lists,
                  QWidget* parent = nullptr);
  ~Tcutter_set_win() override;

  // Ttool_settings_window
  void load(const TTOOL_HOLDER_tmp& m, const std::string& caption, const std::string& nc_name,
            bool magazine_file, int mode) override;
  void select_tool(int t) override;
  bool run() override;
  bool show_TOOL_LIST(int mode) override;
  const TTOOL_HOLDER_tmp& magazine() const override { return *mag_; }
  Tdisp_status& settings() override { return disp_; }

  // The display settings copy the drawing starts from.
  void set_settings(const Tdisp_status& d) { disp_ = d; }
  void set_preview_dialogs(TPreview_dialogs* d) { preview_dialogs_ = d; }

  void set_status();
  void get_status();
  void get_TOOL_from_slot();
  void DISPLAY_TOOL_LIST(int x_category, int x_ACTION);
  void save_to_TOOL_LIST_btnClick();
  void menu_print_outClick();
  void write_TB_tool_data();
  void select_btnClick();

  const TTOOL& tool() const { return tool_; }
  const THOLDER& holder() const { return holder_; }
  int selected_slot() const;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  struct ColorSet {
    QLineEdit* ed = nullptr;
    QPushButton* cp = nullptr;
    QScrollBar* ud = nullptr;
    QPushButton* cb = nullptr;
  };
  void build();
  QLineEdit* size_edit(const char* name);
  ColorSet color_set(int tag, const char* suffix, bool with_updown);
  int* color_field(int tag);
  void color_committed(int tag, int code);
  // The checks of a size and a colour edit (on Enter and on leaving it after a change).
  bool check_size_edit(QLineEdit* e);
  bool check_color_edit(QLineEdit* e);
  void T_numberChange();
  void T_updownChange();
  void paint_cpnl(QPainter& p, int w, int h);
  void paint_tool_img(QPainter& p, int w, int h);
  // The tool list window on `shown`; its answer (1 OK, 6 Yes, else closed) and the slot it
  // picked (-1 none). `reset` tells whether an entry became unset in it.
  int run_list(TTOOL_HOLDER_tmp& shown, int mode, bool library, bool editable, int preset,
               const std::string& file_name, const std::string& caption, int& picked,
               bool* reset);
  void set_check(QCheckBox* c, bool on);

  Ttooling_host& host_;
  Tcolor_chooser& colors_;
  TTOOL_LIST_opener& lists_;
  TPreview_dialogs* preview_dialogs_ = nullptr;
  std::unique_ptr<TTOOL_HOLDER_tmp> mag_;
  TTOOL tool_;
  THOLDER holder_;
  Tdisp_status disp_;
  TG2 g2_;
  std::string nc_name_;
  bool magazine_file_ = false;
  int mode_ = 0;
  bool ready_ = false;
  bool left_margin_ = true;

  QMenuBar* menu_ = nullptr;
  QComboBox* T_number = nullptr;
  QScrollBar* T_updown = nullptr;
  QComboBox* zu_no_syurui = nullptr;
  QLineEdit* ed_tool_name = nullptr;
  QCheckBox* chk_auto_name = nullptr;
  QWidget* pnl2 = nullptr;
  QLineEdit *ed_diam = nullptr, *ed_cornerR = nullptr, *ed_kakudo = nullptr,
            *ed_chk_area = nullptr, *ed_blade = nullptr, *ed_yuukou = nullptr,
            *ed_shank = nullptr, *ed_holder = nullptr, *ed_holder2 = nullptr,
            *ed_holder2_L = nullptr, *ed_holder2_Dmax = nullptr, *ed_holder2_A = nullptr;
  QLabel *lb_diam = nullptr, *lb_cornerR = nullptr, *lb_kakudo = nullptr, *lb_chk_area = nullptr,
         *lb_blade = nullptr, *lb_holder2 = nullptr, *lb_holder2_L = nullptr,
         *lb_holder2_Dmax = nullptr, *lb_holder2_A = nullptr, *lb_H2_col = nullptr;
  QCheckBox* chk_H2 = nullptr;
  QCheckBox* chk_H2_A = nullptr;
  std::array<ColorSet, 7> colors_set_{};  // by Tag 1..6
  QLineEdit *ED_DIM_H = nullptr, *ED_AGAP = nullptr, *ED_DIM_LENG = nullptr,
            *ED_ARROW_LENG = nullptr, *ED_GAP = nullptr, *ED_ZU_SW = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  TPaintPanel* tool_img = nullptr;
  TPaintPanel* cpnl = nullptr;
  QPushButton *select_btn = nullptr, *select_from_magazin_btn = nullptr, *LIST_btn = nullptr,
              *copy_from_nowlist_btn = nullptr, *save_to_TOOL_LIST_btn = nullptr,
              *OK_button = nullptr, *Button1 = nullptr;
};
