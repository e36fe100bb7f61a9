#pragma once
// The view's scale factor (gfx/view_scale.h), under the name the view uses.

#include "gfx/view_scale.h"

namespace app {

using gfx::view_scale;

}  // namespace app
