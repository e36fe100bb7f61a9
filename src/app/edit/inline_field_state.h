#pragma once
// The inline field's state: which text the inline editor is editing. The
// native field itself belongs to the window.

#include <cstddef>
#include <string>

namespace app {

enum class EditMode { bundle_name = 0, web_address = 1, item_name = 2, item_args = 3 };

struct ActiveEdit {
  EditMode mode = EditMode::bundle_name;
  std::string bundle_id;   // the bundle the edit belongs to
  std::size_t item = 0;    // the item's position (item name and arguments)

  bool operator==(const ActiveEdit&) const = default;
};

}  // namespace app
