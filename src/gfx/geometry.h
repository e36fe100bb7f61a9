#pragma once
// Plain rectangles and points in device pixels, shared by the layout and the
// drawing code.

namespace gfx {

struct PointF {
  float x = 0, y = 0;

  friend bool operator==(const PointF&, const PointF&) = default;
};

// Origin plus size, as every drawing operation takes it.
struct RectF {
  float x = 0, y = 0, w = 0, h = 0;

  constexpr float right() const { return x + w; }
  constexpr float bottom() const { return y + h; }
  constexpr bool contains(float px, float py) const { return px >= x && px < x + w && py >= y && py < y + h; }
  // The rectangle shrunk by `d` on every side (grown when `d` is negative).
  constexpr RectF inset(float d) const { return {x + d, y + d, w - 2 * d, h - 2 * d}; }

  friend bool operator==(const RectF&, const RectF&) = default;
};

}  // namespace gfx
