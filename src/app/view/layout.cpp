#include "app/view/layout.h"

#include <algorithm>
#include <memory>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "app/state/app_state.h"
#include "app/state/hotkey_host.h"
#include "app/view/selection.h"
#include "app/view/view_labels.h"
#include "app/view/view_text.h"
#include "gfx/text_measure.h"
#include "gfx/text_style.h"
#include "gfx/view_scale.h"

namespace app {
namespace {

using gfx::RectF;
using gfx::TextFormat;

// The view's sizes in DIPs; each is multiplied by the scale where it is used:
// the heights of what holds text by the text scale, everything else by the
// DPI scale.

// The columns and the top strip.
constexpr float kTopStripHeight = 52;
constexpr float kSidebarShare = 0.32f;  // of the window width, between the two limits
constexpr float kSidebarMinWidth = 250;
constexpr float kSidebarMaxWidth = 340;
// Both limits grow by this per unit of text size above 1, for the rows'
// names and counts beside their Open buttons.
constexpr float kSidebarTextWidth = 100;
constexpr float kContentGutter = 28;  // between the sidebar and the content, and at the right edge
constexpr float kContentMaxWidth = 900;
constexpr float kContentMinWidthPx = 100;  // in pixels, at any scale
constexpr float kSettingsButtonSize = 36;
constexpr float kSettingsButtonRightMargin = 10;

// The sidebar.
constexpr float kSidebarInset = 12;  // left and right of the buttons, the search box and the rows
constexpr float kNewBundleTop = 12;  // below the top strip
constexpr float kNewBundleHeight = 38;
constexpr float kSearchBoxGap = 8;  // between the New bundle button and the search box
constexpr float kSearchBoxHeight = 34;
constexpr float kListGap = 12;  // between the last button or the search box and the list
constexpr float kBundleRowHeight = 62;
constexpr float kBundleRowGap = 6;
constexpr float kBundleListBottomPadding = 16;
constexpr float kBundleListOverlap = 4;  // rows show this far under the buttons above the list
constexpr float kRowOpenMinWidth = 58;
constexpr float kRowOpenPadding = 30;  // around the label
constexpr float kRowOpenFallbackWidth = 60;
constexpr float kRowOpenHeight = 32;
constexpr float kRowOpenRightInset = 12;
constexpr float kRowTextLeft = 16;
constexpr float kRowTextGap = 10;  // between the text and the Open button
constexpr float kRowNameTop = 9;
constexpr float kRowNameHeight = 24;
constexpr float kRowCountTop = 33;
constexpr float kRowCountHeight = 20;
constexpr float kEmptyListHeight = 32;

// The content column's header.
constexpr float kTitleTop = 18;  // below the top strip
constexpr float kHeaderButtonSize = 40;  // the height of the title, Open and more buttons; more is square
constexpr float kHeaderButtonGap = 8;
constexpr float kHotkeyGap = 12;  // between the name and its hotkey
constexpr float kOpenMinWidth = 96;
constexpr float kOpenPadding = 62;  // icon and margins around the label
constexpr float kOpenFallbackWidth = 90;
constexpr float kTitleHitOverhang = 8;  // the clickable title reaches this far left of the text
constexpr float kSubtitleGap = 2;  // between the title line and the subtitle
constexpr float kSubtitleHeight = 22;
constexpr float kAddBarGap = 10;  // between the subtitle and the add bar
constexpr float kAddButtonHeight = 34;
constexpr float kAddButtonPadding = 46;  // icon and margins around the label
constexpr float kAddButtonGap = 8;
constexpr float kFallbackHeaderHeight = 120;  // title line to the add bar's bottom, without measurement
constexpr float kWebEntryTop = 10;  // below the add bar
constexpr float kWebEntryShare = 0.7f;  // of the content width, up to the maximum
constexpr float kWebEntryMaxWidth = 560;
constexpr float kWebEntryHeight = 38;
constexpr float kWebHintGap = 12;
constexpr float kListBelowWebEntry = 16;
constexpr float kListBelowAddBar = 18;

// The item list.
constexpr float kItemRowHeight = 56;
constexpr float kItemRowGap = 6;
constexpr float kItemListOverlap = 6;  // rows show this far under the header
constexpr float kItemListBottomPadding = 70;
constexpr float kDropZoneHeight = 150;
constexpr float kGripLeft = 4;
constexpr float kGripWidth = 18;
constexpr float kTileLeft = 24;
constexpr float kTileSize = 30;
constexpr float kIconBitmapSize = 28;
constexpr float kRemoveButtonSize = 32;
constexpr float kRemoveRightInset = 10;
constexpr float kItemPartGap = 8;  // between the text, the pill and the remove button
constexpr float kPillHeight = 24;
constexpr float kPillIconLeft = 8;
constexpr float kPillIconSize = 14;
constexpr float kPillIconTextGap = 4;
constexpr float kPillTextRight = 8;
constexpr float kPillTextLeft = kPillIconLeft + kPillIconSize + kPillIconTextGap;
constexpr float kItemTextLeft = 66;
constexpr float kItemTextMinWidthPx = 10;  // in pixels, at any scale
constexpr float kItemFirstLineTop = 7;
constexpr float kItemFirstLineHeight = 22;
constexpr float kItemSecondLineTop = 29;
constexpr float kItemSecondLineHeight = 20;

// The welcome view.
constexpr float kWelcomeTitleTop = 56;  // below the top strip
constexpr float kWelcomeTitleHeight = 36;
constexpr float kNothingSelectedTop = 56;  // below the top strip
constexpr float kNothingSelectedHeight = 24;
constexpr float kWelcomeParagraphGap = 12;  // below the title
constexpr float kWelcomeParagraphMaxWidth = 620;
constexpr float kWelcomeParagraphFallbackHeight = 60;
constexpr float kWelcomeCreateGap = 26;
constexpr float kWelcomeCreateHeight = 42;
constexpr float kWelcomeCreatePadding = 48;
constexpr float kWelcomeCreateFallbackWidth = 200;
constexpr float kWelcomeHintGap = 14;
constexpr float kWelcomeHintHeight = 22;

// The native text fields.
constexpr float kItemFieldLeft = 64;
constexpr float kItemFieldRightShort = 120;  // the field is this much narrower than the row
constexpr float kItemNameFieldTop = 4;
constexpr float kItemArgsFieldRaise = 2;  // the arguments field starts this far above the row's middle
constexpr float kFieldInset = 10;
constexpr float kFieldMinWidthPx = 10;  // in pixels, at any scale
constexpr float kFieldLineFactor = 1.45f;  // a line's height over the font size
constexpr float kSearchFieldLeft = 46;  // after the magnifier
constexpr float kSearchFieldRightShort = 68;  // the field is this much narrower than the sidebar

// Whole pixels, halves away from zero.
float px(float length) { return std::round(length); }

// An offset kept in [0, max]; one that is not a number scrolls to the top,
// an infinite one to its end.
float clamp_offset(float offset, float max) {
  if (std::isnan(offset)) return 0;
  return std::clamp(offset, 0.0f, max);
}

// Calls `emit(position, top)` for each row of a list whose row at `position`
// starts at base + position × pitch and is `height` high, when it reaches
// below `lo` and starts above `hi`. Works from arithmetic alone, so its cost
// follows the window's height, never the list's length.
template <class Emit>
void for_rows_between(float base, float pitch, float height, std::size_t count, float lo, float hi, Emit emit) {
  if (count == 0 || !(pitch > 0)) return;
  // A row reaches below lo when position > (lo − height − base) / pitch;
  // start one early so that rounding never skips a row.
  const double first_guess = std::floor((static_cast<double>(lo) - height - base) / pitch) - 1;
  std::size_t position =
      first_guess > 0 ? static_cast<std::size_t>(std::min(first_guess, static_cast<double>(count))) : 0;
  for (; position < count; ++position) {
    const float top = base + static_cast<float>(position) * pitch;
    if (top >= hi) break;
    if (top + height <= lo) continue;
    emit(position, top);
  }
}

float label_width(gfx::TextMeasure* measure, std::string_view text, TextFormat format) {
  return measure ? measure->line_width(text, format) : 0.0f;
}

void layout_sidebar(ViewLayout& view, const AppState& state, gfx::TextMeasure* measure) {
  const float scale = view.scale;
  const float text = view.text_scale;
  const float sidebar_width = view.sidebar_width;
  const float top_strip = view.top;
  const float inner_width = sidebar_width - 2 * kSidebarInset * scale;

  view.new_bundle = {kSidebarInset * scale, top_strip + kNewBundleTop * scale, inner_width,
                     px(kNewBundleHeight * text)};
  const float below_button = top_strip + kNewBundleTop * scale + px(kNewBundleHeight * text);
  const bool compact = state.store.bundles.size() >= 6 || !state.search_text.empty() || state.search_open;
  if (compact) {
    view.search_box =
        RectF{kSidebarInset * scale, below_button + kSearchBoxGap * scale, inner_width, px(kSearchBoxHeight * text)};
    view.list_top = below_button + kSearchBoxGap * scale + px(kSearchBoxHeight * text) + kListGap * scale;
  } else {
    view.list_top = below_button + kListGap * scale;
  }
  const float list_top = view.list_top;

  // Without a search every bundle is visible and visible row k is bundle k;
  // with one, the list of matching bundles is kept between frames (it changes
  // only with the store or the search text), and the geometry still only
  // looks at the rows on screen.
  const bool filtering = !state.search_text.empty();
  const std::vector<std::size_t>* filtered =
      filtering ? &state.view_cache.visible_bundles.get(state.store, state.search_text) : nullptr;
  view.visible_count = filtering ? filtered->size() : state.store.bundles.size();

  const float row_height = px(kBundleRowHeight * text);
  view.row_pitch = row_height + px(kBundleRowGap * scale);
  view.sidebar_max_scroll = std::max(0.0f, list_top + static_cast<float>(view.visible_count) * view.row_pitch +
                                               kBundleListBottomPadding * scale - view.height);
  view.sidebar_scroll = clamp_offset(state.sidebar_scroll, view.sidebar_max_scroll);

  const float open_width =
      measure ? std::max(kRowOpenMinWidth * scale,
                         label_width(measure, view_text::open(), TextFormat::body_bold) + kRowOpenPadding * scale)
              : kRowOpenFallbackWidth * scale;
  const float open_height = px(kRowOpenHeight * text);
  // The row of the bundle being opened shows its progress, widened when that needs it.
  const OpeningProgress* opening = state.opening ? &*state.opening : nullptr;
  for_rows_between(list_top - view.sidebar_scroll, view.row_pitch, row_height, view.visible_count,
                   list_top - kBundleListOverlap * scale, view.height, [&](std::size_t position, float top) {
                     SidebarRow row;
                     row.visible = position;
                     row.bundle = filtering ? (*filtered)[position] : position;
                     row.rect = {kSidebarInset * scale, top, inner_width, row_height};
                     float width = open_width;
                     if (opening && opening->bundle_id == state.store.bundles[row.bundle].id) {
                       row.open_label = view_text::row_progress(opening->done, opening->total);
                       if (measure) {
                         width = std::max(width, label_width(measure, row.open_label, TextFormat::body_bold) +
                                                     kRowOpenPadding * scale);
                       }
                     } else {
                       row.open_label = view_text::open();
                     }
                     row.open = {row.rect.right() - kRowOpenRightInset * scale - width,
                                 top + px((row_height - open_height) / 2), width, open_height};
                     const float text_x = row.rect.x + kRowTextLeft * scale;
                     const float text_width = std::max(0.0f, row.open.x - kRowTextGap * scale - text_x);
                     row.name = {text_x, top + kRowNameTop * text, text_width, kRowNameHeight * text};
                     row.count = {text_x, top + kRowCountTop * text, text_width, kRowCountHeight * text};
                     view.rows.push_back(row);
                   });
  if (view.visible_count == 0) {
    view.empty_list = RectF{kSidebarInset * scale, list_top, inner_width, kEmptyListHeight * text};
  }

  const float settings_size = px(kSettingsButtonSize * scale);
  view.settings = {view.width - kSettingsButtonRightMargin * scale - settings_size,
                   px((top_strip - settings_size) / 2), settings_size, settings_size};
}

// The item rows on screen; while an item is dragged, the others close its gap
// and leave the place where it would drop empty for the placeholder, and the
// dragged row follows the pointer.
void layout_item_rows(ViewLayout& view, ContentLayout& content, const AppState& state) {
  const float scale = view.scale;
  const float row_height = px(kItemRowHeight * view.text_scale);
  const std::size_t item_count = content.item_count;
  const float list_top = content.list_top;
  const float first_top = list_top - view.content_scroll;
  const float visible_top = list_top - kItemListOverlap * scale;
  const auto row_at = [&](std::size_t item, float top) {
    ItemRow row;
    row.item = item;
    row.rect = {view.content_left, top, view.content_width, row_height};
    row.remove = item_row_parts(view, row.rect, false).remove;
    return row;
  };

  const bool dragging = state.item_drag && state.item_drag->index < item_count;
  if (!dragging) {
    for_rows_between(first_top, view.item_pitch, row_height, item_count, visible_top, view.height,
                     [&](std::size_t place, float top) { content.rows.push_back(row_at(place, top)); });
    return;
  }
  const std::size_t dragged_item = state.item_drag->index;
  const std::size_t drop_index = item_drop_index(view, state.item_drag->pointer_y, state.item_drag->grab_offset);
  for_rows_between(first_top, view.item_pitch, row_height, item_count, visible_top, view.height,
                   [&](std::size_t place, float top) {
                     if (place == drop_index) {
                       content.placeholder = RectF{view.content_left, top, view.content_width, row_height};
                       return;
                     }
                     // Invert place_while_dragging: which item is shown at this place.
                     const std::size_t closed = place < drop_index ? place : place - 1;
                     content.rows.push_back(row_at(closed >= dragged_item ? closed + 1 : closed, top));
                   });
  ItemRow dragged = row_at(dragged_item, state.item_drag->pointer_y - state.item_drag->grab_offset);
  dragged.dragged = true;
  content.rows.push_back(dragged);
}

void layout_content(ViewLayout& view, const AppState& state, gfx::TextMeasure* measure) {
  const bundle::Bundle* bundle = state.selected();
  if (!bundle) return;
  const float scale = view.scale;
  const float text = view.text_scale;
  const float left = view.content_left;
  const float width = view.content_width;
  const float top_strip = view.top;

  ContentLayout content;
  content.bundle = *state.selected_bundle;
  content.item_count = bundle->items.size();
  content.top = top_strip + kTitleTop * scale;
  const float title_top = content.top;
  const float button = px(kHeaderButtonSize * text);

  content.more = {left + width - button, title_top, button, button};
  const bool opening = state.opening && state.opening->bundle_id == bundle->id;
  content.stops = opening;
  content.open_label = !opening                 ? std::string(view_text::open())
                       : state.opening->stopping ? std::string(view_text::stopping())
                                                 : view_text::stop_progress(state.opening->done, state.opening->total);
  content.open_label_width = label_width(measure, content.open_label, TextFormat::body_bold);
  // Open never reaches left of the column, however long its label (which
  // then ends in an ellipsis).
  const float open_width =
      std::min(std::max(0.0f, width - button - kHeaderButtonGap * scale),
               measure ? std::max(kOpenMinWidth * scale, content.open_label_width + kOpenPadding * scale)
                       : kOpenFallbackWidth * scale);
  content.open = {content.more.x - kHeaderButtonGap * scale - open_width, title_top, open_width, button};
  content.title = {left - kTitleHitOverhang * scale, title_top, std::max(0.0f, content.open.x - left), button};
  content.title_text = {left, title_top, std::max(0.0f, content.open.x - kHeaderButtonGap * scale - left), button};
  content.hotkey_label = header_hotkey_text(*bundle, state.platform.hotkey_host().hotkey_registrations());
  if (!content.hotkey_label.empty() && measure) {
    // The key follows the name; where the two do not fit, the name is cut
    // first (it ends in an ellipsis), then the key.
    const float room = content.title_text.w;
    const float gap = kHotkeyGap * scale;
    const float key_width = label_width(measure, content.hotkey_label, TextFormat::body) + 1;
    const float name_width =
        std::min(label_width(measure, bundle->name, TextFormat::title) + 1, std::max(0.0f, room - gap - key_width));
    content.title_text.w = name_width;
    const float key_x = left + name_width + gap;
    content.hotkey = {key_x, title_top, std::max(0.0f, std::min(key_width, left + room - key_x)), button};
  }
  content.subtitle = {left, title_top + button + kSubtitleGap * scale, width, kSubtitleHeight * text};

  const float bar_y = content.subtitle.bottom() + kAddBarGap * scale;
  const float bar_height = px(kAddButtonHeight * text);
  if (measure) {
    const std::array<std::pair<RegionKind, std::string_view>, 4> buttons{{
        {RegionKind::add_files, view_text::add_files()},
        {RegionKind::add_folder, view_text::add_folder()},
        {RegionKind::add_app, view_text::add_app()},
        {RegionKind::add_web_address, view_text::add_web_address()},
    }};
    // The labels run long in some languages and the column is narrow at the
    // smallest window: a button that would pass the column's right edge
    // starts a new row, and one wider than the whole column is cut to it (its
    // label then ends in an ellipsis). The list below moves down with them.
    const float gap = kAddButtonGap * scale;
    const float right = left + width;
    float x = left;
    float y = bar_y;
    for (const auto& [kind, label] : buttons) {
      const float button_width =
          std::min(width, label_width(measure, label, TextFormat::body) + kAddButtonPadding * scale);
      if (x > left && x + button_width > right) {
        x = left;
        y += bar_height + gap;
      }
      content.add_buttons.push_back({kind, label, {x, y, button_width, bar_height}});
      x += button_width + gap;
    }
    content.add_bar_bottom = y + bar_height;
  } else {
    content.add_bar_bottom = top_strip + kTitleTop * scale + kFallbackHeaderHeight * text;
  }

  const bool entry_open = state.edit && state.edit->mode == EditMode::web_address &&
                          state.edit->bundle_id == bundle->id;
  if (entry_open) {
    const RectF box{left, content.add_bar_bottom + kWebEntryTop * scale,
                    std::min(kWebEntryShare * width, kWebEntryMaxWidth * scale), px(kWebEntryHeight * text)};
    const float hint_x = box.right() + kWebHintGap * scale;
    content.web_entry = box;
    content.web_hint = RectF{hint_x, box.y, std::max(0.0f, left + width - hint_x), box.h};
    content.list_top = box.bottom() + kListBelowWebEntry * scale;
  } else {
    content.list_top = content.add_bar_bottom + kListBelowAddBar * scale;
  }

  view.content_max_scroll =
      std::max(0.0f, content.list_top + static_cast<float>(content.item_count) * view.item_pitch +
                         kItemListBottomPadding * text - view.height);
  view.content_scroll = clamp_offset(state.content_scroll, view.content_max_scroll);

  if (content.item_count == 0) {
    content.drop_zone = RectF{left, content.list_top, width, kDropZoneHeight * text};
  }
  view.content = std::move(content);
  layout_item_rows(view, *view.content, state);
}

void layout_welcome(ViewLayout& view, gfx::TextMeasure* measure) {
  const float scale = view.scale;
  const float text = view.text_scale;
  const float left = view.content_left;
  const float top_strip = view.top;
  WelcomeLayout welcome;
  welcome.title = {left, top_strip + kWelcomeTitleTop * scale, view.content_width, kWelcomeTitleHeight * text};
  const float wrap = std::min(kWelcomeParagraphMaxWidth * scale, view.content_width);
  const float height = std::ceil(measure ? measure->wrapped_height(view_text::welcome_paragraph(), wrap)
                                         : kWelcomeParagraphFallbackHeight * text);
  const float paragraph_top = welcome.title.bottom() + kWelcomeParagraphGap * scale;
  welcome.paragraph = {left, paragraph_top, wrap, height};
  const float create_width = std::min(
      view.content_width, measure ? label_width(measure, view_text::create_first_bundle(), TextFormat::body_bold) +
                                        kWelcomeCreatePadding * scale
                                  : kWelcomeCreateFallbackWidth * scale);
  welcome.create = {left, px(paragraph_top + height + kWelcomeCreateGap * scale), create_width,
                    px(kWelcomeCreateHeight * text)};
  welcome.hint = {left, welcome.create.bottom() + kWelcomeHintGap * scale, view.content_width,
                  kWelcomeHintHeight * text};
  view.welcome = welcome;
}

}  // namespace

ViewLayout layout_view(const AppState& state, gfx::TextMeasure* measure) {
  ViewLayout view;
  const float scale = gfx::view_scale(state.dpi);
  const float text = scale * state.text_scale;
  view.scale = scale;
  view.text_scale = text;
  view.width = std::max(0.0f, state.client_width);
  view.height = std::max(0.0f, state.client_height);
  view.measured = measure != nullptr;

  const float window_width = view.width;
  const float text_room = kSidebarTextWidth * (text - scale);
  view.sidebar_width = px(std::min(kSidebarMaxWidth * scale + text_room,
                                   std::max(kSidebarMinWidth * scale + text_room, kSidebarShare * window_width)));
  view.content_left = px(view.sidebar_width + kContentGutter * scale);
  view.content_width = std::max(
      kContentMinWidthPx,
      std::min(kContentMaxWidth * scale, window_width - (view.sidebar_width + kContentGutter * scale) -
                                             kContentGutter * scale));
  // The top strip holds the product name in the title's type: it grows as
  // that type does, its margins do not.
  view.top = px(kTopStripHeight * scale + gfx::kTitleTextSize * (text - scale));
  view.item_pitch = px(kItemRowHeight * text) + px(kItemRowGap * scale);
  view.missing_pill_width =
      label_width(measure, view_text::not_found(), TextFormat::caption) + (kPillTextLeft + kPillTextRight) * scale;

  layout_sidebar(view, state, measure);
  if (state.store.bundles.empty()) {
    layout_welcome(view, measure);
  } else {
    layout_content(view, state, measure);
    view.nothing_selected = {view.content_left, view.top + kNothingSelectedTop * scale, view.content_width,
                             kNothingSelectedHeight * text};
  }
  view.toast = toast_layout(state, measure);
  return view;
}

float sidebar_max_scroll(const ViewLayout& layout) { return layout.sidebar_max_scroll; }
float content_max_scroll(const ViewLayout& layout) { return layout.content_max_scroll; }

float bundle_row_height(const ViewLayout& layout) { return px(kBundleRowHeight * layout.text_scale); }

const ViewLayout& kept_layout(const AppState& state, gfx::TextMeasure* measure) {
  const LayoutInputs inputs{state.client_width,   state.client_height,  state.dpi,
                            state.sidebar_scroll, state.content_scroll, measure};
  if (const ViewLayout* kept = state.view_cache.layout.find(inputs)) return *kept;
  return state.view_cache.layout.keep(std::make_shared<const ViewLayout>(layout_view(state, measure)), inputs);
}

void clamp_scrolls(AppState& state, const ViewLayout& layout) {
  state.sidebar_scroll = clamp_offset(state.sidebar_scroll, layout.sidebar_max_scroll);
  state.content_scroll = clamp_offset(state.content_scroll, layout.content_max_scroll);
}

std::optional<RectF> item_row_rect(const ViewLayout& layout, std::size_t position) {
  if (!layout.content || position >= layout.content->item_count) return std::nullopt;
  const float top = layout.content->list_top + static_cast<float>(position) * layout.item_pitch -
                    layout.content_scroll;
  return RectF{layout.content_left, top, layout.content_width, px(kItemRowHeight * layout.text_scale)};
}

namespace {

// The parts of an item row with a pill `pill_width` wide (0: none).
ItemRowParts row_parts(const ViewLayout& layout, RectF row, float pill_width) {
  const float scale = layout.scale;
  ItemRowParts parts;
  parts.grip = {row.x + kGripLeft * scale, row.y, kGripWidth * scale, row.h};
  parts.tile = {row.x + kTileLeft * scale, row.y + (row.h - kTileSize * scale) / 2, kTileSize * scale,
                kTileSize * scale};
  const float bitmap = px(kIconBitmapSize * scale);
  parts.bitmap = {px(parts.tile.x + (parts.tile.w - bitmap) / 2), px(parts.tile.y + (parts.tile.h - bitmap) / 2),
                  bitmap, bitmap};
  const float remove = px(kRemoveButtonSize * scale);
  parts.remove = {row.right() - kRemoveRightInset * scale - remove, row.y + px((row.h - remove) / 2), remove, remove};
  float text_right = parts.remove.x - kItemPartGap * scale;
  if (pill_width > 0) {
    const float pill_height = kPillHeight * layout.text_scale;
    const RectF box{parts.remove.x - kItemPartGap * scale - pill_width, row.y + (row.h - pill_height) / 2,
                    pill_width, pill_height};
    parts.pill = NotFoundPill{
        box,
        box.h / 2,
        {box.x + kPillIconLeft * scale, box.y, kPillIconSize * scale, box.h},
        kPillIconSize * scale,
        {box.x + kPillTextLeft * scale, box.y, box.w - kPillTextLeft * scale, box.h},
    };
    text_right = box.x - kItemPartGap * scale;
  }
  const float text_x = row.x + kItemTextLeft * scale;
  const float text_width = std::max(kItemTextMinWidthPx, text_right - text_x);
  const float text = layout.text_scale;
  parts.first_line = {text_x, row.y + kItemFirstLineTop * text, text_width, kItemFirstLineHeight * text};
  parts.second_line = {text_x, row.y + kItemSecondLineTop * text, text_width, kItemSecondLineHeight * text};
  return parts;
}

}  // namespace

ItemRowParts item_row_parts(const ViewLayout& layout, RectF row, bool missing) {
  return row_parts(layout, row, missing ? layout.missing_pill_width : 0);
}

ItemRowParts item_row_parts_with_pill(const ViewLayout& layout, RectF row, float label_width) {
  return row_parts(layout, row, label_width > 0 ? label_width + (kPillTextLeft + kPillTextRight) * layout.scale : 0);
}

std::size_t item_drop_index(const ViewLayout& layout, float pointer_y, float grab_offset) {
  if (!layout.content || layout.content->item_count == 0 || !(layout.item_pitch > 0)) return 0;
  const std::size_t last = layout.content->item_count - 1;
  const float index =
      px((pointer_y - grab_offset + layout.content_scroll - layout.content->list_top) / layout.item_pitch);
  if (!(index > 0)) return 0;  // above the first row, or not a number
  if (index >= static_cast<float>(last)) return last;
  return static_cast<std::size_t>(index);
}

std::size_t place_while_dragging(std::size_t position, std::size_t dragged, std::size_t drop_index) {
  const std::size_t closed = position > dragged ? position - 1 : position;
  return closed >= drop_index ? closed + 1 : closed;
}

std::optional<RectF> edit_field_rect(const ViewLayout& layout, const AppState& state) {
  if (!state.edit || !layout.content) return std::nullopt;
  const ContentLayout& content = *layout.content;
  if (content.bundle >= state.store.bundles.size() ||
      state.store.bundles[content.bundle].id != state.edit->bundle_id) {
    return std::nullopt;
  }
  const float scale = layout.scale;
  const float text = layout.text_scale;
  switch (state.edit->mode) {
    case EditMode::bundle_name:
      return content.title;
    case EditMode::web_address:
      return content.web_entry;
    case EditMode::item_name:
    case EditMode::item_args: {
      const std::optional<RectF> row = item_row_rect(layout, state.edit->item);
      if (!row) return std::nullopt;
      const float y = state.edit->mode == EditMode::item_name ? row->y + kItemNameFieldTop * text
                                                              : row->y + row->h / 2 - kItemArgsFieldRaise * text;
      return RectF{row->x + kItemFieldLeft * scale, y, row->w - kItemFieldRightShort * scale, row->h / 2};
    }
  }
  return std::nullopt;
}

std::optional<RectF> edit_control_rect(const ViewLayout& layout, const AppState& state) {
  const std::optional<RectF> box = edit_field_rect(layout, state);
  if (!box) return std::nullopt;
  const float scale = layout.scale;
  const float font_size = state.edit->mode == EditMode::bundle_name ? gfx::kTitleTextSize : gfx::kBodyTextSize;
  const float height = px(font_size * layout.text_scale * kFieldLineFactor);
  return RectF{box->x + kFieldInset * scale, px(box->y + (box->h - height) / 2),
               std::max(kFieldMinWidthPx, box->w - 2 * kFieldInset * scale), height};
}

RectF edit_field_clip(const ViewLayout& layout, const AppState& state) {
  const RectF view{0, 0, layout.width, layout.height};
  if (!state.edit || !layout.content ||
      (state.edit->mode != EditMode::item_name && state.edit->mode != EditMode::item_args)) {
    return view;
  }
  const float top = layout.content->list_top - kItemListOverlap * layout.scale;
  return {view.x, top, view.w, std::max(0.0f, view.h - top)};
}

std::optional<RectF> search_control_rect(const ViewLayout& layout) {
  if (!layout.search_box) return std::nullopt;
  const float scale = layout.scale;
  const float height = px(gfx::kBodyTextSize * layout.text_scale * kFieldLineFactor);
  return RectF{kSearchFieldLeft * scale, px(layout.search_box->y + (layout.search_box->h - height) / 2),
               std::max(kFieldMinWidthPx, layout.sidebar_width - kSearchFieldRightShort * scale), height};
}

}  // namespace app
