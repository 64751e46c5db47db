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
#include "ncdata/ncd_exec.h"

struct SIM_MENU_STATE;
class QCheckBox;
class QColor;
class QPainter;
class QRadioButton;
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
  // The settings part: display switches (their Tags are those of the main window's display
  // handler), simulation switches (Tags of the simulation menu) and the see-through bars.
  QCheckBox* ctrl_vis_tool = nullptr;         // 1
  QCheckBox* ctrl_vis_holder = nullptr;       // 2
  QCheckBox* ctrl_chk_cursor_path = nullptr;  // 5
  QCheckBox* ctrl_vis_ABC = nullptr;          // 7
  QCheckBox* ctrl_invis_G00 = nullptr;        // 8
  QRadioButton* ctrl_path_Fsokudo = nullptr;  // 9
  QRadioButton* ctrl_path_Gcode = nullptr;    // 10
  QRadioButton* ctrl_path_T_num = nullptr;    // 11
  QCheckBox* v33_chk_seeTH_path = nullptr;    // 33
  QCheckBox* v34_chk_up_BALL_R = nullptr;     // 34
  QCheckBox* MMW05_HOLDER_CHECK_bak = nullptr;  // cutting (4)
  QCheckBox* CheckBox2 = nullptr;             // holder check (5)
  QCheckBox* CheckBox1 = nullptr;             // tool rotation (9)
  QPushButton* Button3 = nullptr;             // work set-up (3)
  QLabel* Label_seeThLV = nullptr;
  QCheckBox* c08_SeeThWORK = nullptr;         // 8
  QCheckBox* c12_SeeThTOOL = nullptr;         // 12
  QCheckBox* c19_NG_stop = nullptr;           // 19
  QSlider* Track_SeeTH_LV_WORK = nullptr;     // Tag 1
  QSlider* Track_SeeTH_LV_TOOL = nullptr;     // Tag 2
  QPushButton* BTN_HiDetail = nullptr;        // high detail (10)
  std::array<QLabel*, CONTROLER_STAT_COUNT> stat{};  // stat_1 .. stat_12, STAT_13 .. STAT_15
  QLabel* TOOL_IMG = nullptr;

  // What the panel reads of the main window.
  std::function<CONTROLER_TOOL()> tool_info;  // the current tool entry
  // Draws the current tool and holder, dimensioned, into a w x h picture on `back`;
  // false when there is nothing to draw.
  std::function<bool(QPainter&, int, int, const QColor&)> paint_tool;
  std::function<bool()> show_abc;             // DISP_VIS_OPT_ABC
  std::function<int()> limit;                 // DISP_LIMIT_LINES
  std::function<void(int)> set_limit;
  // The view rotation from the track bars (Z angle, X angle) with the draw mode.
  std::function<void(float, float, int)> rotate;
  std::function<bool()> path_extent;          // the path has a size
  // The settings part's clicks: the main window's display handler and simulation menu by
  // Tag; a see-through bar (Tag 1 work, 2 tool) moved to a level; the switches it shows.
  std::function<void(int)> display_click;
  std::function<void(int)> sim_click;
  std::function<void(int, int)> seeth_level;
  std::function<CONTROLER_SWITCHES()> switches;

  CONTROLER_CORE& core() { return *core_; }
  QPushButton* button(int tag) const;

  void Set_controler_status(bool force);
  // The read-outs' texts brought up to the block without showing them (a paced loop shows
  // them with its next frame; the program end keeps the last block's labels).
  void update_status_texts();
  void Clear_controler_status();
  void Draw_controler_TOOL_IMG();
  bool Check_interference_alarm() { return core_->Check_interference_alarm(); }
  void Btn_ExViewClick();
  void track_ZChange(QSlider* sender);
  // The rotation bars and their read-outs set from a view preset, without a redraw.
  void set_view_tracks(int track_z, int track_x);
  // The zoom read-out ed_zoom ("%5.3f").
  void show_zoom(double zoom);
  // Enter in, or leaving, the abbreviation-limit field; false when the text was refused.
  bool ed_limitterExit();
  bool expanded() const { return expanded_; }
  // The ticks of the settings part from the switches.
  void Refresh_switches();
  // The simulation controls as the simulation menu's refresh leaves them.
  void apply_sim_controls(const SIM_MENU_STATE& st);
  void Track_SeeTH_LV_TOOLChange(QSlider* sender);
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
  void build_settings();

  CONTROLER_SIM& sim_;
  QWidget* main_;
  std::unique_ptr<CONTROLER_CORE> core_;
  std::map<int, QPushButton*> by_tag_;
  std::vector<QWidget*> disable_order_;
  CONTROLER_TEXTS texts_;
  NCD_EXEC unshown_{};         // the last block stepped but not shown (update_status_texts)
  bool has_unshown_ = false;
  bool expanded_ = false;
  int collapsed_h_ = 0, expanded_h_ = 0;
  int shown_tool_ = -2;
  int last_z_ = -1000, last_x_ = -1000;
  int repeat_tag_ = 0;
  QTimer* repeat_timer_ = nullptr;
};
