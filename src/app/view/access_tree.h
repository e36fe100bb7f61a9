#pragma once
// What assistive technology (a screen reader, voice control) is told about
// the view: a flat tree of its elements, made from the same layout that is
// painted and hit-tested, so what is read out is what is on screen.
//
// The layout holds only the rows on screen, and so does this tree: a list
// reports the rows that can be seen, and scrolling brings the others in. That
// is what a reader can reach with the pointer too.
// Defined in access_tree.cpp.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/state/region.h"
#include "gfx/geometry.h"

namespace app {

struct AppState;
struct ViewLayout;

enum class AccessRole : std::uint8_t { window, button, edit, list, list_item, text };

struct AccessElement {
  AccessRole role = AccessRole::text;
  std::string name;
  std::string help;    // a row's second line: a bundle's item count, an item's target
  std::string status;  // "Not found", why an item did not open, a bundle's opening progress
  gfx::RectF rect;     // pixels of the client area, within the parent's
  std::optional<std::size_t> parent;  // none for the window itself
  // Who the element is, kept while it lives whatever its position: the kind
  // with the bundle id and item key it shows, never a row number.
  std::string key;
  bool invokable = false;
  bool selectable = false;
  bool selected = false;
  // A native text field: it answers for itself through its own window.
  bool native = false;
  // Spoken when it appears (the toast).
  bool live = false;
  // What the element is to the view's own actions, when it is one of them.
  std::optional<Region> region;

  bool operator==(const AccessElement&) const = default;
};

struct AccessTree {
  std::vector<AccessElement> elements;  // [0] is the window; a parent comes before its children
  std::optional<std::size_t> focus;     // the element the keyboard acts on

  std::optional<std::size_t> find(const std::string& key) const;
  std::vector<std::size_t> children(std::size_t parent) const;
  bool operator==(const AccessTree&) const = default;
};

// The tree of the view as `layout` placed it for `state`.
AccessTree build_access_tree(const ViewLayout& layout, const AppState& state);

// A number for the element's key, as the runtime id of UI Automation wants
// it: the same for the same key, different for different keys (it is a hash
// of the key, so two keys meet only by a 1-in-2^64 chance).
std::array<int, 2> access_runtime_id(const std::string& key);

// What a listening reader is told when the view changes.
struct AccessEvent {
  enum class Kind : std::uint8_t {
    children_changed,  // a list's rows, or what the window holds
    name_changed,
    status_changed,
    selected,
    announced,  // a new toast: `after` is what is spoken
    focus_moved,
  } kind = Kind::children_changed;
  std::string key;     // the element, as it is in the newer tree
  std::string before;  // a name or status before the change
  std::string after;   // ... and after it

  bool operator==(const AccessEvent&) const = default;
};

// What changed from `before` to `now`, in the order of the newer tree's
// elements, the focus last. An element that is new is no change of its own
// (its list's is); a native field with the focus tells readers itself.
std::vector<AccessEvent> access_events(const AccessTree& before, const AccessTree& now);

// What a reader asked of an element, kept by its key until the state is free.
struct AccessRequest {
  enum class Kind : std::uint8_t { invoke, select, focus } kind = Kind::invoke;
  std::string key;
};

}  // namespace app
