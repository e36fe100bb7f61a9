#include "app/view/menu_label.h"

namespace app {

std::string menu_label(std::string_view text) {
  std::string label;
  label.reserve(text.size());
  for (const char c : text) {
    if (c == '&') {
      label += "&&";
    } else if (c == '\t') {
      label += ' ';
    } else {
      label += c;
    }
  }
  return label;
}

}  // namespace app
