#include "mainwin/core/path_step.h"

#include <cmath>

#include "ncdata/ncd_data.h"
#include "simulation/cutting_sim.h"
#include "simulation/work_store.h"

namespace {

PathPoint pt(const VEC3& v) { return {v.x, v.y, v.z}; }
PathPoint pt(const NCD_POINT& v) { return {v.x, v.y, v.z}; }

PathPlane plane_of(std::uint32_t plane) {
  switch (plane & NCD_PLANE_MASK) {
    case NCD_PLANE_ZX: return PathPlane::zx;
    case NCD_PLANE_YZ: return PathPlane::yz;
    default: return PathPlane::xy;  // 0x00 and 0x10
  }
}

// Sub-step kinds the emitter knows: 0 draws nothing, 1 rapid, 2 feed.
constexpr int kCycleNone = 0, kCycleRapid = 1, kCycleFeed = 2;

void set_kind(PathMove& p, const NCD_MOVE& m) {
  if (m.cycle_kind >= 0) {
    p.kind = PathMoveKind::cycle;
    p.cycle_step = m.kind == NCD_MOVE_KIND::RAPID  ? kCycleRapid
                   : m.kind == NCD_MOVE_KIND::FEED ? kCycleFeed
                                                   : kCycleNone;
    return;
  }
  switch (m.kind) {
    case NCD_MOVE_KIND::RAPID: p.kind = PathMoveKind::rapid; break;
    case NCD_MOVE_KIND::FEED: p.kind = PathMoveKind::linear; break;
    case NCD_MOVE_KIND::ARC: p.kind = m.turn > 0 ? PathMoveKind::ccw : PathMoveKind::cw; break;
    default: p.kind = PathMoveKind::none; break;
  }
}

}  // namespace

PathMove path_move_of_step(const NCD_DATA& d, const NCD_STEP_MOVES& moves) {
  PathMove p;
  const NCD_EXEC& e = d.exec;
  p.feed = e.feed;
  p.tool = e.t_cur;
  for (int i = 0; i < 3; ++i) p.tool_rgba[i] = e.colour_rgba[static_cast<size_t>(i)];
  p.tool_rgba[3] = 255;
  p.line = d.pos.cur_line;
  if (moves.count <= 0) return p;
  const NCD_MOVE& m0 = moves.m[0];
  p.line = m0.line;
  if (!m0.compensated) {
    set_kind(p, m0);
    p.start = pt(m0.start);
    p.end = pt(m0.end);
    p.centre = pt(m0.centre);
    p.plane = plane_of(m0.plane);
    return p;
  }
  // The programmed move of the block, then its compensated segments.
  const int g = e.status & NCD_ST_MOTION;
  p.start = pt(e.prev);
  p.end = pt(e.cur);
  p.plane = plane_of(e.mode);
  if (ncd_is_arc(g)) {
    p.kind = g == NCD_MG_G03 ? PathMoveKind::ccw : PathMoveKind::cw;
    p.centre = pt(ncd_arc_centre(e));
  } else {
    p.kind = m0.kind == NCD_MOVE_KIND::RAPID ? PathMoveKind::rapid : PathMoveKind::linear;
  }
  p.comp_count = moves.count < 2 ? moves.count : 2;
  for (int i = 0; i < p.comp_count; ++i) {
    const NCD_MOVE& c = moves.m[static_cast<size_t>(i)];
    PathCompSeg& s = p.comp[i];
    s.arc = c.kind == NCD_MOVE_KIND::ARC;
    s.cw = c.turn < 0;
    s.start = pt(c.start);
    s.end = pt(c.end);
    s.centre = pt(c.centre);
    s.radius = c.radius;
  }
  return p;
}

bool cut_PATH_only(Tmat& mat, const NCD_STEP_MOVES& moves) {
  for (int i = 0; i < moves.count && i < NCD_STEP_MOVES_MAX; ++i) {
    const NCD_MOVE& m = moves.m[static_cast<size_t>(i)];
    switch (m.kind) {
      case NCD_MOVE_KIND::RAPID:
      case NCD_MOVE_KIND::FEED:
        CUT_LINE_ALL_WORK(mat, m.line, m.kind == NCD_MOVE_KIND::RAPID ? 0 : 1, m.start, m.end);
        break;
      case NCD_MOVE_KIND::ARC: {
        const int dir = m.turn > 0 ? 1 : 0;
        switch (m.plane & NCD_PLANE_MASK) {
          case NCD_PLANE_ZX: CUT_ARC_ZX(mat, m.line, 1, m.centre, m.start, m.end, m.radius, dir); break;
          case NCD_PLANE_YZ: CUT_ARC_YZ(mat, m.line, 1, m.centre, m.start, m.end, m.radius, dir); break;
          default: CUT_ARC_XY(mat, m.line, 1, m.centre, m.start, m.end, m.radius, dir); break;
        }
        break;
      }
      default:
        break;
    }
    if (mat.abort_flag != 0) return false;
  }
  return true;
}
