#include "tooling/core/tool_list.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/debug_log.h"
#include "ncdata/ncd_data.h"
#include "platform/core/msgbox.h"
#include "tooling/core/disp_status.h"

namespace {

std::string two_digits(int v) {  // "%.2d"
  char buf[24];
  std::snprintf(buf, sizeof buf, "%.2d", v);
  return buf;
}
std::string width2(int v) {  // "%2d"
  char buf[24];
  std::snprintf(buf, sizeof buf, "%2d", v);
  return buf;
}

// "%.3f" on the project's rounding.
std::string dec3(float v) {
  std::string ip, fp;
  round_decimal(v, 3, ip, fp);
  return (v < 0 && (ip != "0" || fp != "000") ? "-" : "") + ip + "." + fp;
}

std::string trim_blanks(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

std::vector<std::string> split_lines(const std::string& s) {
  std::vector<std::string> out;
  std::size_t b = 0;
  while (b <= s.size()) {
    std::size_t e = s.find('\n', b);
    if (e == std::string::npos) e = s.size();
    std::string line = s.substr(b, e - b);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(std::move(line));
    if (e == s.size()) break;
    b = e + 1;
  }
  return out;
}

int lines_of(const std::string& s) {
  if (s.empty()) return 0;
  int n = 1;
  for (std::size_t i = 0; i + 1 < s.size(); ++i)
    if (s[i] == '\n') ++n;
  return n;
}

const TTTOOL_HOLDER_tmp* slot_with_T(const TTOOL_HOLDER_tmp& mag, int t, int& index) {
  for (int k = 0; k < mag.used(); ++k)
    if (mag.slot[k].tool.T_number == t) {
      index = k;
      return &mag.slot[k];
    }
  return nullptr;
}

TLIST_ITEMS item_of_slot(const TTOOL_HOLDER_tmp& mag, int k) {
  const TTTOOL_HOLDER_tmp& s = mag.slot[k];
  TLIST_ITEMS it;
  it.slot = k;
  it.T_number = s.tool.T_number;
  it.set = s.tool.T_category;
  it.tool = s.tool;
  it.holder = s.holder;
  return it;
}

std::string unset_text(int t) { return "未設定 ( " + std::to_string(t) + " )"; }

}  // namespace

bool tool_list_size_value(const std::string& text, bool font, int& value, bool show) {
  if (!is_integer_text(text, show)) return false;
  long long v = 0;
  const char* b = text.data();
  while (b < text.data() + text.size() && *b == ' ') ++b;
  if (b < text.data() + text.size() && *b == '+') ++b;
  std::from_chars(b, text.data() + text.size(), v);
  const int lo = font ? 1 : kToolListMinSize;
  const int hi = font ? kToolListMaxFont : kToolListMaxSize;
  value = static_cast<int>(std::clamp<long long>(v, lo, hi));
  return true;
}

void clamp_tool_list_options(TTOOL_LIST_options& o) {
  o.pic_w = std::clamp(o.pic_w, kToolListMinSize, kToolListMaxSize);
  o.text_w = std::clamp(o.text_w, kToolListMinSize, kToolListMaxSize);
  o.pic_h = std::clamp(o.pic_h, kToolListMinSize, kToolListMaxSize);
  o.font_h = std::clamp(o.font_h, 1, kToolListMaxFont);
}

TTOOL_LIST_program tool_list_program_of(const NCD_DATA& d) {
  TTOOL_LIST_program p;
  p.nc_file_name = d.file_name;
  if (d.comments.source_given) p.source_name = d.comments.source_name;
  if (d.comments.output_given) p.output_name = d.comments.output_name;
  p.size = d.text_size;
  p.tape_length = d.tape_length;
  p.summary = d.run.summary;
  p.has_path = d.run_done;
  p.f_assumed = run_timed_at_F100(d);
  p.origin_given = d.comments.origin_given;
  p.origin = d.comments.origin;
  for (const NCD_TOOL_STAT& r : d.run.stats) {
    TTOOL_LIST_use u;
    u.tool = r.tool;
    u.d_text = r.block_text[0];
    u.h_text = r.block_text[1];
    u.cut_len = r.cut_len;
    u.rapid_len = r.rapid_len;
    u.time = r.time;
    u.texts = r.tool_text;
    if (!u.texts.empty() && u.texts.back() != '\n') u.texts += '\n';
    p.uses.push_back(std::move(u));
  }
  return p;
}

bool run_timed_at_F100(const NCD_DATA& d) {
  return d.run.summary.find("(=F100)") != std::string::npos;
}

std::vector<TISO9000_cell> iso9000_sheet_cells(const TTOOL_LIST_metrics& m, int& width,
                                               int& height) {
  auto w = [&](const std::string& s) { return (m.width ? m.width(" " + s) : 0) + 4; };
  const int c_item = w(" 確認日① ");
  const int c_date = w(" 2002/02/06 10:20 ");
  const int c_person = std::max(w(" 確認担当者① "), w("ＭＳゴシック太郎 "));
  const int c_mark = w(" 個数 個数 ");
  const int c_work = w(" ワーク１ ");
  const int c_mat = w(" 材質 材質 ");
  const int c_size = w("  巾(X)   x   奥行(Y)   x   厚さ (Z) ");
  const int c_count = w(" 個数 個数 ");
  const int rh = m.line_height + 6;
  std::vector<TISO9000_cell> cells;
  auto cell = [&](int x, int y, int cw, int ch, std::string t, bool bold = false) {
    cells.push_back({{x, y, x + cw, y + ch}, std::move(t), bold});
  };
  // Row 1: project, customer and machine, each with room to write in.
  const int table_w = c_item + c_date + c_person + c_mark;
  const int work_w = c_work + c_mat + c_size + c_count + c_mark;
  width = std::max(table_w, work_w);
  const int third = width / 3;
  int y = 0;
  cell(0, y, third, rh * 2, "プロジェクト No.", true);
  cell(third, y, third, rh * 2, "顧客名", true);
  cell(2 * third, y, width - 2 * third, rh * 2, "工作機械名", true);
  y += rh * 2;
  // Row 2: who made and checked the program and when.
  const char* head[4] = {"項 目 ", "日 付 ", "担当者 ", "印"};
  const int cw[4] = {c_item, c_date, c_person, c_mark};
  int x = 0;
  for (int i = 0; i < 4; ++i) {
    cell(x, y, cw[i], rh, head[i]);
    x += cw[i];
  }
  y += rh;
  const char* rows[4][2] = {{" 作成日", "CAM 担当者"},
                            {" 確認日①", "確認担当者①"},
                            {" 加工日", "加工担当者"},
                            {" 確認日②", "確認担当者②"}};
  for (const auto& r : rows) {
    x = 0;
    cell(x, y, c_item, rh, r[0]);
    x += c_item;
    cell(x, y, c_date, rh, "");
    x += c_date;
    cell(x, y, c_person, rh, r[1]);
    x += c_person;
    cell(x, y, c_mark, rh, "");
    y += rh;
  }
  // Row 3: the work.
  const char* wh[5] = {" ワーク", "材 質 ", "  巾(X)   x   奥行(Y)   x   厚さ (Z) ", "個数", "印"};
  const int ww[5] = {c_work, c_mat, c_size, c_count, c_mark};
  x = 0;
  for (int i = 0; i < 5; ++i) {
    cell(x, y, ww[i], rh, wh[i]);
    x += ww[i];
  }
  y += rh;
  x = 0;
  for (int i = 0; i < 5; ++i) {
    cell(x, y, ww[i], rh, "");
    x += ww[i];
  }
  y += rh;
  height = y;
  return cells;
}

void tool_list_show_options(const TTOOL_LIST_model& m, TTOOL_LIST_options& o) {
  if (m.library) {
    o.use_turn = false;
    o.invis_noitem = true;
    o.print_at_path = false;
    o.iso9000 = false;
  }
}

std::string tool_list_mode_error(int mode) {
  if (mode == 1 || mode == 2 || mode == 4 || mode == 51) return {};
  return " ERR : T_SET.FormShow の ACTION_MODE = " + std::to_string(mode);
}

void make_TOOL_LIST_items(TTOOL_LIST_model& m, TTOOL_LIST_options& o,
                          const TTOOL_LIST_program& p, const TTOOL_LIST_metrics& met) {
  clamp_tool_list_options(o);
  m.pic_w = o.pic_w;
  m.text_w = o.text_w;
  m.pic_h = o.pic_h;
  m.font_h = o.font_h;
  if (!o.print_at_tool) {
    m.pic_w = 1;
    m.pic_h = 4;
  }
  // Header and classification.
  if (m.library || !p.has_path) {
    m.use_turn_enabled = false;
    m.header = "ファイル名 : " + (m.library ? m.file_name : p.nc_file_name);
    m.classification = "( *** 社内用資料 *** )";
  } else {
    m.use_turn_enabled = true;
    std::string listed = p.source_name.empty() ? p.nc_file_name : p.source_name;
    if (!p.output_name.empty()) listed += " ( → " + p.output_name + " )";
    if (!o.print_at_data) {
      m.header = "ファイル名 : " + p.nc_file_name + " ";
    } else {
      m.header = "ファイル名 : " + listed + " , " + std::to_string(p.size) +
                 " bytes , テープ長 " + dec3(p.tape_length) + " meter";
      m.header += "\n\n" + trim_blanks(p.summary);
    }
  }
  m.use_order = !m.library && m.use_turn_enabled && o.use_turn;
  if (!m.library && p.has_path)
    m.header += m.use_order ? " ( 加工順工具リスト )" : " ( Ｔ番号順工具リスト )";
  if (!m.library && p.has_path)
    m.classification = o.print_at_data ? " *** 社内用資料・持出厳禁！ *** " : " *** 社外交換用 *** ";

  // The cards. A card keeps its "excluded from print" mark through a rebuild: by its slot and
  // use, else (the order changed) by the first card of its slot.
  std::vector<TLIST_ITEMS> old;
  old.swap(m.items);
  auto keep_mark = [&old](TLIST_ITEMS& it) {
    const TLIST_ITEMS* by_slot = nullptr;
    for (const TLIST_ITEMS& o : old) {
      if (o.slot != it.slot) continue;
      if (o.use == it.use) {
        it.excluded = o.excluded;
        return;
      }
      if (!by_slot) by_slot = &o;
    }
    if (by_slot) it.excluded = by_slot->excluded;
  };
  static const TTOOL_HOLDER_tmp empty_magazine{};
  const TTOOL_HOLDER_tmp& mag = m.magazine ? *m.magazine : empty_magazine;
  if (m.use_order) {
    const int n = static_cast<int>(p.uses.size());
    for (int i = 0; i < n; ++i) {
      const TTOOL_LIST_use& u = p.uses[i];
      int k = 0;
      const TTTOOL_HOLDER_tmp* s = slot_with_T(mag, u.tool, k);
      if (!s) continue;
      if (i == 0 && n > 1 && s->tool.T_category == 0) continue;
      TLIST_ITEMS it = item_of_slot(mag, k);
      it.use = i;
      const std::string dh = (u.d_text.empty() ? std::string("    ") : u.d_text) +
                             (u.h_text.empty() ? std::string("    ") : u.h_text);
      it.title = "(" + width2(i) + ") T" + two_digits(s->tool.T_number) + " " + dh + ":";
      it.name = s->tool.name;
      if (o.print_at_data) {
        it.text = "切削長 " + float_to_str(u.cut_len, 0) + " mm , " + "早送り " +
                  float_to_str(u.rapid_len, 0) + " mm , " + "加工時間 " +
                  std::to_string(float_round_to_int(u.time)) + " 分 ";
        if (p.f_assumed) it.text += "(=F100)";
        it.text += '\n';
        it.text += u.texts;
      } else {
        it.text = ":\r\n";
      }
      keep_mark(it);
      m.items.push_back(std::move(it));
    }
  } else {
    for (int k = 0; k < mag.used(); ++k) {
      const TTTOOL_HOLDER_tmp& s = mag.slot[k];
      if (o.invis_noitem && s.tool.T_category == 0) continue;
      TLIST_ITEMS it = item_of_slot(mag, k);
      if (m.library) {
        if (o.print_at_data) {
          if (s.tool.T_category != 0) {
            it.text = " VLM  工具 ネーム : (VLM N" + std::to_string(k) + " \"" + s.tool.name +
                      "\")\n" + " VLM  工具 データ : " + s.tool.tool_line + " )\n" +
                      " VLM ホルダデータ : " + s.holder.holder_line + " )";
          } else {
            it.text = unset_text(s.tool.T_number);
          }
        } else {
          it.text = "(" + width2(k) + ") : " + s.tool.name;
        }
      } else {
        it.title = s.list_head;
        it.name = s.tool_name;
        if (o.print_at_data) it.text = s.list_body;
      }
      keep_mark(it);
      m.items.push_back(std::move(it));
    }
  }

  // Geometry: the widest line raises the text width; cards stack below the header.
  m.widest = 0;
  auto measure = [&](const std::string& t) {
    for (const std::string& l : split_lines(t))
      if (met.width) m.widest = std::max(m.widest, met.width(l));
  };
  for (const TLIST_ITEMS& it : m.items) {
    measure(it.title);
    measure(it.name);
    measure(it.text);
  }
  measure(m.header);
  measure(m.classification);
  m.text_w = std::max(m.text_w, m.widest + 8);
  m.total_w = m.pic_w + m.text_w;
  const int lh = std::max(1, met.line_height);
  int y = 4 + (lines_of(m.classification) + lines_of(m.header)) * lh + 4;
  m.sheet_top = y;
  m.sheet_h = 0;
  if (o.iso9000) {
    int sw = 0, sh = 0;
    iso9000_sheet_cells(met, sw, sh);
    m.total_w = std::max(m.total_w, sw + 8);
    m.sheet_h = sh + 4;
    y += m.sheet_h;
  }
  m.header_h = y;
  for (TLIST_ITEMS& it : m.items) {
    const int text_h = (lines_of(it.title) + lines_of(it.name) + lines_of(it.text)) * lh + 8;
    it.top = y;
    it.bottom = y + std::max(text_h, m.pic_h);
    y = it.bottom;
  }
  m.image_h = y;
  m.built = true;
}

int tool_list_preselect(const TTOOL_LIST_model& m) {
  if (m.picked <= 1) return -1;
  for (std::size_t i = 0; i < m.items.size(); ++i)
    if (m.items[i].slot == m.picked) return static_cast<int>(i);
  return -1;
}

int tool_list_item_at(const TTOOL_LIST_model& m, int y) {
  for (std::size_t i = 0; i < m.items.size(); ++i)
    if (y > m.items[i].top && y < m.items[i].bottom) return static_cast<int>(i);
  return -1;
}

TTOOL_LIST_popup tool_list_popup(const TTOOL_LIST_model& m, int item) {
  TTOOL_LIST_popup pp;
  if (item < 0 || item >= static_cast<int>(m.items.size())) return pp;
  const TLIST_ITEMS& it = m.items[item];
  pp.n1 = m.library && m.editable && it.set > 0;
  pp.n2 = true;
  pp.n2_caption = it.excluded ? "印刷に含める" : "印刷から除外する";
  pp.n3 = pp.n4 = !m.library && m.use_order;
  return pp;
}

bool tool_list_reset_item(TTOOL_LIST_model& m, const TTOOL_LIST_options& o, int item) {
  if (!m.library || !m.editable || item < 0 || item >= static_cast<int>(m.items.size()))
    return false;
  if (plat::message_box("未設定に戻しますか？", "データ変更操作",
                        plat::MB_OKCANCEL | plat::MB_ICONQUESTION) != plat::IDOK)
    return false;
  TLIST_ITEMS& it = m.items[item];
  if (m.magazine && it.slot >= 0 && it.slot < kMagazineSlots) {
    TTOOL& t = m.magazine->slot[it.slot].tool;
    t.name = "未設定";
    t.T_category = TOOL_KIND_NONE;
  }
  it.tool.name = "未設定";
  it.tool.T_category = TOOL_KIND_NONE;
  it.set = 0;
  it.excluded = false;
  ++m.resets;
  if (o.print_at_data) it.text = unset_text(it.T_number);
  else it.title = "(" + width2(it.slot) + ") : (未設定に戻しました)";
  return true;
}

int tool_list_double_click(TTOOL_LIST_model& m, int item) {
  if (m.mode != 1 && m.mode != 2 && m.mode != 4 && m.mode != 51) {
    deb_log("◆◆◆ ERR : TTOOL_LIST_win.Image1DblClick; ACTION_MODE = " + std::to_string(m.mode));
    return 0;
  }
  if (item < 0 || item >= static_cast<int>(m.items.size())) return 0;
  m.picked = m.items[item].slot;
  return m.mode == 51 ? plat::IDYES : plat::IDOK;
}

TTOOL_TDH_request tool_list_TDH_request(const TLIST_ITEMS& it, const TTOOL_LIST_program& p) {
  TTOOL_TDH_request r;
  r.T = "T" + two_digits(it.T_number);
  // The run keeps a use's codes with their letter ("D01"); a bare number gets it.
  auto code = [](const std::string& text, char letter) {
    const std::string t = trim_blanks(text);
    return !t.empty() && t[0] == letter ? t : std::string(1, letter) + t;
  };
  std::string dh;
  if (it.use >= 0 && it.use < static_cast<int>(p.uses.size())) {
    const TTOOL_LIST_use& u = p.uses[it.use];
    r.has_D = !trim_blanks(u.d_text).empty();
    r.has_H = !trim_blanks(u.h_text).empty();
    if (r.has_D) r.D = code(u.d_text, 'D');
    if (r.has_H) r.H = code(u.h_text, 'H');
    // each code text as wide as four characters, as the cut-out's title has them
    auto pad4 = [](std::string t) {
      while (t.size() < 4) t += ' ';
      return t;
    };
    dh = pad4(r.has_D ? r.D : std::string()) + pad4(r.has_H ? r.H : std::string());
  }
  r.prefix = "( " + width2(it.use) + " : T" + two_digits(it.T_number) + " " + dh;
  r.name = it.tool.name;
  return r;
}

bool tool_list_TDH_codes(const TTOOL_TDH_request& shown, const TTOOL_TDH_request& typed,
                         TTOOL_TDH_codes& out) {
  // The digits after the letter, when the text still starts with it.
  auto digits = [](const std::string& t, char letter) {
    std::string s = trim_blanks(t);
    if (!s.empty() && (s[0] == letter || s[0] == letter + 32)) s.erase(0, 1);
    return s;
  };
  struct Field {
    const std::string& shown;
    const std::string& typed;
    char letter;
    bool present;
    const char* message;
  };
  const Field fields[3] = {
      {shown.T, typed.T, 'T', true, "T コードの指定でエラーがありました"},
      {shown.D, typed.D, 'D', shown.has_D, "D コードの指定でエラーがありました"},
      {shown.H, typed.H, 'H', shown.has_H, "H コードの指定でエラーがありました"},
  };
  for (const Field& f : fields) {
    if (!f.present || digits(f.typed, f.letter) == digits(f.shown, f.letter)) continue;
    if (!is_integer_text(digits(f.typed, f.letter), false)) {
      plat::message_box(f.message, "Error", plat::MB_OK | plat::MB_ICONSTOP);
      return false;
    }
  }
  int t = 0;
  const std::string ts = digits(typed.T, 'T');
  std::from_chars(ts.data() + (ts.size() && ts[0] == '+' ? 1 : 0), ts.data() + ts.size(), t);
  out.T = t;
  out.D = shown.has_D ? digits(typed.D, 'D') : std::string();
  out.H = shown.has_H ? digits(typed.H, 'H') : std::string();
  return true;
}

bool tool_list_check_request(const TTOOL_LIST_program& p, TTOOL_check_request& out) {
  if (!p.origin_given) {
    plat::message_box(
        "ERR : この NC-DATA には \r\n      (VLM ORIGN X0Y0Z100.) の形での\r\n      開始位置の指定がありません",
        "Error", plat::MB_OK | plat::MB_ICONSTOP);
    return false;
  }
  const auto num = dec3;
  out.origin = "X" + num(p.origin.x) + "Y" + num(p.origin.y) + "Z" + num(p.origin.z);
  out.approach_z = "G90G00 Z" + num(p.origin.z);
  out.approach_xy = "G90G00 X" + num(p.origin.x) + "Y" + num(p.origin.y);
  return true;
}

TTOOL_LIST_options set_TOOL_LIST_options(const Tdisp_status& d) {
  TTOOL_LIST_options o;
  o.pic_w = d.T_SET_W_SIZE;
  o.text_w = d.T_SET_W_MAX;
  o.pic_h = d.T_SET_H_SIZE;
  o.font_h = d.T_SET_F_SIZE;
  o.use_turn = d.T_SET_CHK_USE_TURN != 0;
  o.print_at_data = d.T_SET_CHK_PRNDATA != 0;
  o.invis_noitem = d.T_SET_INVIS_NOITEM != 0;
  o.white = d.PREV_WHITE != 0;
  o.print_at_tool = d.T_SET_CHK_TOOL != 0;
  o.iso9000 = d.T_SET_ISO9000_CHK != 0;
  o.print_at_path = d.T_SET_PRN_PATH != 0;
  clamp_tool_list_options(o);
  return o;
}

void get_TOOL_LIST_options(const TTOOL_LIST_options& o, Tdisp_status& d) {
  d.T_SET_W_SIZE = o.pic_w;
  d.T_SET_W_MAX = o.text_w;
  d.T_SET_H_SIZE = o.pic_h;
  d.T_SET_F_SIZE = o.font_h;
  d.T_SET_CHK_USE_TURN = o.use_turn;
  d.T_SET_CHK_PRNDATA = o.print_at_data;
  d.T_SET_INVIS_NOITEM = o.invis_noitem;
  d.PREV_WHITE = o.white;
  d.T_SET_CHK_TOOL = o.print_at_tool;
  d.T_SET_ISO9000_CHK = o.iso9000;
  d.T_SET_PRN_PATH = o.print_at_path;
}

void take_TOOL_LIST_settings(Tdisp_status& main, const Tdisp_status& c, bool list_only) {
  main.T_SET_F_SIZE = c.T_SET_F_SIZE;
  main.T_SET_W_SIZE = c.T_SET_W_SIZE;
  main.T_SET_H_SIZE = c.T_SET_H_SIZE;
  main.T_SET_W_MAX = c.T_SET_W_MAX;
  main.T_SET_DB_CHK = c.T_SET_DB_CHK;
  main.T_SET_ROTATE = c.T_SET_ROTATE;
  main.T_SET_LEFT_SPACE = c.T_SET_LEFT_SPACE;
  main.T_SET_CHK_TOOL = c.T_SET_CHK_TOOL;
  main.T_SET_CHK_PRNDATA = c.T_SET_CHK_PRNDATA;
  main.T_SET_TL_PREV_CHK = c.T_SET_TL_PREV_CHK;
  main.T_SET_ISO9000_CHK = c.T_SET_ISO9000_CHK;
  main.T_SET_LEFT = c.T_SET_LEFT;
  main.T_SET_TOP = c.T_SET_TOP;
  main.T_SET_WIDTH = c.T_SET_WIDTH;
  main.T_SET_HEIGHT = c.T_SET_HEIGHT;
  main.PREV_WHITE = c.PREV_WHITE;
  if (list_only) {
    main.T_SET_INVIS_NOITEM = c.T_SET_INVIS_NOITEM;
    return;
  }
  main.T_SET_CHK_USE_TURN = c.T_SET_CHK_USE_TURN;
  main.T_SET_PRN_PATH = c.T_SET_PRN_PATH;
  main.TCOND_O_num = c.TCOND_O_num;
  main.TCOND_PRE_M6_str = c.TCOND_PRE_M6_str;
  main.TCOND_M6_str = c.TCOND_M6_str;
  main.TCOND_INIT_str = c.TCOND_INIT_str;
  main.TCOND_X_str = c.TCOND_X_str;
  main.TCOND_Y_str = c.TCOND_Y_str;
  main.TCOND_Z_str = c.TCOND_Z_str;
  main.TCOND_F_str = c.TCOND_F_str;
  main.TCOND_NONAME = c.TCOND_NONAME;
}
