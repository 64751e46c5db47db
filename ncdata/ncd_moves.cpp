// The moves of a step, read from the interpreter's state and the compensation results.
#include "ncdata/ncd_moves.h"

#include <cmath>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"

namespace {

// What a cycle sub-move does: travel at the rapid feed, at the cutting feed, or not at all.
NCD_MOVE_KIND cycle_move_kind(std::int32_t k) {
  switch (k) {
    case NCD_CK_FEED: case NCD_CK_CW_UP: case NCD_CK_CCW_UP: case NCD_CK_TO_BOTTOM:
      return NCD_MOVE_KIND::FEED;
    case NCD_CK_DWELL: case NCD_CK_SPN_STOP: case NCD_CK_SPN_SPIN: case NCD_CK_STOP:
      return NCD_MOVE_KIND::DWELL;
    default:
      return NCD_MOVE_KIND::RAPID;
  }
}

const char* cycle_kind_name(std::int32_t k) {
  switch (k) {
    case NCD_CK_RAPID: return "RAPID";
    case NCD_CK_RAPID_I: return "RAPID_I";
    case NCD_CK_FEED: return "FEED";
    case NCD_CK_DWELL: return "DWELL";
    case NCD_CK_CW_UP: return "CW_UP";
    case NCD_CK_SHIFT: return "SHIFT";
    case NCD_CK_SPN_STOP: return "SPN_STOP";
    case NCD_CK_SHIFT_BACK: return "SHIFT_BACK";
    case NCD_CK_SPN_SPIN: return "SPN_SPIN";
    case NCD_CK_STOP: return "STOP";
    case NCD_CK_CCW_UP: return "CCW_UP";
    case NCD_CK_BACK: return "BACK";
    case NCD_CK_IN: return "IN";
    case NCD_CK_POSITION: return "POSITION";
    case NCD_CK_TO_R: return "TO_R";
    case NCD_CK_TO_BOTTOM: return "TO_BOTTOM";
    case NCD_CK_RETURN: return "RETURN";
    default: return "?";
  }
}

std::string point_text(const VEC3& p) {
  return "X" + float_to_str(p.x, 3) + " Y" + float_to_str(p.y, 3) + " Z" + float_to_str(p.z, 3);
}

}  // namespace

void get_NCD_step_moves(const NCD_DATA& d, NCD_STEP_MOVES& out) {
  out.count = 0;
  const NCD_EXEC& e = d.exec;
  if (e.status & NCD_ST_ERROR) return;  // an error, or the end
  const int g = e.status & NCD_ST_MOTION;
  const std::uint16_t f = e.flags;
  NCD_MOVE m;
  m.tool = e.t_cur;
  m.line = d.pos.cur_line;
  m.plane = e.mode & NCD_PLANE_MASK;
  m.start = e.prev;
  m.end = e.cur;
  if (f & NCD_WF_G04) {
    m.kind = NCD_MOVE_KIND::DWELL;
    m.start = m.end;
  } else if ((f & NCD_WF_NOSIM) || !(f & (NCD_WF_AXIS | NCD_WF_ARC))) {
    return;
  } else if (ncd_is_cycle(g)) {
    if (!(f & NCD_WF_AXIS)) return;
    m.cycle_kind = e.cyc.kind;
    m.kind = cycle_move_kind(e.cyc.kind);
  } else if (ncd_is_arc(g)) {
    if (!(f & NCD_WF_ARC)) return;
    m.kind = NCD_MOVE_KIND::ARC;
    m.centre = ncd_arc_centre(e);
    m.radius = std::fabs(e.arc_r);
    m.turn = g == NCD_MG_G03 ? 1 : -1;
  } else if (ncd_is_rapid(g) || ncd_is_feed(g)) {
    if (!(f & NCD_WF_AXIS)) return;
    m.kind = ncd_is_rapid(g) ? NCD_MOVE_KIND::RAPID : NCD_MOVE_KIND::FEED;
  } else {
    return;
  }
  const TComp_state& c = d.run.st.comp;
  if (!c.comp_applied || c.comp_move_count <= 0) {
    out.m[0] = m;
    out.count = 1;
    return;
  }
  // Under G41/G42 the compensated moves stand for the block.
  const NCD_MOVE_KIND straight = m.kind == NCD_MOVE_KIND::RAPID ? m.kind : NCD_MOVE_KIND::FEED;
  for (int i = 0; i < c.comp_move_count && i < NCD_STEP_MOVES_MAX; ++i) {
    const TComp_move& cm = c.comp_moves[static_cast<size_t>(i)];
    NCD_MOVE& o = out.m[static_cast<size_t>(i)];
    o = m;
    o.compensated = true;
    o.start = cm.start;
    o.end = cm.end;
    if (cm.kind == COMP_G02 || cm.kind == COMP_G03) {
      o.kind = NCD_MOVE_KIND::ARC;
      o.centre = cm.centre;
      o.radius = std::fabs(cm.radius);
      o.turn = cm.kind == COMP_G03 ? 1 : -1;
      o.plane = NCD_PLANE_XY;
    } else {
      o.kind = straight;
      o.centre = VEC3{};
      o.radius = 0;
      o.turn = 0;
    }
    ++out.count;
  }
}

bool STEP_NCD_moves(NCD_DATA& d, bool sub_step, std::vector<NCD_MOVE>& out) {
  NCD_STEP_MOVES m;
  for (;;) {
    const bool ended = STEP_NCD(d, true);
    get_NCD_step_moves(d, m);
    out.insert(out.end(), m.m.begin(), m.m.begin() + m.count);
    const bool cycle_going = d.exec.cyc.active && d.pos.next_line == d.pos.cur_line;
    if (ended || sub_step || !cycle_going) return ended;
  }
}

std::string get_NCD_move_text(const NCD_MOVE& m) {
  static const char* const kinds[] = {"RAPID", "FEED", "ARC", "DWELL"};
  std::string s = "L" + std::to_string(m.line + 1) + " T" + std::to_string(m.tool) + " " +
                  kinds[static_cast<int>(m.kind) & 3];
  if (m.cycle_kind >= 0) s += std::string(" cycle ") + cycle_kind_name(m.cycle_kind);
  if (m.compensated) s += " comp";
  if (m.kind == NCD_MOVE_KIND::ARC) {
    s += m.plane == NCD_PLANE_ZX ? " G18" : (m.plane == NCD_PLANE_YZ ? " G19" : " G17");
    s += m.turn > 0 ? " CCW" : " CW";
  }
  s += " " + point_text(m.start) + " > " + point_text(m.end);
  if (m.kind == NCD_MOVE_KIND::ARC)
    s += " C " + point_text(m.centre) + " R" + float_to_str(m.radius, 3);
  return s;
}
