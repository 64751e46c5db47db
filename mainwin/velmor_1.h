// The main window of velmor: the frame and composition root. It owns the session, builds
// the menus and panels and forwards to the core (mainwin/core).
#pragma once
#include <QMainWindow>
#include <filesystem>
#include <memory>
#include <string>

#include "mainwin/core/window_ui.h"
#include "platform/gl/gl_panel.h"
#include "simulation/gl/gl_stat.h"

class QMenu;
class TFileDrop;
class TVLM_file_chooser;
class QToolBar;
class TVelmorListing;
class Tsim_panels;
class TVLM_host;
class TVLM_command_table;
class TClip_Edit;
class TVLM_copy_out_dialogs;
class TVLM_tooling_host;
class TVLM_main_frame;
class TVLM_menus;
class TVLM_window_dialogs;
class Tview_panel;
class TVLM_work_setting_windows;
class TVLM_tool_setting_windows;
class Ttooling_host;
struct TSession;

class Tvelmor : public QMainWindow {
  Q_OBJECT
 public:
  // gl: the program's context table (without one the window keeps its own).
  explicit Tvelmor(Tgl_func* gl = nullptr, QWidget* parent = nullptr);
  ~Tvelmor() override;

  static const char* const kCaption;

  plat::GlPanel* gpnl() const { return gpnl_; }
  // The NC store with its listing.
  TVelmorListing& listing() { return *listing_; }
  Tgl_func& gl_stat() { return *gl_; }
  TSession& session() { return *session_; }
  // What the tool windows ask of the main window.
  Ttooling_host& tooling_host();
  // The work and jig window and the display settings dialog.
  TVLM_work_setting_windows& work_settings() { return *work_settings_; }
  // The NC file named on the command line, opened when the window is first shown. A relative
  // path is taken against the current folder now, before the settings change it.
  void set_start_file(const std::filesystem::path& path);
  // The exception trap of the application: logs, asks, and ends the program on Cancel.
  void on_app_exception(const std::string& what);
  const TVLM_command_table& commands() const { return *commands_; }
  // The control panel, the error list and find results, the simulation menu and Timer1.
  Tsim_panels& sim_panels() { return *sim_panels_; }
  // The click handler of the menu items and tool buttons: runs the sender's Tag.
  void open1Click(QObject* sender);
  // The listing pop-up's and the copy-out items' handler.
  void spmenu_list_resetClick(QObject* sender);
  // The display toggles' handler.
  void menu_vis_toolClick(QObject* sender);
  // The listing pop-up p_menu1 (built from the item table).
  QMenu* p_menu1() const { return p_menu1_; }

 protected:
  void showEvent(QShowEvent* ev) override;
  void closeEvent(QCloseEvent* ev) override;

 private:
  void build_menus();
  void run_item(int handler, QObject* sender);
  // Sets the pop-up's captions and enabled items for the row it opens on.
  void p_menu1Popup(int row);
  void FormShow();
  void FormCloseQuery();
  void apply_form_bounds();
  void open_view();

  std::unique_ptr<TSession> session_;
  // What the core asks of the window, each part answered by the object that owns it: the
  // frame, the menus, the dialogs, the listing, the 3D view, the control panel and lists.
  TVLM_ui ui_;
  std::unique_ptr<TVLM_main_frame> frame_;
  std::unique_ptr<TVLM_menus> menus_;
  std::unique_ptr<TVLM_host> host_;
  std::unique_ptr<TVLM_tooling_host> tool_host_;
  std::unique_ptr<TVLM_file_chooser> chooser_;
  std::unique_ptr<TVLM_window_dialogs> dialogs_;
  std::unique_ptr<TVLM_command_table> commands_;
  std::unique_ptr<TVLM_work_setting_windows> work_settings_;  // work and display settings
  std::unique_ptr<TVLM_copy_out_dialogs> copy_dialogs_;
  std::unique_ptr<TVLM_tool_setting_windows> tool_windows_;  // tool settings, path colours
  plat::GlPanel* gpnl_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QMenu* p_menu1_ = nullptr;
  Tview_panel* view_ = nullptr;  // the 3D view panel (a child of the splitter)
  TFileDrop* drop_ = nullptr;
  std::unique_ptr<TVelmorListing> listing_;
  Tsim_panels* sim_panels_ = nullptr;  // a child of the window
  std::unique_ptr<Tgl_func> own_gl_;
  Tgl_func* gl_ = nullptr;
  bool shown_once_ = false;
  bool closed_ = false;
  std::filesystem::path start_file_;
};
