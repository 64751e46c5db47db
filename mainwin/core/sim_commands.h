// The simulation menu of the main window (work and jig display, cutting switches, saving,
// reading, resetting and deleting all works), the automatic work for a loaded program, the
// work set-up's forced switches and the rule of the blink timer. The window
// side answers TVLM_sim_ui; the work window answers SIM_WORK_WINDOW. No Qt here.
#pragma once
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "common/ats_func.h"

struct TSession;
struct Tmat;
class TVLM_ui;
class TVLM_command_table;

// Tags of the simulation menu (MM_simulationClick).
enum SIM_TAG : int {
  SIM_MENU_OPEN = 0,  // the menu opens
  SIM_VIS_WORK = 1, SIM_VIS_ZIGU = 2, SIM_SETUP_WORK = 3, SIM_CUTTING = 4, SIM_HOLDER_CHECK = 5,
  SIM_VIS_CUTTING_TOOL = 6, SIM_TOOL_SOLID = 7, SIM_SEETH_WORK = 8, SIM_ROTATE_TOOL = 9,
  SIM_HIGH_DETAIL = 10, SIM_CUT_ZIGU = 11, SIM_SEETH_TOOL = 12, SIM_SAVE_ALL = 13,
  SIM_DELETE_ALL = 14, SIM_RESET_ALL = 15, SIM_ZIGU_RECT = 16, SIM_RED_FLASH = 17,
  SIM_READ_ALL = 18, SIM_NG_STOP = 19, SIM_AUTOSET = 20,  // the auto-set items' caption
  SIM_AUTOSET_NONE = 21, SIM_AUTOSET_JUST = 22, SIM_AUTOSET_ADD10 = 23
};
inline constexpr int SIM_TAG_COUNT = 24;

inline constexpr const char* SIM_NO_PROGRAM_TEXT = "NCデータが読み込まれてません";

// What refresh_simulation_menu shows.
struct SIM_MENU_STATE {
  struct Item {
    bool visible = false;
    bool checked = false;
  };
  std::array<Item, SIM_TAG_COUNT> item{};  // by Tag; the auto-set items are always shown
  std::string autoset_caption;             // MMex20_AutoSetWork
  // N29: hidden, the separator, or the disabled line SIM_NO_PROGRAM_TEXT.
  enum class Line { hidden, separator, no_program } n29 = Line::hidden;
  bool setup_separator = false;  // the separator above MMW03_setup_work
  // The control panel's simulation controls: c19_NG_stop, Label_seeThLV, c08_SeeThWORK,
  // c12_SeeThTOOL enabled, with their ticks; BTN_HiDetail; the two see-through bars.
  bool panel_controls = false;
  bool ng_stop = false, seeth_work = false, seeth_tool = false;
  bool hi_detail_button = false;
  bool bars_reset = false;  // both bars are set to SIM_SEETH_LEVEL (and stay disabled)
};
inline constexpr int SIM_SEETH_LEVEL = 70;

// Brings the menu state in line with the switches, and writes the derived modes (work
// display, tool display and cutting section mode) into the work store.
// `setup_window`: the work window exists, so MMW03_setup_work can be shown.
SIM_MENU_STATE simulation_menu_state(TSession& s, bool setup_window);

// Whether any grid point of a work in use is a collision point.
bool works_have_damage(const Tmat& m);

// The box of the automatic work: the run's path extents (min X, Y, Z, max X, Y) and as top
// the run's cutting start height, or min Z + 20 when it has none or it is not above min Z;
// in mode 2 widened by 10 mm on every side. False without a path.
bool auto_work_box(const TSession& s, int mode, VEC3& lo, VEC3& hi);
// The run's cutting start height: the highest of the tool records that cut; false for none.
bool run_cut_start_z(const TSession& s, float& z);

// The work window's side of the set-up.
class SIM_WORK_WINDOW {
 public:
  virtual ~SIM_WORK_WINDOW() = default;
  // The program's path box (min X, Y, Z, max X, Y) and the top height, or none.
  virtual void set_program(bool present, const VEC3& lo, const VEC3& hi, float top) = 0;
  virtual void set_file_name(const std::string& name) = 0;  // CP932
  virtual void place(int left, int top) = 0;
  virtual void position(int& left, int& top) = 0;
  virtual void show() = 0;
  // Measure mode's read-outs: the point "( x , y , z)" and the text box (CP932, CR LF).
  virtual void show_point(const std::string& /*point*/) {}
  virtual void show_text(const std::string& /*text*/) {}
};

// What the simulation commands ask of the windows. Every call has a default that does
// nothing.
class TVLM_sim_ui {
 public:
  virtual ~TVLM_sim_ui() = default;
  virtual void apply_sim_menu(const SIM_MENU_STATE& /*st*/) {}
  virtual void process_events() {}
  // The work-file dialogs (save or open) with title and offered name; true with the file.
  virtual bool choose_work_file(bool /*save*/, const std::string& /*title*/,
                                const std::string& /*name*/, std::filesystem::path& /*out*/) {
    return false;
  }
  virtual bool panel_visible() { return false; }
  virtual void set_panel_visible(bool /*on*/) {}
  // The control panel's settings part (set_busy).
  virtual void set_panel_settings_enabled(bool /*on*/) {}
  // The file, find, settings, maintenance and simulation menus, the tool bar and listing.
  virtual void enable_main_controls(bool /*on*/) {}
  // The work window, or null while none exists.
  virtual SIM_WORK_WINDOW* work_window() { return nullptr; }
  // Starts or stops the blink timer.
  virtual void set_timer_running(bool /*on*/) {}
  // The main window or the control panel is the active window.
  virtual bool main_or_panel_active() { return false; }
};

// The simulation commands over the session.
class TVLM_sim_commands {
 public:
  TVLM_sim_commands(TSession& s, TVLM_ui& ui, TVLM_sim_ui& sim);

  // MM_simulationClick: nothing while busy; the edited listing rows go back first.
  void MM_simulationClick(int tag);
  void refresh_simulation_menu();
  // After a load (open_NCD): the work beside the program, else one from the path extents.
  void auto_WORK_for_NCD();
  void open_WORK_SET();
  // The work window hid.
  void end_WORK_SET();
  bool work_setup_active() const { return setup_active_; }
  void set_busy(bool on);
  // The update flag of the menus (TSession::menu.updating).
  bool update_flag() const;

  // ---- the blink timer ----
  // Whether Timer1 has something to animate: blinking damage marks on shown works, or a
  // spinning tool that the last drawing drew with rotation, tool display and cutting on.
  bool timer_wanted() const;
  // Starts or stops the timer by timer_wanted(); after each redraw, toggle and work change.
  void check_timer();
  // One tick; true when it redrew (draw_data 5).
  bool Timer1Timer();
  // A cut left collision flags beyond bit 0 / the grids changed: the damage mark follows.
  void note_cut_flags(unsigned flags);
  void recheck_damage();
  bool damage() const { return damage_; }

 private:
  void toggle(int tag);
  void works_changed();
  void delete_all_works();
  void read_all_works();
  std::string work_file_name() const;

  TSession& s_;
  TVLM_ui& ui_;
  TVLM_sim_ui& sim_;
  bool setup_active_ = false;
  bool damage_ = false;
  bool timer_on_ = false;
  // The switches the set-up forces, and what it restores.
  struct Saved {
    std::uint8_t show_jigs = 0, see_through_works = 0, cutting = 0, high_detail = 0;
    bool panel_visible = false;
  } saved_;
};

// Registers the Tags of the simulation menu (MM_simulationClick).
void register_sim_commands(TVLM_command_table& t, TVLM_sim_commands& c);
