#include "app/view/access_tree.h"

#include <algorithm>
#include <utility>

#include "app/state/app_state.h"
#include "app/view/layout.h"
#include "app/view/selection.h"
#include "app/view/view_labels.h"
#include "app/view/view_text.h"
#include "bundle/model.h"
#include "lang/lang.h"

namespace app {
namespace {

// Keys join their parts with a character no bundle id, item key or number holds.
constexpr char kKeySeparator = '\x1f';

std::string join_key(std::string_view kind, std::string_view a = {}, std::string_view b = {}) {
  std::string key(kind);
  for (std::string_view part : {a, b}) {
    if (part.empty()) continue;
    key += kKeySeparator;
    key += part;
  }
  return key;
}

gfx::RectF intersect(const gfx::RectF& a, const gfx::RectF& b) {
  const float left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  const float right = std::min(a.right(), b.right()), bottom = std::min(a.bottom(), b.bottom());
  return {left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top)};
}

class TreeBuilder {
 public:
  TreeBuilder(const ViewLayout& layout, const AppState& state) : layout_(layout), state_(state) {}

  AccessTree build() {
    AccessElement window;
    window.role = AccessRole::window;
    window.name = std::string(view_text::kProductName);
    window.rect = {0, 0, layout_.width, layout_.height};
    window.key = "window";
    tree_.elements.push_back(std::move(window));

    button(0, view_text::settings(), layout_.settings, {RegionKind::settings_menu, 0}, "settings");
    sidebar();
    content();
    welcome();
    toast();
    tree_.focus = focused();
    return std::move(tree_);
  }

 private:
  // Adds a child of `parent` with its rectangle kept inside the parent's;
  // none when nothing of it is left there (a row scrolled under the header).
  std::optional<std::size_t> add(std::size_t parent, AccessElement element) {
    element.parent = parent;
    element.rect = intersect(element.rect, tree_.elements[parent].rect);
    if (element.rect.w <= 0 || element.rect.h <= 0) return std::nullopt;
    tree_.elements.push_back(std::move(element));
    return tree_.elements.size() - 1;
  }

  std::optional<std::size_t> button(std::size_t parent, std::string_view name, gfx::RectF rect, Region region,
                                    std::string key) {
    AccessElement e;
    e.role = AccessRole::button;
    e.name = std::string(name);
    e.rect = rect;
    e.key = std::move(key);
    e.invokable = true;
    e.region = region;
    return add(parent, std::move(e));
  }

  std::optional<std::size_t> text(std::size_t parent, std::string_view name, gfx::RectF rect, std::string key) {
    AccessElement e;
    e.role = AccessRole::text;
    e.name = std::string(name);
    e.rect = rect;
    e.key = std::move(key);
    return add(parent, std::move(e));
  }

  std::optional<std::size_t> list(std::string_view name, gfx::RectF rect, std::string key) {
    AccessElement e;
    e.role = AccessRole::list;
    e.name = std::string(name);
    e.rect = rect;
    e.key = std::move(key);
    return add(0, std::move(e));
  }

  void sidebar() {
    button(0, view_text::new_bundle(), layout_.new_bundle, {RegionKind::new_bundle, 0}, "new_bundle");
    if (layout_.search_box) {
      AccessElement search;
      search.role = AccessRole::edit;
      search.name = std::string(lang::text("묶음 찾기 (Ctrl+F)", "Find a bundle (Ctrl+F)"));
      search.rect = *layout_.search_box;
      search.key = "search";
      search.native = true;
      search.region = Region{RegionKind::search_box, 0};
      add(0, std::move(search));
    }
    if (state_.store.bundles.empty()) return;
    const auto bundles = list(view_text::bundles(),
                              {0, layout_.list_top, layout_.sidebar_width, layout_.height - layout_.list_top},
                              "bundles");
    if (!bundles) return;
    if (layout_.empty_list && layout_.rows.empty()) {
      const std::string text = lang::fill(view_text::no_bundle_matches(), {state_.search_text});
      this->text(*bundles, text, *layout_.empty_list, "bundles.empty");
    }
    for (const SidebarRow& row : layout_.rows) {
      if (row.bundle >= state_.store.bundles.size()) continue;
      const bundle::Bundle& b = state_.store.bundles[row.bundle];
      AccessElement e;
      e.role = AccessRole::list_item;
      e.name = b.name;
      e.help = view_text::item_count(b.items.size());
      if (state_.opening && state_.opening->bundle_id == b.id) e.status = row.open_label;
      e.rect = row.rect;
      e.key = join_key("bundle", b.id);
      e.invokable = true;
      e.selectable = true;
      e.selected = state_.selected_bundle == row.bundle;
      e.region = Region{RegionKind::bundle_row, row.bundle};
      add(*bundles, std::move(e));
    }
  }

