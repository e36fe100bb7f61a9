#pragma once
// The view's scale factor: every length is given in DIPs and drawn at DPI / 96.

#include <cstdint>

namespace app {

constexpr float view_scale(std::uint32_t dpi) { return dpi ? static_cast<float>(dpi) / 96.0f : 1.0f; }

}  // namespace app
