// The rules of the tool settings window that need no window: which size fields a tool kind
// shows and how their labels read, the drawing line width, colour stepping, the tool-number
// scroll bar, the comment-line memo and taking a picked tool into the current slot. No Qt.
#pragma once
#include <string>
#include <vector>

#include "simulation/tool_records.h"

struct TKind_fields {
  bool panel = true;  // the size panel pnl2 (hidden for kind 0)
  bool diam = false, cornerR = false, kakudo = false, chk_area = false;
  const char* radius_label = "Ball-Ｒ";
  const char* edge_label = "カッターの刃(有効)長";
};
// The fields of a kind; a kind outside 0..20 gives those of kind 0.
TKind_fields kind_fields(int kind);

// "図の線幅": rounded half away from zero, then limited to 1..20 (NaN gives 1).
int zu_line_width(double v);
// A colour code stepped by +1 or -1, wrapping 63 to 0 and 0 to 63.
int step_color_code(int code, int delta);
// The tool-number scroll bar counts from the last item: position = count - index - 1.
int updown_position(int count, int index);
int updown_index(int count, int position);
// An item index outside 0..count-1 becomes 0.
int valid_slot_index(int count, int index);

// The memo of the current tool: in a magazine file the three lines of name, tool and holder;
// for the NC program's table the slot's two description texts, LF turned into CR LF.
std::vector<std::string> cutter_memo_lines(const TTTOOL_HOLDER_tmp& slot, const TTOOL& tool,
                                           const THOLDER& holder, bool magazine_file);

// A tool picked from a list replaces the current one but keeps its tool number (also as the
// holder's number). Kind 0 changes nothing; returns whether it was taken.
bool take_picked_tool(const TTTOOL_HOLDER_tmp& picked, TTOOL& tool, THOLDER& holder);

// The tool-number selector's item texts ("%3d" of each slot's tool number).
std::vector<std::string> tool_number_items(const TTOOL_HOLDER_tmp& m);
