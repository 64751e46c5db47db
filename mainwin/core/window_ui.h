// What the core asks of the main window, cut by the part of the window that answers it.
// Each interface is answered by the object that owns that part of the window:
//   TVLM_frame_ui    the frame (caption, close, quit, geometry)        TVLM_main_frame
//   TVLM_view_ui     the 3D view (GL slot 0, draw_data, fit, zoom)     Tview_panel
//   TVLM_listing_ui  the NC listing                                     TVelmorListing
//   TVLM_panel_ui    the control panel and the work window read-outs   Tsim_panels
//   TVLM_lists_ui    the error-list and search-result windows          Tsim_panels
//   TVLM_dialog_ui   the dialogs, boxes, clipboard and output window   TVLM_window_dialogs
//   TVLM_menu_ui     the menus and the tool bar                        TVLM_menus
// Every call is pure virtual: a call the window does not answer does not build. The core
// reaches them through one bundle, TVLM_ui. No Qt here, and only forward declarations, so
// that widget headers can include it.
#pragma once
#include <cassert>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct NCD_DATA;
struct NCD_EDIT_LIST;
struct TGL_VIEW;
struct TG2_picture;
struct FIND_SETTINGS;
struct MOVE_ROTATE_VALUES;
struct OTHER_EXEC_SETTINGS;
struct Tdisp_status;
struct TTOOL_TDH_request;
struct TTOOL_check_request;
class TText_lines;

// The frame of the main window.
class TVLM_frame_ui {
 public:
  virtual ~TVLM_frame_ui() = default;
  virtual void set_caption(const std::string& cp932) = 0;
  // The caption shown now.
  virtual std::string caption() const = 0;
  virtual void repaint() = 0;
  // Closes the main window (the File menu's Exit).
  virtual void close_window() = 0;
  // The program is to end (Abort in the system-error box).
  virtual void quit() = 0;
  // The main window's frame on the screen (left, top, width, height); false without one.
  virtual bool frame_geometry(int& left, int& top, int& width, int& height) = 0;
  // The menu-hiding mode: while on, the window manager's close is refused.
  virtual void set_menus_hidden(bool on) = 0;
};

// The 3D view: slot 0 of the GL context table and its drawing.
class TVLM_view_ui {
 public:
  virtual ~TVLM_view_ui() = default;
  // The view back at its start angles and scale (a new or newly opened program).
  virtual void gl_reset_view() = 0;
  // The view turned to these angles (degrees); the control panel's track bars follow.
  virtual void gl_set_angles(float rot_z, float rot_x) = 0;
  // The mouse mode of the view (zoom_pan_rotate: low nibble 1 zoom, 2 pan, 3 rotate; high
  // nibble 2 location).
  virtual void set_mouse_mode(int mode) = 0;
  // Every redraw of the 3D view (modes of draw_data: 2 path, 4 full, 16 location); the
  // stepping modes (6, 11, 12) give 1 when the step stopped on damage, else 0.
  virtual int draw_data(int mode) = 0;
  // The turning tool drawn anew over the kept picture of the last full redraw (the
  // timer's turn of the tool), or a blink redraw (mode 5) when there is none.
  virtual void turn_tool() = 0;
  // Multiplies the 3D view's zoom (the controller's zoom buttons); false when refused.
  virtual bool zoom_by_factor(double f) = 0;
  // A drawn simulation step of the listing (modes 6 and 11): true when it ended.
  virtual bool draw_step(NCD_DATA& d, int mode) = 0;
  virtual void fit_scale(int arg) = 0;
  // The 3D view rendered off-screen at this size (the print preview's picture), or null.
  virtual std::shared_ptr<const TG2_picture> render_view(int width, int height) = 0;
  // The cutter path of tool use `seg` drawn off-screen into `out` (-1: the whole program as
  // it stands, -2: its works alone, 10000 + n: use n's works alone), on white with `white`;
  // false (out null) when refused or ended with Escape.
  virtual bool draw_ZU_of_TOOL(int seg, int width, int height, bool white,
                               std::shared_ptr<const TG2_picture>& out) = 0;
  // The view of GL slot 0 (angles, shifts, scales), or null without a 3D view.
  virtual TGL_VIEW* gl_view() = 0;
  // The 24-bit print switch of the GL context table.
  virtual void gl_set_color24(bool on) = 0;
  // The verbose log of the GL context table (info and ok lines into the slot logs).
  virtual void gl_set_verbose(bool on) = 0;
};

