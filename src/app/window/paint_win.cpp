#include "app/window/paint_win.h"

#include <string>

#include "app/view/colours.h"
#include "app/view/focus.h"
#include "app/view/view_text.h"
#include "app/window/paint_internal_win.h"
#include "gfx/icons.h"
#include "gfx/view_scale.h"
#include "lang/lang.h"

namespace app {
namespace {

using gfx::Color;
using gfx::RectF;
using gfx::TextFormat;
using paint::Frame;
using paint::hairline;

void paint_sidebar_row(const Frame& f, const SidebarRow& row) {
  const bundle::Bundle& bundle = f.state.store.bundles[row.bundle];
  const bool selected = f.state.selected_bundle == row.bundle;
  const bool hovered = f.hovered(RegionKind::bundle_row, row.bundle) || f.hovered(RegionKind::bundle_open, row.bundle);
  const bool drop_target = f.state.drop_target && f.state.drop_target->bundle == row.bundle;
  const float radius = 10 * f.scale;

  f.gfx.fill_rounded(row.rect, radius, f.palette.surface_alt);
  if (selected) {
    f.gfx.fill_rounded(row.rect, radius, f.selection_fill());
  } else if (hovered) {
    f.gfx.fill_rounded(row.rect, radius, f.tint(f.palette.text_muted, 0.08f));
  }
  if (drop_target || (f.palette.high_contrast && selected)) {
    paint::outline(f.gfx, row.rect, radius, 2 * f.scale, f.palette.accent);
  } else if (f.palette.high_contrast && hovered) {
    paint::outline(f.gfx, row.rect, radius, 2 * f.scale, f.palette.hot);
  } else {
    hairline(f.gfx, row.rect, radius, selected ? f.soft(f.palette.accent, 0.55f) : f.palette.border);
  }

  f.gfx.draw_text(bundle.name, row.name, f.palette.text, TextFormat::body_bold);
  f.gfx.draw_text(view_text::item_count(bundle.items.size()), row.count,
                  f.palette.text_muted, TextFormat::caption);

  const float alpha = f.hovered(RegionKind::bundle_open, row.bundle) ? 0.85f : 1.0f;
  f.gfx.fill_rounded(row.open, 8 * f.scale, f.soft(f.palette.accent, alpha));
  f.gfx.draw_text(row.open_label, row.open, f.palette.accent_text, TextFormat::body_bold, true);
}

void paint_sidebar(const Frame& f) {
  const ViewLayout& layout = f.layout;
  const float scale = f.scale;
  f.gfx.fill_rounded({0, 0, layout.sidebar_width, layout.height}, 0, f.palette.surface);

  for (const SidebarRow& row : layout.rows) {
    if (row.bundle < f.state.store.bundles.size()) paint_sidebar_row(f, row);
  }
  // The list scrolls under the buttons above it: they are drawn over it.
  const float list_cover = layout.list_top - 4 * scale;
  if (paint::any_row_above(layout.rows, list_cover)) {
    f.gfx.fill_rounded({0, 0, layout.sidebar_width, list_cover}, 0, f.palette.surface);
  }

  if (layout.empty_list) {
    const std::string text = f.state.store.bundles.empty()
                                 ? std::string(view_text::no_bundles_yet())
                                 : lang::fill(view_text::no_bundle_matches(), {f.state.search_text});
    f.gfx.draw_text(text, *layout.empty_list, f.palette.text_muted, TextFormat::body, true);
  }

  f.gfx.draw_text(view_text::kProductName, {20 * scale, 0, layout.sidebar_width - 40 * scale, layout.top},
                  f.palette.text, TextFormat::title);

  const std::string_view label = view_text::new_bundle();
  f.gfx.fill_rounded(layout.new_bundle, 8 * scale,
                     f.tint(f.palette.text_muted, f.hovered(RegionKind::new_bundle) ? 0.18f : 0.10f));
  paint::contrast_edge(f, layout.new_bundle, 8 * scale, f.hovered(RegionKind::new_bundle));
  paint::icon_and_label(f, layout.new_bundle, gfx::icon_plus, 18 * scale, label,
                        f.gfx.line_width(label, TextFormat::body_bold), 26 * scale, f.palette.text);

  if (layout.search_box) {
    const RectF box = *layout.search_box;
    f.gfx.fill_rounded(box, 8 * scale, f.palette.surface_alt);
    hairline(f.gfx, box, 8 * scale, f.palette.border);
    f.gfx.draw_icon(gfx::icon_search, {box.x, box.y, 34 * scale, box.h}, 16 * scale, f.palette.text_muted);
  }

  f.gfx.fill_rounded({layout.sidebar_width - 1, layout.top, 1, layout.height - layout.top}, 0, f.palette.border);
}

void paint_settings_button(const Frame& f) {
  if (f.hovered(RegionKind::settings_menu)) {
    f.gfx.fill_rounded(f.layout.settings, 8 * f.scale, f.tint(f.palette.text_muted, 0.18f));
  }
  f.gfx.draw_icon(gfx::icon_menu, f.layout.settings, 20 * f.scale, f.palette.text);
}

void paint_welcome(const Frame& f) {
  const WelcomeLayout& welcome = *f.layout.welcome;
  f.gfx.draw_text(view_text::welcome_title(), welcome.title, f.palette.text, TextFormat::title);
  if (const auto paragraph = f.gfx.wrapped_layout(view_text::welcome_paragraph(), welcome.paragraph.w)) {
    f.gfx.draw_layout(paragraph.Get(), {welcome.paragraph.x, welcome.paragraph.y}, f.palette.text_muted);
  }
  const float alpha = f.hovered(RegionKind::create_first_bundle) ? 0.85f : 1.0f;
  f.gfx.fill_rounded(welcome.create, 9 * f.scale, f.soft(f.palette.accent, alpha));
  f.gfx.draw_text(view_text::create_first_bundle(), welcome.create, f.palette.accent_text, TextFormat::body_bold, true);
  f.gfx.draw_text(view_text::welcome_drop_hint(), welcome.hint, f.palette.text_muted, TextFormat::caption);
}

void paint_toast(const Frame& f) {
  if (!f.layout.toast || !f.state.toast) return;
  const ToastLayout& toast = *f.layout.toast;
  if (f.palette.high_contrast) {
    // The system's pairs: text on window, the action as a highlighted button.
    f.gfx.fill_rounded(toast.bar, 8 * f.scale, f.palette.surface);
    paint::outline(f.gfx, toast.bar, 8 * f.scale, 2 * f.scale, f.palette.text);
    f.gfx.draw_text(f.state.toast->text, toast.text, f.palette.text, TextFormat::body, toast.text_centred);
    if (toast.action) {
      f.gfx.fill_rounded(*toast.action, 6 * f.scale, f.palette.accent);
      if (f.hovered(RegionKind::toast_action)) paint::outline(f.gfx, *toast.action, 6 * f.scale, 2 * f.scale, f.palette.hot);
      f.gfx.draw_text(toast.action_label, *toast.action, f.palette.accent_text, TextFormat::body_bold, true);
    }
    return;
  }
  f.gfx.fill_rounded(toast.bar, 8 * f.scale, gfx::kToastBar);
  f.gfx.draw_text(f.state.toast->text, toast.text, gfx::kWhite, TextFormat::body, toast.text_centred);
  if (toast.action) {
    const float alpha = f.hovered(RegionKind::toast_action) ? 0.20f : 0.10f;
    f.gfx.fill_rounded(*toast.action, 6 * f.scale, gfx::kWhite.with_alpha(alpha));
    f.gfx.draw_text(toast.action_label, *toast.action, gfx::kUndoGreen, TextFormat::body_bold, true);
  }
}

// The keyboard focus: a 2-DIP ring just outside the element, in the text
// colour, which stands out against every surface of the palette (window text
// in high contrast). Drawn last, so that nothing covers it.
void paint_focus_ring(const Frame& f) {
  if (!f.state.focus_ring || !f.state.focus) return;
  const std::optional<RectF> rect = focus_rect(f.layout, f.state, *f.state.focus);
  if (!rect) return;
  const float width = 2 * f.scale;
  const float gap = 1 * f.scale;
  const RectF ring{rect->x - gap - width, rect->y - gap - width, rect->w + 2 * (gap + width),
                   rect->h + 2 * (gap + width)};
  paint::outline(f.gfx, ring, 10 * f.scale + gap + width, width, f.palette.text);
}

}  // namespace

namespace paint {

void icon_and_label(const Frame& f, RectF button, std::string_view icon, float icon_size, std::string_view label,
                    float label_width, float gap, Color color) {
  const float group = label_width + gap;
  const float x = button.x + (button.w - group) / 2;
  f.gfx.draw_icon(icon, {x, button.y, icon_size, button.h}, icon_size, color);
  // The label may use the rest of the button, so that rounding never trims it.
  f.gfx.draw_text(label, {x + gap, button.y, std::max(0.0f, button.right() - (x + gap)), button.h}, color,
                  TextFormat::body_bold);
}

}  // namespace paint

void paint_layout(gfx::Gfx& g, const AppState& state, const ViewLayout& layout, IconCache& icons) {
  const gfx::Palette colours = view_palette(state);
  const Frame f{g, state, layout, icons, colours, layout.scale};
  paint_sidebar(f);
  if (layout.content) {
    paint::paint_content(f);
  } else if (layout.welcome) {
    paint_welcome(f);
  } else {
    g.draw_text(view_text::choose_a_bundle(), layout.nothing_selected, f.palette.text_muted, TextFormat::body);
  }
  paint_settings_button(f);
  if (layout.content) paint::paint_dragged_row(f);
  paint_toast(f);
  paint_focus_ring(f);
}

ViewLayout paint_view(gfx::Gfx& g, AppState& state, IconCache& icons) {
  // A copy: clamping the scroll offsets may make the kept layout stale.
  ViewLayout layout = kept_layout(state, &g);
  clamp_scrolls(state, layout);
  // What the focus rested on may have gone since the last frame (an item
  // removed, the toast gone); it moves on before the ring is drawn.
  state.focus = repaired_focus(layout, state, state.focus, state.focus_before_toast);
  paint_layout(g, state, layout, icons);
  return layout;
}

}  // namespace app
