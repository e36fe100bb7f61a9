#include <array>

#include "base/unicode.h"
#include "detect/detect.h"

namespace detect {

bool is_app_extension(std::string_view extension) {
  // com and msc count although the "Add app…" dialog does not offer them.
  static constexpr std::array<std::string_view, 7> kAppExtensions = {"exe", "lnk", "bat", "cmd",
                                                                     "com", "msc", "appref-ms"};
  for (std::string_view app : kAppExtensions) {
    if (base::ascii_iequals(extension, app)) return true;
  }
  return false;
}

}  // namespace detect
