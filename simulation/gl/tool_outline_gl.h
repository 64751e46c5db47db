// Drawing a wire outline of a tool or holder in the current OpenGL context.
#pragma once
#include "simulation/tool_outline.h"
#include "simulation/tool_records.h"

// Each run as one line strip, at most the first 254 points in all; an empty outline draws
// nothing. Colour, line width and stipple are the caller's.
void draw_outline_GL(const TTOOL_OUTLINE& o);

// Draws a valid outline set: with the tool switch the shank group (when there is a shank)
// and the cutting part (mode 1: the alternative group instead), with the holder switch the
// second holder (when used) and the holder. In each group the third record is drawn at half
// strength dotted, the first at full strength, the second at 0.6 dashed. `label` gets the
// set's label point with the tool switch on, (0, 0, 0) with it off; an invalid set draws
// nothing and leaves it as it was.
void draw_TOOL_HOLDER_GL(const TTOOL_OUTLINE_SET& s, bool tool, bool holder, int mode,
                         float label[3]);
