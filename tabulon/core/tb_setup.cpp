#include "tabulon/core/tb_setup.h"

#include <charconv>

#include "platform/core/msgbox.h"
#include "tabulon/core/tb_text.h"

namespace {

bool skipped(const std::string& line) { return line.empty() || line[0] == ';'; }

bool to_int32(const std::string& digits, std::int32_t& out) {
  const char* e = digits.data() + digits.size();
  auto r = std::from_chars(digits.data(), e, out);
  return r.ec == std::errc() && r.ptr == e;
}

void read_error(const std::string& text) {
  plat::message_box(text, "Read Error", plat::MB_OK | plat::MB_ICONERROR | plat::MB_SYSTEMMODAL);
}

struct HashPattern {
  const char* key;
  const char* pattern;
};
// Tried in this order; the first that matches decides.
const HashPattern kHash[] = {
    {"EXT", "/^#\\s*(EXT)\\s+([^;]+)/"},
    {"MEMO", "/^#\\s*(MEMO)\\s+([^;]+)/"},
    {"TB-O-NUM", "/^#\\s*(TB-O-NUM)\\s+([^;]+)/"},
    {"TB-ADD-NCD", "/^#\\s*(TB-ADD-NCD)\\s+([^;]+)/"},
    {"TB-TOOL-DATA", "/^#\\s*(TB-TOOL-DATA)\\s+([^;]+)/"},
    {"TB-END", "/^#\\s*(TB-END)\\b/"},
    {"TB", "/^#\\s*(TB)\\s+([^;]+)/"},
};
const HashPattern kPercent[] = {
    {"PRE-CONV", "/^%\\s*(PRE-CONV)\\s*=\\s*(s.+)$/"},
    {"VLM-TOOL", "/^%\\s*(VLM-TOOL)\\s*=\\s*(s.+)$/"},
    {"TOOL-CONV", "/^%\\s*(TOOL-CONV)\\s*=\\s*(s.+)$/"},
    {"CODE-CONV", "/^%\\s*(CODE-CONV)\\s*=\\s*(s.+)/"},
    {"NECESSARY", "/^%\\s*(NECESSARY)\\s*=\\s*([s\\/].+)$/"},
};

const char* const kToolLine =
    "/^\\s*%TB\\s+T\\s*=\\s*(\\d+)\\s+\\(VLM\\s+N\\d+\\s+([^)]+)[^(]+\\(VLM\\s+T\\d+\\s+([^)]+)"
    "[^(]+\\(VLM\\s+H\\d+\\s+([^)]+)/";
const char* const kToolLineNoHolder =
    "/^\\s*%TB\\s+T\\s*=\\s*(\\d+)\\s+\\(VLM\\s+N\\d+\\s+([^)]+)[^(]+\\(VLM\\s+T\\d+\\s+"
    "([^)\\s]+)\\s*\\)\\s*$/";

}  // namespace

// ---- tool data ------------------------------------------------------------------------------

int TVLM_tool_list::find_VLM_tool(std::int32_t number) const {
  for (std::size_t k = 0; k < tools_.size(); ++k)
    if (tools_[k].number == number) return static_cast<int>(k);
  return -1;
}

void TVLM_tool_list::set_VLM_tool(const TVLM_TOOL& t) {
  const int k = find_VLM_tool(t.number);
  if (k >= 0) tools_[static_cast<std::size_t>(k)] = t;
  else tools_.push_back(t);
}

bool TVLM_tool_list::get_VLM_tool_data(std::string_view path, TTabulon_view& view,
                                       TBRegExp& re) {
  std::vector<std::string> lines;
  if (!tb_read_lines(native_path(path), lines, true)) {
    read_error(std::string(path) + "\r\n" + " を読み込めませんでした");
    return false;
  }
  for (const auto& raw : lines) {
    const std::string line = tb_trim(raw);
    if (skipped(line)) continue;
    TVLM_TOOL t;
    try {
      if (re.run_match(kToolLine, line)) t.H = re.get_group(4);
      else if (!re.run_match(kToolLineNoHolder, line)) continue;
    } catch (const EBRegExpError& e) {
      // a line too tangled for the engine's budget is no tool line
      view.trace_line(" 警告 : " + std::string(e.what()) + " : " + line.substr(0, 80));
      continue;
    }
    if (!to_int32(re.get_group(1), t.number)) {
      view.trace_line(" 警告 : 工具番号が範囲外のため無視します : " + line);
      continue;
    }
    t.N = re.get_group(2);
    t.T = re.get_group(3);
    set_VLM_tool(t);
  }
  return true;
}

