// The content column of the selected bundle: title, buttons, add bar, the
// web-address entry, the item rows with their icons, and the drop zone.

#include <algorithm>
#include <string>
#include <utility>

#include "app/opening/open.h"
#include "app/view/view_labels.h"
#include "app/view/view_text.h"
#include "app/window/paint_icons.h"
#include "app/window/paint_internal_win.h"
#include "gfx/icons.h"
#include "lang/lang.h"

namespace app::paint {
namespace {

using gfx::Color;
using gfx::RectF;
using gfx::TextFormat;

std::string_view add_icon(RegionKind kind) {
  switch (kind) {
    case RegionKind::add_folder: return gfx::icon_folder;
    case RegionKind::add_app: return gfx::icon_app;
    case RegionKind::add_web_address: return gfx::icon_web;
    default: return gfx::icon_file;
  }
}

// Lists the icons the rows about to be drawn lack, for the icon worker; rows
// off screen wait until they are scrolled into view. Web addresses have none.
void want_icons(const Frame& f, const bundle::Bundle& bundle) {
  for (const ItemRow& row : f.layout.content->rows) {
    if (row.item >= bundle.items.size()) continue;
    const bundle::Item& item = bundle.items[row.item];
    if (item.kind == bundle::Kind::url) continue;
    std::string key = bundle::item_key(item.target);
    if (f.icons.bitmaps.count(key) > 0 || !f.icons.asked.insert(key).second) continue;
    f.icons.wanted.push_back({std::move(key), item.target, item.kind});
  }
}

// The running inline edit of this item's name or arguments, if any.
std::optional<EditMode> item_edit(const Frame& f, const bundle::Bundle& bundle, std::size_t item) {
  const auto& edit = f.state.edit;
  if (!edit || edit->bundle_id != bundle.id || edit->item != item) return std::nullopt;
  if (edit->mode != EditMode::item_name && edit->mode != EditMode::item_args) return std::nullopt;
  return edit->mode;
}

void paint_item_row(const Frame& f, const bundle::Bundle& bundle, const ItemRow& row) {
  if (row.item >= bundle.items.size()) return;
  const bundle::Item& item = bundle.items[row.item];
  const std::string key = bundle::item_key(item.target);
  const bool missing = f.state.missing_targets.count(key) > 0;
  const auto found_failure = missing ? f.state.open_failures.end() : f.state.open_failures.find({bundle.id, key});
  const OpenFailure* failure = found_failure != f.state.open_failures.end() ? &found_failure->second : nullptr;
  const std::string_view mark = missing ? view_text::not_found() : failure ? failure_label(*failure) : "";
  const bool selected = f.state.selected_item == row.item;
  const bool hovered = f.hovered(RegionKind::item_row, row.item) || f.hovered(RegionKind::item_remove, row.item);
  const float scale = f.scale;
  const float radius = 10 * scale;
  const ItemRowParts parts = missing   ? item_row_parts(f.layout, row.rect, true)
                             : failure ? item_row_parts_with_pill(f.layout, row.rect,
                                                                  f.gfx.line_width(mark, TextFormat::caption))
                                       : item_row_parts(f.layout, row.rect, false);

  // The dragged row floats over the others, so its fill is opaque under the tint.
  f.gfx.fill_rounded(row.rect, radius, f.palette.surface_alt);
  if (selected) f.gfx.fill_rounded(row.rect, radius, f.selection_fill());
  if (row.dragged) {
    outline(f.gfx, row.rect, radius, 1.5f * scale, f.palette.accent);
  } else if (selected && f.palette.high_contrast) {
    // The system's highlight, as on the selected bundle: the selection must
    // not rest on a tint, which a high-contrast scheme does not show.
    outline(f.gfx, row.rect, radius, 2 * scale, f.palette.accent);
  } else if (selected) {
    hairline(f.gfx, row.rect, radius, f.soft(f.palette.accent, 0.55f));
  } else if (hovered) {
    hairline(f.gfx, row.rect, radius, f.hover_line(f.palette.text_muted.with_alpha(0.45f)));
  } else {
    hairline(f.gfx, row.rect, radius, f.palette.border);
  }

  if (hovered || selected || row.dragged) {
    f.gfx.draw_icon(gfx::icon_grip, parts.grip, 16 * scale, f.soft(f.palette.text_muted, 0.8f));
  }

  // The kind icon stands in until the worker has brought the shell's.
  const auto cached = f.icons.bitmaps.find(key);
  ID2D1Bitmap* bitmap =
      item.kind != bundle::Kind::url && cached != f.icons.bitmaps.end() ? cached->second.Get() : nullptr;
  if (bitmap) {
    f.gfx.draw_bitmap(bitmap, parts.bitmap);
  } else {
    f.gfx.fill_rounded(parts.tile, 8 * scale, f.tint(f.palette.accent, 0.12f));
    f.gfx.draw_icon(kind_icon(item.kind), parts.tile, 20 * scale, f.accent_mark());
  }

  f.gfx.draw_icon(gfx::icon_close, parts.remove, 16 * scale,
                  f.hovered(RegionKind::item_remove, row.item) ? f.palette.text : f.palette.text_muted);

  if (parts.pill) {
    const NotFoundPill& pill = *parts.pill;
    f.gfx.fill_rounded(pill.box, pill.radius, f.palette.missing_fill);
    if (f.palette.missing_outline.a > 0) hairline(f.gfx, pill.box, pill.radius, f.palette.missing_outline);
    f.gfx.draw_icon(gfx::icon_warning, pill.icon, pill.icon_size, f.palette.missing);
    f.gfx.draw_text(mark, pill.text, f.palette.missing, TextFormat::caption);
  }

  // A line being edited shows the field's box; the native field lies over it.
  const std::optional<EditMode> editing = row.dragged ? std::nullopt : item_edit(f, bundle, row.item);
  const std::optional<RectF> field = editing ? edit_field_rect(f.layout, f.state) : std::nullopt;
  const bool editing_name = field && *editing == EditMode::item_name;
  const bool editing_args = field && *editing == EditMode::item_args;
  if (field) field_box(f, *field, 6 * scale);

  if (!editing_name) {
    f.gfx.draw_text(bundle::item_label(item), parts.first_line,
                    missing ? f.soft(f.palette.text, 0.6f) : f.palette.text, TextFormat::body_bold);
  }
  if (!editing_args && failure && !failure->text.empty()) {
    // Until the next opening the system's reason stands where the target is.
    f.gfx.draw_text(failure->text, parts.second_line, f.palette.missing, TextFormat::caption);
  } else if (!editing_args) {
    std::string second = item.target;
    if (item.kind == bundle::Kind::app && !item.args.empty()) second += "  " + item.args;
    f.gfx.draw_text(second, parts.second_line, f.palette.text_muted, TextFormat::caption);
  }
}

void paint_subtitle(const Frame& f, const ContentLayout& content, const bundle::Bundle& bundle) {
  const std::size_t missing = f.state.view_cache.missing_count.get(bundle, content.bundle, f.state.missing_targets);
  const std::string count = view_text::item_count(bundle.items.size());
  const std::string not_found = lang::fill(view_text::not_found_count(), {std::to_string(missing)});
  struct Piece {
    std::string_view text;
    Color color;
  };
  const Piece pieces[] = {
      {count, f.palette.text_muted},
      {missing ? std::string_view(not_found) : std::string_view(), f.palette.missing},
      {view_text::rename_hint(), f.palette.text_muted},
  };
  const float right = content.subtitle.right();
  float x = content.subtitle.x;
  for (const Piece& piece : pieces) {
    if (piece.text.empty() || x >= right) continue;
    const float w = f.gfx.line_width(piece.text, TextFormat::caption);
    f.gfx.draw_text(piece.text, {x, content.subtitle.y, std::min(w + 1, right - x), content.subtitle.h}, piece.color,
                    TextFormat::caption);
    x += w + 12 * f.scale;
  }
}

void paint_header(const Frame& f, const ContentLayout& content, const bundle::Bundle& bundle) {
  const float scale = f.scale;
  const bool renaming = f.state.edit && f.state.edit->mode == EditMode::bundle_name &&
                        f.state.edit->bundle_id == bundle.id;
  // The name is drawn under the rename field too: where the field is not
  // drawn over it (Wine), the view still shows which bundle is being renamed.
  if (renaming) field_box(f, content.title, 6 * scale);
  f.gfx.draw_text(bundle.name, content.title_text, f.palette.text, TextFormat::title);
  if (content.hotkey.w > 0) f.gfx.draw_text(content.hotkey_label, content.hotkey, f.palette.text_muted, TextFormat::body);

  f.gfx.fill_rounded(content.more, 9 * scale,
                     f.tint(f.palette.text_muted, f.hovered(RegionKind::more) ? 0.20f : 0.10f));
  contrast_edge(f, content.more, 9 * scale, f.hovered(RegionKind::more));
  f.gfx.draw_icon(gfx::icon_more, content.more, 20 * scale, f.palette.text);

  f.gfx.fill_rounded(content.open, 9 * scale, f.soft(f.palette.accent, f.hovered(RegionKind::open) ? 0.85f : 1.0f));
  icon_and_label(f, content.open, content.stops ? gfx::icon_stop : gfx::icon_open, 18 * scale, content.open_label,
                 content.open_label_width, 28 * scale, f.palette.accent_text);

  paint_subtitle(f, content, bundle);

  for (const AddButton& button : content.add_buttons) {
    f.gfx.fill_rounded(button.rect, 8 * scale, f.palette.surface_alt);
    hairline(f.gfx, button.rect, 8 * scale,
             f.hovered(button.kind) ? f.hover_line(f.palette.accent.with_alpha(0.7f)) : f.palette.border);
    f.gfx.draw_icon(add_icon(button.kind), {button.rect.x + 10 * scale, button.rect.y, 17 * scale, button.rect.h},
                    17 * scale, f.accent_mark());
    // A button cut to the column keeps its right margin: the ellipsis ends
    // there, not on the border.
    const float room = button.rect.w - 46 * scale;
    const float label_width = f.gfx.line_width(button.label, TextFormat::body) > room ? room : room + 12 * scale;
    f.gfx.draw_text(button.label, {button.rect.x + 34 * scale, button.rect.y, std::max(0.0f, label_width), button.rect.h},
                    f.palette.text, TextFormat::body);
  }

  if (content.web_entry) {
    f.gfx.fill_rounded(*content.web_entry, 8 * scale, f.palette.surface_alt);
    outline(f.gfx, *content.web_entry, 8 * scale, 1.5f * scale, f.palette.accent);
  }
  if (content.web_hint && content.web_hint->w > 0) {
    f.gfx.draw_text(view_text::web_entry_hint(), *content.web_hint, f.palette.text_muted, TextFormat::caption);
  }
}

void paint_drop_zone(const Frame& f, RectF zone) {
  const float scale = f.scale;
  const bool hovering = f.state.drop_target && f.state.drop_target->bundle == f.state.selected_bundle;
  if (hovering) {
    f.gfx.dashed_outline(zone, 12 * scale, 2 * scale, f.palette.accent);
  } else {
    f.gfx.dashed_outline(zone, 12 * scale, 1.5f * scale, f.soft(f.palette.text_muted, 0.6f));
  }
  f.gfx.draw_icon(gfx::icon_plus, {zone.x, zone.y + 20 * scale, zone.w, 36 * scale}, 26 * scale,
                  hovering ? f.palette.accent : f.palette.text_muted);
  const float text = f.layout.text_scale;
  const RectF first{zone.x, zone.y + 66 * scale, zone.w, 22 * text};
  f.gfx.draw_text(view_text::drop_files_here(), first, f.palette.text, TextFormat::body, true);
  f.gfx.draw_text(view_text::drop_web_addresses(), {zone.x, first.bottom() + 4 * scale, zone.w, 20 * text},
                  f.palette.text_muted, TextFormat::caption, true);
}

}  // namespace

void paint_content(const Frame& f) {
  const ContentLayout& content = *f.layout.content;
  if (content.bundle >= f.state.store.bundles.size()) return;
  const bundle::Bundle& bundle = f.state.store.bundles[content.bundle];
  const float scale = f.scale;

  want_icons(f, bundle);
  for (const ItemRow& row : content.rows) {
    if (!row.dragged) paint_item_row(f, bundle, row);
  }
  if (content.placeholder)
    f.gfx.dashed_outline(*content.placeholder, 10 * scale, 1.5f * scale, f.soft(f.palette.accent, 0.7f));
  // Rows scrolled up pass under the header: it is drawn over them.
  const float header_bottom = content.list_top - 6 * scale;
  if (any_row_above(content.rows, header_bottom) || (content.placeholder && content.placeholder->y < header_bottom)) {
    f.gfx.fill_rounded({f.layout.sidebar_width, 0, f.layout.width - f.layout.sidebar_width, header_bottom}, 0,
                       f.palette.background);
  }

  paint_header(f, content, bundle);
  if (content.drop_zone) paint_drop_zone(f, *content.drop_zone);
}

void paint_dragged_row(const Frame& f) {
  const ContentLayout& content = *f.layout.content;
  if (content.bundle >= f.state.store.bundles.size()) return;
  const bundle::Bundle& bundle = f.state.store.bundles[content.bundle];
  for (const ItemRow& row : content.rows) {
    if (row.dragged) paint_item_row(f, bundle, row);
  }
}

}  // namespace app::paint
