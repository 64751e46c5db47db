// Stored window bounds brought onto the screen: a settings file may hold any numbers (a
// damaged file, another monitor's layout, a hand edit).
#pragma once

namespace plat {

struct WinBounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const WinBounds&) const = default;
};

// `stored` kept on `area` (the screen's available area): a width or height that is not
// positive takes the fallback; a size is kept between the minimum and the area's size; the
// window is then moved so that it lies wholly inside the area.
WinBounds fit_window_bounds(const WinBounds& stored, const WinBounds& area, int fallback_width,
                            int fallback_height, int min_width, int min_height);

}  // namespace plat
