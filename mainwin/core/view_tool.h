// The displayed tool of the 3D view: at each displayed tool change the outline of the tool
// and holder of its magazine slot is built, and the tool shape that cutting works with is
// set from the same slot. The magazine is the program's tool table (its tool changes and
// tool-definition lines), rebuilt when the program or the definitions changed. No Qt here.
#pragma once

struct TSession;

// The program's tool table rebuilt from its tool changes and tool-definition lines.
void set_TOOL_defs(TSession& s);

// Builds the outline and the cutting shape of tool t: an invalid outline for a slot of
// kind 0, which cuts with the fallback shape; no shape for a tool without a slot.
void show_view_tool(TSession& s, int t);
