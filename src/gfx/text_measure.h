#pragma once
// Text measurement for the layout: DirectWrite in the window, fixed widths
// without a rendering context, a fake in tests.

#include <string_view>

namespace gfx {

// The five text formats of the window.
enum class TextFormat { caption = 0, body = 1, body_bold = 2, title = 3, symbols = 4 };

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // Width of one line of text (no wrapping) in pixels.
  virtual float line_width(std::string_view text, TextFormat format) = 0;
  // Height of text wrapped at `max_width` in the body format.
  virtual float wrapped_height(std::string_view text, float max_width) = 0;
};

}  // namespace gfx
