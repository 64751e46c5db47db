// The tool settings window and the path colour window of the main window, made once and
// handed to the tool commands.
#pragma once
#include <memory>
#include <string>

#include "tooling/core/tool_windows.h"

class QWidget;
class TVLM_command_table;
class TVLM_file_chooser;
class TVLM_ui;
class Tcutter_set_win;
class Tpath_color_runner;
class TTOOL_LIST_opener;
class Ttooling_host;
struct TSession;

class TVLM_tool_setting_windows {
 public:
  TVLM_tool_setting_windows(TSession& s, Ttooling_host& host, QWidget* parent);
  ~TVLM_tool_setting_windows();
  Tcutter_set_win& cutter_set_win();
  // The tool settings window as the commands see it, made at the first call.
  Ttool_settings_window& lazy_cutter() { return lazy_; }
  Tpath_color_runner& path_colors() { return *colors_; }
  Tcolor_code_dialog& color_pick() { return *pick_; }
  // The tool list window's opener for the tool settings window.
  void set_tool_list_opener(TTOOL_LIST_opener* r);

 private:
  class Lazy : public Ttool_settings_window {
   public:
    explicit Lazy(TVLM_tool_setting_windows& w) : w_(w) {}
    void load(const TTOOL_HOLDER_tmp& m, const std::string& caption, const std::string& nc_name,
              bool magazine_file, int mode) override;
    void select_tool(int t) override;
    bool run() override;
    bool show_TOOL_LIST(int mode) override;
    const TTOOL_HOLDER_tmp& magazine() const override;
    Tdisp_status& settings() override;

   private:
    TVLM_tool_setting_windows& w_;
  };
  TSession& s_;
  Ttooling_host& host_;
  QWidget* parent_;
  Lazy lazy_{*this};
  std::unique_ptr<TTOOL_LIST_opener> null_lists_;
  std::unique_ptr<Tcutter_set_win> cutter_;
  std::unique_ptr<Tpath_color_runner> colors_;
  std::unique_ptr<Tcolor_code_dialog> pick_;
};

void register_tool_setting_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                    TVLM_file_chooser& chooser, TVLM_tool_setting_windows& w);