  void content() {
    if (!layout_.content || layout_.content->bundle >= state_.store.bundles.size()) {
      if (!state_.store.bundles.empty()) {
        text(0, view_text::choose_a_bundle(), layout_.nothing_selected, "nothing_selected");
      }
      return;
    }
    const ContentLayout& c = *layout_.content;
    const bundle::Bundle& b = state_.store.bundles[c.bundle];
    const bool renaming = state_.edit && state_.edit->mode == EditMode::bundle_name && state_.edit->bundle_id == b.id;
    AccessElement title;
    title.role = renaming ? AccessRole::edit : AccessRole::text;
    title.name = b.name;
    title.help = c.hotkey_label;
    title.rect = c.title;
    title.key = join_key("title", b.id);
    title.native = renaming;
    title.region = Region{RegionKind::title, c.bundle};
    add(0, std::move(title));

    button(0, c.open_label, c.open, {RegionKind::open, c.bundle}, join_key("open", b.id));
    button(0, view_text::more_actions(), c.more, {RegionKind::more, c.bundle}, join_key("more", b.id));
    for (const AddButton& add_button : c.add_buttons) {
      button(0, add_button.label, add_button.rect, {add_button.kind, 0},
             join_key("add", std::to_string(static_cast<int>(add_button.kind))));
    }
    if (b.items.empty()) return;

    const float list_top = c.list_top - 6 * layout_.scale;  // rows show this far under the header
    const auto items = list(view_text::items(),
                            {layout_.content_left, list_top, layout_.content_width, layout_.height - list_top},
                            join_key("items", b.id));
    if (!items) return;
    for (const ItemRow& row : c.rows) {
      if (row.dragged || row.item >= b.items.size()) continue;
      add(*items, item(b, row));
    }
  }

  AccessElement item(const bundle::Bundle& b, const ItemRow& row) {
    const bundle::Item& item = b.items[row.item];
    const std::string key = bundle::item_key(item.target);
    // Two items may name the same target: the count of those before it tells them apart.
    std::size_t same_before = 0;
    for (std::size_t i = 0; i < row.item; ++i) {
      if (b.items[i].target == item.target) ++same_before;
    }
    AccessElement e;
    e.role = AccessRole::list_item;
    e.name = bundle::item_label(item);
    e.help = item.target;
    if (item.kind == bundle::Kind::app && !item.args.empty()) e.help += "  " + item.args;
    if (state_.missing_targets.count(key) > 0) {
      e.status = std::string(view_text::not_found());
    } else if (const auto failure = state_.open_failures.find({b.id, key}); failure != state_.open_failures.end()) {
      // The row shows the system's reason where the target is; the reader hears it after the mark.
      e.status = std::string(failure_label(failure->second));
      if (!failure->second.text.empty()) e.status += ": " + failure->second.text;
    }
    e.rect = row.rect;
    // The target as stored: two that differ only in case are two elements.
    e.key = join_key("item", b.id, item.target + kKeySeparator + std::to_string(same_before));
    e.invokable = true;
    e.selectable = true;
    e.selected = state_.selected_item == row.item;
    e.region = Region{RegionKind::item_row, row.item};
    return e;
  }

  void welcome() {
    if (!layout_.welcome || !state_.store.bundles.empty()) return;
    const WelcomeLayout& w = *layout_.welcome;
    text(0, view_text::welcome_title(), w.title, "welcome.title");
    text(0, view_text::welcome_paragraph(), w.paragraph, "welcome.paragraph");
    button(0, view_text::create_first_bundle(), w.create, {RegionKind::create_first_bundle, 0}, "welcome.create");
  }