// ---- set-up list and definitions -------------------------------------------------------------

TTB_setup::TTB_setup(TTabulon_view& view, TBRegExp& re) : view_(view), re_(re) {
  re_.on_trace = [this](const std::string& t) { view_.trace_line(t); };
}

TTB_setup::~TTB_setup() { re_.on_trace = nullptr; }

bool TTB_setup::get_TB_file_list(std::string_view setup_path) {
  view_.trace_line("");
  view_.trace_line("******** Tex_func.get_TB_file_list ********");
  view_.trace_line("");
  tb_files.clear();
  tb_file_lines.clear();
  tb_file_names.clear();
  std::vector<std::string> lines;
  if (!tb_read_lines(native_path(setup_path), lines, true)) {
    read_error(std::string(setup_path) + " を読み込めませんでした");
    view_.trace_line(" ERR : " + std::string(setup_path) + " を読み込めませんでした");
    return false;
  }
  bool taking = false;
  for (const auto& raw : lines) {
    std::string line = tb_trim(raw);
    if (skipped(line)) continue;
    if (line[0] == '#') {
      std::string s = line;
      taking = re_.run_subst("s/^\\s*#\\s*TB_FILES\\b.*$/#TB_FILES/i", s) && s == "#TB_FILES";
      if (taking) view_.trace_line(" ok! : " + s);
      continue;
    }
    if (!taking) continue;
    std::string full = full_path_cur(line, setup_folder);
    if (full.empty()) continue;
    tb_files.push_back(full);
    tb_file_lines.push_back(line);
    tb_file_names.emplace_back();
    view_.trace_line("        (TB) " + line);
  }
  return true;
}

void TTB_setup::read_definition_line(const std::string& line, std::size_t file, bool& open,
                                     int& cur) {
  if (line[0] == '#') {
    for (const auto& h : kHash) {
      if (!re_.run_match(h.pattern, line)) continue;
      const std::string key = h.key;
      if (key == "TB") {
        const std::string name = tb_trim(re_.get_group(2));
        TTB_DATA d;
        d.name = name;
        d.file_name = tb_file_name(tb_files[file]);
        d.folder = tb_folder_of(tb_files[file]);
        int found = -1;
        for (std::size_t k = 0; k < tb_data.size(); ++k)
          if (tb_data[k].name == name) {
            found = static_cast<int>(k);
            break;
          }
        if (found >= 0) {
          view_.trace_line(" 警告 : " + name + " は多重定義のため次のデータで上書き処理を行います ");
          tb_data[static_cast<std::size_t>(found)] = std::move(d);
          cur = found;
        } else {
          tb_data.push_back(std::move(d));
          cur = static_cast<int>(tb_data.size()) - 1;
          view_.combo_add(" " + name + " ");
          if (tb_data.size() == 1) view_.set_combo_text(" " + name);
        }
        tb_file_names[file] += name + " ";
        open = true;
        view_.trace_line(" ok! : TB : " + name + " ( " + std::to_string(cur) + " )");
        return;
      }
      if (key == "TB-END") {
        if (tb_data.empty()) return;  // no block read yet
        tb_data[static_cast<std::size_t>(cur)].tool_files.push_back(tb_files[file]);
        view_.trace_line("      : #TB-TOOL-DATA " + tb_files[file]);
        open = false;
        return;
      }
      if (!open) return;
      TTB_DATA& d = tb_data[static_cast<std::size_t>(cur)];
      const std::string value = tb_trim(re_.get_group(2));
      if (key == "EXT") {
        d.ext = value;
        view_.trace_line("      : #EXT  " + value);
      } else if (key == "MEMO") {
        d.memo = value;
        view_.trace_line("      : #MEMO " + value);
      } else if (key == "TB-O-NUM") {
        d.o_num = value;
        view_.trace_line("      : #TB-O-NUM " + value);
      } else if (key == "TB-ADD-NCD") {
        d.add_ncd.push_back(value);
        view_.trace_line("      : #TB-ADD-NCD " + value);
      } else {
        d.tool_files.push_back(value);
        view_.trace_line("      : #TB-TOOL-DATA " + value);
      }
      return;
    }
    return;
  }
  if (line[0] != '%' || !open) return;
  for (const auto& p : kPercent) {
    if (!re_.run_match(p.pattern, line)) continue;
    TTB_DATA& d = tb_data[static_cast<std::size_t>(cur)];
    const std::string key = p.key;
    const std::string expr = re_.get_group(2);
    d.raw_lines.push_back(line);
    d.keywords.push_back(key);
    d.expressions.push_back(expr);
    if (key == "PRE-CONV") d.pre_conv.push_back(expr);
    else if (key == "TOOL-CONV") d.tool_conv.push_back(expr);
    else if (key == "CODE-CONV") d.code_conv.push_back(expr);
    else if (key == "NECESSARY") d.necessary.push_back(expr);
    view_.trace_line("      : " + d.name + " : " + key + " = " + expr);
    return;
  }
}

