// The content column of the selected bundle: title, buttons, add bar, the
// web-address entry, the item rows with their icons, and the drop zone.

#include <algorithm>
#include <string>

#include "app/paint_internal_win.h"
#include "app/view_text.h"
#include "gfx/icons.h"
#include "lang/lang.h"
#include "winshell/shell_icon_win.h"

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

// The shell's icon of an item as a device bitmap, or null. A target on the
// network is asked for by its type only, so that painting never waits for a
// slow or vanished server.
Microsoft::WRL::ComPtr<ID2D1Bitmap> item_bitmap(gfx::Gfx& g, const bundle::Item& item) {
  if (item.kind == bundle::Kind::url) return nullptr;
  const bool folder = item.kind == bundle::Kind::folder;
  HICON icon = winshell::is_network_path(item.target)
                   ? winshell::shell_icon(folder ? std::string_view("folder") : std::string_view(item.target), folder,
                                          true)
                   : winshell::shell_icon(item.target, folder, false);
  return icon ? g.bitmap_from_icon(icon) : nullptr;
}

// Fills the cache for the rows about to be drawn; rows off screen wait until
// they are scrolled into view.
void fetch_icons(const Frame& f, const bundle::Bundle& bundle) {
  for (const ItemRow& row : f.v.content->rows) {
    if (row.item >= bundle.items.size()) continue;
    const bundle::Item& item = bundle.items[row.item];
    std::string key = bundle::item_key(item.target);
    if (f.icons.find(key) != f.icons.end()) continue;
    f.icons.emplace(std::move(key), item_bitmap(f.g, item));
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
  const bool selected = f.state.selected_item == row.item;
  const bool hovered = f.hovered(RegionKind::item_row, row.item) || f.hovered(RegionKind::item_remove, row.item);
  const float s = f.s;
  const float radius = 10 * s;
  const ItemRowParts parts = item_row_parts(f.v, row.rect, missing);

  // The dragged row floats over the others, so its fill is opaque under the tint.
  f.g.fill_rounded(row.rect, radius, f.palette.surface_alt);
  if (selected) f.g.fill_rounded(row.rect, radius, f.selection_fill());
  if (row.dragged) {
    outline(f.g, row.rect, radius, 1.5f * s, f.palette.accent);
  } else if (selected) {
    hairline(f.g, row.rect, radius, f.palette.accent.with_alpha(0.55f));
  } else if (hovered) {
    hairline(f.g, row.rect, radius, f.palette.text_muted.with_alpha(0.45f));
  } else {
    hairline(f.g, row.rect, radius, f.palette.border);
  }

  if (hovered || selected || row.dragged) {
    f.g.draw_icon(gfx::icon_grip, parts.grip, 16 * s, f.palette.text_muted.with_alpha(0.8f));
  }

  const auto cached = f.icons.find(key);
  ID2D1Bitmap* bitmap = item.kind != bundle::Kind::url && cached != f.icons.end() ? cached->second.Get() : nullptr;
  if (bitmap) {
    f.g.draw_bitmap(bitmap, parts.bitmap);
  } else {
    f.g.fill_rounded(parts.tile, 8 * s, f.palette.accent.with_alpha(0.12f));
    f.g.draw_icon(gfx::kind_icon(item.kind), parts.tile, 20 * s, f.palette.accent);
  }

  f.g.draw_icon(gfx::icon_close, parts.remove, 16 * s,
                f.hovered(RegionKind::item_remove, row.item) ? f.palette.text : f.palette.text_muted);

  if (parts.pill) {
    const RectF pill = *parts.pill;
    f.g.fill_rounded(pill, 12 * s, gfx::kMissingRed.with_alpha(0.12f));
    f.g.draw_icon(gfx::icon_warning, {pill.x + 8 * s, pill.y, 14 * s, pill.h}, 14 * s, gfx::kMissingRed);
    f.g.draw_text(view_text::not_found(), {pill.x + 26 * s, pill.y, pill.w - 26 * s, pill.h}, gfx::kMissingRed,
                  TextFormat::caption);
  }

  // A line being edited shows the field's box; the native field lies over it.
  const std::optional<EditMode> editing = row.dragged ? std::nullopt : item_edit(f, bundle, row.item);
  const std::optional<RectF> field = editing ? edit_field_rect(f.v, f.state) : std::nullopt;
  const bool editing_name = field && *editing == EditMode::item_name;
  const bool editing_args = field && *editing == EditMode::item_args;
  if (field) field_box(f, *field, 6 * s);

  if (!editing_name) {
    f.g.draw_text(bundle::item_label(item), parts.first_line,
                  missing ? f.palette.text.with_alpha(0.6f) : f.palette.text, TextFormat::body_bold);
  }
  if (!editing_args) {
    std::string second = item.target;
    if (item.kind == bundle::Kind::app && !item.args.empty()) second += "  " + item.args;
    f.g.draw_text(second, parts.second_line, f.palette.text_muted, TextFormat::caption);
  }
}

void paint_subtitle(const Frame& f, const ContentLayout& c, const bundle::Bundle& bundle) {
  std::size_t missing = 0;
  if (!f.state.missing_targets.empty()) {
    for (const bundle::Item& item : bundle.items) missing += f.state.missing_targets.count(bundle::item_key(item.target));
  }
  const std::string count = lang::fill(view_text::item_count(), {std::to_string(bundle.items.size())});
  const std::string not_found = lang::fill(view_text::not_found_count(), {std::to_string(missing)});
  struct Piece {
    std::string_view text;
    Color color;
  };
  const Piece pieces[] = {
      {count, f.palette.text_muted},
      {missing ? std::string_view(not_found) : std::string_view(), gfx::kMissingRed},
      {view_text::rename_hint(), f.palette.text_muted},
  };
  const float right = c.subtitle.right();
  float x = c.subtitle.x;
  for (const Piece& piece : pieces) {
    if (piece.text.empty() || x >= right) continue;
    const float w = f.g.line_width(piece.text, TextFormat::caption);
    f.g.draw_text(piece.text, {x, c.subtitle.y, std::min(w + 1, right - x), c.subtitle.h}, piece.color,
                  TextFormat::caption);
    x += w + 12 * f.s;
  }
}

void paint_header(const Frame& f, const ContentLayout& c, const bundle::Bundle& bundle) {
  const float s = f.s;
  const bool renaming = f.state.edit && f.state.edit->mode == EditMode::bundle_name &&
                        f.state.edit->bundle_id == bundle.id;
  if (renaming) {
    field_box(f, c.title, 6 * s);
  } else {
    f.g.draw_text(bundle.name, c.title_text, f.palette.text, TextFormat::title);
  }

  f.g.fill_rounded(c.more, 9 * s, f.palette.text_muted.with_alpha(f.hovered(RegionKind::more) ? 0.20f : 0.10f));
  f.g.draw_icon(gfx::icon_more, c.more, 20 * s, f.palette.text);

  f.g.fill_rounded(c.open, 9 * s, f.palette.accent.with_alpha(f.hovered(RegionKind::open) ? 0.85f : 1.0f));
  icon_and_label(f, c.open, gfx::icon_open, 18 * s, c.open_label, c.open_label_width, 28 * s, gfx::kWhite);

  paint_subtitle(f, c, bundle);

  for (const AddButton& button : c.add_buttons) {
    f.g.fill_rounded(button.rect, 8 * s, f.palette.surface_alt);
    hairline(f.g, button.rect, 8 * s,
             f.hovered(button.kind) ? f.palette.accent.with_alpha(0.7f) : f.palette.border);
    f.g.draw_icon(add_icon(button.kind), {button.rect.x + 10 * s, button.rect.y, 17 * s, button.rect.h}, 17 * s,
                  f.palette.accent);
    f.g.draw_text(button.label, {button.rect.x + 34 * s, button.rect.y, button.rect.w - 34 * s, button.rect.h},
                  f.palette.text, TextFormat::body);
  }

  if (c.web_entry) {
    f.g.fill_rounded(*c.web_entry, 8 * s, f.palette.surface_alt);
    outline(f.g, *c.web_entry, 8 * s, 1.5f * s, f.palette.accent);
  }
  if (c.web_hint && c.web_hint->w > 0) {
    f.g.draw_text(view_text::web_entry_hint(), *c.web_hint, f.palette.text_muted, TextFormat::caption);
  }
}

void paint_drop_zone(const Frame& f, RectF zone) {
  const float s = f.s;
  const bool hovering = f.state.drop_target && f.state.drop_target->bundle == f.state.selected_bundle;
  if (hovering) {
    f.g.dashed_outline(zone, 12 * s, 2 * s, f.palette.accent);
  } else {
    f.g.dashed_outline(zone, 12 * s, 1.5f * s, f.palette.text_muted.with_alpha(0.6f));
  }
  f.g.draw_icon(gfx::icon_plus, {zone.x, zone.y + 20 * s, zone.w, 36 * s}, 26 * s,
                hovering ? f.palette.accent : f.palette.text_muted);
  f.g.draw_text(view_text::drop_files_here(), {zone.x, zone.y + 66 * s, zone.w, 22 * s}, f.palette.text,
                TextFormat::body, true);
  f.g.draw_text(view_text::drop_web_addresses(), {zone.x, zone.y + 92 * s, zone.w, 20 * s}, f.palette.text_muted,
                TextFormat::caption, true);
}

}  // namespace

