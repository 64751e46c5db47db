// The tool shape model: the current tool with its holder as a stack of up to 16 axially
// symmetric sections (TTOOL_PARAM in Tmat), section 0 at the tip. Profile types:
// 1 flat, 2 ball, 3 ball cut off at AR < BR, 4 corner radius, 5 taper, 6 corner radius cut
// off at AR < FR + BR.
#pragma once
#include <cmath>
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

bool TOOL_SHAPE_CLEAR(Tmat& m);
// Appends a section; a rejection is shown in a box titled "TOOL Data ERROR".
bool SET_TOOL_SHAPE(Tmat& m, const TTOOL_SHAPE_DATA& d);
// Appends a section; false with the last error text set on rejection.
bool MAKE_TOOL_SHAPE(Tmat& m, const TTOOL_SHAPE_DATA& d);
// The number format of the description text: 3 decimals, then up to 7 significant digits.
std::string TPM_Float_Text(double v);

// Builds the silhouette segments of a corner-radius section (types 4 and 6) for an oblique
// move of slope k (climb per unit of horizontal travel).
void Make_Tool_silhouette(TTOOL_PARAM& t, double k);
// The along-track offset of the contact point at lateral distance d; false when the section
// has no segments.
bool Get_Tool_contact_offset(const TTOOL_PARAM& t, double d, double& offset);
VEC4 Eval_Bezier_Segment(const TSILHOUETTE_SEG& s, double t);
// Intersection of the line through (x1,y1),(x2,y2) with the line through (x3,y3),(x4,y4).
bool Cross_Lines_2D_Ext(double x1, double y1, double x2, double y2, double x3, double y3,
                        double x4, double y4, double& x, double& y);

// Small helpers of the cutting geometry.
double Clamp_1e10(double v);
void Set_VEC4_Clamped(VEC4& v, double x, double y, double z, double w);
inline double Safe_Sqrt(double v) { return v > 0 ? std::sqrt(v) : 0.0; }
