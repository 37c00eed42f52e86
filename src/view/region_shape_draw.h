// Draws one figure on a picture region's DC: the plan of
// image/edit/region_shape.h carried out with GDI.
#pragma once

#include <windows.h>

#include "image/edit/region_shape.h"

namespace view {

// Plans the figure and draws it on `dc` with a pen and brush of its own;
// the DC's pen and brush are put back and the objects deleted. The DC's
// background colour is left as the figure sets it (kind 5). Returns 0.
int DrawRegionShape(HDC dc, const image::ShapeInput& in);

}  // namespace view
