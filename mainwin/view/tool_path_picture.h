// The cutter path of one tool use drawn off-screen for the tool list's HTML pages: the use's
// blocks become the drawing range of the picture (with the works cut along them while
// cutting is on), the 3D view renders it, and the main view's range and position are put
// back. GL through the view, no widgets.
#pragma once
#include <memory>

#include <string>

#include "tooling/core/g2_canvas.h"

struct TSession;
class TVLM_view;
class TVLM_ui;

// Tool use `seg` of the last whole-program run at this size into `out`: the use is run
// (cutting the works while cutting is on) and drawn with its path and the tool; -1 draws the
// present state, -2 the present works alone, 10000 + n use n's works alone. `white` puts it
// on a white background. While the use runs the main window's caption shows the progress;
// the caption shown before comes back. False, with `out` null, when there is no program,
// the view is drawing, there is no such use, the user pressed Escape during the run or the
// drawing, or the cutting engine aborted.
bool draw_tool_path_picture(TSession& s, TVLM_view& view, TVLM_ui& ui, int seg, int width,
                            int height, bool white, std::shared_ptr<const TG2_picture>& out);

// The caption of the main window while tool use `use` runs.
std::string tool_path_caption(const TSession& s, int use);
