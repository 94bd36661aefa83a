// The add-on's own pictures (icon and bitmap resources, BMP files) as cairo
// surfaces at their stored size.
#pragma once

#include <cairo.h>

#include "GSRoot.hpp"

namespace velmora::render {

// [any thread] Decodes image `id` of resource type `type` (IcoResType or
// BmpResType) of an open resource module. Returns a new surface that the caller
// owns (cairo_surface_destroy), or null when the resource is missing or is not a
// readable picture.
cairo_surface_t* LoadResourcePicture(GSResModule module, GSResType type, GSResID id);

} // namespace velmora::render
