// The 3D view of velmor: every redraw of the panel goes through draw_data with a mode
// number, drawn through GL_STAT slot 0 (the scene frame with axes, path extents and work
// frame, the works and jigs, the program's path, the tool with its holder and the read-out
// box). The view also steps the simulation when the listing asks for a drawn step (cutting
// the works along each move when they are shown), picks path lines on the CPU, fits the
// view and renders it off-screen for the print preview. It answers the mouse controller's
// calls (ViewMouseHost), so the panel form only turns events into ViewMouse calls.
// GL, no widgets.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "mainwin/core/host_adapter.h"
#include "mainwin/core/path_emit.h"
#include "mainwin/core/view_control.h"
#include "mainwin/core/view_fit.h"
#include "mainwin/view/frame_pacer.h"
#include "mainwin/view/path_layer.h"
#include "mainwin/view/path_retained.h"
#include "simulation/gl/gl_stat.h"

struct TSession;
struct NCD_STEP_MOVES;
namespace plat {
class GlWindow;
}

// Redraw modes of draw_data.
enum VLM_DRAW_MODE : int {
  VLM_DRAW_LOADED = 2,    // after a load or an insertion
  VLM_DRAW_QUICK = 3,     // while dragging: the works and the stored move list when the range is long
  VLM_DRAW_FULL = 4,      // full redraw
  VLM_DRAW_BLINK = 5,     // the last 30 blocks, read-out text when shown
  VLM_DRAW_STEP_ONE = 6,  // a drawn single step
  VLM_DRAW_PAINT = 7,     // the panel's expose
  VLM_DRAW_STEP = 11,     // a drawn simulation step
  VLM_DRAW_TO_END = 12,   // a high-speed step: one block to the end of its sub-steps, not drawn
  VLM_DRAW_SWAP = 16,     // refresh: swap and the tool
  VLM_DRAW_CLICK = 17,    // after a click on a listing row
  VLM_DRAW_MEASURE = 23,  // as 3, in measure mode
  VLM_DRAW_WORK_SET = 24, // from the work settings window
  VLM_DRAW_PICKED = 44,   // after a path line was picked
};

class TVLM_view {
 public:
  TVLM_view(TSession& s, Tgl_func& gl, TVLM_ui& ui, int slot = 0);
  ~TVLM_view();
  TVLM_view(const TVLM_view&) = delete;
  TVLM_view& operator=(const TVLM_view&) = delete;

  // The window slot 0 presents into.
  void set_window(plat::GlWindow* w) { win_ = w; }
  ViewMouse& mouse() { return *mouse_; }
  // After a mouse event: the view parameters the controller changed go into the slot.
  void mouse_done();

  // The redraw of a mode; the result of the stepping modes (6, 11, 12: 1 when the block cut
  // with damage while stop-on-damage is on), else 0. Unknown modes give the message box;
  // without a program or while a drawing runs nothing is drawn.
  int draw_data(int mode);
  // A drawn step of the listing (modes 6 and 11): true when the run ended or stopped.
  bool draw_step(int mode);
  // The turning tool over the kept picture of the last full redraw, drawn into the front
  // buffer; without a kept picture a blink redraw (mode 5) makes one.
  void turn_tool();
  // Fits path and works into the panel; `reset` also puts the view angles back.
  void fit_scale(bool reset);
  // Multiplies the zoom (the controller's zoom buttons).
  bool zoom_by_factor(double f);
  // The view drawn off-screen at this size (the print preview's picture), or null; on a
  // white background with `white`, the works alone (no path, no tool) with `works_only`.
  std::shared_ptr<const TG2_picture> render_view(int width, int height, bool white = false,
                                                 bool works_only = false);
  // The NC line of the path under the window point (origin top left), or -1.
  int click_entity2(int x, int y);
  // The panel was exposed (a full redraw after a resize, else the kept picture).
  void paint();
  // The panel's new size in pixels.
  void resized(int width, int height);
  bool drawing() const { return busy_; }
  // Where the tool was last drawn and whether its marker is valid.
  const float* tool_position() const { return tool_pos_; }
  // Blocks stepped by path drawings and picks since the view was made (tests count the
  // re-runs of the interpreter by it).
  std::uint64_t stepped_blocks() const { return stepped_; }
  // Turns of the tool drawn over the kept picture (tests count them).
  std::uint64_t tool_turns() const { return turns_; }
  // Whether the kept path goes over the picture as a layer (on) or is drawn line by line
  // (tests compare the two).
  void set_path_layer(bool on) { path_layer_on_ = on; }
  // Frames that put the path's layer over the picture (tests count them).
  std::uint64_t path_layer_puts() const { return layer_puts_; }

 private:
  class MouseHost;
  friend class MouseHost;

  int run_mode(int mode);
  void show_zoom(bool always);
  bool draw_all(int id, plat::GlWindow* win, bool limit);
  bool draw_stored_moves(int id, plat::GlWindow* win);
  bool begin_full_frame(int id, plat::GlWindow* win);
  void scene_frame(int id);
  void draw_picked_cell(int id, const ViewBox& box);
  // What the frame draws before the works (the scene of scene_frame, background, lights,
  // clip planes) folded into one key; never 0.
  std::uint64_t work_view_key(int id);
  void set_clip_planes(int id);
  void draw_path(int id, plat::GlWindow* win, bool limit, bool swap_while);
  void draw_tool_at_pos(int id, bool keep_marker, const float pos[3]);
  // Whether the works and the tool draw as a turning tool over opaque works only, which the
  // picture can be kept without.
  bool tool_turns_over_opaque_works() const;
  float spin_angle() const;
  // The back buffer copied to the front, the cutting tool and the holder drawn there.
  void show_turning_tool(plat::GlSurface& sf);
  void make_readout_text(bool show_text);
  int step_draw(bool single);
  int run_to_end();
  PathOptions path_options(int id) const;
  bool works_shown() const;
  ViewBox program_box();
  bool damage_stop() const;

  TSession& s_;
  Tgl_func& gl_;
  TVLM_ui& ui_;
  int slot_;
  plat::GlWindow* win_ = nullptr;
  std::unique_ptr<MouseHost> mouse_host_;
  std::unique_ptr<ViewMouse> mouse_;
  bool busy_ = false;
  bool works_only_ = false;  // the picture being rendered shows the works alone
  bool ending_drag_ = false;
  FramePacer pacer_;          // frames of the stepping draws
  bool frame_owed_ = false;   // a paced step has not shown its frame yet
  bool resize_pending_ = false;
  std::string last_mode_;
  // The tool as last drawn: position and its window point.
  float tool_pos_[3] = {0, 0, 0};
  bool tool_pos_picked_ = false;  // placed by a pick, not by the run
  std::int32_t marker_[2] = {0, 0};
  bool marker_valid_ = false;
  std::uint64_t stepped_ = 0;
  // The back buffer and the kept depth hold the last full picture without its turning tool.
  bool turn_kept_ = false;
  std::uint64_t turns_ = 0;
  float shown_zoom_ = -1;  // the zoom factor the control panel's read-out shows
  // The path of the last full drawing, drawn again while nothing it depends on changed.
  PathRetained retained_;
  // Its lines as a picture of their own, put over the works in one pass.
  PathLayer layer_;
  bool path_layer_on_ = true;
  std::uint64_t layer_puts_ = 0;
  // The whole program's extents, for the run and the program they were taken from.
  ViewBox box_;
  bool box_valid_ = false;
  std::uint32_t box_serial_ = 0, box_changes_ = 0;
};
