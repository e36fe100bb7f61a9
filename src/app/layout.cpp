#include "app/layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "app/app_state.h"
#include "app/selection.h"
#include "app/view_scale.h"
#include "app/view_text.h"
#include "gfx/text_measure.h"

namespace app {
namespace {

using gfx::RectF;
using gfx::TextFormat;

// Whole pixels, halves away from zero.
float px(float v) { return std::round(v); }

// An offset kept in [0, max]; one that is not a number scrolls to the top,
// an infinite one to its end.
float clamp_offset(float offset, float max) {
  if (std::isnan(offset)) return 0;
  return std::clamp(offset, 0.0f, max);
}

// Calls `emit(k, top)` for each row k of a list whose row k starts at
// base + k × pitch and is `height` high, when it reaches below `lo` and starts
// above `hi`. Works from arithmetic alone, so its cost follows the window's
// height, never the list's length.
template <class Emit>
void for_rows_between(float base, float pitch, float height, std::size_t count, float lo, float hi, Emit emit) {
  if (count == 0 || !(pitch > 0)) return;
  // Row k reaches below lo when k > (lo − height − base) / pitch; start one
  // early so that rounding never skips a row.
  const double first_guess = std::floor((static_cast<double>(lo) - height - base) / pitch) - 1;
  std::size_t k = first_guess > 0 ? static_cast<std::size_t>(std::min(first_guess, static_cast<double>(count))) : 0;
  for (; k < count; ++k) {
    const float top = base + static_cast<float>(k) * pitch;
    if (top >= hi) break;
    if (top + height <= lo) continue;
    emit(k, top);
  }
}

float label_width(gfx::TextMeasure* measure, std::string_view text, TextFormat format) {
  return measure ? measure->line_width(text, format) : 0.0f;
}

void layout_sidebar(ViewLayout& v, const AppState& state, gfx::TextMeasure* measure) {
  const float s = v.scale;
  const float S = v.sidebar_width;
  const float T = v.top;

  v.new_bundle = {12 * s, T + 12 * s, S - 24 * s, px(38 * s)};
  const float below_button = T + 12 * s + px(38 * s);
  const bool compact = state.store.bundles.size() >= 6 || !state.search_text.empty() || state.search_open;
  if (compact) {
    v.search_box = RectF{12 * s, below_button + 8 * s, S - 24 * s, px(34 * s)};
    v.list_top = below_button + 8 * s + px(34 * s) + 12 * s;
  } else {
    v.list_top = below_button + 12 * s;
  }
  const float L = v.list_top;

  // Without a search every bundle is visible and row k is bundle k; with one,
  // the filter has to look at every name, but the geometry still only at the
  // rows on screen.
  std::vector<std::size_t> filtered;
  const bool filtering = !state.search_text.empty();
  if (filtering) filtered = visible_bundles(state);
  v.visible_count = filtering ? filtered.size() : state.store.bundles.size();

  const float row_height = px(62 * s);
  v.row_pitch = row_height + px(6 * s);
  v.sidebar_max_scroll =
      std::max(0.0f, L + static_cast<float>(v.visible_count) * v.row_pitch + 16 * s - v.height);
  v.sidebar_scroll = clamp_offset(state.sidebar_scroll, v.sidebar_max_scroll);

  const float open_width =
      measure ? std::max(58 * s, label_width(measure, view_text::open(), TextFormat::body_bold) + 30 * s) : 60 * s;
  const float open_height = px(32 * s);
  for_rows_between(L - v.sidebar_scroll, v.row_pitch, row_height, v.visible_count, L - 4 * s, v.height,
                   [&](std::size_t k, float top) {
                     SidebarRow row;
                     row.visible = k;
                     row.bundle = filtering ? filtered[k] : k;
                     row.rect = {12 * s, top, S - 24 * s, row_height};
                     row.open = {row.rect.right() - 12 * s - open_width, top + px((row_height - open_height) / 2),
                                 open_width, open_height};
                     const float text_x = row.rect.x + 16 * s;
                     const float text_width = std::max(0.0f, row.open.x - 10 * s - text_x);
                     row.name = {text_x, top + 9 * s, text_width, 24 * s};
                     row.count = {text_x, top + 33 * s, text_width, 20 * s};
                     v.rows.push_back(row);
                   });
  if (v.visible_count == 0) v.empty_list = RectF{12 * s, L, S - 24 * s, 32 * s};

  const float side = px(36 * s);
  v.settings = {v.width - 10 * s - side, px((T - side) / 2), side, side};
}

// The item rows on screen; while an item is dragged, each sits in its slot,
// slot t stays free for the placeholder and the dragged row follows the pointer.
void layout_item_rows(ViewLayout& v, ContentLayout& c, const AppState& state) {
  const float s = v.scale;
  const float row_height = px(56 * s);
  const std::size_t m = c.item_count;
  const float V = c.list_top;
  const auto row_at = [&](std::size_t item, float top) {
    ItemRow row;
    row.item = item;
    row.rect = {v.content_left, top, v.content_width, row_height};
    row.remove = item_row_parts(v, row.rect, false).remove;
    return row;
  };

  const bool dragging = state.item_drag && state.item_drag->index < m;
  if (!dragging) {
    for_rows_between(V - v.content_scroll, v.item_pitch, row_height, m, V - 6 * s, v.height,
                     [&](std::size_t k, float top) { c.rows.push_back(row_at(k, top)); });
    return;
  }
  const std::size_t g = state.item_drag->index;
  const std::size_t t = item_drag_slot(v, state.item_drag->pointer_y, state.item_drag->grab_offset);
  for_rows_between(V - v.content_scroll, v.item_pitch, row_height, m, V - 6 * s, v.height,
                   [&](std::size_t k, float top) {
                     if (k == t) {
                       c.placeholder = RectF{v.content_left, top, v.content_width, row_height};
                       return;
                     }
                     // Invert slot_while_dragging: which item lands in slot k.
                     const std::size_t closed = k < t ? k : k - 1;
                     c.rows.push_back(row_at(closed >= g ? closed + 1 : closed, top));
                   });
  ItemRow dragged = row_at(g, state.item_drag->pointer_y - state.item_drag->grab_offset);
  dragged.dragged = true;
  c.rows.push_back(dragged);
}

void layout_content(ViewLayout& v, const AppState& state, gfx::TextMeasure* measure) {
  const bundle::Bundle* bundle = state.selected();
  if (!bundle) return;
  const float s = v.scale;
  const float X = v.content_left;
  const float C = v.content_width;
  const float T = v.top;

  ContentLayout c;
  c.bundle = *state.selected_bundle;
  c.item_count = bundle->items.size();
  c.top = T + 18 * s;
  const float B = c.top;
  const float button = px(40 * s);

  c.more = {X + C - button, B, button, button};
  const bool opening = state.opening && *state.opening == bundle->id;
  c.open_label = opening ? view_text::opening() : view_text::open();
  c.open_label_width = label_width(measure, c.open_label, TextFormat::body_bold);
  const float open_width = measure ? std::max(96 * s, c.open_label_width + 62 * s) : 90 * s;
  c.open = {c.more.x - 8 * s - open_width, B, open_width, button};
  c.title = {X - 8 * s, B, std::max(0.0f, c.open.x - X), button};
  c.title_text = {X, B, std::max(0.0f, c.open.x - 8 * s - X), button};
  c.subtitle = {X, B + 42 * s, C, 22 * s};

  const float bar_y = T + 92 * s;
  const float bar_height = px(34 * s);
  if (measure) {
    const std::array<std::pair<RegionKind, std::string_view>, 4> buttons{{
        {RegionKind::add_files, view_text::add_files()},
        {RegionKind::add_folder, view_text::add_folder()},
        {RegionKind::add_app, view_text::add_app()},
        {RegionKind::add_web_address, view_text::add_web_address()},
    }};
    float x = X;
    for (const auto& [kind, label] : buttons) {
      const float w = label_width(measure, label, TextFormat::body) + 46 * s;
      c.add_buttons.push_back({kind, label, {x, bar_y, w, bar_height}});
      x += w + 8 * s;
    }
    c.add_bar_bottom = bar_y + bar_height;
  } else {
    c.add_bar_bottom = T + 18 * s + 120 * s;
  }

  const bool entry_open = state.edit && state.edit->mode == EditMode::web_address &&
                          state.edit->bundle_id == bundle->id;
  if (entry_open) {
    const RectF box{X, c.add_bar_bottom + 10 * s, std::min(0.7f * C, 560 * s), px(38 * s)};
    const float hint_x = box.right() + 12 * s;
    c.web_entry = box;
    c.web_hint = RectF{hint_x, box.y, std::max(0.0f, X + C - hint_x), box.h};
    c.list_top = box.bottom() + 16 * s;
  } else {
    c.list_top = c.add_bar_bottom + 18 * s;
  }

  v.content_max_scroll = std::max(
      0.0f, c.list_top + static_cast<float>(c.item_count) * v.item_pitch + 70 * s - v.height);
  v.content_scroll = clamp_offset(state.content_scroll, v.content_max_scroll);

  if (c.item_count == 0) {
    c.drop_zone = RectF{X, c.list_top, C, 150 * s};
  }
  v.content = std::move(c);
  layout_item_rows(v, *v.content, state);
}

void layout_welcome(ViewLayout& v, gfx::TextMeasure* measure) {
  const float s = v.scale;
  const float X = v.content_left;
  const float T = v.top;
  WelcomeLayout w;
  w.title = {X, T + 56 * s, v.content_width, 36 * s};
  const float wrap = std::min(620 * s, v.content_width);
  const float height =
      std::ceil(measure ? measure->wrapped_height(view_text::welcome_paragraph(), wrap) : 60 * s);
  w.paragraph = {X, T + 104 * s, wrap, height};
  const float create_width =
      measure ? label_width(measure, view_text::create_first_bundle(), TextFormat::body_bold) + 48 * s : 200 * s;
  w.create = {X, px(T + 104 * s + height + 26 * s), create_width, px(42 * s)};
  w.hint = {X, w.create.bottom() + 14 * s, v.content_width, 22 * s};
  v.welcome = w;
}

}  // namespace

ViewLayout layout_view(const AppState& state, gfx::TextMeasure* measure) {
  ViewLayout v;
  const float s = view_scale(state.dpi);
  v.scale = s;
  v.width = std::max(0.0f, state.client_width);
  v.height = std::max(0.0f, state.client_height);
  v.measured = measure != nullptr;

  const float W = v.width;
  v.sidebar_width = px(std::min(340 * s, std::max(250 * s, 0.32f * W)));
  v.content_left = px(v.sidebar_width + 28 * s);
  v.content_width = std::max(100.0f, std::min(900 * s, W - (v.sidebar_width + 28 * s) - 28 * s));
  v.top = px(52 * s);
  v.item_pitch = px(56 * s) + px(6 * s);
  v.missing_pill_width = label_width(measure, view_text::not_found(), TextFormat::caption) + 34 * s;

  layout_sidebar(v, state, measure);
  if (state.store.bundles.empty()) {
    layout_welcome(v, measure);
  } else {
    layout_content(v, state, measure);
    v.nothing_selected = {v.content_left, v.top + 56 * s, v.content_width, 24 * s};
  }
  v.toast = toast_layout(state, measure);
  return v;
}

float sidebar_max_scroll(const ViewLayout& layout) { return layout.sidebar_max_scroll; }
float content_max_scroll(const ViewLayout& layout) { return layout.content_max_scroll; }

void clamp_scrolls(AppState& state, const ViewLayout& layout) {
  state.sidebar_scroll = clamp_offset(state.sidebar_scroll, layout.sidebar_max_scroll);
  state.content_scroll = clamp_offset(state.content_scroll, layout.content_max_scroll);
}

std::optional<RectF> item_row_rect(const ViewLayout& layout, std::size_t position) {
  if (!layout.content || position >= layout.content->item_count) return std::nullopt;
  const float top = layout.content->list_top + static_cast<float>(position) * layout.item_pitch -
                    layout.content_scroll;
  return RectF{layout.content_left, top, layout.content_width, px(56 * layout.scale)};
}

ItemRowParts item_row_parts(const ViewLayout& layout, RectF row, bool missing) {
  const float s = layout.scale;
  ItemRowParts p;
  p.grip = {row.x + 4 * s, row.y, 18 * s, row.h};
  p.tile = {row.x + 24 * s, row.y + (row.h - 30 * s) / 2, 30 * s, 30 * s};
  const float bitmap = px(28 * s);
  p.bitmap = {px(p.tile.x + (p.tile.w - bitmap) / 2), px(p.tile.y + (p.tile.h - bitmap) / 2), bitmap, bitmap};
  const float remove = px(32 * s);
  p.remove = {row.right() - 10 * s - remove, row.y + px((row.h - remove) / 2), remove, remove};
  float text_right = p.remove.x - 8 * s;
  if (missing) {
    const float w = layout.missing_pill_width;
    p.pill = RectF{p.remove.x - 8 * s - w, row.y + (row.h - 24 * s) / 2, w, 24 * s};
    text_right = p.pill->x - 8 * s;
  }
  const float text_x = row.x + 66 * s;
  const float text_width = std::max(10.0f, text_right - text_x);
  p.first_line = {text_x, row.y + 7 * s, text_width, 22 * s};
  p.second_line = {text_x, row.y + 29 * s, text_width, 20 * s};
  return p;
}

std::size_t item_drag_slot(const ViewLayout& layout, float pointer_y, float grab_offset) {
  if (!layout.content || layout.content->item_count == 0 || !(layout.item_pitch > 0)) return 0;
  const std::size_t last = layout.content->item_count - 1;
  const float slot =
      px((pointer_y - grab_offset + layout.content_scroll - layout.content->list_top) / layout.item_pitch);
  if (!(slot > 0)) return 0;  // above the first row, or not a number
  if (slot >= static_cast<float>(last)) return last;
  return static_cast<std::size_t>(slot);
}

std::size_t slot_while_dragging(std::size_t position, std::size_t dragged, std::size_t slot) {
  const std::size_t closed = position > dragged ? position - 1 : position;
  return closed >= slot ? closed + 1 : closed;
}

std::optional<RectF> edit_field_rect(const ViewLayout& layout, const AppState& state) {
  if (!state.edit || !layout.content) return std::nullopt;
  const ContentLayout& c = *layout.content;
  if (c.bundle >= state.store.bundles.size() || state.store.bundles[c.bundle].id != state.edit->bundle_id) {
    return std::nullopt;
  }
  const float s = layout.scale;
  switch (state.edit->mode) {
    case EditMode::bundle_name:
      return c.title;
    case EditMode::web_address:
      return c.web_entry;
    case EditMode::item_name:
    case EditMode::item_args: {
      const std::optional<RectF> row = item_row_rect(layout, state.edit->item);
      if (!row) return std::nullopt;
      const float y = state.edit->mode == EditMode::item_name ? row->y + 4 * s : row->y + row->h / 2 - 2 * s;
      return RectF{row->x + 64 * s, y, row->w - 120 * s, row->h / 2};
    }
  }
  return std::nullopt;
}

std::optional<RectF> edit_control_rect(const ViewLayout& layout, const AppState& state) {
  const std::optional<RectF> box = edit_field_rect(layout, state);
  if (!box) return std::nullopt;
  const float s = layout.scale;
  const float h = px((state.edit->mode == EditMode::bundle_name ? 20 : 13) * s * 1.45f);
  return RectF{box->x + 10 * s, px(box->y + (box->h - h) / 2), std::max(10.0f, box->w - 20 * s), h};
}

std::optional<RectF> search_control_rect(const ViewLayout& layout) {
  if (!layout.search_box) return std::nullopt;
  const float s = layout.scale;
  const float h = px(13 * s * 1.45f);
  return RectF{46 * s, px(layout.search_box->y + (px(34 * s) - h) / 2),
               std::max(10.0f, layout.sidebar_width - 68 * s), h};
}

}  // namespace app
