#pragma once
// The bundles tolvik offers outside its window: the taskbar's jump list and
// the notification area icon's menu list the same ones, in the same order.

#include <cstddef>
#include <string>
#include <vector>

#include "bundle/model.h"

namespace app {

// The most the jump list ever shows; the icon's menu lists as many.
inline constexpr std::size_t kMostOfferedBundles = 20;

// UTF-16 units of the longest name a jump-list task can carry: its title is
// also its link's description, which the shell keeps to 1024 units with the
// NUL (INFOTIPSIZE), and the taskbar refuses the whole list when a task has
// no title.
inline constexpr std::size_t kLongestOfferedName = 1024 - 1;

// A bundle as offered, copied: a menu's modal loop may change the store
// before the choice is acted on, so the choice finds its bundle by the id.
struct OfferedBundle {
  std::string id;
  std::string name;
  bool operator==(const OfferedBundle&) const = default;
};

// In the store's order, the bundles whose name can title a task (not empty,
// at most kLongestOfferedName units), the first kMostOfferedBundles of them.
std::vector<OfferedBundle> offered_bundles(const bundle::Store& store);

}  // namespace app
