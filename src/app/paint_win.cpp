#include "app/paint_win.h"

#include <string>

#include "app/paint_internal_win.h"
#include "app/view_scale.h"
#include "app/view_text.h"
#include "gfx/icons.h"
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
  const float radius = 10 * f.s;

  f.g.fill_rounded(row.rect, radius, f.palette.surface_alt);
  if (selected) {
    f.g.fill_rounded(row.rect, radius, f.selection_fill());
  } else if (hovered) {
    f.g.fill_rounded(row.rect, radius, f.palette.text_muted.with_alpha(0.08f));
  }
  if (drop_target) {
    paint::outline(f.g, row.rect, radius, 2 * f.s, f.palette.accent);
  } else {
    hairline(f.g, row.rect, radius, selected ? f.palette.accent.with_alpha(0.55f) : f.palette.border);
  }

  f.g.draw_text(bundle.name, row.name, f.palette.text, TextFormat::body_bold);
  f.g.draw_text(lang::fill(view_text::item_count(), {std::to_string(bundle.items.size())}), row.count,
                f.palette.text_muted, TextFormat::caption);

  const bool opening = f.state.opening && *f.state.opening == bundle.id;
  const float alpha = f.hovered(RegionKind::bundle_open, row.bundle) ? 0.85f : 1.0f;
  f.g.fill_rounded(row.open, 8 * f.s, f.palette.accent.with_alpha(alpha));
  f.g.draw_text(opening ? view_text::kRowOpening : view_text::open(), row.open, gfx::kWhite, TextFormat::body_bold,
                true);
}

void paint_sidebar(const Frame& f) {
  const ViewLayout& v = f.v;
  const float s = f.s;
  f.g.fill_rounded({0, 0, v.sidebar_width, v.height}, 0, f.palette.surface);

  for (const SidebarRow& row : v.rows) {
    if (row.bundle < f.state.store.bundles.size()) paint_sidebar_row(f, row);
  }
  // The list scrolls under the buttons above it: they are drawn over it.
  f.g.fill_rounded({0, 0, v.sidebar_width, v.list_top - 4 * s}, 0, f.palette.surface);

  if (v.empty_list) {
    const std::string text = f.state.store.bundles.empty()
                                 ? std::string(view_text::no_bundles_yet())
                                 : lang::fill(view_text::no_bundle_matches(), {f.state.search_text});
    f.g.draw_text(text, *v.empty_list, f.palette.text_muted, TextFormat::body, true);
  }

  f.g.draw_text(view_text::kProductName, {20 * s, 0, v.sidebar_width - 40 * s, v.top}, f.palette.text,
                TextFormat::title);

  const std::string_view label = view_text::new_bundle();
  f.g.fill_rounded(v.new_bundle, 8 * s,
                   f.palette.text_muted.with_alpha(f.hovered(RegionKind::new_bundle) ? 0.18f : 0.10f));
  paint::icon_and_label(f, v.new_bundle, gfx::icon_plus, 18 * s, label,
                        f.g.line_width(label, TextFormat::body_bold), 26 * s, f.palette.text);

  if (v.search_box) {
    const RectF box = *v.search_box;
    f.g.fill_rounded(box, 8 * s, f.palette.surface_alt);
    hairline(f.g, box, 8 * s, f.palette.border);
    f.g.draw_icon(gfx::icon_search, {box.x, box.y, 34 * s, box.h}, 16 * s, f.palette.text_muted);
  }

  f.g.fill_rounded({v.sidebar_width - 1, v.top, 1, v.height - v.top}, 0, f.palette.border);
}

void paint_settings_button(const Frame& f) {
  if (f.hovered(RegionKind::settings_menu)) {
    f.g.fill_rounded(f.v.settings, 8 * f.s, f.palette.text_muted.with_alpha(0.18f));
  }
  f.g.draw_icon(gfx::icon_menu, f.v.settings, 20 * f.s, f.palette.text);
}

void paint_welcome(const Frame& f) {
  const WelcomeLayout& w = *f.v.welcome;
  f.g.draw_text(view_text::welcome_title(), w.title, f.palette.text, TextFormat::title);
  if (const auto paragraph = f.g.wrapped_layout(view_text::welcome_paragraph(), w.paragraph.w)) {
    f.g.draw_layout(paragraph.Get(), {w.paragraph.x, w.paragraph.y}, f.palette.text_muted);
  }
  const float alpha = f.hovered(RegionKind::create_first_bundle) ? 0.85f : 1.0f;
  f.g.fill_rounded(w.create, 9 * f.s, f.palette.accent.with_alpha(alpha));
  f.g.draw_text(view_text::create_first_bundle(), w.create, gfx::kWhite, TextFormat::body_bold, true);
  f.g.draw_text(view_text::welcome_drop_hint(), w.hint, f.palette.text_muted, TextFormat::caption);
}

void paint_toast(const Frame& f) {
  if (!f.v.toast || !f.state.toast) return;
  const ToastLayout& t = *f.v.toast;
  f.g.fill_rounded(t.bar, 8 * f.s, gfx::kToastBar);
  f.g.draw_text(f.state.toast->text, t.text, gfx::kWhite, TextFormat::body, t.text_centred);
  if (t.undo) {
    const float alpha = f.hovered(RegionKind::undo) ? 0.20f : 0.10f;
    f.g.fill_rounded(*t.undo, 6 * f.s, gfx::kWhite.with_alpha(alpha));
    f.g.draw_text(view_text::undo(), *t.undo, gfx::kUndoGreen, TextFormat::body_bold, true);
  }
}

}  // namespace

namespace paint {

void icon_and_label(const Frame& f, RectF button, std::string_view icon, float icon_size, std::string_view label,
                    float label_width, float gap, Color color) {
  const float group = label_width + gap;
  const float x = button.x + (button.w - group) / 2;
  f.g.draw_icon(icon, {x, button.y, icon_size, button.h}, icon_size, color);
  // The label may use the rest of the button, so that rounding never trims it.
  f.g.draw_text(label, {x + gap, button.y, std::max(0.0f, button.right() - (x + gap)), button.h}, color,
                TextFormat::body_bold);
}

}  // namespace paint

void paint_layout(gfx::Gfx& g, const AppState& state, const ViewLayout& layout, IconCache& icons) {
  const Frame f{g, state, layout, icons, gfx::palette(state.dark), layout.scale};
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
}

ViewLayout paint_view(gfx::Gfx& g, AppState& state, IconCache& icons) {
  ViewLayout layout = layout_view(state, &g);
  clamp_scrolls(state, layout);
  paint_layout(g, state, layout, icons);
  return layout;
}

}  // namespace app
