// The canned cycles G73, G74, G76 and G81-G89: each block runs as a chain of sub-moves
// (positioning, the approach to R, the cycle's own sub-moves, the return), all at once or one
// by one in sub-step mode.
#include <cmath>
#include <cstdio>

#include "ncdata/ncd_exec_detail.h"

using namespace ncd_exec_detail;

namespace {

// ---- canned cycles -----------------------------------------------------------------------

void cyc_rapid(NCD_EXEC& e, double z, bool count) {
  const double len = std::fabs(z - e.cur.z);
  e.cur.z = z;
  e.tool.rapid_len += len;
  e.tool.time += len / e.rapid_feed;
  if (count) ++e.tool.rapid_count;
  extend(e, e.cur);
  note_z(e, z);
}

void cyc_feed(NCD_EXEC& e, double z) {
  const double len = std::fabs(z - e.cur.z);
  e.cur.z = z;
  e.tool.cut_len += len;
  e.tool.time += len / e.feed;
  extend(e, e.cur);
  note_z(e, z);
}

void cyc_dwell(NCD_EXEC& e) {
  const double p = std::fabs(static_cast<double>(e.cyc.p));
  e.tool.time += p / 60000.0;
  e.tool.dwell += p * 0.001;
}

// A shift of G76 and G87 along X: shift length, a peck, and for G87 its time at the rapid feed.
void cyc_shift(NCD_EXEC& e, float dx, bool timed) {
  e.cur.x += dx;
  e.tool.shift_len += std::fabs(dx);
  if (timed) e.tool.time += std::fabs(dx) / e.rapid_feed;
  ++e.tool.pecks;
  extend(e, e.cur);
}

// Checks of the cycle's first own sub-move; 0 or an error code.
int cycle_checks(NCD_EXEC& e, int g) {
  NCD_CYCLE& c = e.cyc;
  if ((g == NCD_MG_G73 || g == NCD_MG_G83) && c.q < 0.001f) return NCD_ERR_NO_Q;
  if (g == NCD_MG_G74 && e.spindle != 4) return NCD_ERR_G74_M04;
  if (g == NCD_MG_G84 && e.spindle != 3) return NCD_ERR_G84_M03;
  if (g == NCD_MG_G87 && (c.status & NCD_ST_G99)) return NCD_ERR_G87_G99;
  if (e.s > 0) {
    const float per_rev = e.f / static_cast<float>(e.s);
    if (g == NCD_MG_G74 || g == NCD_MG_G84) {
      if (e.tool.pitch_set && std::fabs(per_rev - e.tool.pitch) > 0.005f) return NCD_ERR_PITCH;
      e.tool.pitch = per_rev;
      e.tool.pitch_set = true;
    } else {
      e.tool.feed_rev = per_rev;
      e.tool.feed_rev_set = true;
    }
  }
  c.depth = c.r_z;
  return 0;
}

int sub_move(NCD_CYCLE& c, int kind, int next) {
  c.kind = kind;
  c.phase = next;
  return 1;
}

// G73 high-speed peck drilling and G83 peck drilling with full retract: down by Q, back by d
// (G73) or out to R and down again to d above the depth (G83), at last to the bottom.
int peck(NCD_EXEC& e, int g) {
  NCD_CYCLE& c = e.cyc;
  const double B = c.bottom_z;
  const int ph = c.phase;
  if (ph == 3 || ph == 4) {
    const double next = c.depth - c.q;
    if (next <= (g == NCD_MG_G73 ? B + 0.0009f : B)) {
      cyc_feed(e, B);
      return sub_move(c, NCD_CK_TO_BOTTOM, NCD_PH_RETURN);
    }
    cyc_feed(e, next);
    c.depth = next;
    return sub_move(c, NCD_CK_FEED, 5);
  }
  if (g == NCD_MG_G73) {  // ph 5: up by d
    e.cur.z = c.depth + e.peck_d;
    e.tool.time += e.peck_d / e.rapid_feed;
    ++e.tool.pecks;
    note_z(e, e.cur.z);
    return sub_move(c, NCD_CK_RAPID, 4);
  }
  if (ph == 5) {
    cyc_rapid(e, c.r_z, false);
    ++e.tool.pecks;
    return sub_move(c, NCD_CK_RAPID, 6);
  }
  cyc_rapid(e, c.depth + e.peck_d, false);
  ++e.tool.pecks;
  return sub_move(c, NCD_CK_RAPID, 4);
}

// G74 reverse tapping and G84 tapping: in, dwell, out with the spindle reversed.
int tapping(NCD_EXEC& e, int g) {
  NCD_CYCLE& c = e.cyc;
  const double B = c.bottom_z;
  for (;;) {
    const int ph = c.phase;
    switch (ph) {
      case 3:
        cyc_feed(e, B);
        if (g == NCD_MG_G74) e.spindle = 5;
        return sub_move(c, NCD_CK_TO_BOTTOM, 4);
      case 4:
        if (c.p >= 0) {
          cyc_dwell(e);
          return sub_move(c, NCD_CK_DWELL, 5);
        }
        c.phase = 5;
        continue;
      case 5:
        cyc_feed(e, c.r_z);
        e.spindle = g == NCD_MG_G74 ? 3 : 4;
        return sub_move(c, g == NCD_MG_G74 ? NCD_CK_CW_UP : NCD_CK_CCW_UP, 6);
      default:
        e.spindle = g == NCD_MG_G74 ? 4 : 3;
        return sub_move(c, NCD_CK_SPN_SPIN, NCD_PH_RETURN);
    }
  }
}

// G76 fine boring: in, spindle stop, shift by Q, out, shift back.
int fine_boring(NCD_EXEC& e) {
  NCD_CYCLE& c = e.cyc;
  const bool g98 = c.status & NCD_ST_G98;
  const double B = c.bottom_z;
  for (;;) {
    const int ph = c.phase;
    switch (ph) {
      case 3:
        cyc_feed(e, B);
        return sub_move(c, NCD_CK_TO_BOTTOM, 4);
      case 4:
        e.spindle = 5;
        return sub_move(c, NCD_CK_SPN_STOP, 5);
      case 5:
        if (c.q > 0) {
          cyc_shift(e, c.q, false);
          return sub_move(c, NCD_CK_SHIFT, 6);
        }
        c.phase = 6;
        continue;
      case 6:
        cyc_rapid(e, g98 ? c.init_z : c.r_z, false);
        return sub_move(c, NCD_CK_BACK, 7);
      case 7:
        if (c.q >= 0) {
          cyc_shift(e, -c.q, false);
          return sub_move(c, NCD_CK_SHIFT_BACK, 8);
        }
        c.phase = 8;
        continue;
      default:
        e.spindle = 3;
        return sub_move(c, NCD_CK_SPN_SPIN, NCD_PH_RETURN);
    }
  }
}

// G81 drilling: in to the bottom.
int drilling(NCD_EXEC& e) {
  NCD_CYCLE& c = e.cyc;
  cyc_feed(e, c.bottom_z);
  return sub_move(c, NCD_CK_TO_BOTTOM, NCD_PH_RETURN);
}

// G82 drilling with dwell: in, dwell.
int drilling_dwell(NCD_EXEC& e) {
  NCD_CYCLE& c = e.cyc;
  const double B = c.bottom_z;
  const int ph = c.phase;
  if (ph == 3) {
    cyc_feed(e, B);
    return sub_move(c, NCD_CK_TO_BOTTOM, 4);
  }
  if (c.p < 0) return NCD_ERR_NO_P;
  cyc_dwell(e);
  return sub_move(c, NCD_CK_DWELL, NCD_PH_RETURN);
}

// G85 boring and G89 boring with dwell: in, (dwell,) feed out.
int boring_feed_out(NCD_EXEC& e, int g) {
  NCD_CYCLE& c = e.cyc;
  const double B = c.bottom_z;
  for (;;) {
    const int ph = c.phase;
    switch (ph) {
      case 3:
        cyc_feed(e, B);
        return sub_move(c, NCD_CK_TO_BOTTOM, g == NCD_MG_G89 ? 4 : 5);
      case 4:
        if (c.p > 0) {
          cyc_dwell(e);
          return sub_move(c, NCD_CK_DWELL, 5);
        }
        c.phase = 5;
        continue;
      default:
        cyc_feed(e, c.r_z);
        return sub_move(c, NCD_CK_FEED, NCD_PH_RETURN);
    }
  }
}

// G86 boring: in, spindle stop, rapid out.
int boring_rapid_out(NCD_EXEC& e) {
  NCD_CYCLE& c = e.cyc;
  const bool g98 = c.status & NCD_ST_G98;
  const double B = c.bottom_z;
  const int ph = c.phase;
  switch (ph) {
    case 3:
      cyc_feed(e, B);
      return sub_move(c, NCD_CK_TO_BOTTOM, 4);
    case 4:
      e.spindle = 5;
      return sub_move(c, NCD_CK_SPN_STOP, 5);
    case 5:
      cyc_rapid(e, g98 ? c.init_z : c.r_z, false);
      return sub_move(c, NCD_CK_RAPID, 6);
    default:
      e.spindle = 3;
      return sub_move(c, NCD_CK_SPN_SPIN, NCD_PH_RETURN);
  }
}

// A travel of G87 in or out along Z beside the bore: counted as a shift and a peck, timed at
// the rapid feed.
void back_boring_travel(NCD_EXEC& e, double len, double z) {
  e.cur.z = z;
  e.tool.shift_len += len;
  e.tool.time += len / e.rapid_feed;
  ++e.tool.pecks;
}

// G87 back boring: spindle stop, shift, in to R below the work, shift back, up to the bottom,
// spindle stop, shift, out to the initial level, shift back.
int back_boring(NCD_EXEC& e) {
  NCD_CYCLE& c = e.cyc;
  const double B = c.bottom_z;
  for (;;) {
    const int ph = c.phase;
    switch (ph) {
      case 3:
        e.spindle = 5;
        return sub_move(c, NCD_CK_SPN_STOP, 4);
      case 4:
      case 9:
        if (c.q > 0) {
          cyc_shift(e, c.q, true);
          return sub_move(c, NCD_CK_SHIFT, ph + 1);
        }
        c.phase = ph + 1;
        continue;
      case 5:  // in to R: the travel from I to R, once
        back_boring_travel(e, std::fabs(c.init_z - c.r_z), c.r_z);
        return sub_move(c, NCD_CK_IN, 6);
      case 6:
      case 11:
        if (c.q > 0) {
          cyc_shift(e, -c.q, true);
          return sub_move(c, NCD_CK_SHIFT_BACK, ph + 1);
        }
        c.phase = ph + 1;
        continue;
      case 7:
        cyc_feed(e, B);
        e.spindle = 3;
        return sub_move(c, NCD_CK_FEED, 8);
      case 8:
        e.spindle = 5;
        return sub_move(c, NCD_CK_SPN_STOP, 9);
      case 10:
        back_boring_travel(e, std::fabs(c.init_z - e.cur.z), c.init_z);
        note_z(e, e.cur.z);
        return sub_move(c, NCD_CK_RAPID_I, 11);
      default:
        e.spindle = 3;
        return sub_move(c, NCD_CK_SPN_SPIN, NCD_PH_RETURN);
    }
  }
}

// G88 boring: in, dwell, spindle stop, stop.
int boring_stop(NCD_EXEC& e) {
  NCD_CYCLE& c = e.cyc;
  const double B = c.bottom_z;
  for (;;) {
    const int ph = c.phase;
    switch (ph) {
      case 3:
        cyc_feed(e, B);
        return sub_move(c, NCD_CK_TO_BOTTOM, 4);
      case 4:
        if (c.p > 0) {
          cyc_dwell(e);
          return sub_move(c, NCD_CK_DWELL, 5);
        }
        c.phase = 5;
        continue;
      case 5:
        return sub_move(c, NCD_CK_SPN_STOP, 6);
      default:
        return sub_move(c, NCD_CK_STOP, NCD_PH_RETURN);
    }
  }
}

// The cycle's own sub-moves from NCD_PH_OWN on: 1 when one was made (or the return is
// next), or an error code. Steps that make no sub-move pass on to the next in the same call.
int cycle_own(NCD_EXEC& e, int g) {
  if (e.cyc.phase == NCD_PH_OWN) {
    if (const int err = cycle_checks(e, g)) return err;
  }
  switch (g) {
    case NCD_MG_G73: case NCD_MG_G83: return peck(e, g);
    case NCD_MG_G74: case NCD_MG_G84: return tapping(e, g);
    case NCD_MG_G76: return fine_boring(e);
    case NCD_MG_G81: return drilling(e);
    case NCD_MG_G82: return drilling_dwell(e);
    case NCD_MG_G85: case NCD_MG_G89: return boring_feed_out(e, g);
    case NCD_MG_G86: return boring_rapid_out(e);
    case NCD_MG_G87: return back_boring(e);
    case NCD_MG_G88: return boring_stop(e);
    default: return NCD_ERR_CYCLE_MOVES;  // not a cycle: never reached
  }
}

const char* cycle_name(int g) {
  static const char* const names[] = {"", "", "", "", "", "", "", "G73", "G74", "G76",
                                      "", "G81", "G82", "G83", "G84", "G85", "G86",
                                      "G87", "G88", "G89"};
  return (g >= 0 && g < 20) ? names[g] : "";
}



// The initial Z, P and Q that a cycle block keeps for the blocks after it.
void keep_cycle_words(NCD_EXEC& e, const NCD_LINE& rec, const NCD_LINE_WORDS& w) {
  NCD_CYCLE& c = e.cyc;
  if (ncd_is_cycle(rec.status & NCD_ST_MOTION)) c.init_z = e.cur.z;
  if (w.has(NCD_MB_P)) c.p = w.v(NCD_MB_P);
  if (w.has(NCD_MB_Q)) c.q = std::fabs(word_f(w, NCD_MB_Q));
}

}  // namespace

