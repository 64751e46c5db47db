#include "mainwin/core/tool_table.h"

#include <algorithm>
#include <cstdio>

#include "common/ats_func.h"
#include "ncdata/ncd_data.h"
#include "simulation/tool_codes.h"

namespace {

void clear_slot(TTTOOL_HOLDER_tmp& s, int t) {
  s = TTTOOL_HOLDER_tmp{};
  s.T_number = t;
}

std::string_view trim_blanks(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// text becomes text + (LF when it was not empty) + add.
void append_line(std::string& text, const std::string& add) {
  if (!text.empty()) text += '\n';
  text += add;
}

// Joins a head text once: "trimmed(text + add) ".
void join_head(std::string& text, const std::string& add) {
  if (add.empty() || text.find(add) != std::string::npos) return;
  std::string joined = text + add;
  text = std::string(trim_blanks(joined)) + ' ';
}

TTTOOL_HOLDER_tmp* slot_of(TTOOL_HOLDER_tmp& m, int t) {
  for (int k = 0; k < m.used(); ++k)
    if (m.slot[k].T_number == t) return &m.slot[k];
  return nullptr;
}

}  // namespace

std::vector<int> program_tool_changes(const NCD_DATA& d) {
  std::vector<int> out;
  const int n = std::clamp(d.tool_lines.count, 0, NCD_TABLE_MAX + 1);
  out.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out.push_back(d.tool_lines.e[static_cast<std::size_t>(i)].num);
  return out;
}

void set_TOOL_defs(const std::vector<int>& change_tools, std::vector<std::string>& defs,
                   TTOOL_HOLDER_tmp& m, std::vector<std::string>* log) {
  m.count = 1;
  clear_slot(m.slot[0], 0);
  int left_out = 0;
  for (int t : change_tools) {
    int k = 0;
    while (k < m.count && m.slot[k].T_number < t) ++k;
    if (k < m.count && m.slot[k].T_number == t) continue;
    if (m.count >= kMagazineSlots) {
      ++left_out;
      continue;
    }
    for (int j = m.count; j > k; --j) m.slot[j] = std::move(m.slot[j - 1]);
    clear_slot(m.slot[k], t);
    ++m.count;
  }
  if (left_out > 0 && log) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "set_TOOL_defs : %d 本を超える工具 %d 件は工具表に入りません",
                  kMagazineSlots, left_out);
    log->emplace_back(buf);
  }
  for (int k = 0; k < m.count; ++k) {
    m.slot[k].tool_set = 0;
    m.slot[k].holder_set = 0;
    m.slot[k].tool.name.clear();
  }
  for (const std::string& line : defs) {
    const std::string letter = _numbers_for_routine("VLM ?", line);
    if (letter == "N") set_TOOL_name_from_comment(line, m);
    else if (letter == "T") set_TOOL_from_comment(line, m);
    else if (letter == "H") set_HOLDER_from_comment(line, m);
  }
  Preset_TOOL_HOLDER_list(m);
  defs.clear();
  defs.reserve(static_cast<std::size_t>(m.count) * 3);
  for (int k = 0; k < m.count; ++k) {
    defs.push_back(m.slot[k].tool.name_line);
    defs.push_back(m.slot[k].tool.tool_line);
    defs.push_back(m.slot[k].holder.holder_line);
  }
}

VLM_tool_totals fill_tool_listing(const std::vector<NCD_TOOL_STAT>& stats, bool f_assumed,
                                  TTOOL_HOLDER_tmp& m, std::vector<std::string>& errors) {
  for (std::size_t i = 0; i < stats.size(); ++i) {
    const NCD_TOOL_STAT& r = stats[i];
    TTTOOL_HOLDER_tmp* s = slot_of(m, r.tool);
    if (!s) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "kougu_list_up でエラー発生, i=%d used_T_num=%d",
                    static_cast<int>(i), r.tool);
      errors.emplace_back(buf);
      continue;
    }
    std::string body = r.tool_text;
    if (!body.empty() && body.back() == '\n') body.pop_back();
    append_line(s->text1, body);
    append_line(s->text2, std::string());
    join_head(s->text3, r.block_text[0]);
    join_head(s->text4, r.block_text[1]);
    s->cut_len += r.cut_len;
    s->rapid_len += r.rapid_len;
    s->mach_time += r.time;
  }
  VLM_tool_totals tot;
  for (int k = 0; k < m.used(); ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    tot.mach_time += s.mach_time;
    tot.cut_len += s.cut_len;
    tot.rapid_len += s.rapid_len;
    std::string body = "切削長 " + float_to_str(s.cut_len, 0) + " mm , 早送り " +
                       float_to_str(s.rapid_len, 0) + " mm , ";
    body += "加工時間 " + std::to_string(float_round_to_int(s.mach_time)) + " 分 ";
    if (f_assumed) body += "(=F100)";
    body += '\n';
    if (!s.text1.empty()) body += s.text1 + '\n';
    if (!s.text2.empty()) body += s.text2;
    s.list_body = std::move(body);
    char head[64];
    std::snprintf(head, sizeof head, "(%2d) T%.2d ", k, s.tool.T_number);
    s.list_head = head + (s.text3.empty() ? std::string("    ") : s.text3) +
                  (s.text4.empty() ? std::string("    ") : s.text4) + ':';
    s.tool_name = s.tool.name;
  }
  return tot;
}