// The NC listing.
class TVLM_listing_ui {
 public:
  virtual ~TVLM_listing_ui() = default;
  virtual void listing_enable(bool on) = 0;
  virtual void listing_reset() = 0;    // empty, at line 0
  virtual void listing_refresh() = 0;  // recount the rows and show the current line
  // The edited listing rows go back into the store.
  virtual void commit_listing() = 0;
  // The listing's rows take the font height; the listing itself (its selection), or null.
  virtual void set_list_font(int height) = 0;
  virtual NCD_EDIT_LIST* edit_list() = 0;
};

// The control panel, the work window's read-outs and the simulation menu.
class TVLM_panel_ui {
 public:
  virtual ~TVLM_panel_ui() = default;
  virtual void panel_refresh() = 0;
  virtual void panel_reset() = 0;
  virtual void panel_tool_image() = 0;  // the panel's picture of the current tool
  // The control panel's view-angle track bars: track_Z and track_X with their read-outs.
  virtual void panel_view_tracks(int track_z, int track_x) = 0;
  // The control panel's zoom read-out ed_zoom shows the view's zoom factor.
  virtual void panel_zoom(double zoom) = 0;
  // The control panel's switches follow the display record (check boxes, path-colour radio,
  // extra-axis read-outs, holder box).
  virtual void panel_sync_switches() = 0;
  // The control panel window shown or hidden, and whether it is shown.
  virtual void set_controler_visible(bool on) = 0;
  virtual bool controler_visible() = 0;
  // The work window's measured point "( x , y , z)" and its text box (CP932, CR LF).
  virtual void work_window_point(const std::string& point) = 0;
  virtual void work_window_text(const std::string& text) = 0;
  // The work made or loaded for the program.
  virtual void auto_WORK_for_NCD() = 0;
  // The work window hid: the work set-up ends.
  virtual void end_WORK_SET() = 0;
  // The simulation menu and the panel's simulation controls in line with the switches.
  virtual void refresh_simulation_menu() = 0;
};

// The error-list window and the search-result window.
class TVLM_lists_ui {
 public:
  virtual ~TVLM_lists_ui() = default;
  // Whether the error list already holds lines; fill it under the caption and show it (an
  // empty caption only shows it).
  virtual bool err_window_has_lines() = 0;
  virtual void show_err_window(const std::vector<std::string>& lines,
                               const std::string& caption) = 0;
  virtual void clear_err_window() = 0;
  // A pick line (text, block counter) into the error-list window, shown first when hidden.
  virtual void err_window_add_pick(const std::string& text, int n) = 0;
  // The search-result window: cleared, then `lines` under `caption` (the find's list all).
  virtual void show_find_results(const std::string& caption,
                                 std::vector<std::string>&& lines) = 0;
};

// The dialogs and boxes of the main window, its clipboard and the output text window.
class TVLM_dialog_ui {
 public:
  virtual ~TVLM_dialog_ui() = default;
  // The main window's file dialog driver (open_FILE) for a mode; empty when cancelled.
  virtual std::filesystem::path open_file_dialog(int mode) = 0;
  // The number box at the mouse: the integer typed, or 2147483647 when cancelled.
  virtual int input_number(const std::string& caption, const std::string& initial) = 0;
  // The clipboard's text as CP932 (lossless false when CP932 cannot hold it); false without
  // text.
  virtual bool clipboard_text(std::string& out, bool& lossless) = 0;
  virtual void set_clipboard_text(const std::string& cp932) = 0;
  // The find dialog on the remembered state (in and out); its result code (Cancel: 2).
  virtual int find_dialog(FIND_SETTINGS& s) = 0;
  // The about box, shown modally.
  virtual void show_about() = 0;
  // The G91/G90 conversion's dialog with its label: whether converted words get a decimal
  // point (in and out); true on OK.
  virtual bool g91_g90_dialog(const std::string& label, bool& use_dot) = 0;
  // The move/rotate dialog on the values (in and out); true on OK.
  virtual bool move_rotate_dialog(MOVE_ROTATE_VALUES& v) = 0;
  // The external-program dialog on its remembered state (in and out, the typed command as
  // last_data, the argument choice as r_num); true on OK.
  virtual bool other_exec_dialog(OTHER_EXEC_SETTINGS& s, const std::string& tmp_path,
                                 const std::string& nc_path) = 0;
  // The dialogs of the tool list's outputs: the new T, D and H codes, and the tool-check
  // parameters (TCOND_* of `params`); false on Cancel.
  virtual bool TDH_dialog(TTOOL_TDH_request& r) = 0;
  virtual bool tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& params) = 0;
  // The output text window: takes over the lines and shows them under the caption; the
  // caption alone while an output is being written.
  virtual void show_output(TText_lines& lines, const std::string& caption) = 0;
  virtual void output_caption(const std::string& caption) = 0;
};