namespace ncd_exec_detail {

int run_cycle(NCD_DATA& d, bool sub_step) {
  for (;;) {
    const int r = gen_cycle_step(d);
    if (r != 1 || sub_step) return r;
  }
}

bool cycle_result(NCD_DATA& d, int r) {
  NCD_CYCLE& c = d.exec.cyc;
  if (r == 1) return false;
  c.active = false;
  c.counter = 0;
  if (r != 0) {
    set_error(d.exec, static_cast<std::uint16_t>(r));
    return true;
  }
  return false;
}

void keep_cycle_levels(NCD_EXEC& e, const NCD_LINE& rec, const NCD_LINE_WORDS& w) {
  keep_cycle_words(e, rec, w);
  if (rec.flags & NCD_WF_R) e.cyc.r_z = (e.status & NCD_ST_G90) ? w.r : e.cyc.init_z + w.r;
}

void start_cycle(NCD_DATA& d, const NCD_LINE& rec, const NCD_LINE_WORDS& w) {
  NCD_EXEC& e = d.exec;
  NCD_CYCLE& c = e.cyc;
  const std::uint16_t lf = rec.flags;
  keep_cycle_words(e, rec, w);
  c.l = w.has(NCD_MB_L) ? w.v(NCD_MB_L) : -1;
  c.has_r = lf & NCD_WF_R;
  if (c.has_r) c.r = w.r;
  c.status = e.status;
  c.flags = e.flags;
  c.mask = e.mask;
  c.x = w.x;
  c.y = w.y;
  c.z = w.z;
  c.has_x = lf & NCD_WF_X;
  c.has_y = lf & NCD_WF_Y;
  c.has_z = lf & NCD_WF_Z;
  c.phase = NCD_PH_START;
  c.counter = 0;
  c.active = true;
  if (d.exec_opt.block_text) d.block_text.cycle = cycle_name(e.status & NCD_ST_MOTION);
}

}  // namespace ncd_exec_detail

