// The main window's simulation side: the control panel Tcontroler, the error list and the
// find results (two Tmemo_win), the simulation menu and the blink timer Timer1.
// It answers the panel core (CONTROLER_SIM) over the session and the listing, the list
// windows' jumps, and the simulation commands' window calls. It answers the core's calls of
// the control panel (TVLM_panel_ui) and of the error and search lists (TVLM_lists_ui).
#pragma once
#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "mainwin/core/command_table.h"
#include "mainwin/core/control_panel.h"
#include "mainwin/core/sim_commands.h"
#include "mainwin/core/window_ui.h"
#include "mainwin/memo_window_1.h"
#include "mainwin/view/frame_pacer.h"

class QMainWindow;
class QMenu;
class QAction;
class QTimer;
class Tcontroler;
class TVLM_ui;
struct TSession;
struct NCD_EDIT_LIST;

class Tsim_panels : public QObject,
                    public CONTROLER_SIM,
                    public MEMO_WIN_HOST,
                    public TVLM_sim_ui,
                    public TVLM_panel_ui,
                    public TVLM_lists_ui {
  Q_OBJECT
 public:
  // Registers the simulation menu's commands into `commands`, then takes over the
  // simulation menu that the window built from the item table (when it has one).
  Tsim_panels(QMainWindow& main, TSession& s, TVLM_ui& ui, NCD_EDIT_LIST& list,
              TVLM_command_table& commands);
  ~Tsim_panels() override;

  Tcontroler& panel() { return *panel_; }
  Tmemo_win& err_win() { return *err_win_; }
  Tmemo_win& find_win() { return *find_win_; }
  TVLM_sim_commands& sim() { return *sim_; }
  QTimer& timer() { return *timer_; }

  // Adds the separators of the simulation menu, then brings the menu in line.
  void attach_menus();
  // The panel at its stored place, shown; its place stored back at close (the work
  // set-up ends first, so the settings keep the user's switches).
  void show_at_start();
  void before_close();

  // ---- TVLM_panel_ui ----
  void panel_refresh() override;
  void panel_reset() override;
  void panel_tool_image() override;
  void panel_view_tracks(int track_z, int track_x) override;
  void panel_zoom(double zoom) override;
  void panel_sync_switches() override;
  void set_controler_visible(bool on) override { set_panel_visible(on); }
  bool controler_visible() override { return panel_visible(); }
  void work_window_point(const std::string& point) override;
  void work_window_text(const std::string& text) override;
  void auto_WORK_for_NCD() override;
  void end_WORK_SET() override;
  void refresh_simulation_menu() override;

  // ---- TVLM_lists_ui ----
  bool err_window_has_lines() override;
  void show_err_window(const std::vector<std::string>& lines, const std::string& caption) override;
  void clear_err_window() override;
  void err_window_add_pick(const std::string& text, int n) override;
  void show_find_results(const std::string& caption, std::vector<std::string>&& lines) override;
  void show_find_results(const std::string& caption, const std::vector<std::string>& lines);

  // ---- CONTROLER_SIM ----
  NCD_DATA& data() override;
  bool action(int code) override;
  int draw_data(int mode) override;
  void rerun() override;
  void goto_step(int block) override;
  void zoom_by_factor(double f) override;
  void fit_scale() override;
  bool debug_window_shown() override;
  void dump_status() override;
  void redraw_list() override;
  int tool_first_block() override;
  std::uint32_t check_bits() override;
  void clear_check_bits() override;
  int abort_flag() override;
  void set_abort_flag(int v) override;
  void set_run_stop(bool on) override;
  bool stop_on_interference() override;
  bool frame_due() override;
  void frame_drawn() override;
  int redraw_interval() override;

  // ---- MEMO_WIN_HOST ----
  void jump_to_line_step(int n) override;
  void jump_to_line_text(const std::string& text) override;
  void activate_main() override;

  // ---- TVLM_sim_ui ----
  void apply_sim_menu(const SIM_MENU_STATE& st) override;
  void process_events() override;
  bool choose_work_file(bool save, const std::string& title, const std::string& name,
                        std::filesystem::path& out) override;
  bool panel_visible() override;
  void set_panel_visible(bool on) override;
  void set_panel_settings_enabled(bool on) override;
  void enable_main_controls(bool on) override;
  void set_timer_running(bool on) override;
  bool main_or_panel_active() override;
  SIM_WORK_WINDOW* work_window() override { return work_window_; }
  // The work window of the work set-up (the panel's "ワークの設定" shows with it).
  void set_work_window(SIM_WORK_WINDOW* w);

  // Tests answer the work-file dialog themselves.
  std::function<bool(bool save, const std::string& title, std::filesystem::path& out)> work_file_dialog;
  // Ticks of the frame pacing (tests pass their own clock).
  std::function<std::uint32_t()> clock;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  CONTROLER_SWITCHES switches() const;
  std::uint32_t now() const;
  void run_sim(int tag);
  void fill_list(Tmemo_win& w, const std::vector<std::string>& lines, const std::string& caption);

  QMainWindow& main_;
  TSession& s_;
  TVLM_ui& ui_;
  NCD_EDIT_LIST& list_;
  std::unique_ptr<TVLM_sim_commands> sim_;
  TVLM_command_table& table_;
  Tcontroler* panel_ = nullptr;
  Tmemo_win* err_win_ = nullptr;
  Tmemo_win* find_win_ = nullptr;
  QTimer* timer_ = nullptr;
  QMenu* sim_menu_ = nullptr;
  std::vector<QAction*> sim_actions_;  // by Tag
  FramePacer pacer_;
  std::uint32_t frame_start_ = 0;
  SIM_WORK_WINDOW* work_window_ = nullptr;
};
