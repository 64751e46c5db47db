#include "mainwin/core/control_panel.h"

#include <cstdio>
#include <cstring>

#include "common/ats_func.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_exec.h"
#include "platform/core/input.h"

namespace {

std::string fmt(const char* f, int a) {
  char b[64];
  std::snprintf(b, sizeof b, f, a);
  return b;
}

std::string coord(char letter, float v) { return std::string(1, letter) + float_to_str_fixed(v, 9, 3); }

// The text of call level i (entry i + 1 of the call stack).
std::string level_text(const NCD_EXEC& e, int i) {
  if (i + 1 >= static_cast<int>(e.sub.size())) return {};
  const auto& t = e.sub[i + 1].text;
  return std::string(t.data(), strnlen(t.data(), t.size()));
}

void call_chain(const NCD_EXEC& e, CONTROLER_TEXTS& t) {
  std::string* lab = &t.stat[8];  // stat_9 .. stat_12
  for (int i = 0; i < 4; ++i) lab[i].clear();
  const int depth = e.sub_depth < 0 ? 0 : (e.sub_depth > 4 ? 4 : e.sub_depth);
  const bool returned = (e.status & NCD_ST_PROG_END) != 0;
  if (depth == 0) {
    lab[0] = (returned || e.status == NCD_ST_ERROR) ? level_text(e, 0) : std::string("MAIN PRG");
    return;
  }
  for (int i = 0; i < depth; ++i) lab[i] = level_text(e, i);
  if (depth < 4 && returned) lab[depth] = level_text(e, depth);
}

// stat_1 and the coordinate labels stat_3 .. stat_8 of a block without error.
void motion_texts(const NCD_EXEC& e, CONTROLER_TEXTS& t) {
  std::string s1;
  s1 += (e.status & NCD_ST_G98) ? "G98" : (e.status & NCD_ST_G99) ? "G99" : "   ";
  s1 += (e.status & NCD_ST_G90) ? " G90" : (e.status & NCD_ST_G91) ? " G91" : "    ";
  const unsigned plane = (e.mode >> 4) & 3u;
  s1 += plane == 1 ? " G17" : plane == 2 ? " G18" : plane == 3 ? " G19" : "    ";
  const unsigned ws = e.mode & 0xFu;
  if (ws >= 1 && ws <= 6) s1 += fmt(" G%d", 53 + static_cast<int>(ws));
  else if (ws == 7) s1 += " G92";
  else s1 += "    ";

  std::string* c = &t.stat[2];  // stat_3 .. stat_8
  auto clear_coords = [&] { for (int i = 0; i < 6; ++i) c[i].clear(); };
  const int group = e.status & NCD_ST_MOTION;
  switch (e.flags & 0x0C00) {
    case 0: {
      s1 += " ";
      s1 += controler_motion_name(group);
      clear_coords();
      auto xyz = [&] {
        c[0] = coord('X', static_cast<float>(e.cur.x));
        c[1] = coord('Y', static_cast<float>(e.cur.y));
        c[2] = coord('Z', static_cast<float>(e.cur.z));
      };
      switch (group) {
        case 1: case 5: case 6:  // G01, G31, G33
          xyz();
          c[5] = coord('F', e.f);
          break;
        case 2: case 3:  // G02, G03
          xyz();
          c[5] = coord('F', e.f);
          if (e.flags & NCD_WF_R) {
            c[3] = coord('R', e.arc_r);
          } else if (e.flags & NCD_WF_IJK) {
            const unsigned pl = (e.mode >> 4) & 3u;
            if (pl == 2) { c[3] = coord('K', e.arc_k); c[4] = coord('I', e.arc_i); }
            else if (pl == 3) { c[3] = coord('J', e.arc_j); c[4] = coord('K', e.arc_k); }
            else { c[3] = coord('I', e.arc_i); c[4] = coord('J', e.arc_j); }
          }
          break;
        case 31: case 4:  // G00, G60
          xyz();
          break;
        case 7: case 9: case 13: case 17:  // G73, G76, G83, G87
          xyz();
          c[3] = coord('R', e.cyc.r);
          c[4] = coord('Q', e.q);
          c[5] = coord('F', e.f);
          break;
        case 8: case 12: case 14: case 18: case 19:  // G74, G82, G84, G88, G89
          xyz();
          c[3] = coord('R', e.cyc.r);
          c[4] = std::string("P") + float_to_str_fixed(static_cast<float>(e.p), 9, 0);
          c[5] = coord('F', e.f);
          break;
        case 11: case 15: case 16:  // G81, G85, G86
          xyz();
          c[3] = coord('R', e.cyc.r);
          c[5] = coord('F', e.f);
          break;
        default:
          break;
      }
      break;
    }
    case 0x0400:
      s1 += " G80";
      clear_coords();
      c[0] = coord('X', static_cast<float>(e.cur.x));
      c[1] = coord('Y', static_cast<float>(e.cur.y));
      c[2] = coord('Z', static_cast<float>(e.cur.z));
      break;
    case 0x0800:
      s1 += " G04";
      clear_coords();
      if (e.mask & (1u << NCD_MB_P)) c[0] = fmt("P %d", e.p);
      else if (e.flags & NCD_WF_X) c[0] = coord('X', static_cast<float>(e.cur.x));
      break;
    default:  // no motion: the labels keep their texts
      break;
  }
  t.stat[0] = s1;
}

std::string offset_text(const NCD_EXEC& e) {
  std::string s;
  switch (e.flags & NCD_WF_LEN_FIELD) {
    case 0x4000: s = fmt("G43 H%2.2d", e.h); break;
    case 0x8000: s = fmt("G44 H%2.2d", e.h); break;
    case 0xC000: s = "G49    "; break;
    default: break;
  }
  switch (e.flags & NCD_WF_COMP_FIELD) {
    case 0x1000: s += fmt(" G41 D%2.2d", e.d); break;
    case 0x2000: s += fmt(" G42 D%2.2d", e.d); break;
    case 0x3000: s += " G40    "; break;
    default: break;
  }
  if (e.cyc.active) {
    std::string cyc;
    get_cycle_step_text(e, cyc);
    s += cyc;
  }
  return s;
}

}  // namespace

