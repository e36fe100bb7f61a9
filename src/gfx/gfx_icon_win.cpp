// Vector icons: path strings built into geometries once, stroked every frame.
#include <vector>

#include "gfx/gfx_internal_win.h"
#include "gfx/gfx_win.h"
#include "gfx/icon_path.h"

namespace gfx {
namespace {

using detail::made;

constexpr float kIconBox = 20.0f;
constexpr float kIconStroke = 1.5f;  // box units: 1.5 px at 20, 1.2 px at 16

HRESULT build_geometry(ID2D1Factory1* factory, const std::vector<Segment>& segments,
                       ComPtr<ID2D1PathGeometry>& out) {
  ComPtr<ID2D1PathGeometry> geometry;
  HRESULT hr = made(factory->CreatePathGeometry(&geometry), geometry);
  if (FAILED(hr)) return hr;
  ComPtr<ID2D1GeometrySink> sink;
  hr = made(geometry->Open(&sink), sink);
  if (FAILED(hr)) return hr;

  // A line, arc or close with no open figure is handed to the sink as it is:
  // the sink then fails to close, and that is the path's error.
  bool figure_open = false;
  for (const Segment& s : segments) {
    const D2D1_POINT_2F point = detail::to_d2d(s.point);
    switch (s.type) {
      case SegmentType::begin:
        if (figure_open) sink->EndFigure(D2D1_FIGURE_END_OPEN);
        sink->BeginFigure(point, D2D1_FIGURE_BEGIN_HOLLOW);
        figure_open = true;
        break;
      case SegmentType::line:
        sink->AddLine(point);
        break;
      case SegmentType::arc: {
        const D2D1_ARC_SEGMENT arc{point, {s.radius, s.radius}, 0.0f,
                                   s.clockwise ? D2D1_SWEEP_DIRECTION_CLOCKWISE
                                               : D2D1_SWEEP_DIRECTION_COUNTER_CLOCKWISE,
                                   s.large ? D2D1_ARC_SIZE_LARGE : D2D1_ARC_SIZE_SMALL};
        sink->AddArc(&arc);
        break;
      }
      case SegmentType::close:
        sink->EndFigure(D2D1_FIGURE_END_CLOSED);
        figure_open = false;
        break;
    }
  }
  if (figure_open) sink->EndFigure(D2D1_FIGURE_END_OPEN);
  hr = sink->Close();
  if (FAILED(hr)) return hr;
  // The same rule, checked on our side too, so that every Direct2D refuses
  // the same paths.
  if (!segments_buildable(segments)) return D2DERR_WRONG_STATE;
  out = std::move(geometry);
  return S_OK;
}

}  // namespace

ID2D1PathGeometry* Resources::geometry_for(std::string_view path, HRESULT& hr) {
  const auto found = geometries_.find(path.data());
  if (found != geometries_.end()) {
    hr = S_OK;
    return found->second.Get();
  }
  ComPtr<ID2D1PathGeometry> geometry;
  hr = build_geometry(factory_.Get(), parse_icon_path(path), geometry);
  if (FAILED(hr)) return nullptr;  // not cached: tried again, and refused again, on the next draw
  return geometries_.emplace(path.data(), std::move(geometry)).first->second.Get();
}

HRESULT Gfx::draw_icon(std::string_view path, RectF box, float icon_size, Color color) {
  HRESULT hr = S_OK;
  ID2D1PathGeometry* geometry = resources_->geometry_for(path, hr);
  if (!geometry || !in_frame_) return hr;

  // Box point (10, 10) lands on the centre of `box`, scaled by k.
  const float k = icon_size / kIconBox;
  D2D1_MATRIX_3X2_F transform{};
  transform._11 = k;
  transform._22 = k;
  transform._31 = box.x + box.w / 2 - 10 * k;
  transform._32 = box.y + box.h / 2 - 10 * k;
  target_view_->SetTransform(&transform);
  set_color(color);
  target_view_->DrawGeometry(geometry, brush_.Get(), kIconStroke, resources_->icon_stroke());
  const D2D1_MATRIX_3X2_F identity = detail::identity();
  target_view_->SetTransform(&identity);
  return hr;
}

}  // namespace gfx
