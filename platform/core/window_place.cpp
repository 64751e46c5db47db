#include "platform/core/window_place.h"

#include <algorithm>

namespace plat {

namespace {
int fit_size(int stored, int fallback, int least, int most) {
  const int want = stored > 0 ? stored : fallback;
  most = std::max(most, 1);
  return std::clamp(want, std::min(std::max(least, 1), most), most);
}
int fit_place(int stored, int size, int start, int length) {
  return std::clamp(stored, start, std::max(start, start + length - size));
}
}  // namespace

WinBounds fit_window_bounds(const WinBounds& stored, const WinBounds& area, int fallback_width,
                            int fallback_height, int min_width, int min_height) {
  WinBounds b;
  b.width = fit_size(stored.width, fallback_width, min_width, area.width);
  b.height = fit_size(stored.height, fallback_height, min_height, area.height);
  b.left = fit_place(stored.left, b.width, area.left, area.width);
  b.top = fit_place(stored.top, b.height, area.top, area.height);
  return b;
}

}  // namespace plat
