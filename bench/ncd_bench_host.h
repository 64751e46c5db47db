// The run host of the NC data benchmarks: every tool is known with a cutter radius of 3 mm,
// so the generated contours are compensated; nothing is shown.
#pragma once
#include <string>

#include "ncdata/ncd_host.h"

struct BenchRunHost : NCD_HOST {
  int th_find(int t, int& size) override {
    size = 100;
    return t >= 0 && t < 100 ? t : -1;
  }
  void th_show(int) override {}
  bool th_set_tool0() override { return true; }
  bool tool_radius(int, float& r) override {
    r = 3.0f;
    return true;
  }
  void show_system_err(const std::string&) override {}
  void set_TOOL_defs(NCD_DATA&) override {}
  void fit_scale(NCD_DATA&) override {}
};
