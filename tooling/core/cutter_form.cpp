#include "tooling/core/cutter_form.h"

#include <cmath>
#include <cstdio>

#include "common/ats_func.h"

TKind_fields kind_fields(int kind) {
  TKind_fields f;
  auto set = [&f](bool d, bool r, bool k, bool a) {
    f.diam = d;
    f.cornerR = r;
    f.kakudo = k;
    f.chk_area = a;
  };
  switch (kind) {
    case 1: case 7: case 8: case 11: case 12: case 19: case 20: set(true, false, false, false); break;
    case 2: case 3: set(true, true, false, false); break;
    case 4: set(true, false, true, false); break;
    case 5: set(false, true, true, false); break;
    case 6: set(true, true, true, false); break;
    case 9: case 10: set(true, false, false, true); break;
    case 13: set(true, true, false, false); f.radius_label = "チップ直径"; break;
    case 14: set(true, true, false, false); f.radius_label = "チップ幅"; break;
    case 15: set(true, true, false, true); f.radius_label = "刃厚"; break;
    case 16: set(true, true, false, true); f.radius_label = "コーナーＲ"; break;
    case 17: set(true, false, true, false); f.edge_label = "カッターの刃長"; break;
    case 18: set(true, true, true, true); f.radius_label = "コーナーＲ"; break;
    default: f.panel = false; break;
  }
  return f;
}

int zu_line_width(double v) {
  if (std::isnan(v)) return 1;
  const int w = float_round_to_int(v, 1);
  return w < 1 ? 1 : (w > 20 ? 20 : w);
}

int step_color_code(int code, int delta) { return ((code + delta) % 64 + 64) % 64; }

int updown_position(int count, int index) {
  const int p = count - index - 1;
  return p < 0 ? 0 : p;
}
int updown_index(int count, int position) { return valid_slot_index(count, count - position - 1); }

int valid_slot_index(int count, int index) { return index < 0 || index >= count ? 0 : index; }

namespace {
void add_lines(std::vector<std::string>& out, const std::string& text) {
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t lf = text.find('\n', from);
    if (lf == std::string::npos) lf = text.size();
    std::string line = text.substr(from, lf - from);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
    from = lf + 1;
  }
}
}  // namespace

std::vector<std::string> cutter_memo_lines(const TTTOOL_HOLDER_tmp& slot, const TTOOL& tool,
                                           const THOLDER& holder, bool magazine_file) {
  std::vector<std::string> out;
  if (magazine_file) {
    out.push_back(" VLM  工具 ネーム : (VLM N" + std::to_string(tool.T_number) + " \"" +
                  tool.name + "\")");
    out.push_back(" VLM  工具 データ : " + tool.tool_line);
    out.push_back(" VLM ホルダデータ : " + holder.holder_line);
    return out;
  }
  add_lines(out, slot.text1);
  add_lines(out, slot.text2);
  return out;
}

bool take_picked_tool(const TTTOOL_HOLDER_tmp& picked, TTOOL& tool, THOLDER& holder) {
  if (picked.tool.T_category == TOOL_KIND_NONE) return false;
  const int number = tool.T_number;
  tool = picked.tool;
  holder = picked.holder;
  tool.T_number = number;
  holder.H_number = number;
  return true;
}

std::vector<std::string> tool_number_items(const TTOOL_HOLDER_tmp& m) {
  std::vector<std::string> out;
  for (int k = 0; k < m.used(); ++k) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d", m.slot[k].T_number);
    out.push_back(buf);
  }
  return out;
}
