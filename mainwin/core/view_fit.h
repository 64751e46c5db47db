// Fitting the path and the works into the 3D view, on the view's CPU matrices (no context).
#pragma once
#include <string>
#include <vector>

#include "simulation/gl_view.h"

struct ViewBox {
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  bool valid = false;
};

// One of the extents box's dimension texts: its text, label mode and origin.
struct ViewDimText {
  std::string text;
  int mode = 1;
  double x = 0, y = 0, z = 0;
};
// The three dimension texts of the extents box in text height h (world units): the X size
// below the front edge, the Y size right of the box, the Z size at its front right edge.
std::vector<ViewDimText> view_dimension_texts(const ViewBox& box, double h);

// Fits the path extents, widened by the works' box, into the view's panel: scene size,
// base scale, zoom 1, the centre shift on the path's centre, then rescaled so the projected
// path box, the axis figure (`axis_px` pixels) and the dimension texts (`dim_px` pixels
// high, 0 when the box is not shown) fill the panel less 10 pixels, and centred. A panel of
// 10 pixels or an empty projected box keeps the first estimate.
void fit_scale_ex(TGL_VIEW& v, const ViewBox& path, const ViewBox& works, double axis_px,
                  double dim_px = 0);
