#include "mainwin/core/dialog_state.h"

#include <algorithm>

#include "common/ats_func.h"

bool update_history(std::vector<std::string>& items, const std::string& text, bool ignore_case) {
  if (text.empty()) return false;
  const std::string key = ignore_case ? upper_sjis(text) : text;
  auto same = [&](const std::string& s) { return (ignore_case ? upper_sjis(s) : s) == key; };
  auto found = std::find_if(items.begin(), items.end(), same);
  if (found != items.end()) {
    items.erase(found);
  } else if (static_cast<int>(items.size()) >= kHistoryMax) {
    items.resize(kHistoryMax - 1);
  }
  items.insert(items.begin(), text);
  return true;
}

DLG_POS clamp_dialog_pos(DLG_POS p, int ox, int oy, int w, int h) {
  auto clamp1 = [](int v, int lo, int size) {
    v = std::min(v, lo + size - 300);
    return std::max(v, lo);
  };
  return {clamp1(p.x, ox, w), clamp1(p.y, oy, h)};
}

DLG_POS centre_dialog_pos(int ox, int oy, int sw, int sh, int w, int h) {
  return {ox + (sw - w) / 2, oy + (sh - h) / 2};
}
