// Text: the five formats, single-line and wrapped layouts, measuring.
#include <cmath>
#include <string>

#include "base/utf.h"
#include "gfx/gfx_internal_win.h"
#include "gfx/gfx_win.h"

namespace gfx {
namespace {

using detail::made;

struct FormatSpec {
  const wchar_t* family;
  DWRITE_FONT_WEIGHT weight;
  float size;  // DIPs
};

constexpr FormatSpec kFormats[5] = {
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 11.5f},          // captions, counts, hints
    {L"Segoe UI", DWRITE_FONT_WEIGHT_NORMAL, 13.0f},          // body; wrapped text
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 13.0f},       // names, buttons
    {L"Segoe UI", DWRITE_FONT_WEIGHT_SEMI_BOLD, 20.0f},       // titles
    {L"Segoe MDL2 Assets", DWRITE_FONT_WEIGHT_NORMAL, 16.0f},  // symbols
};

constexpr float kSingleLineMaxHeight = 1000.0f;
constexpr float kWrappedMaxHeight = 10000.0f;
// Wide enough for any line of the window; a measured line never trims.
constexpr float kUnlimitedWidth = 1.0e6f;

std::size_t index_of(TextFormat format) {
  const auto i = static_cast<std::size_t>(format);
  return i < 5 ? i : 1;
}

}  // namespace

HRESULT Gfx::make_text_formats(float scale, std::array<ComPtr<IDWriteTextFormat>, 5>& out) const {
  for (std::size_t i = 0; i < 5; ++i) {
    const FormatSpec& format_def = kFormats[i];
    ComPtr<IDWriteTextFormat> format;
    const HRESULT hr = made(dwrite_->CreateTextFormat(format_def.family, nullptr, format_def.weight, DWRITE_FONT_STYLE_NORMAL,
                                                      DWRITE_FONT_STRETCH_NORMAL, format_def.size * scale, L"", &format),
                            format);
    if (FAILED(hr)) return hr;
    out[i] = std::move(format);
  }
  return S_OK;
}

IDWriteTextFormat* Gfx::text_format(TextFormat format) const { return formats_[index_of(format)].Get(); }

IDWriteInlineObject* Gfx::ellipsis(TextFormat format) {
  ComPtr<IDWriteInlineObject>& sign = ellipses_[index_of(format)];
  if (!sign) {
    if (FAILED(made(dwrite_->CreateEllipsisTrimmingSign(text_format(format), &sign), sign))) sign.Reset();
  }
  return sign.Get();
}

ComPtr<IDWriteTextLayout> Gfx::single_line_layout(std::string_view text, float max_width, TextFormat format,
                                                  bool centred) {
  const std::wstring wide = base::widen(text);
  ComPtr<IDWriteTextLayout> layout;
  if (FAILED(made(dwrite_->CreateTextLayout(wide.data(), static_cast<UINT32>(wide.size()), text_format(format),
                                            std::max(max_width, 1.0f), kSingleLineMaxHeight, &layout),
                  layout))) {
    return nullptr;
  }
  // Failures of these settings only change the looks; the text still draws.
  layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
  DWRITE_TRIMMING trimming{};
  trimming.granularity = DWRITE_TRIMMING_GRANULARITY_CHARACTER;
  layout->SetTrimming(&trimming, ellipsis(format));
  layout->SetTextAlignment(centred ? DWRITE_TEXT_ALIGNMENT_CENTER : DWRITE_TEXT_ALIGNMENT_LEADING);
  return layout;
}

TextMetrics Gfx::layout_metrics(IDWriteTextLayout* layout) {
  DWRITE_TEXT_METRICS metrics{};
  if (!layout || FAILED(layout->GetMetrics(&metrics))) return {};
  return {metrics.width, metrics.height};
}

void Gfx::draw_text(std::string_view text, RectF rect, Color color, TextFormat format, bool centred) {
  if (!in_frame_) return;
  const ComPtr<IDWriteTextLayout> layout = single_line_layout(text, rect.w, format, centred);
  if (!layout) return;
  const float height = layout_metrics(layout.Get()).height;
  // Whole pixels keep the glyphs sharp; std::round takes halves away from zero.
  const D2D1_POINT_2F origin{rect.x, rect.y + std::round((rect.h - height) / 2)};
  set_color(color);
  target_view_->DrawTextLayout(origin, layout.Get(), brush_.Get(), D2D1_DRAW_TEXT_OPTIONS_CLIP);
}

TextMetrics Gfx::line_layout(std::string_view text, float max_width, TextFormat format, bool centred) {
  return layout_metrics(single_line_layout(text, max_width, format, centred).Get());
}

ComPtr<IDWriteTextLayout> Gfx::wrapped_layout(std::string_view text, float max_width) {
  const std::wstring wide = base::widen(text);
  ComPtr<IDWriteTextLayout> layout;
  if (FAILED(made(dwrite_->CreateTextLayout(wide.data(), static_cast<UINT32>(wide.size()),
                                            text_format(TextFormat::body), std::max(max_width, 1.0f),
                                            kWrappedMaxHeight, &layout),
                  layout))) {
    return nullptr;
  }
  layout->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
  layout->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
  return layout;
}

void Gfx::draw_layout(IDWriteTextLayout* layout, PointF origin, Color color) {
  if (!in_frame_ || !layout) return;
  set_color(color);
  target_view_->DrawTextLayout(detail::to_d2d(origin), layout, brush_.Get(), D2D1_DRAW_TEXT_OPTIONS_NONE);
}

float Gfx::line_width(std::string_view text, TextFormat format) {
  return line_layout(text, kUnlimitedWidth, format, false).width;
}

float Gfx::wrapped_height(std::string_view text, float max_width) {
  return layout_metrics(wrapped_layout(text, max_width).Get()).height;
}

}  // namespace gfx
