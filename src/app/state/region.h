#pragma once
// What lies under a point of the window: the hit-test's answer.

#include <cstddef>

namespace app {

enum class RegionKind : int {
  background = 0,  // no control: a click there only clears the item selection
  settings_menu = 1,
  new_bundle = 2,
  bundle_row = 3,
  bundle_open = 4,
  title = 5,
  open = 6,
  more = 7,
  add_files = 8,
  add_folder = 9,
  add_app = 10,
  add_web_address = 11,
  item_row = 12,
  item_remove = 13,
  toast_action = 14,  // the toast's Undo or Retry button
  create_first_bundle = 15,
  search_box = 16,  // the native search box; a keyboard focus stop, never a hit-test answer
};

struct Region {
  RegionKind kind = RegionKind::background;
  std::size_t index = 0;  // a bundle position (3 to 7) or an item position (12, 13)

  bool operator==(const Region&) const = default;
};

}  // namespace app
