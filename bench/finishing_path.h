// The finishing path of the cutting benchmarks: zig-zag passes along X over a dome on a
// 100 x 100 mm work, each pass cut in equal moves, the passes one step-over apart in Y.
// Header only: the cutting benchmark takes the moves as they are, the play benchmark writes
// them as an NC program.
#pragma once

namespace bench_path {

// The dome: 1 mm deep at the centre (50, 50), 3 mm at the corners.
inline float dome_z(float x, float y) {
  const float dx = x - 50, dy = y - 50;
  return -1.0f - 0.002f * (dx * dx + dy * dy) * 0.2f;
}

struct Passes {
  int passes = 200;       // along X, every other one backwards
  int moves = 50;         // per pass
  float width = 100;      // of a pass, from X 0
  float first_y = 0.25f;  // Y of the first pass
  float step_over = 0.5f;
};

// Point s (0 .. moves) of pass p, on the dome.
inline void pass_point(const Passes& g, int p, int s, float& x, float& y, float& z) {
  const float len = g.width / static_cast<float>(g.moves);
  x = len * static_cast<float>(s);
  if (p % 2) x = g.width - x;
  y = g.first_y + g.step_over * static_cast<float>(p);
  z = dome_z(x, y);
}

}  // namespace bench_path
