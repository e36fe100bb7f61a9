#pragma once
// The scale rule of the whole view: every length is given in DIPs and drawn at
// the window's DPI / 96 device pixels per DIP.

#include <cstdint>

namespace gfx {

// The DPI at which one DIP is one device pixel.
inline constexpr std::uint32_t kBaseDpi = 96;

// Device pixels per DIP at `dpi`; a DPI not known yet (0) counts as kBaseDpi.
constexpr float view_scale(std::uint32_t dpi) {
  return dpi ? static_cast<float>(dpi) / static_cast<float>(kBaseDpi) : 1.0f;
}

// The DPI a window is sized and drawn for: what the system reports for it, but
// never less than kBaseDpi (a window is never made smaller than at 96 DPI).
constexpr std::uint32_t window_dpi(std::uint32_t system_dpi) { return system_dpi < kBaseDpi ? kBaseDpi : system_dpi; }

}  // namespace gfx
