#include "ncdata/ncd_edit.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/ats_func.h"
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "platform/core/msgbox.h"

NCD_EDIT_LIST::NCD_EDIT_LIST(NCD_DATA& data, NCD_LIST_ROWS& rows_view, NCD_LIST_HOST* list_host)
    : d(data), rows(rows_view), host(list_host ? list_host : &plain_host_) {}

int no_operation() { return 0; }

namespace {

// Marks the listing busy for the lifetime of the guard.
struct Busy {
  explicit Busy(NCD_EDIT_LIST& l) : l_(l) { ++l_.busy; }
  ~Busy() { --l_.busy; }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;
  NCD_EDIT_LIST& l_;
};

bool is_error_status(std::uint16_t st) { return (st & NCD_ST_ERROR) && st != NCD_ST_ERROR; }

int visible_rows(const NCD_EDIT_LIST& l) {
  return std::clamp(l.visible, NCD_LIST_VISIBLE_MIN, NCD_LIST_VISIBLE_MAX);
}

// The line text of a row: what follows the prefix, control bytes as blanks (a paste keeps
// LF and TAB in the row; no CP932 trail byte is below 0x40, so this never splits a pair).
std::string text_after_prefix(const std::string& row) {
  if (row.size() <= NCD_LIST_PREFIX) return std::string();
  std::string s = row.substr(NCD_LIST_PREFIX);
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return s;
}

bool same_prefix(const std::string& a, const std::string& b) {
  return a.size() >= NCD_LIST_PREFIX && b.size() >= NCD_LIST_PREFIX &&
         a.compare(0, NCD_LIST_PREFIX, b, 0, NCD_LIST_PREFIX) == 0;
}

void clear_modified_marks(NCD_EDIT_LIST& l) {
  for (int i = 0; i < NCD_LIST_ROW_COUNT; ++i) l.rows.clear_row_modified(i);
}

// An edit only works while the store has room; otherwise its message is shown.
bool store_has_room(NCD_EDIT_LIST& l) {
  if (!l.d.buf_full) return true;
  plat::message_box(l.d.buf_msg, "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  return false;
}

// Inserts the text before line n; true when the store ran the program itself (it does when
// lines follow the insertion).
bool insert_text(NCD_EDIT_LIST& l, const std::string& text, int n) {
  const bool runs = n < l.d.line_count;
  Insert_NCD_text(l.d, text.data(), n, text.size());
  return runs;
}

// After a change of the store: the program runs again and the tool table follows, unless
// the insertion did both.
void run_after_edit(NCD_EDIT_LIST& l, bool store_ran) {
  Set_NCD_list_range(l);
  if (store_ran) return;
  int start = l.d.pos.start_line;
  if (start < 0 || start >= l.d.line_count) start = 0;
  Run_all_NCD(l.d, start);
  l.d.host().set_TOOL_defs(l.d);
}

// The seek to block n of the new program, which may have fewer blocks.
void seek_block(NCD_EDIT_LIST& l, int n, bool one_more) {
  Goto_NCD_step(l.d, std::clamp(n, 0, l.d.pos.total_blocks), one_more);
}

void refresh_after_edit(NCD_EDIT_LIST& l) {
  if (l.d.buf_full)
    plat::message_box(l.d.buf_msg, "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  l.host->Set_controler_status();
  Redraw_NCD_list(l);
  l.host->set_NCD_status();
}

// A main step m: the main window's drawn step, or a plain step.
bool main_step(NCD_EDIT_LIST& l, int m, bool flag) {
  const bool drawn = flag ? (!l.repeating && l.host->sim_option() && l.d.run_done) : l.d.run_done;
  if (drawn) return l.d.host().draw_data(l.d, m);
  return STEP_NCD_stop_on_err(l.d, false);
}

// Steps forward until the run ends or a block matches.
template <class Match>
void step_to_next(NCD_EDIT_LIST& l, Match match) {
  while (!STEP_NCD_stop_on_err(l.d, false)) {
    if (match(l.d.exec)) break;
  }
}

// Seeks to the last block before the current one that matches (block 0, with one more, when
// none does): stepping from the top, as the program ran.
template <class Match>
void seek_to_previous(NCD_EDIT_LIST& l, Match match) {
  const int current = l.d.pos.block_count;
  int found = 0;
  Goto_NCD_step(l.d, 0, false);
  while (l.d.pos.block_count < current - 1) {
    if (STEP_NCD(l.d, false)) break;
    if (l.d.pos.block_count < current && match(l.d.exec)) found = l.d.pos.block_count;
  }
  Goto_NCD_step(l.d, found, true);
}

bool is_tool_change(const NCD_EXEC& e) {
  return !is_error_status(e.status) && (e.status & NCD_ST_TOOL_CHANGE);
}
bool is_program_number(const NCD_EXEC& e) {
  return !is_error_status(e.status) && ((e.mask >> NCD_MB_O) & 1u);
}

bool dispatch(NCD_EDIT_LIST& l, int a, bool f) {
  NCD_DATA& d = l.d;
  NCD_POS& p = d.pos;
  bool r = false;
  switch (a) {
    case 1:
      if (p.block_count >= p.total_blocks && p.cur_line < d.line_count - 1) {
        Goto_NCD_line(d, p.cur_line + 1);
      } else {
        r = main_step(l, NCD_DRAW_STEP, f);
      }
      break;
    case 2:
      if (!f) {
        if (p.block_count <= 1) return false;
        Goto_NCD_step(d, p.block_count - 1, true);
        p.mark_first = p.block_count;
        r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      } else if (p.block_count == 1 && p.cur_line > 0) {
        Goto_NCD_line(d, p.cur_line - 1);
        p.mark_first = p.block_count;
      } else if (p.block_count >= 2) {
        p.mark_first = p.block_count;
        Goto_NCD_step(d, p.block_count - 1, false);
        r = main_step(l, NCD_DRAW_STEP, f);
      }
      break;
    case 4:
      Goto_NCD_step(d, p.total_blocks, true);
      p.mark_last = p.total_blocks;
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      break;
    case 5:
      Goto_NCD_step(d, 0, true);
      p.mark_first = 0;
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      break;
    case 6:
      step_to_next(l, is_tool_change);
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      break;
    case 7:
      seek_to_previous(l, is_tool_change);
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      break;
    case 8:
      r = main_step(l, NCD_DRAW_STEP_ONE, f);
      break;
    case 9:
    case 10:
      Goto_NCD_line(d, a == 9 ? d.line_count - 1 : 0);
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      if (f) l.host->repaint();
      break;
    case 14:
      seek_to_previous(l, is_program_number);
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      break;
    case 15:
      step_to_next(l, is_program_number);
      r = l.d.host().draw_data(d, NCD_DRAW_FULL);
      break;
    case 16:
      r = l.d.host().draw_data(d, NCD_DRAW_STEP);
      break;
    default: {
      char msg[96];
      std::snprintf(msg, sizeof msg, "Central_Control_Action で無効な action(= %d ) 指定がありました",
                    a);
      plat::message_box(msg, "", plat::MB_OK | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
      if (!l.repeating) {
        l.host->Set_controler_status();
        Redraw_NCD_list(l);
      }
      return false;
    }
  }
  // The marked range grows to take in the block the simulation came to.
  p.mark_first = std::min(p.mark_first, p.block_count);
  p.mark_last = std::max(p.mark_last, p.block_count);
  if (a == 5 || a == 10) p.mark_first = 0;
  if (a == 4 || a == 9) p.mark_last = p.total_blocks - 1;
  if (!l.repeating) {
    l.host->Set_controler_status();
    Redraw_NCD_list(l);
  }
  if (a == 6 || a == 7 || a == 14 || a == 15) l.host->Draw_controler_TOOL_IMG();
  return r;
}

void commit_modified_rows(NCD_EDIT_LIST& l) {
  const int n = visible_rows(l);
  for (int i = 0; i < n; ++i)
    if (l.rows.row_modified(i)) Commit_NCD_row(l, i, l.rows.row_text(i));
}

// PgUp and PgDn: a page of steps, drawn as one refresh at the end.
void page_steps(NCD_EDIT_LIST& l, int action) {
  const bool was = l.repeating;
  l.repeating = true;
  const int n = visible_rows(l) - 2;
  for (int k = 0; k < n; ++k) {
    if (action == 2 && l.d.pos.block_count < 2) break;
    dispatch(l, action, true);
  }
  l.repeating = was;
  l.host->Set_controler_status();
  Redraw_NCD_list(l);
}

// The row's line (from the text it was filled with) when it shows one, else -1.
int row_line(const NCD_EDIT_LIST& l, int row, bool allow_end) {
  if (row < 0 || row >= NCD_LIST_ROW_COUNT) return -1;
  return get_edit_line_no(l, l.shown[static_cast<size_t>(row)], allow_end);
}

// Delete at the end of row n: line n + 1 joins this row.
void join_next(NCD_EDIT_LIST& l, int row, int n) {
  NCD_DATA& d = l.d;
  if (n + 1 >= d.line_count || !store_has_room(l)) return;
  std::string next;
  get_NCD_line_text(d, n + 1, next);
  const std::string text = text_after_prefix(l.rows.row_text(row)) + next;
  if (static_cast<int>(text.size()) > NCD_LINE_MAX_CHARS) return;  // the store would cut it
  const int bc = d.pos.block_count;
  clear_modified_marks(l);
  Delete_NCD_line(d, n + 1);
  Delete_NCD_line(d, n);
  run_after_edit(l, insert_text(l, text + "\r", n));
  seek_block(l, bc, true);
  refresh_after_edit(l);
}

// Backspace at the start of row n's text: this row joins line n - 1.
void join_previous(NCD_EDIT_LIST& l, int row, int n) {
  NCD_DATA& d = l.d;
  if (n <= 0 || n >= d.line_count || !store_has_room(l)) return;
  std::string prev;
  get_NCD_line_text(d, n - 1, prev);
  const std::string text = prev + text_after_prefix(l.rows.row_text(row));
  if (static_cast<int>(text.size()) > NCD_LINE_MAX_CHARS) return;
  clear_modified_marks(l);
  Delete_NCD_line(d, n);
  Delete_NCD_line(d, n - 1);
  run_after_edit(l, insert_text(l, text + "\r", n - 1));
  Goto_NCD_line(d, n - 1);
  refresh_after_edit(l);
}

// Enter: the row splits at the caret into two lines.
void split_row(NCD_EDIT_LIST& l, int row, int caret) {
  NCD_DATA& d = l.d;
  const int n = row_line(l, row, true);
  if (n < 0 || !store_has_room(l)) return;
  const std::string row_text = l.rows.row_text(row);
  if (!same_prefix(row_text, l.shown[static_cast<size_t>(row)])) return;
  const std::string text = text_after_prefix(row_text);
  const auto at = static_cast<size_t>(
      std::clamp(caret - NCD_LIST_PREFIX, 0, static_cast<int>(text.size())));
  const std::string both = text.substr(0, at) + "\r" + text.substr(at) + "\r";
  clear_modified_marks(l);
  if (n < d.line_count) Delete_NCD_line(d, n);
  run_after_edit(l, insert_text(l, both, n));
  Goto_NCD_line(d, n + 1);
  d.pos.mark_last = d.pos.block_count;
  d.host().draw_data(d, NCD_DRAW_FULL);
  refresh_after_edit(l);
}

}  // namespace

// ---- layout and filling ------------------------------------------------------------------------

void Setup_NCD_list(NCD_EDIT_LIST& l) {
  Busy busy(l);
  commit_modified_rows(l);
  l.prefix_length = NCD_LIST_PREFIX;
  int h = l.row_height, px = l.prefix_x;
  l.rows.layout_rows(l.prefix_length, h, px);
  l.row_height = std::max(h, 2);
  l.prefix_x = px;
  for (int i = 0; i < NCD_LIST_ROW_COUNT; ++i) {
    l.rows.set_row(i, std::string());
    l.shown[static_cast<size_t>(i)].clear();
  }
  l.visible = std::clamp(l.panel_height / (l.row_height - 1), NCD_LIST_VISIBLE_MIN,
                         NCD_LIST_VISIBLE_MAX);
  Set_NCD_list_range(l);
}

void Set_NCD_list_range(NCD_EDIT_LIST& l) {
  Busy busy(l);
  l.scroll_max = std::max(l.d.line_count, 2);
  const int pos = l.d.line_count >= 2 ? std::clamp(l.rows.scroll_position(), 0, l.scroll_max) : 0;
  l.rows.set_scroll(pos, l.scroll_max);
}

void Clear_NCD_list(NCD_EDIT_LIST& l) {
  Busy busy(l);
  l.scroll_max = 2;
  l.rows.set_scroll(0, 2);
  l.sel_start = 0;
  l.sel_fixed = 0;
}

std::string make_NCD_row_text(const NCD_EDIT_LIST& l, int n) {
  const NCD_DATA& d = l.d;
  char head[32];
  if (n >= 0 && n < d.line_count) {
    std::snprintf(head, sizeof head, "%c%8d : ", n == d.pos.cur_line ? '*' : ' ', n + 1);
    return head + std::string(get_NCD_line_view(d, n));
  }
  if (n == 0 && d.line_count == 0) {
    std::snprintf(head, sizeof head, " %8d : ", 1);
    return head;
  }
  return std::string();
}

void Show_NCD_list(NCD_EDIT_LIST& l, int top, bool keep_current) {
  Busy busy(l);
  NCD_DATA& d = l.d;
  const int vis = visible_rows(l);
  if (d.line_count > 2 && keep_current) {
    const int first = top + l.line_offset;
    const int cur = d.pos.cur_line;
    int pos = top;
    if (cur <= first) pos = cur == 0 ? 0 : cur + 1;
    else if (cur > first + vis - 4) pos = cur - vis + 5;
    top = std::clamp(pos, 0, l.scroll_max);
    if (top != l.rows.scroll_position()) l.rows.set_scroll(top, l.scroll_max);
  }
  l.line_offset = top == 0 ? 0 : top == 1 ? -1 : -2;
  commit_modified_rows(l);
  const int lo = std::min(l.sel_start, l.sel_end > 0 ? l.sel_end : l.sel_start) - 1;
  const int hi = std::max(l.sel_start, l.sel_end) - 1;
  for (int i = 0; i < vis; ++i) {
    const int n = top + l.line_offset + i;
    std::string text = make_NCD_row_text(l, n);
    l.rows.set_row(i, text);
    if (n == d.pos.cur_line && !text.empty()) {
      if (l.rows.rows_have_focus()) l.rows.focus_row(i);
      if (l.caret_col != 0) {
        const int end = std::max(static_cast<int>(text.size()), l.prefix_length);
        const int col = l.caret_col == NCD_LIST_CARET_END ? l.prefix_length + NCD_LIST_TEXT_MAX
                                                          : l.caret_col;
        l.rows.set_row_caret(i, std::clamp(col, l.prefix_length, end));
      }
      l.saved_text = text;
      l.caret_col = 0;
    }
    if (l.sel_start > 0 && !text.empty() && n >= lo && n <= hi) l.rows.select_after_prefix(i, true);
    l.shown[static_cast<size_t>(i)] = std::move(text);
  }
}

void Redraw_NCD_list(NCD_EDIT_LIST& l) { Show_NCD_list(l, l.rows.scroll_position(), true); }

void Enable_NCD_list(NCD_EDIT_LIST& l, bool enable) {
  clear_modified_marks(l);
  l.rows.enable_rows(enable);
  if (!enable) {
    l.sel_start = 0;
    l.sel_fixed = 0;
  }
}

// ---- edits ---------------------------------------------------------------------------------

int get_edit_line_no(const NCD_EDIT_LIST& l, const std::string& text, bool allow_end) {
  const std::string num = _numbers_for_routine("#", text);
  long long v = 0;
  const auto [p, ec] = std::from_chars(num.data(), num.data() + num.size(), v);
  if (num.empty() || ec != std::errc() || p != num.data() + num.size()) return -1;
  const long long n = v - 1;
  const long long limit = static_cast<long long>(l.d.line_count) + (allow_end ? 1 : 0);
  return n >= 0 && n < limit ? static_cast<int>(n) : -1;
}

void Commit_NCD_list(NCD_EDIT_LIST& l) {
  if (l.busy) return;
  Busy busy(l);
  commit_modified_rows(l);
}

bool Commit_NCD_row(NCD_EDIT_LIST& l, int i, const std::string& text) {
  if (i < 0 || i >= NCD_LIST_ROW_COUNT) return true;
  l.rows.clear_row_modified(i);
  const std::string& old = l.shown[static_cast<size_t>(i)];
  if (text == old || !same_prefix(text, old)) return true;
  NCD_DATA& d = l.d;
  const int n = get_edit_line_no(l, old, true);
  if (n < 0) return true;
  const std::string line = text_after_prefix(text);
  if (n < d.line_count && line == get_NCD_line_view(d, n)) return true;
  if (!store_has_room(l)) return true;
  Busy busy(l);
  const int bc = d.pos.block_count;
  clear_modified_marks(l);
  if (n < d.line_count) Delete_NCD_line(d, n);
  run_after_edit(l, insert_text(l, line + "\r", n));
  seek_block(l, bc, false);
  dispatch(l, 1, true);
  l.saved_text = l.shown[static_cast<size_t>(i)];
  l.host->set_NCD_status();
  if (d.buf_full)
    plat::message_box(d.buf_msg, "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  return true;
}

void Delete_NCD_row(NCD_EDIT_LIST& l, int n) {
  NCD_DATA& d = l.d;
  if (l.busy || n < 0 || n >= d.line_count || !store_has_room(l)) return;
  Busy busy(l);
  const int bc = d.pos.block_count;
  Enable_NCD_list(l, false);
  Delete_NCD_line(d, n);
  Enable_NCD_list(l, true);
  run_after_edit(l, false);
  if (d.line_count > 0) seek_block(l, bc, true);
  refresh_after_edit(l);
}

// ---- dispatcher ----------------------------------------------------------------------------

bool Central_Control_Action(NCD_EDIT_LIST& l, int action, bool flag) {
  if (l.busy) return false;
  Busy busy(l);
  commit_modified_rows(l);
  return dispatch(l, action, flag);
}

// ---- row events ----------------------------------------------------------------------------

void EditList_MouseDown(NCD_EDIT_LIST& l, int row, bool right_button, int caret) {
  if (l.busy) return;
  if (right_button) {
    if (l.host->debug_window_shown()) l.host->Dump_SIM_status_to_deb();
    return;
  }
  Busy busy(l);
  caret = std::max(caret, l.prefix_length);
  l.rows.set_row_caret(row, caret);
  l.caret_col = caret;
  if (l.d.line_count <= 0) return;
  commit_modified_rows(l);
  const int n = row_line(l, row, false);
  if (n < 0) return;
  Goto_NCD_line(l.d, n);
  l.host->Set_controler_status();
  Redraw_NCD_list(l);
  l.d.host().draw_data(l.d, NCD_DRAW_CLICK);
}

void EditList_MouseMove(NCD_EDIT_LIST& l, int row) {
  if (l.busy || l.sel_start == 0 || l.sel_fixed != 0) return;
  const int n = row_line(l, row, false);
  if (n < 0 || n + 1 == l.sel_end) return;
  l.sel_end = n + 1;
  Redraw_NCD_list(l);
}

void EditList_Enter(NCD_EDIT_LIST& l, int row) {
  if (row < 0 || row >= NCD_LIST_ROW_COUNT) return;
  l.rows.clear_row_modified(row);
  l.saved_text = l.rows.row_text(row);
  if (l.rows.row_caret(row) < l.prefix_length) l.rows.set_row_caret(row, l.prefix_length);
}

void EditList_Exit(NCD_EDIT_LIST& l, int) { Commit_NCD_list(l); }

void EditList_Change(NCD_EDIT_LIST& l, int row) {
  if (l.busy || row < 0 || row >= NCD_LIST_ROW_COUNT) return;
  if (l.rows.row_caret(row) < l.prefix_length) l.rows.set_row_caret(row, l.prefix_length);
}

bool EditList_KeyDown(NCD_EDIT_LIST& l, int row, int key, int caret) {
  if (l.busy) return true;
  switch (key) {
    case NCD_KEY_PGUP:
    case NCD_KEY_PGDN: {
      Busy busy(l);
      l.caret_col = caret;
      commit_modified_rows(l);
      page_steps(l, key == NCD_KEY_PGUP ? 2 : 1);
      return true;
    }
    case NCD_KEY_LEFT:
      return caret <= l.prefix_length;
    case NCD_KEY_UP:
    case NCD_KEY_DOWN:
      l.caret_col = caret;
      Central_Control_Action(l, key == NCD_KEY_UP ? 2 : 1, true);
      return true;
    case NCD_KEY_DELETE: {
      if (l.rows.row_has_selection(row)) return false;
      const std::string text = l.rows.row_text(row);
      if (caret < static_cast<int>(text.size())) return false;
      const int n = row_line(l, row, false);
      if (n < 0 || !same_prefix(text, l.shown[static_cast<size_t>(row)])) return true;
      Busy busy(l);
      join_next(l, row, n);
      return true;
    }
    default:
      return false;
  }
}

bool EditList_KeyPress(NCD_EDIT_LIST& l, int row, int key, int caret) {
  if (l.busy) return true;
  switch (key) {
    case NCD_KEY_BACK: {
      if (l.rows.row_has_selection(row)) return false;
      if (caret > l.prefix_length) return false;
      if (caret == l.prefix_length) {
        const int n = row_line(l, row, false);
        if (n > 0 && same_prefix(l.rows.row_text(row), l.shown[static_cast<size_t>(row)])) {
          Busy busy(l);
          join_previous(l, row, n);
        }
      }
      return true;
    }
    case NCD_KEY_ENTER: {
      Busy busy(l);
      split_row(l, row, caret);
      return true;
    }
    case NCD_KEY_CTRL_Y:
      return true;
    default:
      return false;
  }
}

// The user moved the bar: the listing shows the lines there, even when the current line
// leaves the view (a refresh after the simulation moves brings it back).
void scr_barScroll(NCD_EDIT_LIST& l, int position) {
  if (l.busy) return;
  Show_NCD_list(l, std::clamp(position, 0, l.scroll_max), false);
}