void paint_content(const Frame& f) {
  const ContentLayout& c = *f.v.content;
  if (c.bundle >= f.state.store.bundles.size()) return;
  const bundle::Bundle& bundle = f.state.store.bundles[c.bundle];
  const float s = f.s;

  fetch_icons(f, bundle);
  for (const ItemRow& row : c.rows) {
    if (!row.dragged) paint_item_row(f, bundle, row);
  }
  if (c.placeholder) f.g.dashed_outline(*c.placeholder, 10 * s, 1.5f * s, f.palette.accent.with_alpha(0.7f));
  // Rows scrolled up pass under the header: it is drawn over them.
  if (!c.rows.empty()) {
    f.g.fill_rounded({f.v.sidebar_width, 0, f.v.width - f.v.sidebar_width, c.list_top - 6 * s}, 0,
                     f.palette.background);
  }

  paint_header(f, c, bundle);
  if (c.drop_zone) paint_drop_zone(f, *c.drop_zone);
}

void paint_dragged_row(const Frame& f) {
  const ContentLayout& c = *f.v.content;
  if (c.bundle >= f.state.store.bundles.size()) return;
  const bundle::Bundle& bundle = f.state.store.bundles[c.bundle];
  for (const ItemRow& row : c.rows) {
    if (row.dragged) paint_item_row(f, bundle, row);
  }
}

}  // namespace app::paint
