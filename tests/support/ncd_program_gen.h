// Generated milling programs for the tests and benchmarks of the program run: tool sections
// with three-axis feed moves, arcs (I/J and R), canned cycles, subprogram calls and contours
// under cutter radius compensation, all valid for a cutter radius up to 3 mm.
// Header only, so the benchmarks can use it without the test library.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace testing_support {

struct NcGenOptions {
  long lines = 10000;       // about this many lines in all
  unsigned seed = 1;
  int tools = 6;            // tool sections of the main program
  bool arcs = true;
  bool cycles = true;
  bool subprograms = true;
  bool compensation = true;
};

class NcProgramGen {
 public:
  explicit NcProgramGen(const NcGenOptions& o) : o_(o), rng_(o.seed * 2654435761u + 12345u) {}

  std::string make() {
    out_.clear();
    out_.reserve(static_cast<size_t>(o_.lines) * 24);
    emit("%");
    emit("O1000");
    const long body = o_.lines - 12;
    const long per_tool = body / (o_.tools > 0 ? o_.tools : 1);
    for (int t = 1; t <= o_.tools; ++t) {
      std::snprintf(buf_, sizeof buf_, "T%d M06", t);
      emit(buf_);
      std::snprintf(buf_, sizeof buf_, "S%d M03", 1000 + 500 * t);
      emit(buf_);
      emit("G90 G00 X0. Y0.");
      std::snprintf(buf_, sizeof buf_, "G43 Z50. H%d", t);
      emit(buf_);
      x_ = y_ = 0;
      z_ = 50;
      const long until = count_ + per_tool - 6;
      while (count_ < until) pattern(until);
      emit("G00 Z100.");
    }
    emit("M30");
    if (o_.subprograms) {
      emit("O2000");
      emit("G91 G01 X2. Y1. F500.");
      emit("X-2. Y-1.");
      emit("G90");
      emit("M99");
    }
    emit("%");
    return out_;
  }
  long line_count() const { return count_; }

 private:
  void emit(const char* s) {
    out_ += s;
    out_ += "\r\n";
    ++count_;
  }
  unsigned next() {
    rng_ ^= rng_ << 13;
    rng_ ^= rng_ >> 17;
    rng_ ^= rng_ << 5;
    return rng_;
  }
  double uni(double a, double b) { return a + (b - a) * (next() % 100000) / 100000.0; }
  // Rounds to the 3 decimals the text carries, so the generator knows the exact position.
  static double r3(double v) { return std::round(v * 1000.0) / 1000.0; }

  void pattern(long until) {
    const unsigned k = next() % 100;
    const long room = until - count_;
    if (o_.compensation && k < 4 && room > 12) return contour();
    if (o_.cycles && k < 8 && room > 8) return cycle();
    if (o_.subprograms && k < 10 && room > 3) return call();
    if (o_.arcs && k < 30 && room > 2) return arc();
    feed_moves(room < 20 ? room : 20);
  }

  void feed_moves(long n) {
    std::snprintf(buf_, sizeof buf_, "G01 Z%.3f F%d", r3(z_ = uni(-3, 0)), 500 + next() % 1500);
    emit(buf_);
    for (long i = 1; i < n; ++i) {
      x_ = r3(clampv(x_ + uni(-4, 4)));
      y_ = r3(clampv(y_ + uni(-4, 4)));
      z_ = r3(uni(-3, 0));
      std::snprintf(buf_, sizeof buf_, "X%.3fY%.3fZ%.3f", x_, y_, z_);
      emit(buf_);
    }
  }
  static double clampv(double v) { return v < -80 ? -80 : (v > 80 ? 80 : v); }

  void arc() {
    const double rad = uni(3, 12), a0 = uni(0, 6.283), sweep = uni(0.3, 2.5);
    const double cx = x_ - rad * std::cos(a0), cy = y_ - rad * std::sin(a0);
    const bool ccw = next() % 2;
    const double a1 = ccw ? a0 + sweep : a0 - sweep;
    const double ex = r3(cx + rad * std::cos(a1)), ey = r3(cy + rad * std::sin(a1));
    if (next() % 2) {
      std::snprintf(buf_, sizeof buf_, "G%02d X%.3f Y%.3f I%.3f J%.3f F800", ccw ? 3 : 2, ex, ey,
                    r3(cx - x_), r3(cy - y_));
    } else {
      // A short arc by R: the sweep is below pi.
      std::snprintf(buf_, sizeof buf_, "G%02d X%.3f Y%.3f R%.3f F800", ccw ? 3 : 2, ex, ey,
                    r3(rad));
    }
    emit(buf_);
    x_ = ex;
    y_ = ey;
    emit("G01");
  }

  void cycle() {
    emit("G00 Z5.");
    const bool peck = next() % 2;
    x_ = r3(uni(-60, 60));
    y_ = r3(uni(-60, 60));
    if (peck)
      std::snprintf(buf_, sizeof buf_, "G98 G83 X%.3f Y%.3f Z-12. R2. Q3. F200", x_, y_);
    else
      std::snprintf(buf_, sizeof buf_, "G99 G81 X%.3f Y%.3f Z-5. R2. F200", x_, y_);
    emit(buf_);
    for (int i = 0; i < 3; ++i) {
      x_ = r3(x_ + 10);
      std::snprintf(buf_, sizeof buf_, "X%.3f", x_);
      emit(buf_);
    }
    emit("G80");
    z_ = 5;
  }

  void call() {
    emit("M98 P2000 L2");
  }

  void contour() {
    // A 20 x 20 square with one rounded corner, entered and left under G41 or G42.
    const double cx = r3(uni(-50, 50)), cy = r3(uni(-50, 50));
    emit("G00 Z5.");
    std::snprintf(buf_, sizeof buf_, "X%.3f Y%.3f", cx - 20, cy - 20);
    emit(buf_);
    emit("G01 Z-2. F300");
    const bool left = next() % 2;
    std::snprintf(buf_, sizeof buf_, "G%d D%d X%.3f Y%.3f", left ? 41 : 42, 1 + next() % 5,
                  cx - 10, cy - 10);
    emit(buf_);
    std::snprintf(buf_, sizeof buf_, "X%.3f", cx + 10);
    emit(buf_);
    std::snprintf(buf_, sizeof buf_, "Y%.3f", cy + 5);
    emit(buf_);
    std::snprintf(buf_, sizeof buf_, "G03 X%.3f Y%.3f R5.", cx + 5, cy + 10);
    emit(buf_);
    std::snprintf(buf_, sizeof buf_, "G01 X%.3f", cx - 10);
    emit(buf_);
    emit("Z-3.");
    std::snprintf(buf_, sizeof buf_, "Y%.3f", cy - 10);
    emit(buf_);
    std::snprintf(buf_, sizeof buf_, "G40 X%.3f Y%.3f", cx - 20, cy - 20);
    emit(buf_);
    emit("G00 Z5.");
    x_ = cx - 20;
    y_ = cy - 20;
    z_ = 5;
  }

  NcGenOptions o_;
  unsigned rng_;
  std::string out_;
  long count_ = 0;
  double x_ = 0, y_ = 0, z_ = 0;
  char buf_[128];
};

inline std::string make_nc_program(const NcGenOptions& o) { return NcProgramGen(o).make(); }

}  // namespace testing_support
