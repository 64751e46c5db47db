// The block interpreter: one stored, tokenised line at a time, as a three-axis milling
// controller runs it, on the modal state of NCD_EXEC: the merge of the line into the modal
// state, straight moves, G92, M98/M99 along the program-number table. The canned cycles live
// in ncd_cycle.cpp, the arcs in ncd_arc.cpp.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <type_traits>

#include "ncdata/ncd_exec_detail.h"

using namespace ncd_exec_detail;

namespace {

void set_text(std::array<char, 32>& t, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void set_text(std::array<char, 32>& t, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(t.data(), t.size(), fmt, ap);
  va_end(ap);
}

// ---- straight moves ----------------------------------------------------------------------

// A feed (G01, G31, G33) or rapid (G00, G60) move by the line's axis words.
void linear_move(NCD_EXEC& e, const NCD_LINE_WORDS& w, std::uint16_t lf, bool rapid) {
  NCD_TOOL_RUN& t = e.tool;
  const bool abs = e.status & NCD_ST_G90;
  const bool gx = lf & NCD_WF_X, gy = lf & NCD_WF_Y, gz = lf & NCD_WF_Z;
  NCD_POINT to = e.cur;
  if (gx) to.x = abs ? w.x : to.x + w.x;
  if (gy) to.y = abs ? w.y : to.y + w.y;
  if (gz) to.z = abs ? w.z : to.z + w.z;
  double lx = to.x - e.cur.x, ly = to.y - e.cur.y, lz = to.z - e.cur.z;
  bool restart_rapid = false, zero_cut = false;
  int& ff = t.first_flags;
  if ((ff & 15) != 15) {
    if (abs) {
      auto take = [&](bool given, int bit, double v, float& first, double& l) {
        if (!given || (ff & bit)) return;
        first = static_cast<float>(v);
        ff |= bit;
        if (rapid) {
          l = 0;
          restart_rapid = true;
        }
      };
      take(gx, 4, to.x, t.first.x, lx);
      take(gy, 2, to.y, t.first.y, ly);
      take(gz, 1, to.z, t.first.z, lz);
      if (!rapid && !(ff & 8)) {
        zero_cut = true;
        if (gx || gy) {
          t.cut_start_z = static_cast<float>(std::min(e.cur.z, to.z));
          ff |= 8;
        }
      }
    } else if (!rapid) {
      if ((ff & 7) != 7) {
        t.first = VEC3{0, 0, 0};
        ff |= 7;
      }
      if (!(ff & 8) && (gx || gy)) {
        t.cut_start_z = static_cast<float>(to.z);
        ff |= 8;
      }
    } else if ((ff & 7) == 0) {
      t.first = VEC3{0, 0, 0};
      ff |= 7;
    }
  }
  const double len = std::sqrt(lx * lx + ly * ly + lz * lz);
  const VEC3 from = e.cur;
  e.cur = to;
  if (rapid) {
    if (restart_rapid) t.rapid_len = 0;
    t.rapid_len += len;
    t.time += len / e.rapid_feed;
    ++t.rapid_count;
    const auto z = static_cast<float>(to.z);
    t.rapid_z_high = std::max(t.rapid_z_high, z);
    t.rapid_z_low = std::min(t.rapid_z_low, z);
    if (gx || gy) t.rapid_xy_z_low = std::min(t.rapid_xy_z_low, z);
  } else {
    t.time += len / e.feed;
    t.cut_len = zero_cut ? 0 : t.cut_len + len;
    extend(e, from);
    extend(e, to);
  }
  note_z(e, to.z);
}

// G92: the axes it gives take their values, in G90 and G91 alike, without a move.
void set_position(NCD_EXEC& e, std::uint16_t lf, const NCD_LINE_WORDS& w) {
  if (lf & NCD_WF_X) e.cur.x = w.x;
  if (lf & NCD_WF_Y) e.cur.y = w.y;
  if (lf & NCD_WF_Z) e.cur.z = w.z;
  e.prev = e.cur;
}

void advance(NCD_DATA& d) {
  ++d.pos.next_line;
  ++d.pos.block_count;
}

void block_texts(NCD_DATA& d, const NCD_LINE_WORDS& w) {
  NCD_BLOCK_TEXTS& t = d.block_text;
  const NCD_EXEC& e = d.exec;
  char b[64];
  if (w.has(NCD_MB_F)) {
    std::snprintf(b, sizeof b, "F%d", float_to_int(e.f));
    t.f = b;
  }
  if (w.has(NCD_MB_S)) {
    std::snprintf(b, sizeof b, "S%.2d", e.s);
    t.s = b;
  }
  if (w.has(NCD_MB_H)) {
    std::snprintf(b, sizeof b, "H%.2d", e.h);
    t.h = b;
  }
  if (w.has(NCD_MB_D)) {
    std::snprintf(b, sizeof b, "D%.2d", e.d);
    t.d = b;
  }
  if (w.m_count() > 0) {
    t.m.clear();
    for (int i = 0; i < w.m_count(); ++i) {
      std::snprintf(b, sizeof b, "%sM%.2d", i ? " " : "", w.other.m[i]);
      t.m += b;
    }
  }
}

// Step 7: the other words of the line.
void take_words(NCD_DATA& d, const NCD_LINE_WORDS& w, bool has_other) {
  NCD_EXEC& e = d.exec;
  if (!has_other) {
    e.mask = 0;
    return;
  }
  e.mask = w.other.mask;
  if (w.has(NCD_MB_N)) e.n = w.v(NCD_MB_N);
  if (w.has(NCD_MB_P)) e.p = w.v(NCD_MB_P);
  if (w.has(NCD_MB_O)) e.o = w.v(NCD_MB_O);
  if (w.has(NCD_MB_L)) e.l = w.v(NCD_MB_L);
  if (w.has(NCD_MB_H)) e.h = w.v(NCD_MB_H), e.dh_read |= 2;
  if (w.has(NCD_MB_D)) e.d = w.v(NCD_MB_D), e.dh_read |= 1;
  if (w.has(NCD_MB_S)) e.s = w.v(NCD_MB_S);
  if (w.has(NCD_MB_Q)) e.q = word_f(w, NCD_MB_Q);
  if (w.has(NCD_MB_T)) e.t_word = w.v(NCD_MB_T);
  if (w.has(NCD_MB_F)) {
    const float f = word_f(w, NCD_MB_F);
    if (f > 0) {
      e.f = f;
      e.feed = f;
    } else {  // a one-digit feed code, or a zero
      e.f = std::fabs(f);
      e.feed = e.f == 0 ? e.rapid_feed : 100.0f;
    }
    e.max_f = std::max(e.max_f, e.f);
  }
  const bool abs = e.status & NCD_ST_G90;
  if (w.has(NCD_MB_A)) e.a = abs ? word_f(w, NCD_MB_A) : e.a + word_f(w, NCD_MB_A);
  if (w.has(NCD_MB_B)) e.b = abs ? word_f(w, NCD_MB_B) : e.b + word_f(w, NCD_MB_B);
  if (w.has(NCD_MB_C)) e.c = abs ? word_f(w, NCD_MB_C) : e.c + word_f(w, NCD_MB_C);
  const int mc = w.m_count();
  if (mc > 0) {
    for (int i = 0; i < 3; ++i) e.m_list[i] = i < mc ? w.other.m[i] : -1;
    for (int i = 0; i < mc; ++i) {
      switch (w.other.m[i]) {
        case 3: e.spindle = 3; break;
        case 4: e.spindle = 4; break;
        case 5: e.spindle = 0; break;
        case 7: e.coolant |= 1; break;
        case 8: e.coolant |= 2; break;
        case 9: e.coolant = 0; break;
        default: break;
      }
    }
  }
  if (w.has(NCD_MB_MODE)) {
    const std::uint32_t ws = w.other.mode & NCD_WS_MASK, plane = w.other.mode & NCD_PLANE_MASK;
    if (ws) e.mode = (e.mode & ~NCD_WS_MASK) | ws;
    if (plane) e.mode = (e.mode & ~NCD_PLANE_MASK) | plane;
  }
  if (d.exec_opt.block_text) block_texts(d, w);
}

// Step 11: the compensation history.
void push_comp_history(NCD_EXEC& e, const NCD_LINE& rec, bool moved, std::int32_t block) {
  NCD_COMP_HISTORY& h = e.comp;
  const int g = e.status & NCD_ST_MOTION;
  const std::uint16_t field = e.flags & NCD_WF_COMP_FIELD;
  const bool arc = ncd_is_arc(g);
  const bool qualifies = moved && ((arc && (rec.flags & NCD_WF_ARC)) ||
                                   (rec.flags & (NCD_WF_X | NCD_WF_Y)) ||
                                   (rec.flags & NCD_WF_COMP_FIELD));
  if (!qualifies) {
    if (field == NCD_WF_COMP_FIELD) h.code = {h.code[1], h.code[2], 40};
    return;
  }
  h.code = {h.code[1], h.code[2], field == NCD_WF_G41 ? 41 : (field == NCD_WF_G42 ? 42 : 40)};
  h.type = {h.type[1], g == 0 ? 0 : (arc ? g : 1)};
  h.prev_start = h.cur_start;
  h.prev_end = h.cur_end;
  h.prev_centre = h.cur_centre;
  h.cur_start = e.prev;
  h.cur_end = e.cur;
  h.cur_centre = arc ? ncd_arc_centre(e) : VEC3{};
  h.xy_block = {h.xy_block[1], block};
  h.moved_xy = true;
}

// The program-number line of O = p, or -1.
int find_program(const NCD_DATA& d, std::int32_t p) {
  const NCD_LINE_TABLE& t = d.prog_lines;
  for (int i = 0; i < t.count; ++i)
    if (t.e[i].num == p) return t.e[i].line;
  return -1;
}

// M98: true when the block moved the next line itself (a call was made).
bool sub_call(NCD_DATA& d, const NCD_LINE_WORDS& w) {
  NCD_EXEC& e = d.exec;
  if (e.sub_depth >= NCD_SUB_DEPTH) {
    set_error(e, NCD_ERR_SUB_DEPTH);
    return false;
  }
  if (!w.has(NCD_MB_P)) {
    set_error(e, NCD_ERR_SUB_NO_P);
    return false;
  }
  const std::int32_t p = w.v(NCD_MB_P);
  bool loop = p == e.o;
  // Every program of the call chain counts: the ones called and the ones that called them.
  for (int i = 1; i <= e.sub_depth; ++i) loop = loop || e.sub[i].prog == p || e.sub[i].caller_o == p;
  if (loop) {
    // The call is not made; the program goes on after it with the stack as it was.
    set_error(e, NCD_ERR_SUB_LOOP);
    set_text(e.sub_text, "endlessly loop");
    return false;
  }
  const std::int32_t l = w.has(NCD_MB_L) ? w.v(NCD_MB_L) : 1;
  if (l > NCD_REPEAT_MAX) {
    set_error(e, NCD_ERR_REPEATS);
    return false;
  }
  if (l <= 0) return false;  // called no times
  const int start = find_program(d, p);
  if (start < 0) {
    set_error(e, NCD_ERR_SUB_MISSING);
    return false;
  }
  NCD_SUB_ENTRY& s = e.sub[++e.sub_depth];
  s.prog = p;
  s.caller_o = e.o;
  s.caller_line = d.pos.cur_line;
  s.start_line = start;
  s.left = l;
  s.repeats = l;
  set_text(s.text, "P%4.4d(%d)", p, l);
  e.sub_text = s.text;
  d.pos.next_line = start;
  ++d.pos.block_count;
  return true;
}

// M99: true when the block set the next line itself (a return, a repeat or the end).
bool sub_return(NCD_DATA& d) {
  NCD_EXEC& e = d.exec;
  if (e.sub_depth <= 0) {
    e.status = NCD_ST_ERROR;
    set_text(e.sub_text, "TAPE END");
    ++d.pos.block_count;
    return true;
  }
  NCD_SUB_ENTRY& s = e.sub[e.sub_depth];
  if (--s.left <= 0) {
    d.pos.next_line = s.caller_line + 1;
    e.o = s.caller_o;
    set_text(s.text, "P%4.4d(END)", s.prog);
    e.sub_text = s.text;
    --e.sub_depth;
  } else {
    d.pos.next_line = s.start_line;
    set_text(s.text, "P%4.4d(%d)", s.prog, s.left);
    e.sub_text = s.text;
  }
  ++d.pos.block_count;
  return true;
}

// Steps 11 to 13 of a block whose motion is done: history, line status bits, advance.
void finish_block(NCD_DATA& d, const NCD_LINE& rec, const NCD_LINE_WORDS& w, bool moved) {
  NCD_EXEC& e = d.exec;
  push_comp_history(e, rec, moved, d.pos.block_count);
  if (rec.status & NCD_ST_TOOL_CHANGE) {
    e.status = static_cast<std::uint16_t>((e.status & ~NCD_ST_G91) | NCD_ST_G90 | NCD_ST_TOOL_CHANGE);
    e.t_cur = e.t_word;
    const NCD_FILE_COMMENTS& fc = d.comments;
    const VEC3 p = fc.origin_given ? fc.origin : VEC3{0, 0, 0};
    e.tool.first = e.cur = e.prev = e.seg_end = p;
    e.tool.first_flags = fc.origin_given ? 7 : 0;
    ++e.tool_changes;
  }
  e.saved_status = e.status;
  e.saved_flags = e.flags;
  switch (rec.status & NCD_ST_END_FIELD) {
    case NCD_ST_PROG_END:
      e.saved_status = static_cast<std::uint16_t>(e.status | NCD_ST_PROG_END);
      e.status = NCD_ST_ERROR;
      e.sub_depth = 0;
      set_text(e.sub_text, "TAPE END");
      ++d.pos.block_count;
      return;
    case NCD_ST_CALL:
      if (sub_call(d, w)) return;
      break;
    case NCD_ST_RETURN:
      if (sub_return(d)) return;
      break;
    default:
      break;
  }
  advance(d);
}

}  // namespace

void Reset_NCD_exec(NCD_DATA& d) {
  NCD_EXEC& e = d.exec;
  e = NCD_EXEC{};
  d.pos.cur_line = d.pos.next_line = d.pos.start_line;
  d.pos.block_count = 0;
  d.pos.sub_moves = 0;
  d.pos.total_blocks = NCD_TOTAL_BLOCKS_UNLIMITED;
  e.peck_d = d.exec_opt.peck_return > 0 ? d.exec_opt.peck_return : NCD_PECK_RETURN;
  e.colour = 45;
  color_code_to_RGBA(e.colour, 255, e.colour_rgba.data());
  if (d.comments.origin_given) {
    e.status = NCD_ST_G90 | NCD_ST_G98 | NCD_MG_G00;
    e.cur = e.prev = e.seg_end = e.tool.first = d.comments.origin;
    e.tool.first_flags = 7;
  } else {
    e.status = NCD_ST_G91 | NCD_ST_G98 | NCD_MG_G00;
  }
  e.flags = NCD_WF_G40 | NCD_WF_G49;
  e.saved_status = e.status;
  e.saved_flags = e.flags;
  d.block_text = NCD_BLOCK_TEXTS{};
}

namespace {

bool exec_block(NCD_DATA& d, bool sub_step) {
  NCD_EXEC& e = d.exec;
  NCD_POS& pos = d.pos;
  if (e.status & NCD_ST_ERROR) {
    e.status = e.saved_status;
    e.flags = e.saved_flags;
  }
  if (pos.block_count >= pos.total_blocks || pos.next_line >= d.line_count || pos.next_line < 0)
    return true;
  pos.cur_line = pos.next_line;
  e.prev = e.cur;
  e.comp.moved_xy = false;
  const NCD_LINE rec = d.line(pos.cur_line);
  // line_words clears it before any use: a default-initialised one would be cleared twice.
  union Words {
    Words() {}
    NCD_LINE_WORDS w;
  } words;
  NCD_LINE_WORDS& w = words.w;

  if (e.cyc.active) {
    if (e.cyc.counter != 0) {
      const int r = run_cycle(d, sub_step);
      if (r == 1) {
        pos.next_line = pos.cur_line;
        return false;
      }
      line_words(d, rec, w);
      if (cycle_result(d, r)) {
        advance(d);
        return false;
      }
      finish_block(d, rec, w, true);
      return false;
    }
    e.cyc.active = false;
  }

  if ((rec.status & NCD_ST_ERROR) && rec.status != NCD_ST_ERROR) {
    set_error(e, rec.status);
    advance(d);
    return false;
  }
  if ((rec.status & 0xC000) == NCD_ST_COLOUR) {
    e.status &= 0x01FF;
    e.flags &= 0xF000;
    e.colour = rec.status & 63;
    color_code_to_RGBA(e.colour, 255, e.colour_rgba.data());
    advance(d);
    return false;
  }

  // Merge the line into the modal state.
  e.flags = static_cast<std::uint16_t>((e.flags & 0xF000) | (rec.flags & 0x0FFF));
  std::uint16_t st = e.status & 0x01FF;
  if (rec.status & NCD_ST_MOTION)
    st = static_cast<std::uint16_t>((st & ~NCD_ST_MOTION) | (rec.status & NCD_ST_MOTION));
  if (rec.status & NCD_ST_G90)
    st = static_cast<std::uint16_t>((st & ~NCD_ST_G91) | NCD_ST_G90);
  else if (rec.status & NCD_ST_G91)
    st = static_cast<std::uint16_t>((st & ~NCD_ST_G90) | NCD_ST_G91);
  if (rec.status & NCD_ST_G98)
    st = static_cast<std::uint16_t>((st & ~NCD_ST_G99) | NCD_ST_G98);
  else if (rec.status & NCD_ST_G99)
    st = static_cast<std::uint16_t>((st & ~NCD_ST_G98) | NCD_ST_G99);
  st |= rec.status & NCD_ST_OFFSET_SET;
  e.status = st;

  const bool has_words = line_words(d, rec, w);
  take_words(d, w, has_words && (rec.flags & NCD_WF_OTHER));

  if (!ncd_is_cycle(e.status & NCD_ST_MOTION)) e.cyc.counter = 0;

  // Word flags of the line above the word groups.
  bool motion = true;
  if (rec.flags & NCD_WF_COMP_FIELD) {
    std::uint16_t field = rec.flags & NCD_WF_COMP_FIELD;
    if (w.has(NCD_MB_D) && w.v(NCD_MB_D) == 0) field = NCD_WF_G40;
    e.flags = static_cast<std::uint16_t>((e.flags & ~NCD_WF_COMP_FIELD) | field);
  }
  if (rec.flags & NCD_WF_LEN_FIELD)
    e.flags = static_cast<std::uint16_t>((e.flags & ~NCD_WF_LEN_FIELD) | (rec.flags & NCD_WF_LEN_FIELD));
  if (rec.flags & NCD_WF_G80) {
    e.cyc.active = false;
    e.cyc.counter = 0;
    // G00, unless the line itself gives another motion (G80 G01 X.. feeds).
    const int line_g = rec.status & NCD_ST_MOTION;
    if (line_g == 0 || ncd_is_cycle(line_g))
      e.status = static_cast<std::uint16_t>((e.status & ~NCD_ST_MOTION) | NCD_MG_G00);
  }
  if (rec.flags & NCD_WF_G04) {
    const float sec = w.has(NCD_MB_P) ? static_cast<float>(w.v(NCD_MB_P)) * 0.001f : w.x;
    e.tool.dwell += sec;
    e.tool.time += sec / 60.0f;
    motion = false;
  } else if (rec.flags & NCD_WF_NOSIM) {
    if (w.has(NCD_MB_MODE) && (w.other.mode & NCD_WS_MASK) == NCD_WS_G92) set_position(e, rec.flags, w);
    motion = false;
  }
  // The copy an error of this or a later line falls back to: it holds the fields just set.
  e.saved_status = e.status;
  e.saved_flags = e.flags;

  if (motion) {
    const int g = e.status & NCD_ST_MOTION;
    const std::uint16_t lf = rec.flags;
    switch (g) {
      case NCD_MG_G01: case NCD_MG_G31: case NCD_MG_G33:
        if (lf & NCD_WF_AXIS) {
          linear_move(e, w, lf, false);
        } else if ((lf & 7) && (e.status & NCD_ST_G90) && !(e.tool.first_flags & 8)) {
          e.tool.cut_len = 0;
        }
        break;
      case NCD_MG_G00: case NCD_MG_G60:
        if (lf & NCD_WF_AXIS) linear_move(e, w, lf, true);
        break;
      case NCD_MG_G02: case NCD_MG_G03: {
        if (!(lf & (NCD_WF_AXIS | NCD_WF_ARC))) break;
        if (!(lf & NCD_WF_ARC)) {
          set_error(e, NCD_ERR_ARC_NO_RIJ);
          break;
        }
        const std::uint32_t plane = e.mode & NCD_PLANE_MASK;
        if (plane == NCD_PLANE_XY) arc_G17(d, w.x, w.y, w.z, w.r, w.i, w.j, w.k);
        else if (plane == NCD_PLANE_ZX) arc_G18(d, w.x, w.y, w.z, w.r, w.i, w.j, w.k);
        else if (plane == NCD_PLANE_YZ) arc_G19(d, w.x, w.y, w.z, w.r, w.i, w.j, w.k);
        else set_error(e, NCD_ERR_ARC_PLANE);
        break;
      }
      default:
        if (ncd_is_cycle(g) && (lf & NCD_WF_AXIS)) {
          start_cycle(d, rec, w);
          const int r = run_cycle(d, sub_step);
          if (r == 1) {
            pos.next_line = pos.cur_line;
            return false;
          }
          if (cycle_result(d, r)) {
            advance(d);
            return false;
          }
        } else if (ncd_is_cycle(rec.status & NCD_ST_MOTION)) {
          keep_cycle_levels(e, rec, w);
        }
        break;
    }
    if (e.status & NCD_ST_ERROR) {
      advance(d);
      return false;
    }
  }
  finish_block(d, rec, w, motion);
  return false;
}

}  // namespace

bool exec_NCD_word(NCD_DATA& d, bool sub_step) {
  const bool ended = exec_block(d, sub_step);
  // The end of the last completed motion or sub-move; compensation may replace it.
  d.exec.seg_end = d.exec.cur;
  return ended;
}

void get_NCD_err_msg(std::uint16_t code, std::string& out) {
  out.clear();
  if (code < 0x8000) return;
  switch (code) {
    case 0x9001: out = "NC-dataではありません"; break;
    case 0x9002: out = "アドレスに続く数値がありません"; break;
    case 0x9003: out = "符号\"+-\"が数値の先頭にありません"; break;
    case 0x9004: out = "小数点が１個以上指定されてます"; break;
    case 0x9005: out = "コメント行で \")\" がありません"; break;
    case 0x9006: out = "サポート外のＮＣコードです"; break;
    case 0x9007: out = "Ｆにﾏｲﾅｽ値が指定されてます"; break;
    case 0x9011: out = "４重以上サブプログラムが呼び出されました。"; break;
    case 0x9012: out = "M98 サブプログラム呼び出しで P の指定がありません"; break;
    case 0x9013: out = "サブプロ呼び出しでの無限ループはサポートしてません"; break;
    case 0x9014: out = "M98 サブプログラム呼び出しで P のプログラム番号(O)がありません"; break;
    case 0x9015: out = "繰り返し回数(L)が大きすぎます"; break;
    case 0x9021: out = "G17 XY 平面指定時の円弧補間で終点座標が合いませんでした"; break;
    case 0x9022: out = "G17 XY 平面指定時の円弧補間でＫ指定がありました"; break;
    case 0x9023: out = "円弧補間でＺ指定がありました(vlm では未サポート)"; break;
    case 0x9024: out = "G17 XY 平面指定時の円弧補間でＲ指定 あるいは ＩＪ指定がありません"; break;
    case 0x9025: out = "G17 XY 平面指定時の円弧補間でＲ指定値が 0.001 以下になっています"; break;
    case 0x9026: out = "G17 XY 平面指定時の円弧補間でＩＪ指定値が共に 0.001 以下になっています"; break;
    case 0x9031: out = "タッピングピッチが以前に指定されたものと違います"; break;
    case 0x9032: out = "G87 は G98モードで使用してください"; break;
    case 0x9033: out = "Z が R 点より高くなってます"; break;
    case 0x9034: out = "G74逆タッピング指令で M04 が指定されていません。"; break;
    case 0x9035: out = "固定サイクルでQ指定がありません。"; break;
    case 0x9036: out = "固定サイクルでP指定がありません。"; break;
    case 0x9037: out = "G84タッピング指令で M03 指定がありません。"; break;
    case 0x9038: out = "固定サイクルの動作数が多すぎます"; break;
    case 0x9040: out = "円弧エラー"; break;
    case 0x9041: out = "G18 ZX 平面指定時の円弧補間で終点座標が合いませんでした"; break;
    case 0x9042: out = "G18 ZX 平面指定時の円弧補間でＪ指定がありました"; break;
    case 0x9045: out = "G18 ZX 平面指定時の円弧補間でＲ指定値が 0.001 以下になっています"; break;
    case 0x9046: out = "G18 ZX 平面指定時の円弧補間でＫＩ指定値が共に 0.001 以下になっています"; break;
    case 0x9051: out = "G19 YZ 平面指定時の円弧補間で終点座標が合いませんでした"; break;
    case 0x9052: out = "G19 YZ 平面指定時の円弧補間でＩ指定がありました"; break;
    case 0x9055: out = "G19 YZ 平面指定時の円弧補間でＲ指定値が 0.001 以下になっています"; break;
    case 0x9056: out = "G19 YZ 平面指定時の円弧補間でＪＫ指定値が共に 0.001 以下になっています"; break;
    case 0x9061: out = "G41,G42 工具径オフセット中に G01,G02,G03,G04 以外のコードが使われました"; break;
    case 0x9101:
    case 0x9102: out = "G41,G42 工具径オフセッでオフセット後の半径値が０以下になりました"; break;
    case 0x9103: out = "G41,G42 工具径オフセッでオフセット後の交点が得られませんでした"; break;
    default: {
      char b[48];
      std::snprintf(b, sizeof b, "err_num= %4x , 未定義エラー", code);
      out = b;
      break;
    }
  }
}