bool TTB_setup::get_TB_data() {
  tb_data.clear();
  selected = -1;
  bool open = false;
  int cur = 0;
  if (tb_files.empty()) {
    read_error("読み込む TB 設定ファイル名が指定されていません");
    return false;
  }
  for (std::size_t k = 0; k < tb_files.size(); ++k) {
    std::vector<std::string> lines;
    if (!tb_read_lines(native_path(tb_files[k]), lines, true)) {
      read_error(tb_files[k] + "を読み込めませんでした");
      return false;
    }
    for (const auto& raw : lines) {
      const std::string line = tb_trim(raw);
      if (skipped(line)) continue;
      read_definition_line(line, k, open, cur);
    }
  }
  if (open) {
    const std::string msg = " ERR : #TB " + tb_data[static_cast<std::size_t>(cur)].name +
                            " に終了文字の #TB-END がありませんでした。";
    view_.log_emph(msg);
    view_.trace_line("");
    view_.trace_line(msg);
    return false;
  }
  return true;
}

bool TTB_setup::reload_TB_setup(std::string_view setup_path) {
  const std::string kept = view_.combo_text();
  view_.combo_clear();
  if (!get_TB_file_list(setup_path) || !get_TB_data()) return false;
  view_.definitions_changed();
  // with no text to keep, the first definition (now the combo text) is selected
  select_TB_data_or_first(tb_trim(kept).empty() ? view_.combo_text() : kept, false);
  return true;
}

bool TTB_setup::select_TB_data_or_first(std::string_view name, bool clear_log) {
  if (select_TB_data(name, clear_log)) return true;
  if (tb_data.empty()) return false;
  view_.trace_line(" 警告 : 変換設定 " + tb_trim(name) + " がないため " + tb_trim(tb_data[0].name) +
                   " を使います");
  return select_TB_data(tb_data[0].name, false);
}

bool TTB_setup::select_TB_data(std::string_view name, bool clear_log) {
  if (clear_log) view_.clear_display();
  selected = -1;
  view_.set_field(TB_field::D_ext, "");
  view_.set_field(TB_field::D_O_num, "");
  const std::string want = tb_trim(name);
  if (tb_data.empty() || want.empty()) return false;
  for (std::size_t k = 0; k < tb_data.size(); ++k) {
    if (tb_trim(tb_data[k].name) != want) continue;
    selected = static_cast<int>(k);
    view_.set_combo_text(" " + want + " ");
    view_.set_field(TB_field::D_ext, tb_data[k].ext);
    if (!tb_data[k].o_num.empty()) view_.set_field(TB_field::D_O_num, tb_data[k].o_num);
    combo_vis_TB_data();
    return true;
  }
  return false;
}

void TTB_setup::combo_vis_TB_data() {
  const TTB_DATA* d = current();
  if (!d) return;
  view_.trace_line("");
  view_.trace_line("******** Tex_func.combo_vis_TB_data ********");
  view_.trace_line("");
  view_.trace_line("#TB           : " + d->name);
  view_.trace_line("#MEMO         : " + d->memo);
  view_.trace_line("#EXT          : " + d->ext);
  view_.trace_line("#TB-O-NUM     : " + d->o_num);
  for (const auto& f : d->tool_files) view_.trace_line("#TB-TOOL-DATA   : " + f);
  for (const auto& f : d->add_ncd) view_.trace_line("#TB-ADD-NCD   : " + f);
  view_.trace_line("");
  for (std::size_t k = 0; k < d->keywords.size(); ++k)
    view_.trace_line("%" + d->keywords[k] + " = " + d->expressions[k]);
}
