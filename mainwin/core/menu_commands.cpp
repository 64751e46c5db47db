#include "mainwin/core/menu_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/ats_func.h"

bool view_preset(int tag, VLM_view_preset& out) {
  switch (tag) {
    case 41: out.angle1 = 360; out.angle2 = 0; break;
    case 42: out.angle1 = 270; out.angle2 = 0; break;
    case 43: out.angle1 = 290; out.angle2 = -50; break;
    case 44: out.angle1 = 270; out.angle2 = -90; break;
    default: return false;
  }
  out.track_Z = float_round_to_int(out.angle2);
  out.track_X = float_round_to_int(90.0 - (360.0 - out.angle1));
  out.ed_X_shaft = 90 - out.track_X;
  return true;
}

int mouse_mode_after(int tag, int mode) {
  switch (tag) {
    case 11: return (mode & ~0xF) | 1;
    case 12: return (mode & ~0xF) | 2;
    case 13: return (mode & ~0xF) | 3;
    case 30: return 19;
    case 31: return (mode & ~0xF0) | (2 << 4);
    default: return mode;
  }
}

int jump_target_line(int number, int line_count) {
  const int last = std::max(line_count - 1, 0);
  return std::clamp(number - 1, 0, last);
}

int list_font_height_of(int tag) {
  switch (tag) {
    case 24: return -18;
    case 25: return -16;
    case 26: return -12;
    default: return 0;
  }
}

std::string hi_speed_interval_caption(int interval) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "高速再生時でのリスト変更サイクル(現在値: %d 行ごと)", interval);
  return buf;
}

void set_range_start(int step, std::int32_t& first, std::int32_t& last) {
  first = step;
  if (first > last) last = step;
}

void set_range_end(int step, std::int32_t& first, std::int32_t& last) {
  last = step;
  if (last < first) first = step;
}

void reset_range(int block_count, std::int32_t& first, std::int32_t& last) {
  first = 0;
  last = std::max(block_count - 1, 0);
}

int row_line_number(std::string_view row_text) {
  const std::string n = _numbers_for_routine("#", row_text);
  if (n.empty()) return 0;
  return std::atoi(n.c_str());
}

void selection_start(VLM_selection& s, int row_line) {
  s.start = row_line;
  s.end = 0;
  s.anchor = s.start;
}

void selection_end_lock(VLM_selection& s, int row_line) {
  s.end = row_line;
  if (s.start > s.end) std::swap(s.start, s.end);
  s.anchor = s.end;
}

void select_all(VLM_selection& s, int line_count) {
  s.start = 1;
  s.end = line_count;
  s.anchor = s.end;
}

bool selected_range(const VLM_selection& s, int row_line, int& first, int& last) {
  if (s.start <= 0) return false;
  first = s.start;
  last = s.end > 0 ? s.end : row_line;
  if (last <= 0) return false;
  if (first > last) std::swap(first, last);
  return true;
}

std::string clipboard_text(const std::vector<std::string>& lines) {
  std::size_t n = 0;
  for (const auto& l : lines) n += l.size() + 2;
  std::string out;
  out.reserve(n);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

int line_after_deletion(int cur, int first, int last) {
  if (cur < first) return cur;
  if (cur > last) return cur - (last - first + 1);
  return first;
}

std::string delete_question(int first, int last) {
  char buf[96];
  std::snprintf(buf, sizeof buf, " %d - %d を削除しますか？", first, last);
  return buf;
}

VLM_popup_state popup_state(const VLM_popup_input& in) {
  VLM_popup_state st;
  char buf[160];
  if (in.loaded) {
    std::snprintf(buf, sizeof buf, "パスの描画開始行設定( 現在値 : %d  )", in.range_first + 1);
    st.list_st = buf;
    std::snprintf(buf, sizeof buf, "パスの描画終了行設定( 現在値 : %d  )", in.range_last + 1);
    st.list_en = buf;
    std::snprintf(buf, sizeof buf, "☆↑リセット( 現在 %d行目,%dsteps)", in.cur_line + 1, in.cur_step);
    st.list_reset = buf;
    st.program_items = true;
  } else {
    st.list_st = "パスの描画開始行設定 ( - )";
    st.list_en = "パスの描画終了行設定 ( - )";
    st.list_reset = "★↑リセット( 現在???行目,???step)";
  }
  if (in.sel.start > 0) {
    std::snprintf(buf, sizeof buf, "選択開始 ( %d 行目から)", in.sel.start);
    st.sel_start = buf;
    if (in.sel.end > 0) {
      std::snprintf(buf, sizeof buf, "選択終了行位置をロック( %d 行目まで)", in.sel.end);
      st.selend_lock = buf;
    } else {
      st.selend_lock = "選択終了行位置をロック";
    }
    st.selection_items = true;
  } else {
    if (in.row_number.empty()) {
      st.sel_start = "選択開始";
    } else {
      std::snprintf(buf, sizeof buf, "選択開始 ( %s 行目から)", in.row_number.c_str());
      st.sel_start = buf;
    }
    st.selend_lock = "選択終了行位置をロック";
  }
  return st;
}

std::string dummy_tool_line(int tool) {
  return "(VLM C" + std::to_string(std::max(tool, 0)) + " CHANGE TOOL)";
}

std::string dummy_color_line(int color) {
  return "(VLM E" + std::to_string(color) + " CHANGE TOOL COLOR)";
}

std::vector<std::string> split_command_line(std::string_view text) {
  std::vector<std::string> out;
  std::string word;
  bool in_word = false, quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word) out.push_back(std::move(word));
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) out.push_back(std::move(word));
  return out;
}

int other_exec_choice(int stored) { return stored < 0 || stored > 2 ? 0 : stored; }
