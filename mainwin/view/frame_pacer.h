// When a frame of the 3D view is due while a play loop or an auto-repeat steps blocks.
// Every block is stepped and cut; only the frames (front from back, current-move mark,
// tool, read-out, present, panel and listing refresh) are paced: one is due when 90 ms
// have passed since the last frame began (some 11 frames a second) and at least three
// times its duration since it ended (a slow frame leaves the blocks three quarters of
// the time). A single step presents at once, and a loop's end always draws one frame.
// Times are milliseconds of a monotonic clock, passed in. No Qt, no GL here.
#pragma once
#include <algorithm>

class FramePacer {
 public:
  static constexpr double kPeriodMs = 90;

  // True when a frame should be drawn at `now_ms`.
  bool due(double now_ms) const {
    if (!drawn_) return true;
    return now_ms - last_start_ >= kPeriodMs && now_ms - last_end_ >= 3 * last_duration_;
  }
  // A frame drawn from `start_ms` to `end_ms`.
  void drawn(double start_ms, double end_ms) {
    drawn_ = true;
    last_start_ = start_ms;
    last_end_ = end_ms;
    last_duration_ = std::max(0.0, end_ms - start_ms);
  }
  // A new loop: its first frame is due at once.
  void reset() { drawn_ = false; last_duration_ = 0; }

 private:
  bool drawn_ = false;
  double last_start_ = 0;
  double last_end_ = 0;
  double last_duration_ = 0;
};
