#include "mainwin/core/sim_dump.h"

#include <cstdio>

#include "common/ats_func.h"
#include "common/debug_win.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_exec.h"
#include "ncdata/ncd_run.h"

// ---- the simulation state for the debug window ---------------------------------------------

namespace {

// "%.Nf" with the program's rounding (half away from zero on the exact value).
std::string fixed(double v, int decimals) {
  std::string ip, fp;
  round_decimal(v, decimals, ip, fp);
  const bool zero = ip.find_first_not_of('0') == std::string::npos &&
                    fp.find_first_not_of('0') == std::string::npos;
  std::string s = (v < 0 && !zero) ? "-" : "";
  s += ip;
  if (decimals > 0) s += "." + fp;
  return s;
}

std::string xyz(const char* head, double x, double y, double z) {
  return std::string(head) + "( " + fixed(x, 3) + " , " + fixed(y, 3) + " , " + fixed(z, 3) + " )";
}

std::string hex(const char* head, unsigned v, const char* f) {
  char b[64];
  std::snprintf(b, sizeof b, f, v);
  return std::string(head) + b;
}

}  // namespace

std::vector<std::string> sim_status_lines(const NCD_DATA& d) {
  const NCD_EXEC& e = d.exec;
  const NCD_CYCLE& c = e.cyc;
  const NCD_TOOL_RUN& t = e.tool;
  const NCD_TOTALS& tot = d.run.st.totals;
  std::vector<std::string> out;
  auto num = [](int v) { return std::to_string(v); };
  out.push_back("nedit.nc_word.number = " + num(d.pos.cur_line) + " ( +1 =" + num(d.pos.cur_line + 1) + " )");
  out.push_back("         num_counter = " + num(d.pos.block_count) + " ");
  out.push_back("  start_draw_counter = " + num(d.pos.mark_first) + " ");
  out.push_back("    end_draw_counter = " + num(d.pos.mark_last) + " ");
  out.emplace_back();
  // the cycle's initial point over the hole in hand
  out.push_back(xyz("  pre_FX X , Y , Z      : ", e.cur.x, e.cur.y, c.init_z));
  out.push_back(xyz("     pre X , Y , Z      : ", e.prev.x, e.prev.y, e.prev.z));
  out.push_back(xyz("     now X , Y , Z      : ", e.cur.x, e.cur.y, e.cur.z));
  out.push_back(xyz("Tool_Pos X , Y , Z      : ", e.seg_end.x, e.seg_end.y, e.seg_end.z));
  out.emplace_back();
  out.push_back(hex("  info:", e.flags, "%4.4x") + " , " + word_to_bit_text(e.flags));
  out.push_back(hex("status:", e.status, "%4.4x") + " , " + word_to_bit_text(e.status));
  out.emplace_back();
  out.push_back("FF_counter          : " + num(t.rapid_count));
  out.emplace_back();
  std::string step;
  get_cycle_step_text(d, step);
  out.push_back("fx_counter    : " + num(c.counter) + (c.active ? "(ON) " : "(off)"));
  out.push_back("fx_ACTION     : " + num(c.kind) + " , " + step);
  out.push_back("fx_next_PHASE : " + num(c.phase));
  out.push_back(hex("fx_STATUS     : ", c.status, "%8x"));
  out.push_back(hex("fx_INFO       : ", c.flags, "%8x"));
  out.push_back(hex("fx_ADD_DATA   : ", c.mask, "%8x"));
  out.emplace_back();
  out.push_back("part_cut=" + fixed(t.cut_len, 3) + " , FF=" + fixed(e.feed, 3) + " , t=" +
                float_to_str(static_cast<float>(t.time * 60.0), 3) + "sec , fz = " +
                num(t.first_flags) + " , ac= " + num(e.tool_changes));
  out.emplace_back();
  out.push_back("total_FF_leng       : " + fixed(tot.rapid_len, 0) + " mm");
  out.push_back("total_cut_leng      : " + fixed(tot.cut_len, 0) + " mm");
  out.push_back("total_FIXED_FF_leng : " + fixed(t.shift_len, 0) + " mm");
  out.push_back("FF  lengnth         : " + fixed(t.rapid_len, 0) + " mm");
  out.push_back("CUT lengnth         : " + fixed(t.cut_len, 0) + " mm");
  out.push_back("FIXED FF length     : " + fixed(t.shift_len, 0) + " mm");
  out.push_back("total_time          : " + fixed(tot.time * 60.0, 0) + " sec");
  out.push_back(" part_time          : " + fixed(t.time * 60.0, 0) + " sec");
  out.push_back("fixed_FF_counter    : " + num(t.pecks));
  out.push_back("dwell time          : " + fixed(t.dwell, 0) + " sec");
  out.push_back("tapping_pitch       : " + fixed(t.pitch, 0) + " mm");
  out.push_back("boring_shift_leng   : " + fixed(t.shift_len, 0) + " mm");
  out.emplace_back();
  // the cycle's levels (absolute, whatever the distance mode) and the block's X and Y words
  out.push_back("fxR : " + fixed(c.r_z, 3));
  out.push_back("fxX : " + fixed(c.x, 3));
  out.push_back("fxY : " + fixed(c.y, 3));
  out.push_back("fxZ : " + fixed(c.bottom_z, 3));
  out.push_back("fxQ : " + fixed(c.q, 3));
  out.push_back("fxP : " + num(c.p));
  out.push_back("fxL : " + num(c.l));
  return out;
}

void Dump_SIM_status_to_deb(const NCD_DATA& d, velmor::Tdeb& deb) {
  deb.clear_dump();
  for (const std::string& l : sim_status_lines(d)) deb.add_dump_line(l);
}
