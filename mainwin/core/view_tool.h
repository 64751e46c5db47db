// The displayed tool of the 3D view: at each displayed tool change the outline of the tool
// and holder of its magazine slot is built, and the tool shape that cutting works with is
// set from the same slot. The magazine is the program's tool table (its tool changes and
// tool-definition lines), rebuilt when the program or the definitions changed. No Qt here.
#pragma once

struct TSession;
struct TTOOL_HOLDER_tmp;

// The program's tool table, rebuilt first when the program or the definitions changed.
const TTOOL_HOLDER_tmp& view_tool_magazine(TSession& s);

// The cutter radius of tool t from the program's tool table: false when the table has no
// set tool t or its diameter is not above 0.
bool view_tool_radius(TSession& s, int t, float& radius);

// The program's tool table rebuilt from its tool changes and tool-definition lines.
void set_TOOL_defs(TSession& s);

// The ball radius of tool t in the tool table (ball and taper-ball end mills), else 0.
double tool_ball_radius(TSession& s, int t);

// Builds the outline and the cutting shape of tool t: an invalid outline for a slot of
// kind 0, which cuts with the fallback shape; no shape for a tool without a slot.
void show_view_tool(TSession& s, int t);
