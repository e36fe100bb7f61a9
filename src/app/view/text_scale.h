#pragma once
// Windows' "Text size" (Settings › Accessibility): a percentage that makes the
// text of programs larger on top of the display's scale. tolvik draws its text
// that much larger and makes the rows holding text taller with it; icons and
// the gaps between rows stay at the display's scale.
// Defined in text_scale.cpp, text_scale_win.cpp.

#include <cstdint>
#include <optional>

namespace app {

struct AppState;

// The range Windows offers; a value outside it is not one Settings writes.
inline constexpr std::uint32_t kTextScaleMinPercent = 100;
inline constexpr std::uint32_t kTextScaleMaxPercent = 225;

// The factor of a stored percentage: 1 when there is none or it is out of range.
float text_scale_factor(std::optional<std::uint32_t> percent);

// Takes the system's text size when it changed: the kept layout goes and a
// frame is asked for. True when it changed.
bool follow_text_scale(AppState& state);

}  // namespace app
