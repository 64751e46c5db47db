#include "mainwin/core/view_tool.h"
#include "mainwin/core/popup_commands.h"

#include <algorithm>

#include "common/debug_log.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/menu_commands.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "ncdata/ncd_run.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"

namespace {

constexpr int kCancelled = 2147483647;

VLM_selection selection_of(const NCD_EDIT_LIST& l) {
  VLM_selection sel;
  sel.start = l.sel_start;
  sel.end = l.sel_end;
  sel.anchor = l.sel_fixed;
  return sel;
}

void put_selection(NCD_EDIT_LIST& l, const VLM_selection& sel) {
  l.sel_start = sel.start;
  l.sel_end = sel.end;
  l.sel_fixed = sel.anchor;
}

void clear_selection(NCD_EDIT_LIST& l) { put_selection(l, VLM_selection{}); }

}  // namespace

bool insert_before_current(TSession& s, TVLM_ui& ui, const std::string& text) {
  NCD_DATA& d = s.nc();
  if (text.empty()) return false;
  const int at = std::clamp(d.pos.cur_line, 0, std::max(d.line_count, 0));
  const int added = Insert_NCD_text(d, text.data(), at, text.size());
  if (added <= 0) {
    if (!d.buf_msg.empty())
      plat::message_box(d.buf_msg, "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return false;
  }
  set_NCD_status(s, ui);
  set_TOOL_defs(s);
  Goto_NCD_line(d, std::min(at + added, d.line_count - 1));
  ui.listing().listing_refresh();
  ui.panel().panel_refresh();
  return true;
}

std::string dummy_tool_offer(const TSession& s) {
  const NCD_DATA& d = s.nc();
  if (d.exec.tool_changes <= 0) return {};
  return std::to_string(d.exec.t_cur + 1);
}

bool insert_dummy_tool(TSession& s, TVLM_ui& ui, int tool) {
  return insert_before_current(s, ui, dummy_tool_line(tool) + "\n");
}

bool delete_lines(TSession& s, TVLM_ui& ui, int first, int last) {
  NCD_DATA& d = s.nc();
  if (first > last) std::swap(first, last);
  first = std::max(first, 1);
  last = std::min(last, d.line_count);
  if (first > last) return false;
  if (!save_to_TMP(s, 2, first, last)) return false;
  std::string err;
  if (!save_NCD_text(s, TMP_file(s), true, &err, first - 1, last - 1)) {
    s.file.reload_pending = false;
    plat::message_box("ERR: " + plat::utf8_to_cp932(TMP_file(s).string()) +
                          " を保存できませんでした。\r\n" + plat::utf8_to_cp932(err),
                      "", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return false;
  }
  return reload_from_TMP(s, ui);
}

void register_popup_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui) {
  using H = VLM_handler;
  t.add(H::list_popup, 1, [&] {
    NCD_DATA& d = s.nc();
    set_range_start(d.pos.block_count, d.pos.mark_first, d.pos.mark_last);
  });
  t.add(H::list_popup, 2, [&] {
    NCD_DATA& d = s.nc();
    set_range_end(d.pos.block_count, d.pos.mark_first, d.pos.mark_last);
  });
  t.add(H::list_popup, 3, [&] {
    NCD_DATA& d = s.nc();
    reset_range(d.pos.total_blocks, d.pos.mark_first, d.pos.mark_last);
  });
  t.add(H::list_popup, 4, [&] {
    TGL_VIEW* v = ui.view().gl_view();
    if (!v) return;
    const NCD_POINT& p = s.nc().exec.cur;
    v->centre_shift[0] = static_cast<float>(-p.x);
    v->centre_shift[1] = static_cast<float>(-p.y);
    v->centre_shift[2] = static_cast<float>(-p.z);
    v->first_shift[0] = 0;
    v->first_shift[1] = 0;
    v->first_shift[2] = -0.5f * static_cast<float>(v->viewport[2]) * v->base_scale * v->zoom;
  });
  t.add(H::list_popup, 5, [&] {
    const int n = ui.dialogs().input_number("ダミーの工具番号を指定してください。", dummy_tool_offer(s));
    if (n != kCancelled) insert_dummy_tool(s, ui, n);
  });
  t.add(H::list_popup, 8, [&] {
    std::string text;
    bool lossless = true;
    if (!ui.dialogs().clipboard_text(text, lossless) || text.empty()) return;
    if (!lossless) {
      plat::message_box("クリップボードの文字に Shift-JIS で表せない文字があるため挿入できません。", "",
                        plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
      return;
    }
    insert_before_current(s, ui, text);
  });
  auto listing = [&ui]() { return ui.listing().edit_list(); };
  t.add(H::list_popup, 10, [&s, &ui, listing] {
    NCD_EDIT_LIST* l = listing();
    if (!l || s.menu.popup_row_line <= 0) return;
    VLM_selection sel = selection_of(*l);
    selection_start(sel, s.menu.popup_row_line);
    put_selection(*l, sel);
    Redraw_NCD_list(*l);
  });
  t.add(H::list_popup, 19, [&s, &ui, listing] {
    NCD_EDIT_LIST* l = listing();
    if (!l || s.menu.popup_row_line <= 0 || l->sel_start <= 0) return;
    VLM_selection sel = selection_of(*l);
    selection_end_lock(sel, s.menu.popup_row_line);
    put_selection(*l, sel);
    Redraw_NCD_list(*l);
  });
  t.add(H::list_popup, 11, [&s, &ui, listing] {
    NCD_EDIT_LIST* l = listing();
    int first = 0, last = 0;
    if (!l || !selected_range(selection_of(*l), s.menu.popup_row_line, first, last)) return;
    const int a = plat::message_box(delete_question(first, last), "選択範囲を削除",
                                    plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_SYSTEMMODAL);
    if (a != plat::IDOK) return;
    delete_lines(s, ui, first, last);
    clear_selection(*l);
    Redraw_NCD_list(*l);
  });
  t.add(H::list_popup, 12, [listing] {
    NCD_EDIT_LIST* l = listing();
    if (!l) return;
    clear_selection(*l);
    Redraw_NCD_list(*l);
  });
  t.add(H::list_popup, 13, [&s, &ui, listing] {
    NCD_EDIT_LIST* l = listing();
    if (!l) return;
    VLM_selection sel;
    select_all(sel, s.nc().line_count);
    put_selection(*l, sel);
    Redraw_NCD_list(*l);
    ui.frame().repaint();
  });
  t.add(H::list_popup, 14, [&s, &ui, listing] {
    NCD_EDIT_LIST* l = listing();
    int first = 0, last = 0;
    if (!l || !selected_range(selection_of(*l), s.menu.popup_row_line, first, last)) return;
    const NCD_DATA& d = s.nc();
    last = std::min(last, d.line_count);
    std::vector<std::string> lines;
    for (int n = first; n <= last; ++n) lines.emplace_back(get_NCD_line_view(d, n - 1));
    ui.dialogs().set_clipboard_text(clipboard_text(lines));
    clear_selection(*l);
    Redraw_NCD_list(*l);
  });
}
