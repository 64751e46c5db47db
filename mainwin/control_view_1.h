// Tcontroler: the stay-on-top tool window that plays the NC program in the 3D view. The
// playback buttons hand their presses to the panel core (mainwin/core/control_panel.h);
// the labels show the interpreter's state after every step. The display switches of its
// lower half belong to the main window, which gets their clicks by Tag.
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

#include "mainwin/core/control_panel.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class QAbstractButton;

class Tcontroler : public QWidget, public CONTROLER_FORM {
  Q_OBJECT
 public:
  // `main` is disabled with the panel while a loop plays (may be null).
  Tcontroler(CONTROLER_SIM& sim, QWidget* main, QWidget* parent = nullptr);
  ~Tcontroler() override;

  QWidget* Panel1 = nullptr;
  QWidget* pnl2 = nullptr;
  QPushButton* Btn01_play = nullptr;
  QPushButton* Btn02_Clear = nullptr;
  QPushButton* Btn03_NextT = nullptr;
  QPushButton* Btn04_PreT = nullptr;
  QPushButton* Btn05_step = nullptr;
  QPushButton* Btn06_Bstep = nullptr;
  QPushButton* Btn07_end = nullptr;
  QPushButton* Btn08_Top = nullptr;
  QPushButton* Btn09_ZmUP = nullptr;
  QPushButton* Btn10_Fit = nullptr;
  QPushButton* Btn11_ZmDN = nullptr;
  QPushButton* Btn14_PreO = nullptr;
  QPushButton* Btn15_NextO = nullptr;
  QPushButton* Btn16_step2 = nullptr;
  QPushButton* Btn18_Hispd = nullptr;
  QPushButton* Btn_ExView = nullptr;
  QLineEdit* ed_zoom = nullptr;
  QSlider* track_Z = nullptr;
  QSlider* track_X = nullptr;
  QLineEdit* ed_Z_shaft = nullptr;
  QLineEdit* ed_X_shaft = nullptr;
  QLineEdit* ed_limitter = nullptr;
  std::array<QLabel*, CONTROLER_STAT_COUNT> stat{};  // stat_1 .. stat_12, STAT_13 .. STAT_15
  QLabel* TOOL_IMG = nullptr;

  // What the panel reads of the main window.
  std::function<CONTROLER_TOOL()> tool_info;  // the current tool entry
  std::function<bool()> show_abc;             // DISP_VIS_OPT_ABC
  std::function<int()> limit;                 // DISP_LIMIT_LINES
  std::function<void(int)> set_limit;
  // The view rotation from the track bars (Z angle, X angle) with the draw mode.
  std::function<void(float, float, int)> rotate;
  std::function<bool()> path_extent;          // the path has a size

  CONTROLER_CORE& core() { return *core_; }
  QPushButton* button(int tag) const;

  void Set_controler_status(bool force);
  void Clear_controler_status();
  void Draw_controler_TOOL_IMG();
  bool Check_interference_alarm() { return core_->Check_interference_alarm(); }
  void Btn_ExViewClick();
  void track_ZChange(QSlider* sender);
  // Enter in, or leaving, the abbreviation-limit field; false when the text was refused.
  bool ed_limitterExit();
  bool expanded() const { return expanded_; }
  bool repeating() const { return repeat_tag_ != 0; }

  // ---- CONTROLER_FORM ----
  void set_status(bool force) override { Set_controler_status(force); }
  bool alarm_box(const std::string& text, bool ok_only) override;
  void disable_buttons(int keep_tag) override;
  void enable_buttons() override;
  bool press_inside(int tag) override;
  std::uint32_t tick_ms() override;

  // Ticks of the panel (tests pass their own clock).
  std::function<std::uint32_t()> clock;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;
  void showEvent(QShowEvent* e) override;

 private:
  void press(int tag, Qt::MouseButton b, Qt::KeyboardModifiers m);
  void repeat_turn();
  void stop_repeat();
  QPushButton* make_button(int tag, const char* caption, const char* name);

  CONTROLER_SIM& sim_;
  QWidget* main_;
  std::unique_ptr<CONTROLER_CORE> core_;
  std::map<int, QPushButton*> by_tag_;
  std::vector<QWidget*> disable_order_;
  CONTROLER_TEXTS texts_;
  bool expanded_ = false;
  int collapsed_h_ = 0, expanded_h_ = 0;
  int shown_tool_ = -2;
  int last_z_ = -1000, last_x_ = -1000;
  int repeat_tag_ = 0;
  QTimer* repeat_timer_ = nullptr;
};
