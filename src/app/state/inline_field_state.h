#pragma once
// The inline field's state: which text the inline editor is editing, and the
// keys the search box passes on. The native field itself belongs to the window.

#include <cstddef>
#include <string>

namespace app {

// The keys the search box passes on (WM_APP+6's wParam).
enum class SearchKey { escape = 0, enter = 1, down = 2, up = 3, tab = 4, back_tab = 5 };

enum class EditMode { bundle_name = 0, web_address = 1, item_name = 2, item_args = 3 };

struct ActiveEdit {
  EditMode mode = EditMode::bundle_name;
  std::string bundle_id;   // the bundle the edit belongs to
  std::size_t item = 0;    // the item's position (item name and arguments)

  bool operator==(const ActiveEdit&) const = default;
};

}  // namespace app
