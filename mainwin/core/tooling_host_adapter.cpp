#include "mainwin/core/tooling_host_adapter.h"

#include <cstdlib>

#include "common/ats_func.h"
#include "mainwin/core/copy_outs.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
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
  return ui_.view().render_view(width, height);
}

bool TVLM_tooling_host::program_tools(TTOOL_HOLDER_tmp& m) {
  // The program runs after every load and edit, so its per-tool records are the current ones.
  const NCD_DATA& d = s_.nc();
  if (d.run.stats.empty() && d.line_count > 0) {
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

bool TVLM_tooling_host::draw_ZU_of_TOOL(int seg, int width, int height, bool white,
                                        std::shared_ptr<const TG2_picture>& out) {
  return ui_.view().draw_ZU_of_TOOL(seg, width, height, white, out);
}

bool TVLM_tooling_host::cutting_on() const { return s_.disp.SIM_CUTTING_MODE != 0; }

void TVLM_tooling_host::reset_works() {
  REMAKE_ALL_WORK_MATRIX(*s_.mat);
  ui_.view().draw_data(4);
}

bool TVLM_tooling_host::frame_geometry(int& left, int& top, int& width, int& height) const {
  return ui_.frame().frame_geometry(left, top, width, height);
}

Tmat& TVLM_tooling_host::work_store() { return *s_.mat; }

Tdisp_status& TVLM_tooling_host::disp_status() { return s_.disp; }

std::filesystem::path TVLM_tooling_host::config_folder() const { return s_.config_folder; }

void TVLM_tooling_host::draw_data(int mode) { ui_.view().draw_data(mode); }

void TVLM_tooling_host::end_WORK_SET() { ui_.panel().end_WORK_SET(); }

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

// ---- the NC outputs --------------------------------------------------------------------------
namespace {

std::vector<std::string> to_vector(const TText_lines& l) {
  std::vector<std::string> v;
  v.reserve(l.size());
  for (std::size_t i = 0; i < l.size(); ++i) v.emplace_back(l.line(i));
  return v;
}

// The number of a code text ("05", "D05"); -1 for an empty or unreadable one.
int code_number(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || (t.front() >= 'A' && t.front() <= 'Z'))) t.remove_prefix(1);
  if (t.empty() || !is_integer_text(t, false)) return -1;
  return std::atoi(std::string(t).c_str());
}

}  // namespace

bool TVLM_tooling_host::TDH_dialog(TTOOL_TDH_request& r) { return ui_.dialogs().TDH_dialog(r); }

bool TVLM_tooling_host::list_TOOL_segments(int use, const TTOOL_TDH_codes& codes, bool no_name,
                                           std::vector<std::string>& out) {
  NCD_DATA& d = s_.nc();
  if (use < 0 || use >= static_cast<int>(d.run.stats.size())) return false;
  const NCD_TOOL_STAT& rec = d.run.stats[static_cast<std::size_t>(use)];
  std::string D, H;
  {
    NCD_position_keeper keep(d);
    tool_use_DH_codes(d, rec, D, H);
  }
  // Only what differs from the use's own codes is a new code.
  const int new_T = codes.T != rec.tool ? codes.T : -1;
  const int d_new = code_number(codes.D), h_new = code_number(codes.H);
  const int new_D = d_new >= 0 && d_new != code_number(D) ? d_new : -1;
  const int new_H = h_new >= 0 && h_new != code_number(H) ? h_new : -1;
  std::string name;
  if (!no_name) {
    auto m = std::make_unique<TTOOL_HOLDER_tmp>();
    std::vector<std::string> defs = s_.tool_defs;
    set_TOOL_defs(program_tool_changes(d), defs, *m, nullptr);
    for (int i = 0; i < m->used(); ++i)
      if (m->slot[static_cast<std::size_t>(i)].T_number == rec.tool) {
        name = m->slot[static_cast<std::size_t>(i)].tool.name;
        break;
      }
  }
  TText_lines lines;
  if (!::list_TOOL_segments(d, lines, use, name, new_H, new_D, new_T)) return false;
  out = to_vector(lines);
  return true;
}

bool TVLM_tooling_host::tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& params) {
  return ui_.dialogs().tool_check_dialog(r, params);
}

bool TVLM_tooling_host::make_TOOL_check_NCD(const Tdisp_status& ds, std::vector<std::string>& out) {
  const TTOOL_CHECK_PARAMS p = tool_check_params_of(ds);
  // The magazine of the program's tool changes and tool-definition lines.
  auto m = std::make_unique<TTOOL_HOLDER_tmp>();
  std::vector<std::string> defs = s_.tool_defs;
  set_TOOL_defs(program_tool_changes(s_.nc()), defs, *m, nullptr);
  TText_lines lines;
  ::make_TOOL_check_NCD(s_.nc(), *m, lines, p);
  out = to_vector(lines);
  return true;
}

void TVLM_tooling_host::show_output_text(const std::vector<std::string>& v) {
  TText_lines lines;
  for (const std::string& l : v) lines.add(l);
  ui_.dialogs().show_output(lines, "");
}

std::filesystem::path TVLM_tooling_host::nc_path() const { return s_.file.path; }

std::vector<std::string> TVLM_tooling_host::nc_comment_lines() const {
  const NCD_FILE_COMMENTS& c = s_.nc().comments;
  std::vector<std::string> v;
  if (c.origin_given) v.push_back(c.origin_comment);
  if (c.source_given) v.push_back(c.source_comment);
  if (c.output_given) v.push_back(c.output_comment);
  return v;
}

std::vector<std::string> TVLM_tooling_host::tool_def_lines() const { return s_.tool_defs; }

std::filesystem::path TVLM_tooling_host::free_numbered_name(const std::filesystem::path& f) const {
  return get_free_numbered_name(f);
}

std::filesystem::path TVLM_tooling_host::open_tool_file(int mode) { return ui_.dialogs().open_file_dialog(mode); }
