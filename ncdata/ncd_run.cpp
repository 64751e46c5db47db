// The whole-program run, statistics, snapshots, seeks, and the wiring of cutter radius
// compensation into the block step.
#include "ncdata/ncd_run.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_exec_detail.h"
#include "platform/core/input.h"
#include "platform/core/system.h"

namespace {

constexpr std::uint16_t kErrBit = NCD_ST_ERROR;

bool is_error(std::uint16_t st) { return (st & kErrBit) && st != kErrBit; }

// "%8d : ERR(%.4x) %s"; past the list's capacity the error is only counted.
void add_error_line(NCD_DATA& d, int line, std::uint16_t code, const std::string& msg) {
  if (d.run.err_count++ >= NCD_ERR_LIST_MAX) return;
  char head[40];
  std::snprintf(head, sizeof head, "%8d : ERR(%.4x) ", line + 1, code);
  d.run.err_list.push_back(head + msg);
}

// The line after the listed errors that tells how many more the run found.
void add_errors_left_line(NCD_DATA& d) {
  const std::int64_t left = d.run.err_count - NCD_ERR_LIST_MAX;
  if (left <= 0) return;
  d.run.err_list.push_back("         : ほか " + std::to_string(left) + " 件のエラーは表示しません");
}

// Asks for Escape while a long run goes on: the clock is read every 1024 steps and the
// latch at most every NCD_RUN_POLL_MS.
class EscapePoll {
 public:
  bool stop() {
    if (stopped_ || (++steps_ & 1023u) != 0) return stopped_;
    const std::uint32_t now = plat::tick_ms();
    if (polled_ && now - last_ < NCD_RUN_POLL_MS) return false;
    polled_ = true;
    last_ = now;
    stopped_ = plat::escape_pressed();
    return stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  std::uint32_t steps_ = 0, last_ = 0;
  bool polled_ = false, stopped_ = false;
};

void error_text(std::uint16_t code, std::string& out) {
  // 0x9102 shares its table text with 0x9101; the list names its own cause.
  if (code == COMP_ERR_SMALL_ARC) {
    out = std::string("G41,G42 工具径オフセッで") + COMP_TEXT_SMALL_ARC;
    return;
  }
  get_NCD_err_msg(code, out);
}

// ---- the block as compensation sees it ------------------------------------------------------

int comp_code_of(std::uint16_t flags) {
  switch (flags & NCD_WF_COMP_FIELD) {
    case NCD_WF_G41: return 41;
    case NCD_WF_G42: return 42;
    default: return 40;
  }
}

// Inline: built for every block, and read at once by the compensation step.
[[gnu::always_inline]] inline TComp_block block_of(const NCD_DATA& d) {
  const NCD_EXEC& e = d.exec;
  TComp_block b;
  b.motion = e.status & NCD_ST_MOTION;
  const std::uint16_t f = e.flags;
  b.moved = (f & (NCD_WF_AXIS | NCD_WF_ARC)) && !(f & (NCD_WF_G04 | NCD_WF_NOSIM)) &&
            b.motion != 0;
  const int line = d.pos.cur_line;
  b.comp_word = line >= 0 && line < d.line_count && (d.line(line).flags & NCD_WF_COMP_FIELD);
  b.code = comp_code_of(f);
  b.plane = static_cast<int>(e.mode & NCD_PLANE_MASK);
  b.elem.start = e.prev;
  b.elem.end = e.cur;
  if (ncd_is_arc(b.motion) && b.moved && (f & NCD_WF_ARC)) {
    b.elem.kind = b.motion;
    b.elem.centre = ncd_arc_centre(e);
    b.elem.radius = std::fabs(e.arc_r);
  } else {
    b.elem.kind = COMP_LINE;
  }
  return b;
}

// The tool whose radius compensation uses follows the current T.
void refresh_comp_tool(NCD_DATA& d) {
  TComp_state& c = d.run.st.comp;
  const std::int32_t t = d.exec.t_cur;
  if (t == c.tool_T) return;
  c.tool_T = t;
  c.tool_radius = 0;
  c.tool_known = d.host().tool_radius(t, c.tool_radius);
}

// The length of a compensated move or of a programmed element: a straight move's 3D
// distance; an arc's sweep around its centre (G02 clockwise) with the travel across the
// plane, a whole turn when its ends meet and `full` allows it.
double path_length(std::int32_t kind, const VEC3& a, const VEC3& b, const VEC3& c, float radius,
                   bool full) {
  const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
  if (kind != COMP_G02 && kind != COMP_G03) return std::sqrt(dx * dx + dy * dy + dz * dz);
  constexpr double kTurn = 6.283185307179586;
  double sweep = 0;
  if (std::fabs(dx) < 1e-6 && std::fabs(dy) < 1e-6) {
    sweep = full ? kTurn : 0;
  } else {
    const double as = std::atan2(a.y - c.y, a.x - c.x), ae = std::atan2(b.y - c.y, b.x - c.x);
    sweep = kind == COMP_G03 ? ae - as : as - ae;
    while (sweep <= 0) sweep += kTurn;
    while (sweep > kTurn) sweep -= kTurn;
  }
  return std::hypot(std::fabs(static_cast<double>(radius)) * sweep, dz);
}

// The tool's lengths and time follow the compensated moves of the block in place of its
// programmed element. A move that the first-point rules leave out (the feed moves before
// the cut start in G90, the travel of a G90 rapid that sets a first-point axis) stays out.
void comp_statistics(NCD_DATA& d, const TComp_block& b, int first_flags_before) {
  const TComp_state& c = d.run.st.comp;
  if (!c.comp_applied || c.comp_move_count < 1) return;
  NCD_EXEC& e = d.exec;
  const bool rapid = ncd_is_rapid(b.motion);
  if (!rapid && !ncd_is_feed(b.motion) && !ncd_is_arc(b.motion)) return;
  const bool abs = e.status & NCD_ST_G90;
  if (rapid && abs && (first_flags_before & 7) != 7) return;
  const TComp_elem& p = b.elem;
  const bool full = p.kind != COMP_LINE;
  double moved = 0;
  for (int i = 0; i < c.comp_move_count; ++i) {
    const TComp_move& m = c.comp_moves[static_cast<std::size_t>(i)];
    moved += path_length(m.kind, m.start, m.end, m.centre, m.radius, full && i == 0);
  }
  const double diff = moved - path_length(p.kind, p.start, p.end, p.centre, p.radius, full);
  NCD_TOOL_RUN& t = e.tool;
  if (rapid) {
    t.rapid_len += diff;
    t.time += diff / e.rapid_feed;
    return;
  }
  t.time += diff / e.feed;
  if (abs && !(first_flags_before & 8) && !ncd_is_arc(b.motion)) return;  // not yet cutting
  t.cut_len += diff;
}

// At a tool change the values of the finished tool are put aside for its statistics record
// and added to the totals; the new tool starts from zero.
void add_totals(NCD_TOTALS& tot, const NCD_TOOL_RUN& t) {
  tot.rapid_len += t.rapid_len + t.shift_len;
  tot.cut_len += t.cut_len;
  tot.time += t.time;
  tot.high_z = std::max(tot.high_z, t.high_z);
}

void end_tool(NCD_DATA& d) {
  NCD_RUN_STATE& rs = d.run.st;
  NCD_TOOL_RUN& t = d.exec.tool;
  rs.closing = t;
  rs.closing_first_block = rs.tool_first_block;
  rs.closing_line = rs.tool_line;
  add_totals(rs.totals, t);
  NCD_TOOL_RUN fresh;
  fresh.first = t.first;  // the tool change has set the new tool's first point
  fresh.first_flags = t.first_flags;
  fresh.cut_start_z = t.cut_start_z;
  t = fresh;
  ++rs.stat_index;
  rs.tool_first_block = d.pos.block_count - 1;
  rs.tool_line = d.pos.cur_line;
}

void fill_record(NCD_DATA& d, NCD_TOOL_STAT& r, int t, const NCD_TOOL_RUN& v, int first_block,
                 int last_block, int tool_line) {
  r.tool = t;
  r.cut_start_z = v.cut_start_z;
  r.high_z = v.high_z;
  r.first = v.first;
  r.rapid_len = v.rapid_len + v.shift_len;
  r.cut_len = v.cut_len;
  r.shift_len = v.shift_len;
  r.time = v.time;
  r.rapid_count = v.rapid_count;
  r.rapid_z_high = v.rapid_z_high;
  r.rapid_z_low = v.rapid_z_low;
  r.rapid_xy_z_low = v.rapid_xy_z_low;
  r.pecks = v.pecks;
  r.dwell = v.dwell;
  r.cycle = d.exec.cyc;
  r.comp = d.exec.comp;
  r.pitch = v.pitch_set ? v.pitch : 0;
  r.feed_rev = v.feed_rev_set ? v.feed_rev : 0;
  r.first_block = first_block;
  r.last_block = last_block;
  char code[2][24] = {"", ""};
  if (d.exec.dh_read & 1) std::snprintf(code[0], sizeof code[0], "D%.2d", d.exec.d);
  if (d.exec.dh_read & 2) std::snprintf(code[1], sizeof code[1], "H%.2d", d.exec.h);
  r.block_text = {code[0], code[1]};
  auto num = [](float x) { return float_to_str(x, 3); };
  r.desc.clear();
  if (v.pitch_set) r.desc += " ,(Pitch=" + num(v.pitch) + "mm)";
  if (v.feed_rev_set) r.desc += " ,(Pitch=" + num(v.feed_rev) + "mm)";
  r.desc += "( x" + num(v.first.x) + " y" + num(v.first.y) + " z" + num(v.first.z) +
            " ,cut_st_z=" + num(v.cut_start_z) + " ,min_Z=" + num(v.rapid_z_low) + ")";
  r.tool_text.clear();
  if (tool_line >= 0 && tool_line < d.line_count) r.tool_text = get_NCD_line_view(d, tool_line);
  r.tool_text += r.desc + "\n";
}

void close_record(NCD_DATA& d, int t, const NCD_TOOL_RUN& v, int first_block, int last_block,
                  int tool_line) {
  if (static_cast<int>(d.run.stats.size()) >= NCD_STAT_MAX) return;
  d.run.stats.emplace_back();
  fill_record(d, d.run.stats.back(), t, v, first_block, last_block, tool_line);
}

}  // namespace

int NCD_snap_slots(const NCD_DATA& d) { return d.cap.run_moves / d.cap.snap_blocks + 1; }

namespace {

NCD_SNAPSHOT* slot_ptr(NCD_DATA& d, int slot, bool grow) {
  if (slot < -NCD_SNAP_PRIVATE || slot >= NCD_snap_slots(d)) return nullptr;
  if (slot < 0) return &d.run.priv[static_cast<size_t>(-slot - 1)];
  auto& v = d.run.slots;
  if (static_cast<size_t>(slot) >= v.size()) {
    if (!grow) return nullptr;
    v.resize(static_cast<size_t>(slot) + 1);
  }
  return &v[static_cast<size_t>(slot)];
}

}  // namespace

// ---- the first block of each line ------------------------------------------------------------

namespace {

using plat::kHugePage;
using plat::kLargeBlock;

// Whether a table goes on huge pages: it must come to half a huge page at least, and the
// unused end of its last huge page, which is memory held for nothing, to at most a
// sixteenth of the table.
bool on_huge_pages(std::size_t bytes) {
  if (bytes < kHugePage / 2) return false;
  const std::size_t span = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  return span - bytes <= bytes / 16;
}

}  // namespace

void* ncd_line_table_alloc(std::size_t bytes) {
  // A block smaller than plat::large_alloc puts on huge pages is asked as one that size: only
  // the huge pages that the table touches are ever backed.
  if (on_huge_pages(bytes)) return plat::large_alloc(std::max(bytes, kLargeBlock));
  return ::operator new(bytes);
}

void ncd_line_table_free(void* p, std::size_t bytes) noexcept {
  if (on_huge_pages(bytes))
    plat::large_free(p, std::max(bytes, kLargeBlock));
  else
    ::operator delete(p);
}

void NCD_FIRST_BLOCKS::reset(int n) {
  n = std::max(n, 0);
  base_.assign((static_cast<std::size_t>(n) + (1u << SHIFT) - 1) >> SHIFT, -1);
  dist_.assign(static_cast<std::size_t>(n), NONE);
  far_.clear();
}

void NCD_FIRST_BLOCKS::finish() {
  std::sort(far_.begin(), far_.end(), [](const Far& a, const Far& b) { return a.line < b.line; });
}

std::int32_t NCD_FIRST_BLOCKS::get(int n) const {
  const std::uint16_t k = dist_[static_cast<std::size_t>(n)];
  if (k == NONE) return -1;
  if (k != FAR) return base_[static_cast<std::size_t>(n) >> SHIFT] + k;
  const auto it = std::lower_bound(far_.begin(), far_.end(), n,
                                   [](const Far& f, int line) { return f.line < line; });
  return it != far_.end() && it->line == n ? it->block : -1;
}

// ---- reset -----------------------------------------------------------------------------------

void Reset_NCD_run(NCD_DATA& d) {
  Reset_NCD_exec(d);
  NCD_RUN& r = d.run;
  r.th = NCD_TH_STATE{};
  r.st = NCD_RUN_STATE{};
  // What the last run found belongs to a program that is being run again or was cleared.
  ++r.serial;
  r.valid_serial = 0;
  r.err_list.clear();
  r.err_count = 0;
  r.incomplete = false;
  r.stats.clear();
  r.samples.clear();
  r.summary.clear();
  r.sum_cut.clear();
  r.sum_rapid.clear();
  r.sum_time.clear();
}

// ---- compensation wiring -------------------------------------------------------------------

namespace {

// The look-ahead after the block `cur`, which is the one just executed.
void look_ahead_from(NCD_DATA& d, const TComp_block& cur, TComp_next& nx) {
  nx = TComp_next{};
  // Only the interpreter runs ahead, so its state and the positions are what is copied;
  // the run's own state and the displayed tool holder stay as they are.
  const NCD_EXEC saved = d.exec;
  const NCD_POS pos = d.pos;
  const NCD_BLOCK_TEXTS texts = d.exec_opt.block_text ? d.block_text : NCD_BLOCK_TEXTS{};
  for (int i = 0; i < COMP_LOOK_AHEAD; ++i) {
    if (exec_NCD_word(d, false)) {
      nx.result = TComp_next::ENDS;
      break;
    }
    if (d.exec.status & kErrBit) {
      nx.result = TComp_next::ENDS;  // an error or the program end
      break;
    }
    if (comp_take_next(cur, block_of(d), nx)) break;
  }
  // Back by copy: no tool holder selection, no redraw.
  d.exec = saved;
  d.pos = pos;
  if (d.exec_opt.block_text) d.block_text = texts;
}

// Compensation of the block just executed, which `b` describes.
void radius_comp(NCD_DATA& d, const TComp_block& b) {
  TComp_state& c = d.run.st.comp;
  if (!comp_active(c, b.code)) {
    comp_block_plain(c, b);
    return;
  }
  const std::uint16_t st =
      comp_block_step(c, b, [&d, &b](TComp_next& nx) { look_ahead_from(d, b, nx); });
  if (st) {
    d.exec.status = st;
    d.exec.flags = 0;
  }
}

}  // namespace

void comp_look_ahead(NCD_DATA& d, TComp_next& nx) { look_ahead_from(d, block_of(d), nx); }

void Tool_radius_comp(NCD_DATA& d) { radius_comp(d, block_of(d)); }

bool exec_NCD_block(NCD_DATA& d, bool sub_step) {
  TComp_state& c = d.run.st.comp;
  const int first_flags = d.exec.tool.first_flags;
  const bool ended = exec_NCD_word(d, sub_step);
  NCD_EXEC& e = d.exec;
  if (!ended && !is_error(e.status) && (e.status & NCD_ST_TOOL_CHANGE)) end_tool(d);
  c.block_error = 0;
  // A canned cycle still under way in sub-step mode is one block for compensation: it is
  // taken when its last sub-move is done.
  const bool cycle_going = e.cyc.active && d.pos.next_line == d.pos.cur_line;
  if (ended || (e.status & kErrBit) || cycle_going) {
    if (cycle_going) e.seg_end = e.cur;
    c.comp_applied = 0;
    c.comp_move_count = 0;
    return ended;
  }
  refresh_comp_tool(d);
  if (d.exec_opt.comp_enabled && c.tool_known) {
    const TComp_block b = block_of(d);
    radius_comp(d, b);
    comp_statistics(d, b, (e.status & NCD_ST_TOOL_CHANGE) ? 0 : first_flags);
  } else {
    comp_block_plain(c, block_of(d));
  }
  e.seg_end = (c.comp_applied && c.comp_move_count >= 1)
                  ? NCD_POINT(c.comp_moves[static_cast<size_t>(c.comp_move_count - 1)].end)
                  : e.cur;
  return ended;
}

// ---- stepping and the tool holder ----------------------------------------------------------

void change_TH_zu(NCD_DATA& d) {
  if (!d.run_done) return;
  NCD_TH_STATE& th = d.run.th;
  const int t = d.exec.t_cur;
  NCD_HOST& h = d.host();
  th.T = t;  // shown as the current tool even when no holder is found
  int size = 0;
  const int idx = h.th_find(t, size);
  if (idx >= 0) {
    h.th_show(idx);
    th.index = idx;
    th.tool_present = true;
    return;
  }
  if (t == 0 && h.th_set_tool0()) {
    h.th_show(0);
    th.index = 0;
    th.tool_present = true;
    return;
  }
  th.index = -1;
  th.tool_present = false;
  if (size == NCD_TH_NO_LIST) return;  // nothing to find the tool in
  char msg[160];
  if (size == 0)
    std::snprintf(msg, sizeof msg, "change_TH_zu でエラー発生, SEL_MAX=0 , num(+1)= %d",
                  d.pos.cur_line + 1);
  else
    std::snprintf(msg, sizeof msg, "change_TH_zu でえらー発生, T=%d sel_max=%d, num(+1)= %d", t,
                  size, d.pos.cur_line + 1);
  h.show_system_err(msg);
}

bool STEP_NCD(NCD_DATA& d, bool sub_step) {
  const bool ended = exec_NCD_block(d, sub_step);
  if (d.exec.t_cur != d.run.th.T) change_TH_zu(d);
  return ended;
}

bool STEP_NCD_stop_on_err(NCD_DATA& d, bool sub_step) {
  const bool ended = STEP_NCD(d, sub_step);
  return ended || is_error(d.exec.status);
}

// ---- snapshots -----------------------------------------------------------------------------

bool Save_NCD_snapshot(NCD_DATA& d, int slot) {
  NCD_SNAPSHOT* s = slot_ptr(d, slot, true);
  if (!s) return false;
  s->cur_line = d.pos.cur_line;
  s->next_line = d.pos.next_line;
  s->block_count = d.pos.block_count;
  s->th_T = d.run.th.T;
  s->serial = d.run.serial;
  s->exec = d.exec;
  s->run = d.run.st;
  return true;
}

bool Load_NCD_snapshot(NCD_DATA& d, int slot) {
  const NCD_SNAPSHOT* s = slot_ptr(d, slot, false);
  if (!s || s->serial == 0 || s->serial != d.run.serial) return false;
  // Slots of a run that failed or was overtaken stay unused.
  if (slot >= 0 && s->serial != d.run.valid_serial) return false;
  d.pos.cur_line = s->cur_line;
  d.pos.next_line = s->next_line;
  d.pos.block_count = s->block_count;
  d.run.th.T = s->th_T;
  d.exec = s->exec;
  d.run.st = s->run;
  return true;
}

// ---- the count pass ------------------------------------------------------------------------

namespace {

int find_program_line(const NCD_DATA& d, int o) {
  const NCD_LINE_TABLE& t = d.prog_lines;
  for (int i = 0; i < t.count; ++i)
    if (t.e[static_cast<size_t>(i)].num == o) return t.e[static_cast<size_t>(i)].line;
  return -1;
}

}  // namespace

void Count_NCD_blocks(NCD_DATA& d, NCD_COUNT_STATE& c) {
  if (c.next_line >= d.line_count || c.status == kErrBit) return;
  const int n = c.next_line;
  const NCD_LINE& ln = d.line(n);
  if (ln.status & kErrBit) {  // an error line (or a colour line below) is stepped over
    c.next_line = n + 1;
    return;
  }
  if (ln.status & NCD_ST_COLOUR) {
    c.next_line = n + 1;
    return;
  }
  const std::uint16_t field = ln.status & NCD_ST_END_FIELD;
  std::int32_t o = 0, p = 0, l = 0;
  bool has_p = false, has_l = false;
  if (ln.flags & NCD_WF_OTHER) {
    if (ncd_exec_detail::line_value(d, ln, NCD_MB_O, o)) c.o = o;
    if (field == NCD_ST_CALL) {
      has_p = ncd_exec_detail::line_value(d, ln, NCD_MB_P, p);
      has_l = ncd_exec_detail::line_value(d, ln, NCD_MB_L, l);
    }
  }
  if (field == NCD_ST_PROG_END) {
    c.status = kErrBit;
    return;
  }
  if (field == NCD_ST_CALL) {
    // The interpreter makes no call for L of 0 or below, and refuses one above the limit.
    const std::int32_t repeats = has_l ? l : 1;
    bool ok = has_p && c.depth < NCD_SUB_DEPTH && p != c.o && repeats > 0 &&
              repeats <= NCD_REPEAT_MAX;
    for (int i = 1; ok && i <= c.depth; ++i)
      if (c.stack[static_cast<size_t>(i)].prog == p || c.stack[static_cast<size_t>(i)].caller_o == p)
        ok = false;
    const int start = ok ? find_program_line(d, p) : -1;
    if (start >= 0) {
      auto& e = c.stack[static_cast<size_t>(++c.depth)];
      e.prog = p;
      e.caller_o = c.o;
      e.caller_line = n;
      e.start_line = start;
      e.left = repeats;
      c.next_line = start;
      return;
    }
  } else if (field == NCD_ST_RETURN) {
    if (c.depth == 0) {
      c.status = kErrBit;
      return;
    }
    auto& e = c.stack[static_cast<size_t>(c.depth)];
    if (--e.left <= 0) {
      c.next_line = e.caller_line + 1;
      c.o = e.caller_o;
      --c.depth;
    } else {
      c.next_line = e.start_line;
    }
    return;
  }
  c.next_line = n + 1;
}

// ---- statistics ----------------------------------------------------------------------------

void tool_statistics(NCD_DATA& d, int t) {
  const NCD_RUN_STATE& rs = d.run.st;
  close_record(d, t, d.exec.tool, rs.tool_first_block, d.pos.block_count, rs.tool_line);
}

// ---- the whole-program run -----------------------------------------------------------------

namespace {

void build_summary(NCD_DATA& d) {
  NCD_RUN& r = d.run;
  const NCD_TOTALS& t = r.st.totals;
  const std::string cut = float_to_str(t.cut_len, 0), rapid = float_to_str(t.rapid_len, 0);
  const std::string minutes = std::to_string(float_to_int(t.time));
  r.summary = "総切削長:" + cut + "mm, 早送り:" + rapid + "mm, 総加工時間:" + minutes + "分 ";
  if (d.exec.max_f < 10) r.summary += "(=F100)";
  if (r.err_count > 0) r.summary += " , ( NC-data err : " + std::to_string(r.err_count) + " )";
  if (r.incomplete) r.summary += " , ( 途中で中断しました )";
  r.sum_cut = cut + " mm";
  r.sum_rapid = rapid + " mm";
  r.sum_time = minutes + " 分";
}

}  // namespace

bool Run_all_NCD(NCD_DATA& d, int start_line) {
  NCD_RUN& r = d.run;
  d.run_done = false;
  d.pos.start_line = start_line;
  Reset_NCD_run(d);
  d.pos.cur_line = d.pos.next_line = start_line;
  d.pos.block_count = 0;
  if (d.line_count <= 0 || start_line < 0 || start_line >= d.line_count) return false;

  // Count pass.
  const std::int64_t cap = d.cap.run_moves;
  EscapePoll escape;
  NCD_COUNT_STATE cs;
  cs.next_line = start_line;
  std::int64_t count = 0;
  while (cs.status != kErrBit && cs.next_line < d.line_count && count < cap && !escape.stop()) {
    Count_NCD_blocks(d, cs);
    ++count;
  }
  const std::int64_t interval = count / NCD_SAMPLE_SPREAD;
  // The main pass executes about as many blocks as the count pass counted.
  const int snap = d.cap.snap_blocks;
  r.slots.reserve(static_cast<std::size_t>(
      std::min<std::int64_t>(count / snap + 1, NCD_snap_slots(d))));

  // Main pass. It notes the first block of every line it reaches.
  NCD_LINE_BLOCKS& noted = start_line == 0 ? r.from_top : r.from_line;
  noted.valid = false;
  noted.first.reset(d.line_count);
  Reset_NCD_run(d);
  d.pos.cur_line = d.pos.next_line = start_line;
  d.pos.block_count = 0;
  std::int64_t countdown = interval;
  std::int32_t tool = d.exec.t_cur;
  // A snapshot is taken whenever the block count is a multiple of snap. snap_at is the least
  // multiple at or above the count, found again only when the count leaves the snap blocks
  // below it.
  int snap_at = 0;
  while (d.pos.next_line < d.line_count) {
    const int bc = d.pos.block_count;
    if (bc >= snap_at || bc <= snap_at - snap) {
      snap_at = (bc / snap + (bc % snap > 0)) * snap;
      if (bc == snap_at) Save_NCD_snapshot(d, bc / snap);
    }
    // Cycle sub-moves count against the capacity: nested repeats of a cycle are no escape.
    if (escape.stop() || bc + d.pos.sub_moves >= cap) {
      r.incomplete = true;
      break;
    }
    const bool ended = exec_NCD_block(d, false);
    if (d.pos.block_count > bc) {
      const int cl = d.pos.cur_line;
      if (cl >= 0 && cl < d.line_count) noted.first.note(cl, d.pos.block_count);
    }
    if (ended) break;
    const NCD_EXEC& e = d.exec;
    const std::uint16_t st = e.status;
    if (st & kErrBit) {
      if (st == kErrBit) break;
      std::string msg;
      error_text(st, msg);
      add_error_line(d, d.pos.cur_line, st, msg);
    }
    if (const std::uint16_t ce = r.st.comp.block_error) {
      std::string msg;
      error_text(ce, msg);
      add_error_line(d, d.pos.cur_line, ce, msg);
    }
    if (!is_error(st) && (st & NCD_ST_TOOL_CHANGE)) {
      // exec_NCD_block has put the finished tool's values aside.
      const NCD_RUN_STATE& rs = r.st;
      close_record(d, tool, rs.closing, rs.closing_first_block, bc, rs.closing_line);
      tool = e.t_cur;
    }
    if (--countdown < 0 && (e.flags & NCD_WF_AXIS)) {
      const int g = st & NCD_ST_MOTION;
      if (!(st & kErrBit) && (g == NCD_MG_NONE || g == NCD_MG_G01)) {
        if (static_cast<int>(r.samples.size()) < NCD_SAMPLE_MAX) r.samples.push_back({e.prev, e.cur});
        countdown = interval;
      }
    }
  }
  tool_statistics(d, tool);
  add_totals(r.st.totals, d.exec.tool);
  add_errors_left_line(d);
  d.pos.total_blocks = d.pos.block_count;
  d.pos.last_line = d.pos.cur_line;
  build_summary(d);
  const NCD_EXEC& e = d.exec;
  d.run_done = e.ext_set && (e.ext_min.x != e.ext_max.x || e.ext_min.y != e.ext_max.y ||
                             e.ext_min.z != e.ext_max.z);
  r.valid_serial = r.serial;
  // A run cut short (Escape, the capacity) did not see every line it would reach.
  noted.first.finish();
  noted.valid = !r.incomplete;
  noted.changes = d.change_count;
  noted.opt = d.exec_opt;
  noted.start = start_line;
  noted.serial = r.serial;
  noted.ran_off_end = d.pos.next_line >= d.line_count;
  return true;
}

// ---- seeks ---------------------------------------------------------------------------------

void Goto_NCD_step(NCD_DATA& d, int n, bool one_more) {
  if (d.line_count <= 0) return;
  if (n < 0) {
    if (Load_NCD_snapshot(d, n)) change_TH_zu(d);
    return;
  }
  if (n > d.pos.total_blocks) return;
  // The nearest slot at or before the block (an earlier one should a slot be missing).
  int slot = n == 0 ? 0 : std::min((n - 1) / d.cap.snap_blocks, NCD_snap_slots(d) - 1);
  while (slot >= 0 && !Load_NCD_snapshot(d, slot)) --slot;
  if (slot < 0) return;
  NCD_EXEC& e = d.exec;
  // Until the tool has met its first point, show it there.
  const int si = d.run.st.stat_index;
  // The slot holds the compensated moves of the block it follows, so they stay, unless the
  // tool is moved to its first point and they no longer meet it.
  if (si >= 0 && si < static_cast<int>(d.run.stats.size()) && e.tool.first_flags < 7) {
    const VEC3 fp = d.run.stats[static_cast<size_t>(si)].first;
    e.prev = e.cur = e.seg_end = fp;
    d.run.st.comp.comp_applied = 0;
    d.run.st.comp.comp_move_count = 0;
  }
  e.cyc.counter = 0;
  if (n > 0) {
    while (d.pos.block_count < n - 1 && d.pos.block_count < d.pos.total_blocks)
      if (STEP_NCD(d, false)) break;
  }
  if (one_more) exec_NCD_block(d, false);
}

namespace {

// Steps until line n is the current line; false when the run ended first.
bool step_to_line(NCD_DATA& d, int n) {
  while (d.pos.cur_line != n) {
    if (STEP_NCD(d, false)) break;
  }
  if (d.pos.cur_line == n) return true;
  if (d.pos.next_line >= d.line_count) {
    d.pos.cur_line = d.pos.next_line = n;
    return true;
  }
  return false;
}

// Whether the noted blocks belong to the program and the options as they are now.
bool still_holds(const NCD_DATA& d, const NCD_LINE_BLOCKS& m) {
  const NCD_EXEC_OPTIONS& o = m.opt;
  const NCD_EXEC_OPTIONS& c = d.exec_opt;
  return m.valid && m.changes == d.change_count &&
         m.first.size() == d.line_count && o.comp_enabled == c.comp_enabled &&
         o.block_text == c.block_text && o.peck_return == c.peck_return;
}

// Whether the snapshots are those of the run that noted m.
bool is_current(const NCD_DATA& d, const NCD_LINE_BLOCKS& m) {
  const NCD_RUN& r = d.run;
  return m.serial == r.serial && r.valid_serial == r.serial && d.pos.start_line == m.start;
}

// Seeks to where stepping from block 0 of the current run first makes line n the current
// one, as the run noted it (its start line is current before the first block); false when
// the run did not reach it.
bool seek_noted_line(NCD_DATA& d, const NCD_LINE_BLOCKS& m, int n) {
  const int b = m.first.get(n);
  if (n == m.start) {
    Goto_NCD_step(d, 0, false);
  } else {
    if (b < 0) return false;
    Goto_NCD_step(d, b, false);
    STEP_NCD(d, false);
  }
  return d.pos.cur_line == n;
}

}  // namespace

void Goto_NCD_line(NCD_DATA& d, int n) {
  if (d.line_count <= 0) return;
  n = std::clamp(n, 0, d.line_count - 1);
  NCD_HOST& h = d.host();
  NCD_RUN& r = d.run;
  // What the last runs noted of the program as it is now spares the runs: the run from line
  // 0 is made only when its snapshots are not the current ones, and a line it does not reach
  // is met in the run from the line after the program end before it.
  const bool top_holds = still_holds(d, r.from_top);
  const bool from_top = !top_holds || r.from_top.first.get(n) >= 0 ||
                        r.from_top.ran_off_end || n == 0;
  if (from_top) {
    if (!top_holds || !is_current(d, r.from_top)) {
      Run_all_NCD(d, 0);
      h.set_TOOL_defs(d);
    }
    const NCD_LINE_BLOCKS& m = r.from_top;
    const bool noted = still_holds(d, m);
    if (noted && seek_noted_line(d, m, n)) return;
    // Stepping meets a line that the run did not reach only when the run ran off the end.
    if (!noted || m.ran_off_end) {
      Goto_NCD_step(d, 0, false);
      if (step_to_line(d, n)) return;
    }
  }
  // The line lies after a program end: run again from the line after the nearest end.
  const int end = Find_prev_end_line(d, n);
  const int from = end == n ? n : std::min(end + 1, d.line_count);
  if (!(still_holds(d, r.from_line) && r.from_line.start == from && is_current(d, r.from_line))) {
    Run_all_NCD(d, from);
    h.set_TOOL_defs(d);
    h.fit_scale(d);
  }
  if (from > 0 && still_holds(d, r.from_line) && r.from_line.start == from &&
      seek_noted_line(d, r.from_line, n))
    return;
  Goto_NCD_step(d, 0, false);
  if (step_to_line(d, n)) return;
  char msg[200];
  std::snprintf(msg, sizeof msg,
                "SYSTEM ERR : num(%d,last ser=%d),cnt(%d)が見つかりませんでした。max_cnt=%d", n,
                d.pos.cur_line, d.pos.block_count, d.pos.total_blocks);
  h.show_system_err(msg);
}

// ---- save areas ----------------------------------------------------------------------------

namespace {

void save_area(NCD_DATA& d, int a) {
  d.run.areas[static_cast<size_t>(a)].th = d.run.th;
  Save_NCD_snapshot(d, -1 - a);
}

void load_area(NCD_DATA& d, int a) {
  if (!Load_NCD_snapshot(d, -1 - a)) return;
  change_TH_zu(d);
  d.run.th = d.run.areas[static_cast<size_t>(a)].th;
}

}  // namespace

void Save_NCD_pos_A(NCD_DATA& d) { save_area(d, 0); }
void Load_NCD_pos_A(NCD_DATA& d) { load_area(d, 0); }
void Save_NCD_pos_B(NCD_DATA& d) { save_area(d, 1); }
void Load_NCD_pos_B(NCD_DATA& d) { load_area(d, 1); }
void Save_NCD_pos_C(NCD_DATA& d) { save_area(d, 2); }
void Load_NCD_pos_C(NCD_DATA& d) { load_area(d, 2); }
