// Wire outlines of the tool of a magazine slot for the 3D view, and the tool shape the
// cutting works with, both made from the slot's normalised tool and holder.
//
// Outline coordinates: z along the tool axis upward with 0 at the tip, x and y radial. An
// outline set has 15 records in five groups of three: 0-2 the cutting part, 3-5 shank and
// neck, 6-8 the second holder, 9-11 the holder, 12-14 the alternative cutting part (kind 10
// with the spindle stopped: the insert alone). No Qt here.
#pragma once
#include <cstdint>

#include "simulation/gl_view.h"
#include "simulation/tool_records.h"
#include "simulation/tool_shape.h"
#include "simulation/work_store.h"

constexpr int kOutlineSetRecords = 15;
constexpr int kOutlineMaxRuns = 103;  // runs an outline takes; the run table ends with 255

struct TTOOL_OUTLINE_SET {
  std::int32_t tool_number = 0;
  std::int32_t slot_index = 0;
  std::int32_t kind = 0;
  std::uint8_t valid = 0;
  float ref_radius = 0;         // half the tool's reference diameter
  float ref_corner_radius = 0;  // the tool's reference radius
  std::uint8_t shank = 0;       // protrusion F beyond the edge length D
  std::uint8_t holder2 = 0;     // a second holder is used
  TTOOL_OUTLINE rec[kOutlineSetRecords];
  std::uint8_t col_cut[4] = {};
  std::uint8_t col_shank[4] = {};
  std::uint8_t col_holder2[4] = {};
  std::uint8_t col_holder[4] = {};
  float label[3] = {0, 0, 0};   // where the view may put the tool's text
  std::uint8_t col_alt[4] = {};
  std::uint8_t col_edge_copy[4] = {};
  std::int32_t edge_color = 0;
};

// The point list of the builders: pointlist_add stores at the count and counts only while
// the list holds fewer than 255 points; the arc routines stop at 300.
void pointlist_add(TGL_POINT_LIST& l, bool reset, float x, float y, float z);

void outline_clear(TTOOL_OUTLINE& o);
// Appends the list as one run (cut at 255 points in all); nothing for an empty list, a full
// outline or a full run table. True when a run was appended.
bool outline_add_run(TTOOL_OUTLINE& o, const TGL_POINT_LIST& l);
// The run, then the same points backwards with x negated.
void outline_add_run_mirrored(TTOOL_OUTLINE& o, const TGL_POINT_LIST& l);
// A full ring at height z, begun at (r, 0, z) (a negative r begins on the -x side).
void outline_add_arc(TTOOL_OUTLINE& o, float z, float r);
// A half ring from (r, 0, z) to (-r, 0, z).
void outline_add_arc_mirrored(TTOOL_OUTLINE& o, float z, float r);

// Builds the outline set of magazine slot `index` and resets the tool shape of `m` to that
// tool (see make_TOOL_shape_from_slot). A kind-0 slot or an index outside the magazine gives
// an invalid set and leaves the shape cleared.
void make_TOOL_outline(Tmat& m, const TTOOL_HOLDER_tmp& mag, int index, TTOOL_OUTLINE_SET& out);

// The tool shape of a slot: cutting sections by the tool's kind from the tip, then, without
// edge, the shank's neck cone, the second holder and the holder; sections hidden inside
// what lies below are left out. A tool whose own sections cannot be built gets a ball of
// radius 3 under a 30-degree taper from z = 18, with a debug line naming the tool.
// Returns false when the fallback was taken.
bool make_TOOL_shape_from_slot(Tmat& m, const TTTOOL_HOLDER_tmp& slot);
// The sections make_TOOL_shape_from_slot hands to the shape model, in order, with how many
// belong to the tool itself (cutting and shank). False when sizes are missing or not finite.
bool tool_shape_sections(const TTTOOL_HOLDER_tmp& slot, TTOOL_SHAPE_DATA* out, int& count,
                         int& tool_count);