const char* controler_motion_name(int group) {
  static const char* const names[20] = {nullptr, "G01", "G02", "G03", "G60", "G31", "G33",
                                        "G73", "G74", "G76", nullptr, "G81", "G82", "G83",
                                        "G84", "G85", "G86", "G87", "G88", "G89"};
  if (group == 31) return "G00";
  if (group >= 0 && group < 20 && names[group]) return names[group];
  return "???";
}

void clear_controler_texts(CONTROLER_TEXTS& t, bool show_abc) {
  t.caption = "controler";
  for (auto& s : t.stat) s.clear();
  t.stat[0] = "G54 G17 G98 G91 G00";
  t.stat[1] = "G49     G40    ";
  t.abc_visible = show_abc;
}

std::string controler_tool_text(const NCD_DATA& d) {
  const NCD_EXEC& e = d.exec;
  std::string s = fmt("T%d", e.t_cur);
  if (e.spindle == 3 || e.spindle == 4) {
    if (e.s == -1) {
      s += fmt(" M%2.2d ", e.spindle);
    } else {
      char b[64];
      std::snprintf(b, sizeof b, " M%2.2d S%d ", e.spindle, e.s);
      s += b;
    }
  }
  return s;
}

void controler_status_texts(const NCD_DATA& d, const CONTROLER_TOOL& tool, bool show_abc,
                            CONTROLER_TEXTS& t) {
  const NCD_EXEC& e = d.exec;
  const std::string name = tool.set ? tool.name : std::string("工具未設定");
  if (d.line_count > 0) {
    char b[512];
    std::snprintf(b, sizeof b, " %d : %d : %d (%2d) %s : %s", d.pos.start_line + 1,
                  d.pos.last_line + 1, d.pos.cur_line + 1, tool.use_index,
                  controler_tool_text(d).c_str(), name.c_str());
    t.caption = b;
  } else {
    t.caption = "controler";
  }
  t.abc_visible = show_abc;
  if (show_abc) {
    t.stat[12] = coord('A', e.a);
    t.stat[13] = coord('B', e.b);
    t.stat[14] = coord('C', e.c);
  } else {
    t.stat[12].clear();
    t.stat[13].clear();
    t.stat[14].clear();
  }
  call_chain(e, t);
  if (e.status == NCD_ST_ERROR) return;  // the program end keeps the last block's labels
  if (e.status > NCD_ST_ERROR) {
    t.stat[0] = "ERR";
    t.stat[1] = "ERR";
    for (int i = 2; i < 8; ++i) t.stat[i].clear();
    return;
  }
  controler_block_texts(e, t);
}

