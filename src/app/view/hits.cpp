#include "app/view/hits.h"

namespace app {
namespace {

// A row of the sidebar at (x, y) below the list top, if any. The layout holds
// only the rows on screen, and none of a bundle the store no longer has.
const SidebarRow* sidebar_row_at(const ViewLayout& layout, const AppState& state, float x, float y) {
  if (y < layout.list_top) return nullptr;
  for (const SidebarRow& row : layout.rows) {
    if (row.bundle < state.store.bundles.size() && row.rect.contains(x, y)) return &row;
  }
  return nullptr;
}

}  // namespace

Region hit_test(const ViewLayout& layout, const AppState& state, float x, float y) {
  if (layout.toast && layout.toast->action && layout.toast->action->contains(x, y)) return {RegionKind::toast_action, 0};
  if (layout.settings.contains(x, y)) return {RegionKind::settings_menu, 0};
  if (y < layout.top) return {};

  const std::size_t bundles = state.store.bundles.size();
  if (x < layout.sidebar_width) {
    if (layout.new_bundle.contains(x, y)) return {RegionKind::new_bundle, 0};
    if (const SidebarRow* row = sidebar_row_at(layout, state, x, y)) {
      return {row->open.contains(x, y) ? RegionKind::bundle_open : RegionKind::bundle_row, row->bundle};
    }
    return {};
  }

  if (layout.content && layout.content->bundle < bundles) {
    const ContentLayout& c = *layout.content;
    const std::size_t items = state.store.bundles[c.bundle].items.size();
    if (c.open.contains(x, y)) return {RegionKind::open, c.bundle};
    if (c.more.contains(x, y)) return {RegionKind::more, c.bundle};
    if (c.title.contains(x, y)) return {RegionKind::title, c.bundle};
    for (const AddButton& button : c.add_buttons) {
      if (button.rect.contains(x, y)) return {button.kind, 0};
    }
    if (y >= c.list_top - 6 * layout.scale) {
      for (const ItemRow& row : c.rows) {
        // The dragged row floats under the pointer; the others hold its place.
        if (row.dragged || row.item >= items || !row.rect.contains(x, y)) continue;
        return {row.remove.contains(x, y) ? RegionKind::item_remove : RegionKind::item_row, row.item};
      }
    }
    return {};
  }

  if (bundles == 0 && layout.welcome && layout.welcome->create.contains(x, y)) {
    return {RegionKind::create_first_bundle, 0};
  }
  return {};
}

std::optional<AppState::DropTarget> drop_target_at(const ViewLayout& layout, const AppState& state, float x,
                                                   float y) {
  if (state.store.bundles.empty()) return AppState::DropTarget{std::nullopt};
  if (const SidebarRow* row = sidebar_row_at(layout, state, x, y)) return AppState::DropTarget{row->bundle};
  if (state.selected()) return AppState::DropTarget{state.selected_bundle};
  return std::nullopt;
}

}  // namespace app