  void toast() {
    if (!layout_.toast || !state_.toast) return;
    // A new toast is a new element, even with the same text: it is announced again.
    AccessElement e;
    e.role = AccessRole::text;
    e.name = state_.toast->text;
    e.rect = layout_.toast->bar;
    e.key = join_key("toast", std::to_string(state_.toast->shown_at));
    e.live = true;
    const std::string key = e.key;
    const auto bar = add(0, std::move(e));
    if (bar && layout_.toast->action) {
      button(*bar, layout_.toast->action_label, *layout_.toast->action, {RegionKind::toast_action, 0},
             join_key("toast.action", key));
    }
  }

  // The keyboard's element; without one, the selected item's row, else the
  // selected bundle's, as the keyboard starts from the selection.
  std::optional<std::size_t> focused() const {
    std::optional<Region> want = state_.focus;
    if (!want && state_.selected_item && state_.selected()) want = Region{RegionKind::item_row, *state_.selected_item};
    if (!want && state_.selected_bundle) want = Region{RegionKind::bundle_row, *state_.selected_bundle};
    if (!want) return std::nullopt;
    // A row's own buttons have no element of their own: the row stands for them.
    if (want->kind == RegionKind::bundle_open) want->kind = RegionKind::bundle_row;
    if (want->kind == RegionKind::item_remove) want->kind = RegionKind::item_row;
    for (std::size_t i = 0; i < tree_.elements.size(); ++i) {
      const std::optional<Region>& region = tree_.elements[i].region;
      if (!region || region->kind != want->kind) continue;
      // Buttons of the one selected bundle match whatever position they carry.
      const bool positional = want->kind == RegionKind::bundle_row || want->kind == RegionKind::item_row;
      if (!positional || region->index == want->index) return i;
    }
    return std::nullopt;
  }

  const ViewLayout& layout_;
  const AppState& state_;
  AccessTree tree_;
};

}  // namespace

std::optional<std::size_t> AccessTree::find(const std::string& key) const {
  for (std::size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].key == key) return i;
  }
  return std::nullopt;
}

std::vector<std::size_t> AccessTree::children(std::size_t parent) const {
  std::vector<std::size_t> found;
  for (std::size_t i = parent + 1; i < elements.size(); ++i) {
    if (elements[i].parent == parent) found.push_back(i);
  }
  return found;
}

namespace {

std::vector<std::string> child_keys(const AccessTree& tree, std::size_t parent) {
  std::vector<std::string> keys;
  for (std::size_t child : tree.children(parent)) keys.push_back(tree.elements[child].key);
  return keys;
}

}  // namespace

std::vector<AccessEvent> access_events(const AccessTree& before, const AccessTree& now) {
  using Kind = AccessEvent::Kind;
  std::vector<AccessEvent> events;
  for (std::size_t i = 0; i < now.elements.size(); ++i) {
    const AccessElement& e = now.elements[i];
    const std::optional<std::size_t> found = before.find(e.key);
    const AccessElement* was = found ? &before.elements[*found] : nullptr;
    if ((e.role == AccessRole::list || i == 0) && was && child_keys(now, i) != child_keys(before, *found)) {
      events.push_back({Kind::children_changed, e.key, {}, {}});
    }
    if (was && was->name != e.name) events.push_back({Kind::name_changed, e.key, was->name, e.name});
    if (was && was->status != e.status) events.push_back({Kind::status_changed, e.key, was->status, e.status});
    if (e.selected && (!was || !was->selected)) events.push_back({Kind::selected, e.key, {}, {}});
    // A toast is a new element each time it is shown, so it is announced once.
    if (e.live && !was) events.push_back({Kind::announced, e.key, {}, e.name});
  }
  const std::string focus_before = before.focus ? before.elements[*before.focus].key : std::string();
  if (now.focus && now.elements[*now.focus].key != focus_before && !now.elements[*now.focus].native) {
    events.push_back({Kind::focus_moved, now.elements[*now.focus].key, {}, {}});
  }
  return events;
}

AccessTree build_access_tree(const ViewLayout& layout, const AppState& state) {
  return TreeBuilder(layout, state).build();
}

std::array<int, 2> access_runtime_id(const std::string& key) {
  // FNV-1a, 64 bits, split in two.
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : key) {
    hash ^= c;
    hash *= 0x100000001b3ull;
  }
  return {static_cast<int>(static_cast<std::uint32_t>(hash >> 32)), static_cast<int>(static_cast<std::uint32_t>(hash))};
}

}  // namespace app
