// The tool shape model: the current tool with its holder as a stack of up to 16 axially
// symmetric sections (TTOOL_PARAM in Tmat), section 0 at the tip. Profile types:
// 1 flat, 2 ball, 3 ball cut off at AR < BR, 4 corner radius, 5 taper, 6 corner radius cut
// off at AR < FR + BR.
#pragma once
#include <cstdint>
#include <string>

#include "simulation/work_store.h"

enum : int {
  TPM_FLAT = 1,
  TPM_BALL = 2,
  TPM_BALL2 = 3,
  TPM_CORNER_R = 4,
  TPM_TAPER = 5,
  TPM_CORNER_R2 = 6,
};

// The description of one section, filled by the outline builders.
struct TTOOL_SHAPE_DATA {
  std::uint8_t color[4] = {0, 0, 0, 0};  // colour of points this section cuts cleanly
  std::int32_t pass_int = 0;             // passed through into the section
  std::int32_t type = 0;                 // 1..6
  double ref_z = 0;                      // bottom of the section above the tool tip
  std::uint8_t oblique_restricted = 0;   // whole tool (first section only)
  double tool_edge_len = 0;              // whole tool (first section only)
  double FR = 0;
  double BR = 0;
  double AR = 0;
  double edge_len = 0;
  double effective_len = 0;
  std::uint8_t cutting_edge = 0;         // 1 = cutting edge; 0 = shank or holder
  double centre_r = 0;                   // centre zone without cutting edge
  double pass_value = 0;                 // passed through
  double taper_half_angle = 0;           // radians (type 5)
};

// The largest size (radius, length, height of a section) a shape accepts, in mm: far beyond
// any tool or holder, and small enough that the cutting walks keep their precision.
constexpr double TOOL_SHAPE_SIZE_MAX = 10000.0;

bool TOOL_SHAPE_CLEAR(Tmat& m);
// Appends a section; a rejection is shown in a box titled "TOOL Data ERROR".
bool SET_TOOL_SHAPE(Tmat& m, const TTOOL_SHAPE_DATA& d);
// Appends a section; false with the last error text set on rejection.
bool MAKE_TOOL_SHAPE(Tmat& m, const TTOOL_SHAPE_DATA& d);
// The number format of the description text: 3 decimals, then up to 7 significant digits.
std::string TPM_Float_Text(double v);