void controler_block_texts(const NCD_EXEC& e, CONTROLER_TEXTS& t) {
  motion_texts(e, t);
  t.stat[1] = offset_text(e);
}

std::string interference_alarm_text(std::uint32_t bits) {
  if ((bits & ~1u) == 0) return {};
  static const struct { std::uint32_t bit; const char* text; } kReasons[] = {
      {2, "無刃領域で加工,"},         {4, "刃長が足りません,"},
      {8, "シャンクかホルダが干渉しました,"}, {16, "冶具を加工,"},
      {32, "側面で加工,"},           {128, "G00で加工,"}};
  std::string s = "干渉エラー発生 : ";
  for (const auto& r : kReasons)
    if (bits & r.bit) s += r.text;
  s += "\n\n続けるときは OK を、停止するときは キャンセルを押してください";
  return s;
}

// ---- CONTROLER_CORE ----------------------------------------------------------------------

bool CONTROLER_CORE::Check_interference_alarm() {
  NCD_DATA& d = h_.data();
  const std::uint32_t bits = h_.check_bits();
  const bool inside = d.pos.block_count < d.pos.total_blocks && d.pos.next_line < d.line_count;
  bool go = inside;
  if (bits & ~1u) {
    // A collision in the last block is still shown, then the loop stops.
    const bool ok = f_.alarm_box(interference_alarm_text(bits), !inside);
    go = inside && ok;
  }
  h_.clear_check_bits();
  return go;
}

int CONTROLER_CORE::repeat_action(int tag) {
  switch (tag) {
    case 5: return CA_STEP;
    case 6: return CA_BACK_STEP;
    case 16: return CA_STEP2;
    default: return 0;
  }
}

bool CONTROLER_CORE::repeat(int tag) {
  const int a = repeat_action(tag);
  if (a == 0) return false;
  NCD_DATA& d = h_.data();
  if (d.exec.status >= NCD_ST_ERROR) return false;
  if (tag == 6 && d.pos.block_count <= 0) return false;
  if (h_.action(a)) return false;
  if (d.exec.status >= NCD_ST_ERROR) return false;
  return !(tag == 6 && d.pos.block_count <= 0);
}

void CONTROLER_CORE::clear(bool right, bool ctrl) {
  NCD_DATA& d = h_.data();
  if (!right) {
    d.pos.mark_first = d.pos.mark_last = d.pos.block_count;
    h_.draw_data(CD_FULL);
    return;
  }
  d.pos.mark_first = ctrl ? 0 : h_.tool_first_block();
  d.pos.mark_last = d.pos.block_count;
  h_.draw_data(CD_FULL);
  if (h_.debug_window_shown()) h_.dump_status();
}

