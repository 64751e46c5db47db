// The tool list window TTOOL_LIST_win: a magazine as cards (text column and picture column),
// painted lazily, only the cards in view. Its fields and check boxes rebuild the list; the
// popup marks cards, resets library slots and starts the per-tool copy-out and the tool-check
// program through the host; "HTML出力" writes the list as HTML pages on the desktop.
#pragma once
#include <QDialog>
#include <QObject>
#include <memory>

#include "tooling/core/disp_status.h"
#include "tooling/core/g2_func.h"
#include "tooling/core/tool_list.h"
#include "tooling/core/tooling_host.h"

class QAbstractScrollArea;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;

class TTOOL_LIST_win : public QDialog {
 public:
  TTOOL_LIST_win(Ttooling_host& host, QWidget* parent = nullptr);
  ~TTOOL_LIST_win() override;

  // Filled by the caller before exec_list(): the model (its magazine, mode, kind of list,
  // file name, preset slot), the options and the settings copy.
  TTOOL_LIST_model& model() { return m_; }
  TTOOL_LIST_options& options() { return o_; }
  Tdisp_status& settings() { return settings_; }
  // What the list takes from the program; FormShow fills it from the host's program.
  TTOOL_LIST_program& program() { return program_; }

  // FormShow and the modal loop; the result code (1 OK, 6 Yes, 0 closed).
  int exec_list();
  // FormShow alone (tests show the window themselves).
  void FormShow();
  // The list rebuilt from the fields and check boxes.
  void rebuild();

  // The handlers (the popup's items act on the item under the mouse).
  void toggle_btnClick();
  void N1Click();
  void N2Click();
  void N3Click();
  void N4Click();
  void Output_HTML_btnClick();

  // The popup for the item under the mouse, filled but not shown.
  QMenu* popup() const { return popup_; }
  void prepare_popup();
  // The mouse on the list at image coordinate y.
  void Image1MouseDown(int y, bool right, QPoint global);
  void Image1DblClick(int y);

 private:
  class CardView;
  class HtmlPictures;
  friend class CardView;
  bool read_field(QLineEdit* e, bool font, int& v, bool show);
  void read_fields_to_options();
  void options_to_controls();
  void paint_list(QPainter& p, int top, int bottom);
  // Both columns of one card.
  void paint_TOOL_LIST_image(QPainter& p, const TLIST_ITEMS& it, bool selected);
  void draw_ISO9000_sheet(QPainter& p);
  TTOOL_LIST_metrics metrics() const;
  // The picture column's background: the tool settings window's background colour code,
  // white with chk_white.
  int card_back_color() const;
  void place_window();

  Ttooling_host& host_;
  TTOOL_LIST_model m_;
  TTOOL_LIST_options o_;
  TTOOL_LIST_program program_;
  Tdisp_status settings_;
  TG2 g2_;
  bool building_ = false;
  bool exporting_ = false;

  QLineEdit *ed_h_, *ed_w_, *ed_font_h_, *ed_max_;
  QCheckBox *chk_Use_turn_, *chk_print_at_data_, *chk_invis_noitem_, *chk_white_,
      *chk_print_at_tool_, *chk_ISO9000_, *chk_rotate_, *chk_double_, *chk_upper_, *chk_left_,
      *chk_TL_prev_, *chk_print_at_path_;
  QPushButton *toggle_btn_, *Output_HTML_btn_, *settei_btn_;
  CardView* view_;
  QMenu* popup_;
  QAction *N1_, *N2_, *N3_, *N4_;
};

// The opener of the main window's commands: a TTOOL_LIST_win over the host, parented to the
// main window.
class TTOOL_LIST_win_opener : public QObject, public TTOOL_LIST_opener {
 public:
  TTOOL_LIST_win_opener(Ttooling_host& host, QWidget* parent)
      : QObject(parent), host_(host), parent_(parent) {}
  int show_tool_list(TTOOL_LIST_model& m, TTOOL_LIST_options& o,
                     Tdisp_status& settings) override;

 private:
  Ttooling_host& host_;
  QWidget* parent_;
};
