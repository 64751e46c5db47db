// The path of the 3D view as geometry, without GL: one move of the interpreter becomes
// coloured runs of line pairs, arc strips and end-point marks, sent to a sink. The GL strip
// writer, the retained-geometry recorder and the CPU picker are sinks, so what is drawn,
// kept and picked are the same vertices. No Qt, no GL here.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "tooling/core/disp_status.h"

struct PathPoint {
  double x = 0, y = 0, z = 0;
};

// What a move is, as the view draws it.
enum class PathMoveKind : std::uint8_t {
  none,     // nothing to draw (no motion, error block, unknown group)
  rapid,    // G00 and the rapid groups
  linear,   // G01 and the linear feed groups
  cw,       // G02
  ccw,      // G03
  cycle,    // a canned-cycle sub-step; `cycle_step` tells which
};

// Arc planes: XY (G17), ZX (G18), YZ (G19).
enum class PathPlane : std::uint8_t { xy, zx, yz };

// One compensated segment of a block under cutter compensation.
struct PathCompSeg {
  bool arc = false;
  bool cw = false;  // arcs: G02
  PathPoint start, end, centre;
  double radius = 0;
};

// One move of the interpreter: start and end of the block, arc data, the cycle sub-step
// kind, the feed and tool in force, and the line that made it.
struct PathMove {
  PathMoveKind kind = PathMoveKind::none;
  PathPoint start, end, centre;  // centre: arcs
  PathPlane plane = PathPlane::xy;
  int cycle_step = 0;            // sub-step kind of a cycle move
  float feed = 0;
  int tool = 0;
  std::uint8_t tool_rgba[4] = {255, 255, 255, 255};  // colour of the tool in force
  int line = -1;                 // NC line of the move
  int comp_count = 0;            // compensated segments (0..2)
  PathCompSeg comp[2];
};

// Line stipple of a path row: pattern 0 is solid (stipple off).
struct PathStipple {
  std::uint16_t pattern = 0;
  int factor = 1;
};
// Style 1..4 give 0x00FF, 0x0F0F, 0x0303, 0x0001; any other style is solid. The repeat
// factor is rounded and held within 1..255.
PathStipple set_line_style(int style, double factor);

struct PathStyle {
  std::uint8_t rgba[4] = {255, 255, 255, 128};
  float width = 1;
  float point_size = 1;
  PathStipple stipple;
};

// Receives the emitted geometry. A style change comes before the vertices it applies to;
// a GL sink closes its GL_LINES run before it and opens a new one after.
class PathSink {
 public:
  virtual ~PathSink() = default;
  virtual void style(const PathStyle& s) = 0;
  virtual void line(const PathPoint& a, const PathPoint& b) = 0;
  // A connected line strip (an arc), outside the GL_LINES run.
  virtual void strip(const std::vector<PathPoint>& pts) = 0;
  // An end-point mark of a compensated segment, in the point size of the style in force.
  virtual void point(const PathPoint& p) = 0;
};

// Arc points, start to end, for the plane of the arc (the helix axis is the plane's
// normal). `step_mm` is the longest chord; the arc routine of the GL view passes its pixel
// size times scale. A full circle is an arc whose start equals its end.
void path_arc_points(const PathPoint& start, const PathPoint& end, const PathPoint& centre,
                     bool cw, PathPlane plane, double step_mm, std::vector<PathPoint>& out);

// Cycle sub-step kinds that draw nothing, and those drawn as rapid moves.
bool path_cycle_step_hidden(int step);
bool path_cycle_step_rapid(int step);

struct PathOptions {
  int coloring = 0;         // 0 by feed band, 1 by motion kind, 2 by tool
  bool hide_rapid = false;  // rapid moves neither drawn nor pickable
  bool thick = true;        // the rows' thick width, else their thin width
  double style_factor = 1;  // repeat factor of the rows' stipple
  double z_offset = 0;      // display height offset, added to every drawn vertex
  // Raised tools: a move of one of these tools is drawn this much higher besides (tool
  // number, raise), so each tool's path shows where its own ball's centre went.
  std::vector<std::pair<int, double>> tool_raise;
  double arc_step = 0.5;    // longest arc chord (mm) of path_arc_points
  // The view's pixel size and scale: the emitted arcs take the points of the GL arc routine
  // (gl_helix_points with the table step of the arc's radius in pixels).
  double pixel_size = 0, scale = 0;
};

// The segment routines. Colour, width and stipple change only when the colour key changes,
// so long runs of one colour stay one run of the sink.
class PathEmitter {
 public:
  PathEmitter(const Tdisp_status& disp, const PathOptions& opt, PathSink& sink)
      : disp_(disp), opt_(opt), sink_(sink) {}
  // Forget the colour in force (before each drawing).
  void reset() { key_kind_ = KeyNone; }
  // The move in the colouring mode of the options.
  void draw_PATH_seg(const PathMove& m);
  // The move's vertices with no colour or width change (picking).
  void draw_PATH_pick(const PathMove& m);
  // The move once more in width 2 and the colour in force (the current-move mark).
  void mark(const PathMove& m);
  // The band row (1..n) of a feed: the first band whose limit is not below it, else the last.
  static int feed_band(const Tdisp_status& disp, float feed);

 private:
  enum KeyKind { KeyNone, KeyRapid, KeyFeed, KeyLinear, KeyCw, KeyCcw, KeyCycle, KeyTool };
  void use_key(KeyKind kind, float value, const std::uint8_t* rgb, int row);
  void use_row(KeyKind kind, float value, int row);
  void use_tool(const PathMove& m);
  bool select(const PathMove& m);  // colour for the move; false: draw nothing
  enum class Comp { none, styled, plain };  // compensated segments: left out, marked, bare
  void make_PATH_points(const PathMove& m, Comp comp);
  void emit_arc(const PathPoint& a, const PathPoint& b, const PathPoint& c, bool cw,
                PathPlane plane);
  PathPoint shown(const PathPoint& p) const { return {p.x, p.y, p.z + dz_}; }
  double raise_of(const PathMove& m) const;

  const Tdisp_status& disp_;
  PathOptions opt_;
  PathSink& sink_;
  KeyKind key_kind_ = KeyNone;
  float key_value_ = 0;
  PathStyle cur_;
  std::vector<PathPoint> arc_;
  std::vector<double> helix_;
  double dz_ = 0;  // height offset of the move being emitted
};
