#pragma once
// The rendering resources that need no device: the Direct2D and DirectWrite
// factories, the text formats, the stroke styles, the icon geometries and the
// text layouts kept between frames. A window keeps them for its whole life and
// hands them to each rendering context (gfx::Gfx) it makes, so that a lost
// device costs only what depends on the device. Used from one thread at a time.

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <array>
#include <cstddef>
#include <string_view>
#include <unordered_map>

#include "gfx/text_layout_cache_win.h"
#include "gfx/text_measure.h"

namespace gfx {

template <class T>
using ComPtr = Microsoft::WRL::ComPtr<T>;

inline constexpr std::size_t kTextFormats = 5;
// Enough for every text of several frames of a large window.
inline constexpr std::size_t kKeptTextLayouts = 256;

class Resources {
 public:
  // Takes the factories over and makes the stroke styles; the text formats
  // come with the first use_scale().
  Resources(ComPtr<ID2D1Factory1> factory, ComPtr<IDWriteFactory> dwrite);
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  ID2D1Factory1* factory() const { return factory_.Get(); }
  IDWriteFactory* dwrite() const { return dwrite_.Get(); }

  // The scale becomes `scale`; the text formats are made again for it, their
  // sizes times `text_scale` (Windows' text size), unless they were made for
  // that already, and the text layouts made from the old ones are forgotten.
  // If a format fails the old formats and layouts stay (the scale still
  // changes) and it returns that failure.
  HRESULT use_scale(float scale, float text_scale = 1.0f);
  float scale() const { return scale_; }
  // The format object of an index (null before the first use_scale()).
  IDWriteTextFormat* text_format(TextFormat format) const;
  // The trimming sign of a format, made on first use; null if it fails.
  IDWriteInlineObject* ellipsis(TextFormat format);

  // Round caps and joins for the icons; dashes for drop outlines. Null when
  // they could not be made (then strokes are drawn with the default style).
  ID2D1StrokeStyle* icon_stroke() const { return icon_stroke_.Get(); }
  ID2D1StrokeStyle* dash_stroke() const { return dash_stroke_.Get(); }

  // The geometry of an icon path (see Gfx::draw_icon), built on first use and
  // kept by the address of the path's characters.
  ID2D1PathGeometry* geometry_for(std::string_view path, HRESULT& hr);
  std::size_t cached_geometries() const { return geometries_.size(); }

  TextLayoutCache& text_layouts() { return text_layouts_; }
  const TextLayoutCache& text_layouts() const { return text_layouts_; }

 private:
  ComPtr<ID2D1Factory1> factory_;
  ComPtr<IDWriteFactory> dwrite_;
  std::array<ComPtr<IDWriteTextFormat>, kTextFormats> formats_;
  std::array<ComPtr<IDWriteInlineObject>, kTextFormats> ellipses_;  // made on first use per format
  float scale_ = 1.0f;
  float format_scale_ = 0.0f;  // the scale × text scale the formats were made for; 0 before any
  ComPtr<ID2D1StrokeStyle> icon_stroke_;
  ComPtr<ID2D1StrokeStyle> dash_stroke_;
  std::unordered_map<const char*, ComPtr<ID2D1PathGeometry>> geometries_;
  TextLayoutCache text_layouts_{kKeptTextLayouts};
};

}  // namespace gfx