int gen_cycle_step(NCD_DATA& d) {
  NCD_EXEC& e = d.exec;
  NCD_CYCLE& c = e.cyc;
  e.prev = e.cur;
  if (++c.counter > NCD_CYCLE_MOVES_MAX) return NCD_ERR_CYCLE_MOVES;
  ++d.pos.sub_moves;
  const int g = c.status & NCD_ST_MOTION;
  const bool abs = c.status & NCD_ST_G90;
  for (;;) {
    switch (c.phase) {
      case NCD_PH_START:
        if (c.l > NCD_REPEAT_MAX) return NCD_ERR_REPEATS;
        c.repeats = c.l >= 0 ? c.l : 1;
        c.done = 0;
        c.phase = NCD_PH_POSITION;
        continue;
      case NCD_PH_POSITION: {
        if (abs) {
          if (c.has_r) c.r_z = c.r;
          if (c.has_z) {
            c.bottom_z = c.z;
            c.has_z = false;
          }
        } else {
          if (c.has_r) c.r_z = c.init_z + c.r;
          if (c.has_z) {
            c.bottom_z = c.r_z + c.z;
            c.has_z = false;
          }
        }
        const NCD_POINT before = e.cur;
        if (c.has_y) e.cur.y = abs ? c.y : e.cur.y + c.y;
        if (c.has_x) e.cur.x = abs ? c.x : e.cur.x + c.x;
        const double len = std::fabs(e.cur.y - before.y) + std::fabs(e.cur.x - before.x);
        NCD_TOOL_RUN& t = e.tool;
        t.rapid_len += len;
        t.time += len / e.rapid_feed;
        if ((t.first_flags & 15) != 15) {
          if (!(t.first_flags & 4)) t.first.x = static_cast<float>(before.x);
          if (!(t.first_flags & 2)) t.first.y = static_cast<float>(before.y);
          if (!(t.first_flags & 1)) t.first.z = static_cast<float>(before.z);
          if (!(t.first_flags & 8)) t.cut_start_z = static_cast<float>(c.r_z);
          t.first_flags = 15;
          t.rapid_len = 0;
        }
        c.kind = NCD_CK_POSITION;
        if (c.repeats == 0) return 0;
        c.phase = NCD_PH_TO_R;
        return 1;
      }
      case NCD_PH_TO_R:
        c.phase = NCD_PH_OWN;
        if (std::fabs(c.r_z - e.cur.z) > EPS) {
          if (c.r_z <= c.bottom_z && g != NCD_MG_G87) return NCD_ERR_R_BELOW_Z;
          if (g == NCD_MG_G87) {  // its travel in to R is counted by the cycle itself
            e.cur.z = c.r_z;
            extend(e, e.cur);
          } else {
            cyc_rapid(e, c.r_z, true);
          }
          c.kind = NCD_CK_TO_R;
          return 1;
        }
        continue;
      case NCD_PH_RETURN: {
        const double target = (c.status & NCD_ST_G98) ? c.init_z : c.r_z;
        if (std::fabs(e.cur.z - target) > EPS) cyc_rapid(e, target, true);
        c.kind = NCD_CK_RETURN;
        c.phase = NCD_PH_POSITION;
        ++c.done;
        return c.done < c.repeats ? 1 : 0;
      }
      default:
        return cycle_own(e, g);
    }
  }
}

void get_cycle_step_text(const NCD_EXEC& e, std::string& out) {
  switch (e.cyc.kind) {
    case 0: case 1: case 51: case 52: case 54: case 91: case 92: case 94: out = "(FF)"; break;
    case 2: case 53: case 93: {
      char b[32];
      std::snprintf(b, sizeof b, "(F%d)", float_to_int(e.f));
      out = b;
      break;
    }
    case 3: out = "(dwell)"; break;
    case 4: out = "(CW & ↑)"; break;
    case 5: out = "(Escape →)"; break;
    case 6: out = "(SPN STOP)"; break;
    case 7: out = "(← Return)"; break;
    case 8: out = "(SPN SPIN)"; break;
    case 9: out = "(STOP)"; break;
    case 11: out = "(CCW & ↑)"; break;
    case 12: out = "(Back)"; break;
    case 13: out = "(In)"; break;
    default: out = " ???"; break;
  }
}

void get_cycle_step_text(const NCD_DATA& d, std::string& out) { get_cycle_step_text(d.exec, out); }
