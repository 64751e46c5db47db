// What the core asks of the main window, and the one adapter over the session that answers
// the NC store's and the program run's calls up.
//
// TVLM_ui is the narrow window interface: the caption, the 3D view (slot 0 of the GL
// context table, draw_data, fit_scale), the listing, the control panel, the error-list
// window, the tool table and the automatic work set-up. Every call has a default that does
// nothing, so the core needs no null checks and a window implements what exists. No Qt here.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mainwin/core/dialog_state.h"
#include "mainwin/core/small_dialogs.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_edit.h"
#include "simulation/gl_view.h"
#include "tooling/core/g2_canvas.h"

struct TSession;
struct Tdisp_status;
struct TTOOL_TDH_request;
struct TTOOL_check_request;
class TText_lines;

class TVLM_ui {
 public:
  virtual ~TVLM_ui() = default;
  virtual void set_caption(const std::string& /*cp932*/) {}
  // Slot 0 of the GL context table.
  virtual void gl_reset_view() {}
  virtual void gl_set_angles(float /*rot_z*/, float /*rot_x*/) {}
  // Every redraw of the 3D view (modes of draw_data: 2 path, 4 full, 16 location); the
  // stepping modes (6, 11, 12) give 1 when the step stopped on damage, else 0.
  virtual int draw_data(int /*mode*/) { return 0; }
  // Multiplies the 3D view's zoom (the controller's zoom buttons); false when refused.
  virtual bool zoom_by_factor(double /*f*/) { return false; }
  // A drawn simulation step of the listing (modes 6 and 11): true when it ended. Until the
  // 3D view draws them, a plain step.
  virtual bool draw_step(NCD_DATA& d, int mode) { return NCD_plain_draw_data(d, mode); }
  virtual void repaint() {}
  virtual void fit_scale(int /*arg*/) {}
  // The listing.
  virtual void listing_enable(bool /*on*/) {}
  virtual void listing_reset() {}         // empty, at line 0
  virtual void listing_refresh() {}       // recount the rows and show the current line
  virtual void set_vis_loc(bool /*on*/) {}  // menu_vis_loc and its switch
  // The control panel.
  virtual void panel_refresh() {}
  virtual void panel_tool_image() {}  // the panel's picture of the current tool
  // The work window's measured point "( x , y , z)" and its text box (CP932, CR LF).
  virtual void work_window_point(const std::string& /*point*/) {}
  virtual void work_window_text(const std::string& /*text*/) {}
  virtual void panel_reset() {}
  // The error-list window: whether it already holds lines; fill and show it.
  virtual bool err_window_has_lines() { return false; }
  virtual void show_err_window(const std::vector<std::string>& /*lines*/,
                               const std::string& /*caption*/) {}
  virtual void clear_err_window() {}
  // The tool table from the tool changes and the tool-definition lines.
  virtual void set_TOOL_defs() {}
  // The work made or loaded for the program.
  virtual void auto_WORK_for_NCD() {}
  // The edited listing rows go back into the store.
  virtual void commit_listing() {}
  // The 3D view rendered off-screen at this size (the print preview's picture), or null.
  virtual std::shared_ptr<const TG2_picture> render_view(int /*width*/, int /*height*/) {
    return nullptr;
  }
  // The main window's file dialog driver (open_FILE) for a mode; empty when cancelled.
  virtual std::filesystem::path open_file_dialog(int /*mode*/) { return {}; }
  // Closes the main window (the File menu's Exit).
  virtual void close_window() {}
  // The program is to end (Abort in the system-error box).
  virtual void quit() {}
  // The main window's frame on the screen (left, top, width, height); false without one.
  virtual bool frame_geometry(int& /*left*/, int& /*top*/, int& /*width*/, int& /*height*/) {
    return false;
  }
  // A menu item or tool button by component name: its check mark, caption, visibility.
  virtual bool item_checked(const char* /*component*/) { return false; }
  virtual void set_item_checked(const char* /*component*/, bool /*on*/) {}
  virtual void set_item_caption(const char* /*component*/, const std::string& /*cp932*/) {}
  virtual void set_item_visible(const char* /*component*/, bool /*on*/) {}
  // The mouse mode changed: the tool buttons of zoom, pan, rotate and location follow it.
  virtual void mouse_mode_changed(int /*mode*/) {}
  // The view of GL slot 0 (angles, shifts, scales), or null without a 3D view.
  virtual TGL_VIEW* gl_view() { return nullptr; }
  // The control panel's view-angle track bars: track_Z and track_X with their read-outs.
  virtual void panel_view_tracks(int /*track_z*/, int /*track_x*/) {}
  // The control panel window shown or hidden, and whether it is shown.
  virtual void set_controler_visible(bool /*on*/) {}
  virtual bool controler_visible() { return false; }
  // The control panel's switches follow the display record (check boxes, path-colour radio,
  // extra-axis read-outs, holder box).
  virtual void panel_sync_switches() {}
  // The listing's rows take the font height; the listing itself (its selection), or null.
  virtual void set_list_font(int /*height*/) {}
  virtual NCD_EDIT_LIST* edit_list() { return nullptr; }
  // The number box at the mouse: the integer typed, or 2147483647 when cancelled.
  virtual int input_number(const std::string& /*caption*/, const std::string& /*initial*/) {
    return 2147483647;
  }
  // The clipboard's text as CP932 (lossless false when CP932 cannot hold it); false without
  // text.
  virtual bool clipboard_text(std::string& /*out*/, bool& /*lossless*/) { return false; }
  virtual void set_clipboard_text(const std::string& /*cp932*/) {}
  // Menus and tool bar hidden (the menu-hiding mode) or shown; a hidden set refuses the
  // window manager's close.
  virtual void set_menus_hidden(bool /*on*/) {}
  // The 24-bit print switch of the GL context table.
  virtual void gl_set_color24(bool /*on*/) {}
  // The search-result window: cleared, then `lines` under `caption` (the find's list all).
  virtual void show_find_results(const std::string& /*caption*/,
                                 std::vector<std::string>&& /*lines*/) {}
  // The find dialog on the remembered state (in and out); its result code (Cancel: 2).
  virtual int find_dialog(FIND_SETTINGS& /*s*/) { return 2; }
  // The about box, shown modally.
  virtual void show_about() {}
  // The external-program dialog on its remembered state (in and out, the typed command as
  // last_data, the argument choice as r_num); true on OK.
  // The G91/G90 conversion's dialog with its label: whether converted words get a decimal
  // point (in and out); true on OK.
  virtual bool g91_g90_dialog(const std::string& /*label*/, bool& /*use_dot*/) { return false; }
  // The move/rotate dialog on the values (in and out); true on OK.
  virtual bool move_rotate_dialog(MOVE_ROTATE_VALUES& /*v*/) { return false; }
  virtual bool other_exec_dialog(OTHER_EXEC_SETTINGS& /*s*/, const std::string& /*tmp_path*/,
                                 const std::string& /*nc_path*/) {
    return false;
  }
  // The work window hid: the work set-up ends.
  virtual void end_WORK_SET() {}
  // The output text window: takes over the lines and shows them under the caption; the
  // caption alone while an output is being written.
  virtual void show_output(TText_lines& /*lines*/, const std::string& /*caption*/) {}
  virtual void output_caption(const std::string& /*caption*/) {}
  // The dialogs of the tool list's outputs: the new T, D and H codes, and the tool-check
  // parameters (TCOND_* of `params`); false on Cancel.
  virtual bool TDH_dialog(TTOOL_TDH_request& /*r*/) { return false; }
  virtual bool tool_check_dialog(const TTOOL_check_request& /*r*/, Tdisp_status& /*params*/) {
    return false;
  }
  // A pick line (text, block counter) into the error-list window, shown first when hidden.
  virtual void err_window_add_pick(const std::string& /*text*/, int /*n*/) {}
  // The simulation menu and the panel's simulation controls in line with the switches.
  virtual void refresh_simulation_menu() {}
  // The cutter path of tool use `seg` (-1: the whole program) drawn off-screen into `out`
  // (null: no picture); false when the user ended it with Escape.
  virtual bool draw_ZU_of_TOOL(int /*seg*/, int /*width*/, int /*height*/,
                               std::shared_ptr<const TG2_picture>& out) {
    out.reset();
    return true;
  }
};

// The one adapter over the session for the NC record's host and the listing's.
class TVLM_host : public NCD_HOST, public NCD_LIST_HOST {
 public:
  TVLM_host(TSession& s, TVLM_ui& ui);
  // Hooks the adapter into the records of the session (the one in use; the spare has none).
  void attach();

  // NCD_HOST (the tool-holder list comes with the tool table)
  void ncd_cleared(NCD_DATA& d) override;
  void set_TOOL_defs(NCD_DATA& d) override;
  bool tool_radius(int t, float& radius) override;
  int th_find(int t, int& size) override;
  void th_show(int index) override;
  bool th_set_tool0() override;
  bool draw_data(NCD_DATA& d, int mode) override;
  void fit_scale(NCD_DATA& d) override;
  void show_system_err(const std::string& text) override;
  // NCD_LIST_HOST
  bool sim_option() override;
  void Set_controler_status() override;
  void Draw_controler_TOOL_IMG() override;
  void Dump_SIM_status_to_deb() override;
  void set_NCD_status() override;
  bool debug_window_shown() override;
  void repaint() override;

  TVLM_ui& ui() { return ui_; }

 private:
  TSession& s_;
  TVLM_ui& ui_;
  std::vector<int> th_tools_;  // the tool-holder list's tools
};
