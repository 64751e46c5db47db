// Drawing a wire outline of a tool or holder in the current OpenGL context.
#pragma once
#include "simulation/tool_records.h"

// Each run as one line strip, at most the first 254 points in all; an empty outline draws
// nothing. Colour, line width and stipple are the caller's.
void draw_outline_GL(const TTOOL_OUTLINE& o);
