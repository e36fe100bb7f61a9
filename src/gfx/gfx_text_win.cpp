// Text: single-line and wrapped layouts, kept between frames; measuring.
#include <cmath>
#include <string>

#include "base/utf.h"
#include "gfx/gfx_internal_win.h"
#include "gfx/gfx_win.h"

namespace gfx {
namespace {

using detail::made;

constexpr float kSingleLineMaxHeight = 1000.0f;
constexpr float kWrappedMaxHeight = 10000.0f;
// Wide enough for any line of the window; a measured line never trims.
constexpr float kUnlimitedWidth = 1.0e6f;

}  // namespace

ComPtr<IDWriteTextLayout> Gfx::single_line_layout(std::string_view text, float max_width, TextFormat format,
                                                  bool centred) {
  const TextLayoutKey key{text, format, std::max(max_width, 1.0f), false, centred};
  TextLayoutCache& kept = resources_->text_layouts();
  if (ComPtr<IDWriteTextLayout> layout = kept.find(key)) return layout;

  const std::wstring wide = base::widen(text);
  ComPtr<IDWriteTextLayout> layout;
  if (FAILED(made(resources_->dwrite()->CreateTextLayout(wide.data(), static_cast<UINT32>(wide.size()),
                                                         text_format(format), key.max_width, kSingleLineMaxHeight,
                                                         &layout),
                  layout))) {
    return nullptr;
  }
  // Failures of these settings only change the looks; the text still draws.
  layout->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
  DWRITE_TRIMMING trimming{};
  trimming.granularity = DWRITE_TRIMMING_GRANULARITY_CHARACTER;
  layout->SetTrimming(&trimming, resources_->ellipsis(format));
  layout->SetTextAlignment(centred ? DWRITE_TEXT_ALIGNMENT_CENTER : DWRITE_TEXT_ALIGNMENT_LEADING);
  kept.keep(key, layout);
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
  const TextLayoutKey key{text, TextFormat::body, std::max(max_width, 1.0f), true, false};
  TextLayoutCache& kept = resources_->text_layouts();
  if (ComPtr<IDWriteTextLayout> layout = kept.find(key)) return layout;

  const std::wstring wide = base::widen(text);
  ComPtr<IDWriteTextLayout> layout;
  if (FAILED(made(resources_->dwrite()->CreateTextLayout(wide.data(), static_cast<UINT32>(wide.size()),
                                                         text_format(TextFormat::body), key.max_width,
                                                         kWrappedMaxHeight, &layout),
                  layout))) {
    return nullptr;
  }
  layout->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);
  layout->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
  kept.keep(key, layout);
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
