// The work and jig settings window: creates, loads, deletes, groups, moves and resizes the
// works and jigs of the main window's work store, sets their lattice, colours, memo, kind,
// visibility and cutting, saves them to ".wok" files and carries the works' display
// switches. A tool window beside the 3D view, not modal; hiding it ends the work set-up.
#pragma once
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "tooling/core/tooling_host.h"
#include "tooling/core/work_set_rules.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

// The dialogs of the window on screen: the preset dialog and non-native file dialogs. The
// colour panels open the colour picker Tcolor_selection.
class TWork_set_qt_dialogs : public Twork_set_dialogs {
 public:
  explicit TWork_set_qt_dialogs(QWidget* parent) : parent_(parent) {}
  bool choose_preset(const std::filesystem::path& file, const TWork_path_extents& ext,
                     TWork_preset& out) override;
  bool choose_work_file(bool save, const std::string& title, const std::string& file_name,
                        std::filesystem::path& out) override;

 private:
  QWidget* parent_;
};

class TWorkSetWin : public QWidget {
  Q_OBJECT
 public:
  // dialogs: null uses the window's own (TWork_set_qt_dialogs).
  TWorkSetWin(Ttooling_host& host, Twork_set_dialogs* dialogs, QWidget* parent = nullptr);
  ~TWorkSetWin() override;

  // ---- what the main window's work set-up hands over before it shows the window
  void set_path_extents(const TWork_path_extents& ext) { ext_ = ext; }
  void set_program_present(bool on) { program_present_ = on; }
  void set_work_file_name(const std::string& cp932) { work_file_name_ = cp932; }
  const std::string& work_file_name() const { return work_file_name_; }

  // ---- the window's routines
  void Set_WORK_combo(int work);
  void Show_WORK_values(int work);
  void Redraw_velmor_gpnl(int work);
  int Get_current_WORK_num() const;
  int Get_current_GROUP_num() const;
  void Reset_WORK_SET_fields();
  // Commits edit `tag` (leaving it or Enter).
  void ED_minXExit(int tag);
  void BTN_01_NEW_WORKClick(int tag);
  void chk_CUTTING_ONClick(int tag);
  void UpDown1Click(int tag, bool up);
  void PNL_WORK_COLORClick(int tag);
  // Ctrl+arrow in measure mode: moves the lattice cursor; true when it moved.
  bool move_cursor(int dx, int dy);
  // Measure mode's read-outs from the 3D view: the point "( x , y , z)" in ED_KEISOKU_VIEW
  // and the caption, and a text (CP932, CR LF) in the text box.
  void show_measured_point(const std::string& point);
  void show_note(const std::string& text);

  TWork_set_rules& rules() { return rules_; }

 protected:
  bool event(QEvent* ev) override;
  void showEvent(QShowEvent* ev) override;
  void hideEvent(QHideEvent* ev) override;
  bool eventFilter(QObject* o, QEvent* ev) override;

 private:
  void build();
  void set_edit(int tag, const std::string& cp932);
  void show_colors();
  Tmat& mat() { return host_.work_store(); }
  Tdisp_status& disp() { return host_.disp_status(); }

  Ttooling_host& host_;
  std::unique_ptr<Twork_set_dialogs> own_dialogs_;
  Twork_set_dialogs& dialogs_;
  TWork_set_rules rules_;
  TWork_path_extents ext_;
  bool program_present_ = false;
  std::string work_file_name_ = "no_name.wok";
  std::array<std::string, WSE_COUNT> remembered_;
  std::array<QLineEdit*, WSE_COUNT> ed_{};
  int last_shown_ = -1;
  bool filling_ = false;
  bool committing_ = false;  // a box of a commit takes the focus: no second commit

  QLineEdit* ED_pitchX = nullptr;
  QLineEdit* ED_pitchY = nullptr;
  QLineEdit* ED_KEISOKU_VIEW = nullptr;
  QComboBox* Combo_work_num = nullptr;
  QComboBox* Combo_Group_num = nullptr;
  QRadioButton* chk_WORK_IS = nullptr;
  QRadioButton* chk_ZIGU_IS = nullptr;
  QRadioButton* chk_VIS_parts = nullptr;
  QRadioButton* chk_INVIS_parts = nullptr;
  QRadioButton* chk_CUTTING_ON = nullptr;
  QRadioButton* chk_CUTTING_OFF = nullptr;
  QCheckBox* chk_SeeTh_mode = nullptr;
  QCheckBox* chk_MatrixLine = nullptr;
  QCheckBox* chk_HighDetail = nullptr;
  QCheckBox* chk_manual_cut_mode = nullptr;
  QPushButton* PNL_WORK_COLOR = nullptr;
  QPushButton* PNL_MAT_COLOR = nullptr;
  QPushButton* BTN_06_RESET_WORK_PARAM = nullptr;
};
