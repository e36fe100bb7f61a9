#pragma once
// The geometry of the main view, computed from the application state for one
// frame: the sidebar with its bundle rows, the content column of the selected
// bundle, the empty states and the toast. Painting, the hit-test, scrolling
// and the native text fields all read the same layout.
//
// Every length is in pixels: DIPs × scale, scale = DPI / 96; text and the
// heights of what holds it go by text_scale, which Windows' text size makes
// larger still. Only rows that are on screen are laid out, and the list of
// bundles a search shows is kept between frames, so a frame costs the same
// for ten bundles or 100,000.
// Defined in layout.cpp.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/state/region.h"
#include "app/view/toast_layout.h"
#include "gfx/geometry.h"

namespace gfx {
class TextMeasure;
}

namespace app {

struct AppState;

// One bundle row of the sidebar.
struct SidebarRow {
  std::size_t bundle = 0;   // position in the store
  std::size_t visible = 0;  // position in the visible (filtered) list
  gfx::RectF rect;
  gfx::RectF open;   // the row's Open button
  std::string open_label;  // "Open", or the progress "3/7" while this bundle opens
  gfx::RectF name;   // first line: the bundle name
  gfx::RectF count;  // second line: "{0} items"
};

// One of the four buttons of the add bar.
struct AddButton {
  RegionKind kind = RegionKind::add_files;
  std::string_view label;
  gfx::RectF rect;
};

// One item row as it is drawn: at its position, or at the place it moves to
// while an item is dragged.
struct ItemRow {
  std::size_t item = 0;  // position in the selected bundle
  gfx::RectF rect;
  gfx::RectF remove;     // the remove button
  bool dragged = false;  // follows the pointer; drawn after all others
};

// The red "Not found" pill of an item whose target is missing.
struct NotFoundPill {
  gfx::RectF box;
  float radius = 0;
  gfx::RectF icon;  // the warning sign's box, its height the pill's
  float icon_size = 0;
  gfx::RectF text;
};

// The parts inside an item row.
struct ItemRowParts {
  gfx::RectF grip;    // the drag handle's box
  gfx::RectF tile;    // the icon tile
  gfx::RectF bitmap;  // where a shell icon is drawn, centred in the tile
  gfx::RectF remove;
  std::optional<NotFoundPill> pill;  // when the target is missing
  gfx::RectF first_line;           // the item's name
  gfx::RectF second_line;          // its target (and arguments)
};

// The content column of the selected bundle.
struct ContentLayout {
  std::size_t bundle = 0;      // position in the store
  std::size_t item_count = 0;  // of the selected bundle
  float top = 0;               // the title line's top
  gfx::RectF title;            // the clickable name area (kind 5), also the rename field
  gfx::RectF title_text;       // where the name is drawn
  std::string hotkey_label;    // after the name: "Ctrl+Alt+1 · not available"; empty without a key
  gfx::RectF hotkey;           // where it is drawn; narrower than its text when the column is
  gfx::RectF more;
  gfx::RectF open;
  std::string open_label;  // "Open", or "Stop · 3/7" while this bundle opens
  bool stops = false;      // the button stops the running opening
  float open_label_width = 0;
  gfx::RectF subtitle;  // the line of counts and the rename hint
  std::vector<AddButton> add_buttons;  // empty without text measurement
  float add_bar_bottom = 0;
  std::optional<gfx::RectF> web_entry;  // the web-address entry box, when open here
  std::optional<gfx::RectF> web_hint;
  float list_top = 0;          // where the first item row starts (unscrolled)
  std::vector<ItemRow> rows;   // only those on screen; the dragged row last
  std::optional<gfx::RectF> placeholder;  // where a dragged item would drop
  std::optional<gfx::RectF> drop_zone;    // a bundle without items
};

// The view with no bundles at all.
struct WelcomeLayout {
  gfx::RectF title;
  gfx::RectF paragraph;  // origin and wrapping width; height rounded up
  gfx::RectF create;     // "Create your first bundle" (kind 15)
  gfx::RectF hint;
};

struct ViewLayout {
  float scale = 1;   // DPI / 96
  // The scale of text and of the heights that hold it: the DPI scale times
  // Windows' text size. Widths, gaps and icons keep `scale`.
  float text_scale = 1;
  float width = 0;   // of the client area
  float height = 0;
  float sidebar_width = 0;
  float content_left = 0;
  float content_width = 0;
  float top = 0;  // the top strip's height
  bool measured = false;    // false: fixed fallback widths, no toast

