#include "tooling/core/color_pick.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/ats_func.h"
#include "tooling/core/disp_status.h"

namespace {

// Blanks around a number typed into an edit are no part of it.
std::string_view trimmed(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
  return t;
}

// The integer of the text within lo..hi, else -1.
int integer_in(std::string_view text, int lo, int hi) {
  text = trimmed(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long v = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size()) return -1;
  return v < lo || v > hi ? -1 : static_cast<int>(v);
}

}  // namespace

int color_code_at(int x, int y) {
  const int col = std::clamp(x < 0 ? -1 : x / COLOR_CELL, 0, COLOR_GRID_COLS - 1);
  // Row 0 is painted at the bottom, y 24..31; a y above the grid floors below row 3.
  const int from_bottom = COLOR_GRID_ROWS * COLOR_CELL - 1 - y;
  const int row = std::clamp(from_bottom < 0 ? -1 : from_bottom / COLOR_CELL, 0,
                             COLOR_GRID_ROWS - 1);
  return row * COLOR_GRID_COLS + col;
}

int color_code_column(int code) { return std::clamp(code, 0, 63) % COLOR_GRID_COLS; }
int color_code_row(int code) { return std::clamp(code, 0, 63) / COLOR_GRID_COLS; }

int color_code_of_text(std::string_view text) { return integer_in(text, 0, 63); }
int line_width_of_text(std::string_view text) { return integer_in(text, 1, 20); }

bool real_of_text(std::string_view text, double& v) {
  text = trimmed(text);
  if (!is_real_text(text, false)) return false;
  std::string t(text);
  if (!t.empty() && t.front() == '+') t.erase(0, 1);
  if (!t.empty() && t.front() == '.') t.insert(t.begin(), '0');
  if (t.size() > 1 && t[0] == '-' && t[1] == '.') t = "-0" + t.substr(1);
  if (!t.empty() && t.back() == '.') t.pop_back();
  double r = 0;
  const auto res = std::from_chars(t.data(), t.data() + t.size(), r);
  if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(r)) return false;
  v = r;
  return true;
}

double feed_limit_of_text(std::string_view text) {
  double v = -1;
  if (!real_of_text(text, v)) return -1;
  return v < 0 ? -1 : v;
}

const char* path_row_caption(int row) {
  switch (row) {
    case 0: return "早送り";
    case 10: return "(工具別 G00 ) G00";
    case 11: return "(工具別 cut ) G01";
    case 12: return "G02";
    case 13: return "G03";
    case 14: return "G73-G76,G81-G89";
    case 15: return "(未使用)";
    default: return "";
  }
}

bool path_row_valid(int row, int bands) {
  if (row < 2 || row > DISP_FEED_BAND_ROWS) return true;
  return row <= bands;
}

std::string feed_limit_text(float v) { return float_to_str(v, 3); }
