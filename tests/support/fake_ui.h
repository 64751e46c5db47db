// The one stand-in for the main window in tests: every call of every part of the window
// (mainwin/core/window_ui.h) with a neutral answer. A test derives from it and overrides
// the calls it watches; the fake passes as the bundle the core takes (TVLM_ui&).
#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mainwin/core/window_ui.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_edit.h"
#include "ncdata/ncd_host.h"

struct TVLM_fake_ui : TVLM_frame_ui,
                      TVLM_view_ui,
                      TVLM_listing_ui,
                      TVLM_panel_ui,
                      TVLM_lists_ui,
                      TVLM_dialog_ui,
                      TVLM_menu_ui {
  TVLM_fake_ui() : bundle_(*this, *this, *this, *this, *this, *this, *this) {}
  TVLM_fake_ui(const TVLM_fake_ui&) = delete;
  TVLM_fake_ui& operator=(const TVLM_fake_ui&) = delete;
  operator TVLM_ui&() { return bundle_; }
  TVLM_ui& ui() { return bundle_; }

  // frame
  void set_caption(const std::string& t) override { caption_ = t; }
  std::string caption() const override { return caption_; }
  void repaint() override {}
  void close_window() override {}
  void quit() override {}
  bool frame_geometry(int&, int&, int&, int&) override { return false; }
  void set_menus_hidden(bool) override {}
  // 3D view
  void gl_reset_view() override {}
  void gl_set_angles(float, float) override {}
  void set_mouse_mode(int) override {}
  int draw_data(int) override { return 0; }
  void turn_tool() override {}
  bool zoom_by_factor(double) override { return false; }
  // Without a view a drawn step is a plain step.
  bool draw_step(NCD_DATA& d, int mode) override { return NCD_plain_draw_data(d, mode); }
  void fit_scale(int) override {}
  std::shared_ptr<const TG2_picture> render_view(int, int) override { return nullptr; }
  bool draw_ZU_of_TOOL(int, int, int, bool, std::shared_ptr<const TG2_picture>& out) override {
    out.reset();
    return true;
  }
  TGL_VIEW* gl_view() override { return nullptr; }
  void gl_set_color24(bool) override {}
  void gl_set_verbose(bool) override {}
  // listing
  void listing_enable(bool) override {}
  void listing_reset() override {}
  void listing_refresh() override {}
  void commit_listing() override {}
  void set_list_font(int) override {}
  NCD_EDIT_LIST* edit_list() override { return nullptr; }
  // control panel and work window
  void panel_refresh() override {}
  void panel_reset() override {}
  void panel_tool_image() override {}
  void panel_view_tracks(int, int) override {}
  void panel_zoom(double) override {}
  void panel_sync_switches() override {}
  void set_controler_visible(bool) override {}
  bool controler_visible() override { return false; }
  void work_window_point(const std::string&) override {}
  void work_window_text(const std::string&) override {}
  void auto_WORK_for_NCD() override {}
  void end_WORK_SET() override {}
  void refresh_simulation_menu() override {}
  // error and search lists
  bool err_window_has_lines() override { return false; }
  void show_err_window(const std::vector<std::string>&, const std::string&) override {}
  void clear_err_window() override {}
  void err_window_add_pick(const std::string&, int) override {}
  void show_find_results(const std::string&, std::vector<std::string>&&) override {}
  // dialogs: each one cancelled
  std::filesystem::path open_file_dialog(int) override { return {}; }
  int input_number(const std::string&, const std::string&) override { return 2147483647; }
  bool clipboard_text(std::string&, bool&) override { return false; }
  void set_clipboard_text(const std::string&) override {}
  int find_dialog(FIND_SETTINGS&) override { return 2; }
  void show_about() override {}
  bool g91_g90_dialog(const std::string&, bool&) override { return false; }
  bool move_rotate_dialog(MOVE_ROTATE_VALUES&) override { return false; }
  bool other_exec_dialog(OTHER_EXEC_SETTINGS&, const std::string&, const std::string&) override {
    return false;
  }
  bool TDH_dialog(TTOOL_TDH_request&) override { return false; }
  bool tool_check_dialog(const TTOOL_check_request&, Tdisp_status&) override { return false; }
  void show_output(TText_lines&, const std::string&) override {}
  void output_caption(const std::string&) override {}
  // menus and tool bar
  bool item_checked(const char*) override { return false; }
  void set_item_checked(const char*, bool) override {}
  void set_item_caption(const char*, const std::string&) override {}
  void set_item_visible(const char*, bool) override {}
  void mouse_mode_changed(int) override {}
  void set_vis_loc(bool) override {}

 private:
  std::string caption_;
  TVLM_ui bundle_;
};
