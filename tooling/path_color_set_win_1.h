// The path colour window "カッターパスのカラー設定": the 16 path-colour rows of a copy of
// the display settings (colour, line width on screen, line style, line width in print, and
// the feed limits of the feed-rate bands) on two pages. Each edit is checked on Enter and on
// leaving it after a change. OK checks every row as Enter does and stays open at the first
// bad one; Cancel and the title bar's close keep the copy unchanged.
#pragma once
#include <QDialog>
#include <array>

#include "tooling/core/disp_status.h"
#include "tooling/core/tool_windows.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;
class Tcolor_chooser;

class Tpath_color_set : public QDialog {
  Q_OBJECT
 public:
  explicit Tpath_color_set(Tcolor_chooser& chooser, QWidget* parent = nullptr);

  // The record edited; filled into the controls by Set_path_color_controls.
  Tdisp_status disp;
  void Set_path_color_controls();
  // The program's largest feed, shown read-only.
  void set_F_max(float f);
  // The page: 1 the feed bands, else the G codes and tools.
  void set_page(int tab);

  // Checks every row and reads them back; false (after the message, focus on the edit) at
  // the first bad one.
  bool read_rows();
  void Check_feed_bands();
  void work_color_btnClick(int row);

 protected:
  void accept() override;

 private:
  struct Row {
    QLineEdit* sokudo = nullptr;  // rows 1..9
    QLabel* flag = nullptr;       // rows 0..9
    QPushButton* cp = nullptr;
    QLineEdit* col = nullptr;
    QScrollBar* ud_col = nullptr;
    QPushButton* cb = nullptr;
    QLineEdit* w = nullptr;
    QScrollBar* ud_w = nullptr;
    QComboBox* combo = nullptr;
    QLineEdit* pw = nullptr;
    QScrollBar* ud_pw = nullptr;
  };
  void Create_path_color_rows();
  QWidget* make_page(int first, int last);
  bool check_edit(QLineEdit* e, bool show);
  void set_row_color(int row, int code);

  Tcolor_chooser& chooser_;
  std::array<Row, DISP_PATH_ROWS> rows_{};
  QTabWidget* PageControl = nullptr;
  QLineEdit* ed_F_max = nullptr;
  bool ready_ = false;
};

// The main window's path colour dialog: the window shown modally on the record.
class Tpath_color_runner : public Tpath_color_dialog {
 public:
  Tpath_color_runner(Tcolor_chooser& chooser, QWidget* parent) : chooser_(chooser), parent_(parent) {}
  bool run(Tdisp_status& d, float f_max) override;

 private:
  Tcolor_chooser& chooser_;
  QWidget* parent_;
};
