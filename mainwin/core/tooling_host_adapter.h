// The tool windows' host over the session: what tooling/ may ask of the main window. Each
// window's needs are answered here from the session's records or through the window's
// narrow interface (TVLM_ui). No Qt here.
#pragma once
#include "tooling/core/tooling_host.h"

struct TSession;
class TVLM_ui;

class TVLM_tooling_host : public Ttooling_host {
 public:
  TVLM_tooling_host(TSession& s, TVLM_ui& ui) : s_(s), ui_(ui) {}
  std::string nc_file_name() const override;
  std::string file_line() const override;
  int back_color() const override;
  bool busy() const override;
  std::shared_ptr<const TG2_picture> render_view(int width, int height) override;
  // the tool list window
  bool program_tools(TTOOL_HOLDER_tmp& m) override;
  const NCD_DATA* program() const override;
  const Tdisp_status* disp() const override;
  bool draw_ZU_of_TOOL(int seg, int width, int height, bool white,
                       std::shared_ptr<const TG2_picture>& out) override;
  bool cutting_on() const override;
  void reset_works() override;
  bool frame_geometry(int& left, int& top, int& width, int& height) const override;
  Tmat& work_store() override;
  Tdisp_status& disp_status() override;
  std::filesystem::path config_folder() const override;
  void draw_data(int mode) override;
  void end_WORK_SET() override;
  void preview_display(const Tdisp_status* copy) override;
  // the NC outputs of the tool list and the output text window
  bool TDH_dialog(TTOOL_TDH_request& r) override;
  bool list_TOOL_segments(int use, const TTOOL_TDH_codes& codes, bool no_name,
                          std::vector<std::string>& out) override;
  bool tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& params) override;
  bool make_TOOL_check_NCD(const Tdisp_status& params, std::vector<std::string>& out) override;
  void show_output_text(const std::vector<std::string>& lines) override;
  std::filesystem::path nc_path() const override;
  std::vector<std::string> nc_comment_lines() const override;
  std::vector<std::string> tool_def_lines() const override;
  std::filesystem::path free_numbered_name(const std::filesystem::path& f) const override;
  std::filesystem::path open_tool_file(int mode) override;

 private:
  TSession& s_;
  TVLM_ui& ui_;
};
