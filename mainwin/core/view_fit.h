// Fitting the path and the works into the 3D view, on the view's CPU matrices (no context).
#pragma once
#include "simulation/gl_view.h"

struct ViewBox {
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  bool valid = false;
};

// Fits the path extents, widened by the works' box, into the view's panel: scene size,
// base scale, zoom 1, the centre shift on the path's centre, then rescaled so the projected
// path box and the axis figure (`axis_px` pixels) fill the panel less 10 pixels, and
// centred. A panel of 10 pixels or an empty projected box keeps the first estimate.
void view_fit(TGL_VIEW& v, const ViewBox& path, const ViewBox& works, double axis_px);