// The menus and the tool bar, by component name.
class TVLM_menu_ui {
 public:
  virtual ~TVLM_menu_ui() = default;
  // A menu item or tool button: its check mark, caption, visibility.
  virtual bool item_checked(const char* component) = 0;
  virtual void set_item_checked(const char* component, bool on) = 0;
  virtual void set_item_caption(const char* component, const std::string& cp932) = 0;
  virtual void set_item_visible(const char* component, bool on) = 0;
  // The mouse mode changed: the tool buttons of zoom, pan, rotate and location follow it.
  virtual void mouse_mode_changed(int mode) = 0;
  // menu_vis_loc's mark follows the location switch.
  virtual void set_vis_loc(bool on) = 0;
};

// The bundle the core is given: one answerer for each part of the window.
class TVLM_ui {
 public:
  TVLM_ui() = default;
  TVLM_ui(TVLM_frame_ui& f, TVLM_view_ui& v, TVLM_listing_ui& l, TVLM_panel_ui& p,
          TVLM_lists_ui& e, TVLM_dialog_ui& d, TVLM_menu_ui& m)
      : frame_(&f), view_(&v), listing_(&l), panel_(&p), lists_(&e), dialogs_(&d), menus_(&m) {}
  TVLM_ui(const TVLM_ui&) = delete;
  TVLM_ui& operator=(const TVLM_ui&) = delete;

  TVLM_frame_ui& frame() const { return *(assert(frame_), frame_); }
  TVLM_view_ui& view() const { return *(assert(view_), view_); }
  TVLM_listing_ui& listing() const { return *(assert(listing_), listing_); }
  TVLM_panel_ui& panel() const { return *(assert(panel_), panel_); }
  TVLM_lists_ui& lists() const { return *(assert(lists_), lists_); }
  TVLM_dialog_ui& dialogs() const { return *(assert(dialogs_), dialogs_); }
  TVLM_menu_ui& menus() const { return *(assert(menus_), menus_); }

  // The main window wires each part as the object that owns it is made.
  void set_frame(TVLM_frame_ui& f) { frame_ = &f; }
  void set_view(TVLM_view_ui& v) { view_ = &v; }
  void set_listing(TVLM_listing_ui& l) { listing_ = &l; }
  void set_panel(TVLM_panel_ui& p) { panel_ = &p; }
  void set_lists(TVLM_lists_ui& e) { lists_ = &e; }
  void set_dialogs(TVLM_dialog_ui& d) { dialogs_ = &d; }
  void set_menus(TVLM_menu_ui& m) { menus_ = &m; }
  bool wired() const {
    return frame_ && view_ && listing_ && panel_ && lists_ && dialogs_ && menus_;
  }

 private:
  TVLM_frame_ui* frame_ = nullptr;
  TVLM_view_ui* view_ = nullptr;
  TVLM_listing_ui* listing_ = nullptr;
  TVLM_panel_ui* panel_ = nullptr;
  TVLM_lists_ui* lists_ = nullptr;
  TVLM_dialog_ui* dialogs_ = nullptr;
  TVLM_menu_ui* menus_ = nullptr;
};
