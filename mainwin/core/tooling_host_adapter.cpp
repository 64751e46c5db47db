#include "mainwin/core/tooling_host_adapter.h"

#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "mainwin/core/tool_table.h"
#include "tooling/core/tool_list.h"
#include "mainwin/core/work_setting_commands.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"

std::string TVLM_tooling_host::nc_file_name() const {
  if (s_.file.path.empty()) return {};
  return plat::utf8_to_cp932(s_.file.path.string());
}

std::string TVLM_tooling_host::file_line() const { return s_.file.status; }

int TVLM_tooling_host::back_color() const { return s_.disp.BACK_color; }

bool TVLM_tooling_host::busy() const { return plat::busy(); }

std::shared_ptr<const TG2_picture> TVLM_tooling_host::render_view(int width, int height) {
  return ui_.render_view(width, height);
}

bool TVLM_tooling_host::program_tools(TTOOL_HOLDER_tmp& m) {
  // The program runs after every load and edit, so its per-tool records are the current ones.
  const NCD_DATA& d = s_.nc();
  if (d.run.stats.empty()) {
    show_system_err(s_, "kougu_list_up で工具情報にエラーがありました(M6_MAX=0)");
    return false;
  }
  std::vector<std::string> defs = s_.tool_defs;
  set_TOOL_defs(program_tool_changes(d), defs, m, &s_.log_list);
  std::vector<std::string> errors;
  fill_tool_listing(d.run.stats, run_timed_at_F100(d), m, errors);
  for (const std::string& e : errors) show_system_err(s_, e);
  return true;
}

const NCD_DATA* TVLM_tooling_host::program() const { return &s_.nc(); }

const Tdisp_status* TVLM_tooling_host::disp() const { return &s_.disp; }

bool TVLM_tooling_host::cutting_on() const { return s_.disp.SIM_CUTTING_MODE != 0; }

void TVLM_tooling_host::reset_works() {
  REMAKE_ALL_WORK_MATRIX(*s_.mat);
  ui_.draw_data(4);
}

bool TVLM_tooling_host::frame_geometry(int& left, int& top, int& width, int& height) const {
  return ui_.frame_geometry(left, top, width, height);
}

Tmat& TVLM_tooling_host::work_store() { return *s_.mat; }

Tdisp_status& TVLM_tooling_host::disp_status() { return s_.disp; }

std::filesystem::path TVLM_tooling_host::config_folder() const { return s_.config_folder; }

void TVLM_tooling_host::draw_data(int mode) { ui_.draw_data(mode); }

void TVLM_tooling_host::end_WORK_SET() { ui_.end_WORK_SET(); }

void TVLM_tooling_host::preview_display(const Tdisp_status* copy) {
  if (!copy) {
    apply_EXTRA_SETUP(s_, ui_);
    return;
  }
  // The copy is on view only while the view redraws; the main window's own settings come
  // back however that ends.
  struct Restore {
    Tdisp_status& live;
    Tdisp_status own;
    ~Restore() {
      live = std::move(own);
      update_disp_colors(live);
    }
  } restore{s_.disp, s_.disp};
  s_.disp = *copy;
  apply_EXTRA_SETUP(s_, ui_);
}
