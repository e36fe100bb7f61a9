#include "base/environment.h"
#include "base/file.h"
#include "base/utf.h"
#include "base/win_path.h"
#include "detect/detect.h"
#include "detect/internet_shortcut.h"
#include "detect/packaged_app.h"
#include "detect/path.h"

namespace detect {
bundle::Item item_from_path(std::string_view path) {
  bundle::Item item;
  // The item's target must be text the store can write; the file-system
  // checks below use that same text so they describe what is stored.
  item.target = base::is_valid_utf8(path) ? std::string(path) : base::sanitize_utf8(path);
  const std::string& target = item.target;
  if (bundle::is_packaged_app(target)) {
    item.kind = bundle::Kind::app;
    return item;
  }
  const std::optional<std::string> extension = path_extension(target);
  // A path written with a variable is kept so, and classified by what it names here.
  const std::string here = base::expand_variables(target);

  if (extension == "url") {
    // An unreadable, oversized or address-less shortcut is classified like any other path.
    if (auto bytes = base::read_file(here, kInternetShortcutMaxBytes)) {
      if (auto address = internet_shortcut_address(*bytes)) {
        item.kind = bundle::Kind::url;
        item.name = path_stem(target);
        item.target = std::move(*address);
        return item;
      }
    }
  }

  if (base::is_directory(here)) {
    item.kind = bundle::Kind::folder;
  } else if (base::win_path::ends_with_separator(target) && !base::path_exists(here)) {
    item.kind = bundle::Kind::folder;
  } else if (base::win_path::is_drive_root(target)) {
    item.kind = bundle::Kind::folder;
  } else if (extension && is_app_extension(*extension)) {
    item.kind = bundle::Kind::app;  // a .lnk stays a .lnk: shortcuts are not resolved
    if (auto packaged = packaged_app_target(target)) item.target = std::move(*packaged);
  } else {
    item.kind = bundle::Kind::file;
  }
  return item;
}

}  // namespace detect
