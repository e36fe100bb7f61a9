#pragma once
// Shared by the painting files: one frame's drawing context and small helpers.

#include <algorithm>
#include <vector>

#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/window/icon_cache_win.h"
#include "gfx/gfx_win.h"
#include "gfx/palette.h"

namespace app::paint {

struct Frame {
  gfx::Gfx& gfx;
  const AppState& state;
  const ViewLayout& layout;
  IconCache& icons;
  const gfx::Palette& palette;
  float scale;  // the layout's: DPI / 96

  bool hovered(RegionKind kind) const { return state.hover.kind == kind; }
  bool hovered(RegionKind kind, std::size_t index) const {
    return state.hover.kind == kind && state.hover.index == index;
  }
  // The tint of a selected row; none in high contrast, where the selected
  // row's outline in the highlight colour tells it.
  gfx::Color selection_fill() const { return tint(palette.accent, state.dark ? 0.16f : 0.10f); }
  // A translucent fill behind text. High contrast draws only the system's
  // own pairs, so there the tint is left out.
  gfx::Color tint(gfx::Color color, float alpha) const {
    return color.with_alpha(palette.high_contrast ? 0.0f : alpha);
  }
  // A softened line or mark: at full strength in high contrast, so that
  // every control stays visible.
  gfx::Color soft(gfx::Color color, float alpha) const {
    return palette.high_contrast ? color : color.with_alpha(alpha);
  }
  // The outline of a hovered control: the system's hot-tracking colour in
  // high contrast, the theme's own choice otherwise.
  gfx::Color hover_line(gfx::Color themed) const { return palette.high_contrast ? palette.hot : themed; }
  // An accent-coloured icon on a surface: window text in high contrast,
  // where the highlight colour is meant only behind highlight text.
  gfx::Color accent_mark() const { return palette.high_contrast ? palette.text : palette.accent; }
};

// A 1-pixel outline lying inside `r`.
inline void hairline(gfx::Gfx& g, gfx::RectF r, float radius, gfx::Color color) {
  g.stroke_rounded({r.x + 0.5f, r.y + 0.5f, r.w - 1, r.h - 1}, radius, 1, color);
}

// The edge of a control that is only a tint elsewhere: high contrast drops
// the tint, so the edge alone shows where the control is.
inline void contrast_edge(const Frame& f, gfx::RectF r, float radius, bool hovered) {
  if (f.palette.high_contrast) hairline(f.gfx, r, radius, hovered ? f.palette.hot : f.palette.text);
}

// An outline of `width` lying inside `r`.
inline void outline(gfx::Gfx& g, gfx::RectF r, float radius, float width, gfx::Color color) {
  g.stroke_rounded(r.inset(width / 2), radius, width, color);
}

// Whether a row starts above `y`: the headers drawn over a scrolled list
// cover something only then, and a fill of that size is not free.
template <class Row>
bool any_row_above(const std::vector<Row>& rows, float y) {
  return std::any_of(rows.begin(), rows.end(), [y](const Row& row) { return row.rect.y < y; });
}

// The box behind a native text field: a field-coloured fill with an accent outline.
inline void field_box(const Frame& f, gfx::RectF r, float radius) {
  f.gfx.fill_rounded(r, radius, f.palette.surface_alt);
  outline(f.gfx, r, radius, 1.5f * f.scale, f.palette.accent);
}

// An icon followed by a label, centred as one group in `button`; the label
// starts `gap` after the icon box's left edge.
void icon_and_label(const Frame& f, gfx::RectF button, std::string_view icon, float icon_size,
                    std::string_view label, float label_width, float gap, gfx::Color color);

// The content column of the selected bundle, its item rows last but the
// dragged one (drawn by paint_dragged_row after everything else of the column).
void paint_content(const Frame& f);
void paint_dragged_row(const Frame& f);

}  // namespace app::paint