bool CONTROLER_CORE::press(int tag, CONTROLER_BUTTON b, bool ctrl, std::uint32_t now) {
  NCD_DATA& d = h_.data();
  if (d.line_count <= 0 || playing_) return false;
  if (now - last_event_ < CONTROLER_DEBOUNCE_MS) return false;
  const bool left = b == CONTROLER_BUTTON::Left;
  const bool right = b == CONTROLER_BUTTON::Right;
  const bool known = (tag >= 1 && tag <= 11) || tag == 14 || tag == 15 || tag == 16 || tag == 18;
  if (known && !d.run_done) h_.rerun();
  bool repeat_follows = false;
  switch (tag) {
    case 1:
      if (left) play_loop(tag, false, false);
      break;
    case 2:
      if (left || right) clear(right, ctrl);
      break;
    case 3: h_.action(CA_NEXT_TOOL); break;
    case 4: h_.action(CA_PREV_TOOL); break;
    case 5:
    case 16: {
      const int a = tag == 5 ? CA_STEP : CA_STEP2;
      if (left) {
        repeat_follows = !h_.action(a) && d.exec.status < NCD_ST_ERROR;
      } else if (right && !ctrl && h_.debug_window_shown()) {
        h_.action(a);
        h_.dump_status();
        f_.set_status(true);
      }
      break;
    }
    case 6:
      if (left) {
        repeat_follows = !h_.action(CA_BACK_STEP) && d.exec.status < NCD_ST_ERROR &&
                         d.pos.block_count > 0;
      } else if (right && !ctrl && h_.debug_window_shown()) {
        h_.action(CA_BACK_STEP);
        h_.dump_status();
      }
      break;
    case 7: h_.action(left ? CA_END : CA_LAST_LINE); break;
    case 8: h_.action(left ? CA_TOP : CA_TOP_LINE); break;
    case 9: h_.zoom_by_factor(1.5); h_.draw_data(CD_FULL); break;
    case 10: h_.fit_scale(); h_.zoom_by_factor(1.0); h_.draw_data(CD_FULL); break;
    case 11: h_.zoom_by_factor(2.0 / 3.0); h_.draw_data(CD_FULL); break;
    case 14: h_.action(CA_PREV_PROG); break;
    case 15: h_.action(CA_NEXT_PROG); break;
    case 18:
      if (left || right) play_loop(tag, true, right);
      break;
    default:
      break;
  }
  last_event_ = f_.tick_ms();
  return repeat_follows;
}

void CONTROLER_CORE::play_loop(int tag, bool hispd, bool fastest) {
  NCD_DATA& d = h_.data();
  plat::BusyGuard busy;
  f_.disable_buttons(tag);
  d.pos.mark_last = d.pos.block_count;
  plat::key_down(plat::Key::Escape);
  plat::key_down(plat::Key::LButton);
  plat::key_down(plat::Key::RButton);
  h_.set_abort_flag(0);
  const std::uint32_t start = f_.tick_ms();
  h_.set_run_stop(h_.stop_on_interference());
  playing_ = true;
  const int interval = h_.redraw_interval() > 0 ? h_.redraw_interval() : 1;
  int counter = interval;

  for (;;) {
    if (hispd) {
      if (h_.draw_data(CD_HISPD_STEP) == 1) {
        h_.draw_data(CD_FULL);
        h_.frame_drawn();
        if (!Check_interference_alarm()) break;
      }
    } else if (h_.action(CA_STEP)) {
      h_.draw_data(CD_PLAY_END);
      h_.frame_drawn();
      if (!Check_interference_alarm()) break;
    }
    if (d.exec.status >= NCD_ST_ERROR) break;
    if (plat::key_down(plat::Key::Escape)) break;
    if (h_.abort_flag() == 1) break;
    const bool l = plat::key_down(plat::Key::LButton);
    const bool r = plat::key_down(plat::Key::RButton);
    if (h_.abort_flag() == 2 || l || r) {
      const bool stop = f_.tick_ms() - start >= CONTROLER_STOP_AFTER_MS && f_.press_inside(tag);
      h_.set_abort_flag(0);
      if (stop) break;
    }
    if (hispd) {
      --counter;
      if (counter <= 0 || (d.exec.status & NCD_ST_TOOL_CHANGE)) {
        counter = interval;
        // The refresh waits for a frame that is due; the fastest mode draws only the status.
        if (h_.frame_due()) {
          f_.set_status(true);
          if (!fastest) {
            h_.draw_data(CD_REFRESH);
            h_.redraw_list();
          }
          h_.frame_drawn();
        }
      }
    }
  }

  playing_ = false;
  h_.set_run_stop(false);
  if (!hispd) {
    // The paced steps may have skipped the read-outs and the listing of the last blocks.
    f_.set_status(false);
    h_.redraw_list();
    f_.enable_buttons();
    h_.draw_data(CD_PLAY_END);
  } else {
    if (d.exec.status == NCD_ST_ERROR) h_.goto_step(0);
    f_.enable_buttons();
    f_.set_status(true);
    h_.redraw_list();
    h_.draw_data(CD_FULL);
  }
  h_.frame_drawn();
}
