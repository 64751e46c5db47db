// What the tool windows ask of the main window. The main window gives an adapter over its
// session; without one the null host answers (no NC file, not busy, no 3D view), and tests
// fake it. No Qt.
#pragma once
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tooling/core/g2_canvas.h"
#include "tooling/core/tool_list.h"

struct NCD_DATA;
struct Tdisp_status;

struct Tmat;

class Ttooling_host {
 public:
  virtual ~Ttooling_host() = default;
  // The loaded NC file's path (CP932), empty without one.
  virtual std::string nc_file_name() const { return {}; }
  // The main window's file line: name, bytes and tape length (CP932).
  virtual std::string file_line() const { return {}; }
  // The background colour code of the settings.
  virtual int back_color() const { return 2; }
  // True while a long command runs: windows then leave their pictures as they are.
  virtual bool busy() const { return false; }
  // The 3D view rendered off-screen at this size, or null when there is none.
  virtual std::shared_ptr<const TG2_picture> render_view(int width, int height) {
    (void)width;
    (void)height;
    return nullptr;
  }
  // The clock of the footers.
  virtual std::time_t now() const { return std::time(nullptr); }

  // ---- the tool list window
  // The program's tool table with the per-tool totals and listing texts of the last
  // whole-program run; false (after its box) when there is none.
  virtual bool program_tools(TTOOL_HOLDER_tmp& m) {
    (void)m;
    return false;
  }
  // The loaded program, or null.
  virtual const NCD_DATA* program() const { return nullptr; }
  // The main window's settings record, or null.
  virtual const Tdisp_status* disp() const { return nullptr; }
  // The cutter path of tool use `seg` (-1: the whole program) drawn off-screen at this size
  // into `out` (null: no picture), on white with `white`; false when refused or ended with
  // Escape.
  virtual bool draw_ZU_of_TOOL(int seg, int width, int height, bool white,
                               std::shared_ptr<const TG2_picture>& out) {
    (void)seg;
    (void)width;
    (void)height;
    (void)white;
    out.reset();
    return true;
  }
  // Cutting simulation is on; the works back to their initial state.
  virtual bool cutting_on() const { return false; }
  virtual void reset_works() {}
  // The main window's frame (left, top, width, height); false without one.
  virtual bool frame_geometry(int& left, int& top, int& width, int& height) const {
    (void)left;
    (void)top;
    (void)width;
    (void)height;
    return false;
  }
  // The per-tool copy-out: its code dialog (false: cancelled), then the tool's NC lines with
  // the new codes (false: none written).
  virtual bool TDH_dialog(TTOOL_TDH_request& r) {
    (void)r;
    return false;
  }
  virtual bool list_TOOL_segments(int use, const TTOOL_TDH_codes& codes, bool no_name,
                                  std::vector<std::string>& out) {
    (void)use;
    (void)codes;
    (void)no_name;
    (void)out;
    return false;
  }
  // The tool-check program: its dialog on the parameters of `params` (stored back whether
  // OK or not; false: cancelled), then the program's lines.
  virtual bool tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& params) {
    (void)r;
    (void)params;
    return false;
  }
  virtual bool make_TOOL_check_NCD(const Tdisp_status& params, std::vector<std::string>& out) {
    (void)params;
    (void)out;
    return false;
  }
  // The output text window with these lines.
  virtual void show_output_text(const std::vector<std::string>& lines) { (void)lines; }
  // ---- the work and display settings windows
  // The main window's work store and display record (the null host keeps its own).
  virtual Tmat& work_store();
  virtual Tdisp_status& disp_status();
  // The configuration folder ("confignc" of the data folder); empty without one.
  virtual std::filesystem::path config_folder() const { return {}; }
  // A redraw of the 3D view by draw_data mode.
  virtual void draw_data(int mode) { (void)mode; }
  // The work window hid: the work set-up ends.
  virtual void end_WORK_SET() {}
  // Shows a copy of the display settings in the 3D view and puts the main window's own back
  // into its record; null shows the main window's own settings again.
  virtual void preview_display(const Tdisp_status* copy) { (void)copy; }

  // ---- the output text window's saving
  // The loaded program's file (native), empty without one.
  virtual std::filesystem::path nc_path() const { return {}; }
  // The program's origin, source and output comment lines, those it has (CP932).
  virtual std::vector<std::string> nc_comment_lines() const { return {}; }
  // The program's tool-definition lines (CP932).
  virtual std::vector<std::string> tool_def_lines() const { return {}; }
  // The first "name-NN.ext" of the file that does not exist yet; empty when none is known.
  virtual std::filesystem::path free_numbered_name(const std::filesystem::path&) const {
    return {};
  }
  // The main window's file dialog for magazine files (mode 30: choose a ".nst" file in the
  // configuration folder); the chosen path, or empty when cancelled.
  virtual std::filesystem::path open_tool_file(int mode) {
    (void)mode;
    return {};
  }
};

// The host of windows that were given none.
Ttooling_host& null_tooling_host();

// "yyyy/MM/dd hh:mm" in local time.
std::string tooling_date_text(std::time_t t);
