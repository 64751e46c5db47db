// The cutter path of one tool use drawn off-screen for the tool list's HTML pages: the use's
// blocks become the drawing range of the picture (with the works cut along them while
// cutting is on), the 3D view renders it, and the main view's range and position are put
// back. GL through the view, no widgets.
#pragma once
#include <memory>

#include "tooling/core/g2_canvas.h"

struct TSession;
class TVLM_view;

// Tool use `seg` of the last whole-program run (-1: the whole program) at this size into
// `out` (null when there is no program, no such use or no off-screen picture). False when
// the user pressed Escape during the run or the drawing, or the cutting engine aborted;
// `out` is then null.
bool draw_tool_path_picture(TSession& s, TVLM_view& view, int seg, int width, int height,
                            std::shared_ptr<const TG2_picture>& out);
