#pragma once
// Small helpers shared by the gfx_*_win.cpp files.

#include <windows.h>
#include <d2d1.h>

#include "gfx/geometry.h"
#include "gfx/palette.h"

namespace gfx::detail {

inline D2D1_COLOR_F to_d2d(Color c) { return {c.r, c.g, c.b, c.a}; }
inline D2D1_RECT_F to_d2d(RectF r) { return {r.x, r.y, r.x + r.w, r.y + r.h}; }
inline D2D1_POINT_2F to_d2d(PointF p) { return {p.x, p.y}; }

inline D2D1_MATRIX_3X2_F identity() {
  D2D1_MATRIX_3X2_F m{};
  m._11 = 1;
  m._22 = 1;
  return m;
}

// A call that reports success but hands back no object counts as E_POINTER.
template <class Ptr>
HRESULT made(HRESULT hr, const Ptr& object) {
  return SUCCEEDED(hr) && !object ? E_POINTER : hr;
}

}  // namespace gfx::detail
