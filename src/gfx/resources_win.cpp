#include "gfx/resources_win.h"

#include <utility>

#include "gfx/gfx_internal_win.h"
#include "gfx/text_style.h"

namespace gfx {
namespace {

using detail::made;

struct TextFormatLook {
  const wchar_t* family;
  DWRITE_FONT_WEIGHT weight;
  float size;  // DIPs
};

// In the order of TextFormat.
constexpr TextFormatLook kFormats[kTextFormats] = {
    {kTextFamily, DWRITE_FONT_WEIGHT_NORMAL, kCaptionTextSize},     // captions, counts, hints
    {kTextFamily, DWRITE_FONT_WEIGHT_NORMAL, kBodyTextSize},        // body; wrapped text
    {kTextFamily, DWRITE_FONT_WEIGHT_SEMI_BOLD, kBodyTextSize},     // names, buttons
    {kTextFamily, DWRITE_FONT_WEIGHT_SEMI_BOLD, kTitleTextSize},    // titles
    {kSymbolFamily, DWRITE_FONT_WEIGHT_NORMAL, kSymbolTextSize},    // symbols
};

std::size_t index_of(TextFormat format) {
  const auto i = static_cast<std::size_t>(format);
  return i < kTextFormats ? i : static_cast<std::size_t>(TextFormat::body);
}

// What tells one stroke style of the window from the other; the rest of the
// properties are the same for both.
struct StrokeLook {
  D2D1_CAP_STYLE line_caps;  // start and end
  D2D1_CAP_STYLE dash_cap;
  D2D1_LINE_JOIN join;
  float miter_limit;
  D2D1_DASH_STYLE dashes;
};

constexpr StrokeLook kIconStroke{D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_LINE_JOIN_ROUND, 0.0f,
                                 D2D1_DASH_STYLE_SOLID};
constexpr StrokeLook kDashStroke{D2D1_CAP_STYLE_FLAT, D2D1_CAP_STYLE_ROUND, D2D1_LINE_JOIN_MITER, 10.0f,
                                 D2D1_DASH_STYLE_DASH};

// Null when the factory refuses: the strokes are then drawn solid with
// default caps, which only changes the looks.
ComPtr<ID2D1StrokeStyle> make_stroke(ID2D1Factory1* factory, const StrokeLook& look) {
  D2D1_STROKE_STYLE_PROPERTIES1 props{};
  props.startCap = look.line_caps;
  props.endCap = look.line_caps;
  props.dashCap = look.dash_cap;
  props.lineJoin = look.join;
  props.miterLimit = look.miter_limit;
  props.dashStyle = look.dashes;
  props.dashOffset = 0.0f;
  props.transformType = D2D1_STROKE_TRANSFORM_TYPE_NORMAL;
  ComPtr<ID2D1StrokeStyle1> style;
  ComPtr<ID2D1StrokeStyle> out;
  if (SUCCEEDED(made(factory->CreateStrokeStyle(&props, nullptr, 0, &style), style))) style.As(&out);
  return out;
}

}  // namespace

Resources::Resources(ComPtr<ID2D1Factory1> factory, ComPtr<IDWriteFactory> dwrite)
    : factory_(std::move(factory)), dwrite_(std::move(dwrite)) {
  if (factory_) {
    icon_stroke_ = make_stroke(factory_.Get(), kIconStroke);
    dash_stroke_ = make_stroke(factory_.Get(), kDashStroke);
  }
}

HRESULT Resources::use_scale(float scale, float text_scale) {
  scale_ = scale;
  const float type_scale = scale * text_scale;
  if (format_scale_ == type_scale && formats_[0]) return S_OK;
  if (!dwrite_) return E_POINTER;
  std::array<ComPtr<IDWriteTextFormat>, kTextFormats> fresh;
  for (std::size_t i = 0; i < kTextFormats; ++i) {
    const TextFormatLook& look = kFormats[i];
    const HRESULT hr = made(dwrite_->CreateTextFormat(look.family, nullptr, look.weight, DWRITE_FONT_STYLE_NORMAL,
                                                      DWRITE_FONT_STRETCH_NORMAL, look.size * type_scale, L"", &fresh[i]),
                            fresh[i]);
    if (FAILED(hr)) return hr;
  }
  formats_ = std::move(fresh);
  format_scale_ = type_scale;
  for (auto& sign : ellipses_) sign.Reset();  // made from the old formats
  text_layouts_.clear();                      // and so were these
  return S_OK;
}

IDWriteTextFormat* Resources::text_format(TextFormat format) const { return formats_[index_of(format)].Get(); }

IDWriteInlineObject* Resources::ellipsis(TextFormat format) {
  ComPtr<IDWriteInlineObject>& sign = ellipses_[index_of(format)];
  if (!sign && text_format(format)) {
    if (FAILED(made(dwrite_->CreateEllipsisTrimmingSign(text_format(format), &sign), sign))) sign.Reset();
  }
  return sign.Get();
}

}  // namespace gfx
