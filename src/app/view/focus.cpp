#include "app/view/focus.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>

#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/view/selection.h"

namespace app {
namespace {

// The groups in Tab order; the toast's button comes last and is left out of Tab.
enum class Group { settings, new_bundle, search, bundles, title, buttons, add, items, welcome, toast };
constexpr std::array kTabGroups{Group::settings, Group::new_bundle, Group::search, Group::bundles, Group::title,
                                Group::buttons,  Group::add,        Group::items,  Group::welcome};

constexpr std::array kButtonRow{RegionKind::open, RegionKind::more};
constexpr std::array kAddRow{RegionKind::add_files, RegionKind::add_folder, RegionKind::add_app,
                             RegionKind::add_web_address};

std::optional<Group> group_of(RegionKind kind) {
  switch (kind) {
    case RegionKind::settings_menu: return Group::settings;
    case RegionKind::new_bundle: return Group::new_bundle;
    case RegionKind::search_box: return Group::search;
    case RegionKind::bundle_row:
    case RegionKind::bundle_open: return Group::bundles;
    case RegionKind::title: return Group::title;
    case RegionKind::open:
    case RegionKind::more: return Group::buttons;
    case RegionKind::add_files:
    case RegionKind::add_folder:
    case RegionKind::add_app:
    case RegionKind::add_web_address: return Group::add;
    case RegionKind::item_row:
    case RegionKind::item_remove: return Group::items;
    case RegionKind::create_first_bundle: return Group::welcome;
    case RegionKind::toast_action: return Group::toast;
    case RegionKind::background: return std::nullopt;
  }
  return std::nullopt;
}

// The selected bundle's column is laid out for a bundle the store has.
bool has_content(const ViewLayout& layout, const AppState& state) {
  return layout.content && layout.content->bundle < state.store.bundles.size() && state.selected();
}

std::size_t item_count(const ViewLayout& layout, const AppState& state) {
  return has_content(layout, state) ? state.selected()->items.size() : 0;
}

bool shown(Group group, const ViewLayout& layout, const AppState& state) {
  switch (group) {
    case Group::settings:
    case Group::new_bundle: return true;
    case Group::search: return layout.search_box.has_value();
    case Group::bundles: return !visible_bundles(state).empty();
    case Group::title:
    case Group::buttons:
    case Group::add: return has_content(layout, state);
    case Group::items: return item_count(layout, state) > 0;
    case Group::welcome: return layout.welcome.has_value() && state.store.bundles.empty();
    case Group::toast: return layout.toast && layout.toast->action && state.toast;
  }
  return false;
}

// The selected bundle's row when the list shows it.
std::optional<std::size_t> visible_selection(const AppState& state) {
  if (!state.selected()) return std::nullopt;
  const std::vector<std::size_t> visible = visible_bundles(state);
  if (std::find(visible.begin(), visible.end(), *state.selected_bundle) == visible.end()) return std::nullopt;
  return state.selected_bundle;
}

std::optional<std::size_t> item_selection(const ViewLayout& layout, const AppState& state) {
  if (state.selected_item && *state.selected_item < item_count(layout, state)) return state.selected_item;
  return std::nullopt;
}

// Where Tab enters a group that is shown.
Region entry(Group group, const ViewLayout& layout, const AppState& state) {
  switch (group) {
    case Group::settings: return {RegionKind::settings_menu, 0};
    case Group::new_bundle: return {RegionKind::new_bundle, 0};
    case Group::search: return {RegionKind::search_box, 0};
    case Group::bundles: {
      if (const auto selected = visible_selection(state)) return {RegionKind::bundle_row, *selected};
      return {RegionKind::bundle_row, visible_bundles(state).front()};
    }
    case Group::title: return {RegionKind::title, 0};
    case Group::buttons: return {RegionKind::open, 0};
    case Group::add: return {RegionKind::add_files, 0};
    case Group::items: return {RegionKind::item_row, item_selection(layout, state).value_or(0)};
    case Group::welcome: return {RegionKind::create_first_bundle, 0};
    case Group::toast: return {RegionKind::toast_action, 0};
  }
  return {};
}

// A step along a list of `count` positions from `here`, which may lie past
// its end (the list became shorter): none when the step stays where it is.
std::optional<std::size_t> step_in_list(std::size_t here, std::size_t count, FocusStep step) {
  if (count == 0) return std::nullopt;
  std::size_t to = std::min(here, count - 1);
  switch (step) {
    case FocusStep::previous: to = to == 0 ? 0 : to - 1; break;
    case FocusStep::next: to = std::min(to + 1, count - 1); break;
    case FocusStep::first: to = 0; break;
    case FocusStep::last: to = count - 1; break;
  }
  if (to == here) return std::nullopt;
  return to;
}

// A step along a row of buttons: the list of their positions.
template <std::size_t N>
std::optional<Region> step_along(const std::array<RegionKind, N>& row, RegionKind from, FocusStep step) {
  const auto at = std::find(row.begin(), row.end(), from);
  if (at == row.end()) return std::nullopt;
  const auto to = step_in_list(static_cast<std::size_t>(at - row.begin()), N, step);
  if (!to) return std::nullopt;
  return Region{row[*to], 0};
}

}  // namespace

std::vector<Region> focus_stops(const ViewLayout& layout, const AppState& state) {
  std::vector<Region> stops;
  for (Group group : kTabGroups) {
    if (shown(group, layout, state)) stops.push_back(entry(group, layout, state));
  }
  return stops;
}

Region next_focus_stop(const ViewLayout& layout, const AppState& state, std::optional<Region> from, bool forward) {
  std::vector<Group> groups;
  for (Group group : kTabGroups) {
    if (shown(group, layout, state)) groups.push_back(group);
  }
  // The settings button is always shown, so there is always a stop.
  const std::optional<Group> current = from ? group_of(from->kind) : std::nullopt;
  const auto at = current ? std::find(groups.begin(), groups.end(), *current) : groups.end();
  if (at == groups.end()) {
    // From nowhere (or from the toast): the group that follows the one left in Tab order.
    if (current == Group::toast || !current) return entry(forward ? groups.front() : groups.back(), layout, state);
    // A group no longer shown: the first shown group after (or before) its place.
    const auto place = std::find(kTabGroups.begin(), kTabGroups.end(), *current);
    if (forward) {
      for (auto g = place; g != kTabGroups.end(); ++g) {
        if (shown(*g, layout, state)) return entry(*g, layout, state);
      }
      return entry(groups.front(), layout, state);
    }
    for (auto g = place; g != kTabGroups.begin();) {
      --g;
      if (shown(*g, layout, state)) return entry(*g, layout, state);
    }
    return entry(groups.back(), layout, state);
  }
  const auto here = static_cast<std::size_t>(at - groups.begin());
  const std::size_t next = forward ? (here + 1) % groups.size() : (here + groups.size() - 1) % groups.size();
  return entry(groups[next], layout, state);
}

std::optional<Region> focus_step(const ViewLayout& layout, const AppState& state, Region from, FocusStep step) {
  const std::optional<Group> group = group_of(from.kind);
  if (!group || !shown(*group, layout, state)) return std::nullopt;
  switch (*group) {
    case Group::bundles: {
      const std::vector<std::size_t> visible = visible_bundles(state);
      const auto at = std::find(visible.begin(), visible.end(), from.index);
      if (at == visible.end()) return entry(Group::bundles, layout, state);
      const auto to = step_in_list(static_cast<std::size_t>(at - visible.begin()), visible.size(), step);
      if (!to) return std::nullopt;
      return Region{RegionKind::bundle_row, visible[*to]};
    }
    case Group::items: {
      const auto to = step_in_list(from.index, item_count(layout, state), step);
      if (!to) return std::nullopt;
      return Region{RegionKind::item_row, *to};
    }
    case Group::buttons: return step_along(kButtonRow, from.kind, step);
    case Group::add: return step_along(kAddRow, from.kind, step);
    default: return std::nullopt;
  }
}

std::optional<Region> repaired_focus(const ViewLayout& layout, const AppState& state, std::optional<Region> focus,
                                     std::optional<Region> before_toast) {
  if (!focus) return std::nullopt;
  const std::optional<Group> group = group_of(focus->kind);
  if (!group) return std::nullopt;
  if (*group == Group::toast) {
    if (shown(Group::toast, layout, state)) return Region{RegionKind::toast_action, 0};
    return repaired_focus(layout, state, before_toast);
  }
  // A list row is the selection itself: the focus follows it.
  if (*group == Group::bundles) {
    if (const auto selected = visible_selection(state)) return Region{RegionKind::bundle_row, *selected};
  } else if (*group == Group::items) {
    if (const auto selected = item_selection(layout, state)) return Region{RegionKind::item_row, *selected};
  } else if (shown(*group, layout, state)) {
    const RegionKind kind = focus->kind;
    return Region{kind, 0};
  }
  // Gone: the nearest group before it that is shown. A list without a
  // selection is passed over, as the focus would select a row there.
  const auto place = std::find(kTabGroups.begin(), kTabGroups.end(), *group);
  for (auto g = place; g != kTabGroups.begin();) {
    --g;
    if (!shown(*g, layout, state)) continue;
    if (*g == Group::bundles && !visible_selection(state)) continue;
    if (*g == Group::items && !item_selection(layout, state)) continue;
    return entry(*g, layout, state);
  }
  return Region{RegionKind::settings_menu, 0};
}

std::optional<gfx::RectF> focus_rect(const ViewLayout& layout, const AppState& state, Region focus) {
  const ContentLayout* content = has_content(layout, state) ? &*layout.content : nullptr;
  switch (focus.kind) {
    case RegionKind::settings_menu: return layout.settings;
    case RegionKind::new_bundle: return layout.new_bundle;
    case RegionKind::search_box: return layout.search_box;
    case RegionKind::bundle_row:
    case RegionKind::bundle_open:
      // A row partly under the buttons above the list has no ring: it would be drawn over them.
      for (const SidebarRow& row : layout.rows) {
        if (row.bundle == focus.index && row.rect.y >= layout.list_top - 4 * layout.scale) return row.rect;
      }
      return std::nullopt;
    case RegionKind::title:
      if (content) return content->title;
      return std::nullopt;
    case RegionKind::open:
      if (content) return content->open;
      return std::nullopt;
    case RegionKind::more:
      if (content) return content->more;
      return std::nullopt;
    case RegionKind::add_files:
    case RegionKind::add_folder:
    case RegionKind::add_app:
    case RegionKind::add_web_address:
      if (!content) return std::nullopt;
      for (const AddButton& button : content->add_buttons) {
        if (button.kind == focus.kind) return button.rect;
      }
      return std::nullopt;
    case RegionKind::item_row:
    case RegionKind::item_remove:
      if (!content) return std::nullopt;
      // Likewise a row partly under the header.
      for (const ItemRow& row : content->rows) {
        if (!row.dragged && row.item == focus.index && row.rect.y >= content->list_top - 6 * layout.scale) {
          return row.rect;
        }
      }
      return std::nullopt;
    case RegionKind::create_first_bundle:
      if (layout.welcome) return layout.welcome->create;
      return std::nullopt;
    case RegionKind::toast_action:
      if (layout.toast && layout.toast->action) return *layout.toast->action;
      return std::nullopt;
    case RegionKind::background: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace app