  // Sidebar.
  gfx::RectF new_bundle;
  std::optional<gfx::RectF> search_box;  // compact mode only
  float list_top = 0;                    // where the first bundle row starts (unscrolled)
  float row_pitch = 0;                   // row height plus gap
  std::size_t visible_count = 0;         // bundles the search shows (all without one)
  std::vector<SidebarRow> rows;          // only those on screen
  std::optional<gfx::RectF> empty_list;  // the one-line text when no row is visible
  gfx::RectF settings;

  // Content column: one of these, or neither when bundles exist but none is selected.
  std::optional<ContentLayout> content;
  std::optional<WelcomeLayout> welcome;
  gfx::RectF nothing_selected;  // "Choose a bundle on the left"
  float item_pitch = 0;         // item row height plus gap

  std::optional<ToastLayout> toast;

  // The scroll offsets the rows were placed with (the state's, clamped) and
  // their maxima.
  float sidebar_scroll = 0;
  float content_scroll = 0;
  float sidebar_max_scroll = 0;
  float content_max_scroll = 0;
  float missing_pill_width = 0;
};

// Lays out the whole view. Without `measure` (no rendering context) the fixed
// fallback widths are used and there is no toast.
ViewLayout layout_view(const AppState& state, gfx::TextMeasure* measure);
// The same layout, kept in the view cache: made again only after the view
// changed (AppState::redraw) or the size, DPI, scroll offsets or measure did.
// The reference holds until the state next changes; hold a copy across a
// change.
const ViewLayout& kept_layout(const AppState& state, gfx::TextMeasure* measure);

// Scroll maxima: the sidebar's from its visible bundles, the content's from
// the selected bundle's items (0 without a selection).
float sidebar_max_scroll(const ViewLayout& layout);
float content_max_scroll(const ViewLayout& layout);
// The height of a bundle row (the row pitch less the gap between rows).
float bundle_row_height(const ViewLayout& layout);
// Keeps both offsets in [0, maximum] (a non-finite offset becomes 0 or the maximum).
void clamp_scrolls(AppState& state, const ViewLayout& layout);

// The row of the item at `position` at its own place (not where a drag moves it);
// none without a selected bundle or past the last item.
std::optional<gfx::RectF> item_row_rect(const ViewLayout& layout, std::size_t position);
// The parts of an item row at `row`, with the "Not found" pill when missing.
ItemRowParts item_row_parts(const ViewLayout& layout, gfx::RectF row, bool missing);
// The same with a pill around a label `label_width` wide (0: no pill).
ItemRowParts item_row_parts_with_pill(const ViewLayout& layout, gfx::RectF row, float label_width);

// The position an item dragged with the pointer at `pointer_y` would drop at:
// round((pointer y − grab offset + content scroll − list top) / item pitch),
// in [0, item count − 1]; 0 without items.
std::size_t item_drop_index(const ViewLayout& layout, float pointer_y, float grab_offset);
// Where the item at `position` is shown while the item at `dragged` would
// drop at `drop_index`: the gap closes and the place at `drop_index` stays free.
std::size_t place_while_dragging(std::size_t position, std::size_t dragged, std::size_t drop_index);

// The box of the running inline edit (title area, web-address entry, an item
// row's upper or lower half), when it belongs to the selected bundle.
std::optional<gfx::RectF> edit_field_rect(const ViewLayout& layout, const AppState& state);
// Where the native inline field goes inside that box.
std::optional<gfx::RectF> edit_control_rect(const ViewLayout& layout, const AppState& state);
// The part of the view the native inline field may show in: an item's name
// or arguments only within the item list, below the header that rows scroll
// under; any other field within the whole view.
gfx::RectF edit_field_clip(const ViewLayout& layout, const AppState& state);
// Where the native search box goes in compact mode; none otherwise.
std::optional<gfx::RectF> search_control_rect(const ViewLayout& layout);

}  // namespace app
