#include "mainwin/tool_setting_commands.h"

#include "mainwin/core/command_table.h"
#include "mainwin/core/session.h"
#include "mainwin/core/tool_setting_commands.h"
#include "tooling/cutter_set_win_1.h"
#include "tooling/path_color_set_win_1.h"
#include "tooling/select_color_1.h"

namespace {

// The tool list opener the tool settings window holds; it passes each call on to the
// window's opener given later (none: the list is not shown, the answer is "closed").
class ListForward : public TTOOL_LIST_opener {
 public:
  int show_tool_list(TTOOL_LIST_model& m, TTOOL_LIST_options& o, Tdisp_status& d) override {
    return target ? target->show_tool_list(m, o, d) : 0;
  }
  TTOOL_LIST_opener* target = nullptr;
};

// The colour picker over the main window.
class ColorPick : public Tcolor_code_dialog {
 public:
  explicit ColorPick(QWidget* parent) : parent_(parent) {}
  bool choose(int start, int& code) override {
    const auto got = default_color_chooser().choose_color(start, {}, parent_);
    if (!got) return false;
    code = *got;
    return true;
  }

 private:
  QWidget* parent_;
};

}  // namespace

TVLM_tool_setting_windows::TVLM_tool_setting_windows(TSession& s, Ttooling_host& host,
                                                     QWidget* parent)
    : s_(s), host_(host), parent_(parent), null_lists_(std::make_unique<ListForward>()),
      colors_(std::make_unique<Tpath_color_runner>(default_color_chooser(), parent)),
      pick_(std::make_unique<ColorPick>(parent)) {}

Tcutter_set_win& TVLM_tool_setting_windows::cutter_set_win() {
  // Made at its first use, when the settings have been read: its drawing settings start as
  // the main window's and then stay its own.
  if (!cutter_) {
    cutter_ = std::make_unique<Tcutter_set_win>(host_, default_color_chooser(), *null_lists_,
                                                 parent_);
    cutter_->set_settings(s_.disp);
  }
  return *cutter_;
}

TVLM_tool_setting_windows::~TVLM_tool_setting_windows() = default;

void TVLM_tool_setting_windows::set_tool_list_opener(TTOOL_LIST_opener* r) {
  static_cast<ListForward&>(*null_lists_).target = r;
}

void register_tool_setting_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                    TVLM_file_chooser& chooser, TVLM_tool_setting_windows& w) {
  register_tool_setting_commands(t, s, ui, chooser, w.lazy_cutter(), w.path_colors(),
                                 w.color_pick());
}

void TVLM_tool_setting_windows::Lazy::load(const TTOOL_HOLDER_tmp& m, const std::string& caption,
                                           const std::string& nc_name, bool magazine_file,
                                           int mode) {
  w_.cutter_set_win().load(m, caption, nc_name, magazine_file, mode);
}
void TVLM_tool_setting_windows::Lazy::select_tool(int t) { w_.cutter_set_win().select_tool(t); }
bool TVLM_tool_setting_windows::Lazy::run() { return w_.cutter_set_win().run(); }
bool TVLM_tool_setting_windows::Lazy::show_TOOL_LIST(int mode) {
  return w_.cutter_set_win().show_TOOL_LIST(mode);
}
const TTOOL_HOLDER_tmp& TVLM_tool_setting_windows::Lazy::magazine() const {
  return w_.cutter_set_win().magazine();
}
Tdisp_status& TVLM_tool_setting_windows::Lazy::settings() { return w_.cutter_set_win().settings(); }
